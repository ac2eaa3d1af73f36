#pragma once
// The image the sonograph publishes each frame: it keeps the frame's settings and a reference to
// the plug-in's history, and draws the history (as it is when the host asks) into a texture.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/composition/QCPlugInOutputImageProvider.h"
#include "sonograph/SonographImageGeneration.h"

// What the plug-in shares with the images it publishes: the history, and the raster every
// render of them reuses. Images share ownership, so one rendered after execution stopped
// draws the last history rather than freed memory.
struct SonographBuffers {
  SonographHistory samples{};
  std::vector<float> raster;
};

class SonographImage final : public platform::composition::QCPlugInOutputImageProvider {
  struct Token {};

 public:
  // Null when the colour space, the width, the height or the history is missing or zero.
  // `bufferHeight` is not used: the history always has SAMPLE_FREQUENCIES rows.
  static std::shared_ptr<SonographImage> initWithColorSpace(platform::composition::CGColorSpaceRef colorSpace,
                                                            unsigned bufferHeight, uint64_t pixelsWide,
                                                            uint64_t pixelsHigh,
                                                            std::shared_ptr<SonographBuffers> data);
  SonographImage(Token, platform::composition::CGColorSpaceRef colorSpace, uint64_t width, uint64_t height,
                 std::shared_ptr<SonographBuffers> data);

  platform::Rect imageBounds() const override;
  platform::composition::CGColorSpaceRef imageColorSpace() const override { return _colorSpace; }
  const std::vector<std::string>& supportedRenderedTexturePixelFormats() const override;
  bool canRenderWithCGLContext(platform::composition::CGLContextObj) const override { return true; }
  platform::composition::GLTextureName copyRenderedTextureForCGLContext(platform::composition::CGLContextObj context,
                                                                        const std::string& pixelFormat,
                                                                        platform::Rect bounds, bool* isFlipped) override;
  void releaseRenderedTexture(platform::composition::GLTextureName name,
                              platform::composition::CGLContextObj context) override;

  unsigned colorAlgorithm() const { return colorAlgorithm_; }
  void setColorAlgorithm(unsigned value) { colorAlgorithm_ = value; }
  double _gain() const { return gain_; }
  void set_gain(double value) { gain_ = value; }
  double _red() const { return red_; }
  void set_red(double value) { red_ = value; }
  double _green() const { return green_; }
  void set_green(double value) { green_ = value; }
  double _blue() const { return blue_; }
  void set_blue(double value) { blue_ = value; }
  double _alpha() const { return alpha_; }
  void set_alpha(double value) { alpha_ = value; }

  unsigned bufferHeight() const { return _bufferHeight; }
  const double* data() const { return _data->samples.data(); }

 private:
  platform::composition::CGColorSpaceRef _colorSpace;
  unsigned _bufferHeight = SAMPLE_FREQUENCIES;
  uint64_t _width;
  uint64_t _height;
  // Property storage (the accessors carry the property names).
  unsigned colorAlgorithm_ = kSonographRGB;
  double gain_ = 0, red_ = 0, green_ = 0, blue_ = 0, alpha_ = 0;
  std::shared_ptr<SonographBuffers> _data;
};
