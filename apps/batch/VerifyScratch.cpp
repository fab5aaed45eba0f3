#include "VerifyScratch.hpp"

#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "EscapedText.hpp"

namespace recmod::batch {

std::optional<std::string> MakeVerifyScratch() {
  const char* base = std::getenv("TMPDIR");
  std::string scratch =
      (base != nullptr && *base != '\0' ? std::string(base) : std::string("/tmp")) +
      "/recmod-verify-XXXXXX";
  if (::mkdtemp(scratch.data()) == nullptr) {
    std::fprintf(stderr, "recmod-batch: --verify: cannot make a scratch directory %s: %s\n",
                 EscapedText(scratch).c_str(), std::strerror(errno));
    return std::nullopt;
  }
  return scratch;
}

}  // namespace recmod::batch
