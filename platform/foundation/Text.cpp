#include "Text.h"

#include <cstdint>

namespace platform {

namespace {

// Length of the valid UTF-8 sequence at s[i] and its code point; 0 when it is not valid.
size_t decodeOne(std::string_view s, size_t i, uint32_t& cp) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  size_t extra;
  if (c < 0x80) {
    cp = c;
    return 1;
  } else if ((c & 0xE0) == 0xC0) {
    extra = 1;
    cp = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2;
    cp = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (s.size() - i <= extra) return 0;
  for (size_t k = 1; k <= extra; ++k) {
    unsigned char cc = static_cast<unsigned char>(s[i + k]);
    if ((cc & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (cc & 0x3F);
  }
  static constexpr uint32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return extra + 1;
}

}  // namespace

std::string xmlSafeText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    uint32_t cp = 0;
    size_t n = decodeOne(s, i, cp);
    bool allowed = n > 0 && (cp >= 0x20 || cp == 0x09 || cp == 0x0A || cp == 0x0D) && cp != 0xFFFE && cp != 0xFFFF;
    if (allowed) {
      out.append(s.substr(i, n));
    } else {
      out.append("\xEF\xBF\xBD");
    }
    i += n > 0 ? n : 1;
  }
  return out;
}

bool isValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    uint32_t cp = 0;
    size_t n = decodeOne(s, i, cp);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

}  // namespace platform
