#include "VectorOps.h"

#include <cmath>
#include <limits>

namespace platform::vdsp {

// Sums use four double accumulators: exact enough for hour-long curves and easy to vectorise.

float meanMagnitude(const float* values, size_t count) {
  if (count == 0) return 0;
  double s[4] = {0, 0, 0, 0};
  size_t i = 0;
  for (; i + 4 <= count; i += 4)
    for (int k = 0; k < 4; ++k) s[k] += std::fabs(values[i + k]);
  for (; i < count; ++i) s[0] += std::fabs(values[i]);
  return static_cast<float>((s[0] + s[1] + s[2] + s[3]) / static_cast<double>(count));
}

float mean(const float* values, size_t count) {
  if (count == 0) return 0;
  double s[4] = {0, 0, 0, 0};
  size_t i = 0;
  for (; i + 4 <= count; i += 4)
    for (int k = 0; k < 4; ++k) s[k] += values[i + k];
  for (; i < count; ++i) s[0] += values[i];
  return static_cast<float>((s[0] + s[1] + s[2] + s[3]) / static_cast<double>(count));
}

float maximum(const float* values, size_t count) {
  float m = -std::numeric_limits<float>::infinity();
  for (size_t i = 0; i < count; ++i)
    if (values[i] > m) m = values[i];
  return m;
}

float minimum(const float* values, size_t count) {
  float m = std::numeric_limits<float>::infinity();
  for (size_t i = 0; i < count; ++i)
    if (values[i] < m) m = values[i];
  return m;
}

}  // namespace platform::vdsp
