#pragma once
// Status codes of the platform layer: signed 32-bit OSStatus values, 0 for success.
#include <cstdint>

namespace platform {

using OSStatus = int32_t;
using OSErr = int16_t;

constexpr OSStatus noErr = 0;
constexpr OSStatus paramErr = -50;

}  // namespace platform
