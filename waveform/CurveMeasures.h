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
    for (size_t i = 0; i < count; ++i) {
      const float v = values[i];
      if (v > max_) max_ = v;
      pending_[pendingCount_++] = v;
      if (pendingCount_ == 4) {
        for (int k = 0; k < 4; ++k) sums_[k] += std::fabs(pending_[k]);
        pendingCount_ = 0;
      }
    }
    count_ += count;
  }
  float meanMagnitude() const {
    if (count_ == 0) return 0;
    double first = sums_[0];
    for (int k = 0; k < pendingCount_; ++k) first += std::fabs(pending_[k]);
    return static_cast<float>((first + sums_[1] + sums_[2] + sums_[3]) / static_cast<double>(count_));
  }
  // -infinity for no values, as vdsp::maximum gives.
  float maximum() const { return max_; }

 private:
  double sums_[4] = {0, 0, 0, 0};
  float pending_[4] = {0, 0, 0, 0};
  int pendingCount_ = 0;
  uint64_t count_ = 0;
  float max_ = -std::numeric_limits<float>::infinity();
};
