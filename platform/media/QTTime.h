#pragma once
// Time records of the media layer: a signed 64-bit value in units of a 32-bit scale per second.
#include <cstdint>

namespace platform::media {

struct QTTime {
  int64_t timeValue = 0;
  int32_t timeScale = 0;
  int32_t flags = 0;
};

constexpr int32_t kQTTimeIsIndefinite = 1;

}  // namespace platform::media
