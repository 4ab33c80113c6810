#include "Json.h"

#include <cstdio>

#include "logger/Format.h"

namespace brisol::cli {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned char c = s[i];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      switch (c) {
        case '\n':
          out += "\\n";
          break;
        case '\r':
          out += "\\r";
          break;
        case '\t':
          out += "\\t";
          break;
        default:
          out += Format("\\u%04x", c);
          break;
      }
      ++i;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else {
      // The length of a valid UTF-8 sequence starting here, or 0.
      std::size_t len = 0;
      unsigned cp = 0;
      if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1Fu;
      } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0Fu;
      } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07u;
      }
      bool valid = len > 0 && i + len <= n;
      for (std::size_t k = 1; valid && k < len; ++k) {
        valid = (s[i + k] & 0xC0) == 0x80;
        cp = (cp << 6) | (s[i + k] & 0x3Fu);
      }
      if (valid) {
        valid = !(len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) &&
                !(len == 4 && (cp < 0x10000 || cp > 0x10FFFF));
      }
      if (valid) {
        out.append(text, i, len);
        i += len;
      } else {
        out += Format("\\u%04x", c);
        ++i;
      }
    }
  }
  out += '"';
  return out;
}

}  // namespace brisol::cli
