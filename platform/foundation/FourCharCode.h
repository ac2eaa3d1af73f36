#pragma once
// Four-character codes: four bytes read big-endian into 32 bits ("moov", "utf8", "typ?").
#include <cstdint>

namespace platform {

using FourCharCode = uint32_t;

constexpr FourCharCode fourCharCode(const char (&s)[5]) {
  return (FourCharCode(uint8_t(s[0])) << 24) | (FourCharCode(uint8_t(s[1])) << 16) |
         (FourCharCode(uint8_t(s[2])) << 8) | FourCharCode(uint8_t(s[3]));
}

}  // namespace platform
