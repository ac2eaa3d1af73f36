#include "platform/composition/host/QCRenderedImage.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace platform::composition {

std::optional<platform::Image> readRectangleTexture(unsigned int texture, int width, int height, bool flipped) {
  if (!platform::Image::sizeIsAcceptable(width, height)) return std::nullopt;
  // Errors left by earlier work must not count against the read.
  for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
  }
  GLint previous = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_RECTANGLE_ARB, &previous);
  glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture);
  GLint texWidth = 0, texHeight = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE_ARB, 0, GL_TEXTURE_WIDTH, &texWidth);
  glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE_ARB, 0, GL_TEXTURE_HEIGHT, &texHeight);
  std::vector<uint8_t> texels;
  bool ok = texWidth == width && texHeight == height;
  if (ok) {
    texels.resize(size_t(width) * height * 4);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glGetTexImage(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glPopClientAttrib();
  }
  glBindTexture(GL_TEXTURE_RECTANGLE_ARB, GLuint(previous));
  if (!ok || glGetError() != GL_NO_ERROR) return std::nullopt;

  if (!flipped) {
    const size_t row = size_t(width) * 4;
    std::vector<uint8_t> line(row);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
      std::memcpy(line.data(), &texels[size_t(top) * row], row);
      std::memcpy(&texels[size_t(top) * row], &texels[size_t(bottom) * row], row);
      std::memcpy(&texels[size_t(bottom) * row], line.data(), row);
    }
  }
  return platform::Image::adoptingPixels(width, height, std::move(texels), true);
}

std::optional<platform::Image> renderProviderImage(QCPlugInOutputImageProvider& provider,
                                                   platform::gl::HeadlessGLContext& context, std::string& error) {
  if (!context.makeCurrent()) {
    error = "the OpenGL context cannot be made current";
    return std::nullopt;
  }
  const platform::Rect bounds = provider.imageBounds();
  const double w = bounds.size.width, h = bounds.size.height;
  if (!(w >= 1 && h >= 1 && w <= platform::Image::kMaxDimension && h <= platform::Image::kMaxDimension) ||
      !platform::Image::sizeIsAcceptable(int64_t(w), int64_t(h))) {
    error = "the image's bounds are not a size this host renders";
    return std::nullopt;
  }
  const int width = int(w), height = int(h);
  const auto& formats = provider.supportedRenderedTexturePixelFormats();
  if (std::find(formats.begin(), formats.end(), QCPlugInPixelFormatBGRA8) == formats.end()) {
    error = "the image offers no BGRA8 texture";
    return std::nullopt;
  }
  const CGLContextObj handle = cglContextFor(context);
  if (!provider.canRenderWithCGLContext(handle)) {
    error = "the image cannot be rendered on this context";
    return std::nullopt;
  }
  bool flipped = false;
  const GLTextureName texture = provider.copyRenderedTextureForCGLContext(
      handle, QCPlugInPixelFormatBGRA8, platform::makeRect(bounds.origin.x, bounds.origin.y, width, height), &flipped);
  if (!texture) {
    error = "the image made no texture";
    return std::nullopt;
  }
  auto image = readRectangleTexture(texture, width, height, flipped);
  provider.releaseRenderedTexture(texture, handle);
  if (!image) error = "the image's texture cannot be read back";
  return image;
}

}  // namespace platform::composition
