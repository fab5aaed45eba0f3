#include "record/FileDigest.hpp"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace recmod {

FileDigest DigestOfFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path.string() + ": " + std::strerror(errno));
  const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                        &EVP_MD_CTX_free);
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
    throw std::runtime_error("SHA-256 is not available");
  }
  FileDigest digest;
  std::array<char, 1 << 16> buffer{};
  while (in) {
    in.read(buffer.data(), buffer.size());
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    digest.bytes += got;
    digest.lines +=
        static_cast<std::uint64_t>(std::count(buffer.data(), buffer.data() + got, '\n'));
    EVP_DigestUpdate(context.get(), buffer.data(), got);
  }
  if (in.bad()) throw std::runtime_error(path.string() + ": the file could not be read");
  std::array<unsigned char, EVP_MAX_MD_SIZE> value{};
  unsigned int size = 0;
  EVP_DigestFinal_ex(context.get(), value.data(), &size);
  static constexpr char kHex[] = "0123456789abcdef";
  for (unsigned int i = 0; i < size; ++i) {
    digest.sha256 += kHex[value[i] >> 4];
    digest.sha256 += kHex[value[i] & 0x0f];
  }
  return digest;
}

}  // namespace recmod
