#include "sonograph/SonographImage.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

using namespace platform::composition;

std::shared_ptr<SonographImage> SonographImage::initWithColorSpace(CGColorSpaceRef colorSpace, unsigned,
                                                                   uint64_t pixelsWide, uint64_t pixelsHigh,
                                                                   std::shared_ptr<SonographBuffers> data) {
  if (!colorSpace || !pixelsWide || !pixelsHigh || !data) return nullptr;
  // One allocation: the object and its count together.
  return std::make_shared<SonographImage>(Token{}, std::move(colorSpace), pixelsWide, pixelsHigh, std::move(data));
}

SonographImage::SonographImage(Token, CGColorSpaceRef colorSpace, uint64_t width, uint64_t height,
                               std::shared_ptr<SonographBuffers> data)
    : _colorSpace(std::move(colorSpace)), _width(width), _height(height), _data(std::move(data)) {}

platform::Rect SonographImage::imageBounds() const { return platform::makeRect(0, 0, double(_width), double(_height)); }

const std::vector<std::string>& SonographImage::supportedRenderedTexturePixelFormats() const {
  // Textures only: no memory-buffer formats are offered.
  static const std::vector<std::string> formats{QCPlugInPixelFormatBGRA8};
  return formats;
}

GLTextureName SonographImage::copyRenderedTextureForCGLContext(CGLContextObj context, const std::string&,
                                                               platform::Rect bounds, bool*) {
  return makeSonographImage(context, bounds, _data->samples.data(), float(gain_), float(red_), float(green_),
                            float(blue_), alpha_, colorAlgorithm_, &_data->raster);
}

void SonographImage::releaseRenderedTexture(GLTextureName name, CGLContextObj context) {
  if (!context || !name) return;
  const GLuint texture = name;
  glDeleteTextures(1, &texture);
}
