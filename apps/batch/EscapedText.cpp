#include "EscapedText.hpp"

namespace recmod::batch {

std::string EscapedText(const std::string& text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (byte < 0x20 || byte == 0x7f) {
          out += "\\x";
          out += kHex[byte >> 4];
          out += kHex[byte & 0x0f];
        } else {
          out += c;
        }
    }
  }
  return out;
}

}  // namespace recmod::batch
