#pragma once
// The spectrum analyser plug-in as the suite's hosts (auhost, sonogram) use it: the module loaded by
// path, its unit opened through the component entry, set up for non-interleaved float audio, fed
// one slice at a time through its input callback, and asked for its 16 band values. Built for
// both architectures: it needs only the plug-in frame's component calls.
#include <array>
#include <memory>
#include <string>
#include <vector>

class SpectrumAnalyserUnit {
 public:
  static constexpr int kBands = 16;
  using Spectrum = std::array<float, kBands>;

  // Null, with the reason in `error`, when the module or its unit cannot be used (a module that
  // can't be loaded, one with neither entry, a unit that refuses the format or slice size).
  static std::unique_ptr<SpectrumAnalyserUnit> open(const std::string& modulePath, double sampleRate,
                                                    unsigned channels, unsigned maxFrames, std::string& error);
  ~SpectrumAnalyserUnit();
  SpectrumAnalyserUnit(const SpectrumAnalyserUnit&) = delete;
  SpectrumAnalyserUnit& operator=(const SpectrumAnalyserUnit&) = delete;

  unsigned channels() const { return channels_; }
  // Plays `frames` frames (at most maxFrames) through the unit; channel c's samples at
  // input[c], its output into output[c] (buffers of the unit's own when `output` is null).
  // False, with the unit's status in `error`, when rendering fails.
  bool render(const float* const* input, unsigned frames, std::string& error,
              float* const* output = nullptr, double sampleTime = 0);
  // Reads the spectrum property; each read also arms the unit's next transform.
  bool readSpectrum(Spectrum& out, std::string& error);

 private:
  struct State;
  explicit SpectrumAnalyserUnit(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
  unsigned channels_ = 0;
};
