#pragma once
// The spectrum analyser plug-in as sonogram hosts it: the module loaded by path, its unit opened
// through the component entry, set up for non-interleaved float audio of one or two channels,
// fed one slice at a time through its input callback, and asked for its 16 band values.
#include <array>
#include <memory>
#include <string>
#include <vector>

class SpectrumAnalyserUnit {
 public:
  static constexpr int kBands = 16;
  using Spectrum = std::array<float, kBands>;

  // Null, with the reason in `error`, when the module or its unit cannot be used.
  static std::unique_ptr<SpectrumAnalyserUnit> open(const std::string& modulePath, double sampleRate,
                                                    unsigned channels, unsigned maxFrames, std::string& error);
  ~SpectrumAnalyserUnit();
  SpectrumAnalyserUnit(const SpectrumAnalyserUnit&) = delete;
  SpectrumAnalyserUnit& operator=(const SpectrumAnalyserUnit&) = delete;

  unsigned channels() const { return channels_; }
  // Plays `frames` frames (at most maxFrames) through the unit; channel c's samples at
  // input[c]. False, with the unit's status in `error`, when rendering fails.
  bool render(const float* const* input, unsigned frames, std::string& error);
  // Reads the spectrum property; each read also arms the unit's next transform.
  bool readSpectrum(Spectrum& out, std::string& error);

 private:
  struct State;
  explicit SpectrumAnalyserUnit(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
  unsigned channels_ = 0;
};
