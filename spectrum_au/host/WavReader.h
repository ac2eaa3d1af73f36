#pragma once
// A small WAV reader (RIFF/WAVE, PCM 16/24/32-bit integer and 32-bit float, plain or
// extensible), so the host needs no decoding library and builds for i386 too.
#include <cstdint>
#include <string>
#include <vector>

struct WavAudio {
  double sampleRate = 0;
  uint32_t channels = 0;
  uint32_t bitsPerSample = 0;
  bool isFloat = false;
  // One vector per channel, samples as 32-bit floats (integers scaled to -1 .. 1).
  std::vector<std::vector<float>> samples;
  size_t frameCount() const { return samples.empty() ? 0 : samples[0].size(); }
};

// Reads the whole file; false with a one-line reason in `error`.
bool readWav(const std::string& path, WavAudio& audio, std::string& error);
