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

namespace {

// Counts and hashes bytes as they come.
class DigestBuilder {
 public:
  DigestBuilder() : context_(EVP_MD_CTX_new(), &EVP_MD_CTX_free) {
    if (!context_ || EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) != 1) {
      throw std::runtime_error("SHA-256 is not available");
    }
  }

  void Add(const char* data, std::size_t size) {
    digest_.bytes += size;
    digest_.lines += static_cast<std::uint64_t>(std::count(data, data + size, '\n'));
    EVP_DigestUpdate(context_.get(), data, size);
  }

  FileDigest Finish() {
    std::array<unsigned char, EVP_MAX_MD_SIZE> value{};
    unsigned int size = 0;
    EVP_DigestFinal_ex(context_.get(), value.data(), &size);
    static constexpr char kHex[] = "0123456789abcdef";
    for (unsigned int i = 0; i < size; ++i) {
      digest_.sha256 += kHex[value[i] >> 4];
      digest_.sha256 += kHex[value[i] & 0x0f];
    }
    return digest_;
  }

 private:
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context_;
  FileDigest digest_;
};

}  // namespace

FileDigest DigestOfFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path.string() + ": " + std::strerror(errno));
  DigestBuilder builder;
  std::array<char, 1 << 16> buffer{};
  while (in) {
    in.read(buffer.data(), buffer.size());
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    builder.Add(buffer.data(), got);
  }
  if (in.bad()) throw std::runtime_error(path.string() + ": the file could not be read");
  return builder.Finish();
}

FileDigest DigestOfText(std::string_view text) {
  DigestBuilder builder;
  builder.Add(text.data(), text.size());
  return builder.Finish();
}

}  // namespace recmod
