#pragma once
// A sonogram of an audio file, made by the suite's two plug-ins: the file is decoded and played
// through the spectrum analyser, whose 16 band values are read as it plays; one spectrum per
// history column (the whole file spread over the sonograph's 512 columns) is then fed to the
// sonograph, one executed frame each, and its image is rendered on a headless OpenGL context.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Image.h"
#include "sonogram/SpectrumTimeline.h"

struct SonogramOptions {
  int width = 512;
  int height = 384;
  double gain = 0.5;
  unsigned colorAlgorithm = 0;  // 0 RGB, 1 Gray
  // Colour multipliers at full strength, so that a loud band shows its own hue; opacity 0.1,
  // so that a pixel's opacity (10 × its level × alpha) equals its level and the leakage of the
  // analyser's unwindowed transform into every band stays faint.
  double red = 1, green = 1, blue = 1, alpha = 0.1;
};

inline constexpr int kSonogramColumns = 512;    // the sonograph's history columns
inline constexpr unsigned kSonogramSlice = 512;  // frames per analyser slice: its transform size

// Fraction of the file decoded so far (0..1), called now and then while decoding.
using SonogramProgress = std::function<void(double)>;

struct SonogramAnalysis {
  std::vector<SpectrumTimeline::Spectrum> columns;  // kSonogramColumns spectra, oldest first
  uint64_t frames = 0;
  double sampleRate = 0;
  unsigned channels = 0;
};

// Decodes `audioPath` and plays it through the analyser module; nullopt, with the reason in
// `error`, when the file or the module cannot be used or the file holds no audio.
std::optional<SonogramAnalysis> analyseAudioFile(const std::string& audioPath, const std::string& analyserPath,
                                                 std::string& error, const SonogramProgress& progress = {});

// Feeds the column spectra to the sonograph module and renders its image.
std::optional<platform::Image> renderSonogram(const std::vector<SpectrumTimeline::Spectrum>& columns,
                                              const std::string& sonographPath, const SonogramOptions& options,
                                              std::string& error);
