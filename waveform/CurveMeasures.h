#pragma once
// The curve's mean magnitude and maximum gathered while it is filled, value by value in the
// same order and with the same arithmetic as vdsp::meanMagnitude and vdsp::maximum over the
// finished curve (four double sums by position modulo 4, the values after the last whole group
// of four into the first), so that the results are the same to the bit without two more passes
// over a curve far larger than the caches.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

class CurveMeasures {
 public:
  void add(const float* values, size_t count) {
    max_ = maximumOf(values, count, max_);
    size_t i = 0;
    while (pendingCount_ > 0 && i < count) push(values[i++]);
    for (; i + 4 <= count; i += 4)
      for (int k = 0; k < 4; ++k) sums_[k] += std::fabs(values[i + k]);
    while (i < count) push(values[i++]);
    count_ += count;
  }
  float meanMagnitude() const {
    if (count_ == 0) return 0;
    double first = sums_[0];
    for (int k = 0; k < pendingCount_; ++k) first += std::fabs(pending_[k]);
    return static_cast<float>((first + sums_[1] + sums_[2] + sums_[3]) / static_cast<double>(count_));
  }
  // -infinity for no values, as vdsp::maximum gives. The largest value doesn't depend on the
  // order it is looked for in, except between 0 and -0: a maximum of zero must be looked for
  // again in order (vdsp::maximum over the finished curve), which `exact` tells.
  float maximum() const { return max_; }
  bool exact() const { return max_ != 0.0f; }

 private:
  // Eight running maxima, so that the comparisons don't wait for each other.
  static float maximumOf(const float* v, size_t n, float start) {
    float m[8];
    for (float& x : m) x = start;
    size_t i = 0;
    for (; i + 8 <= n; i += 8)
      for (int k = 0; k < 8; ++k) m[k] = v[i + k] > m[k] ? v[i + k] : m[k];
    for (; i < n; ++i) m[0] = v[i] > m[0] ? v[i] : m[0];
    for (int k = 1; k < 8; ++k) m[0] = m[k] > m[0] ? m[k] : m[0];
    return m[0];
  }

  // A value of a group of four not yet complete; a complete group goes to the sums.
  void push(float v) {
    pending_[pendingCount_++] = v;
    if (pendingCount_ == 4) {
      for (int k = 0; k < 4; ++k) sums_[k] += std::fabs(pending_[k]);
      pendingCount_ = 0;
    }
  }

  double sums_[4] = {0, 0, 0, 0};
  float pending_[4] = {0, 0, 0, 0};
  int pendingCount_ = 0;
  uint64_t count_ = 0;
  float max_ = -std::numeric_limits<float>::infinity();
};
