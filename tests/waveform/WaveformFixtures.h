#pragma once
// What the waveform fixtures hold (tests/fixtures/waveform.fixtures.sh), as decoded floats.
#include <cstdint>
#include <vector>

namespace waveformfixtures {

// Frame i of wf-2/wf-1000/wf-4001/wf-truncated: 16-bit left and right values.
inline float left(uint32_t i) { return static_cast<float>((static_cast<int>((i * 37) % 201) - 100) * 100) / 32768.0f; }
inline float right(uint32_t i) { return static_cast<float>(-static_cast<int>(i % 5) * 500) / 32768.0f; }

// Channel-0 curve (left + right) of the first `frames` frames.
inline std::vector<float> summedCurve(uint32_t frames) {
  std::vector<float> c;
  for (uint32_t i = 0; i < frames; ++i) c.push_back(left(i) + right(i));
  return c;
}

}  // namespace waveformfixtures
