#include "quarn/QuarnImage.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/ImageCodec.h"
#include "quarn/QuarnImageBridge.h"

QuarnImage::QuarnImage(int width, int height, bool hasAlpha) : hasAlpha_(hasAlpha) {
  if (width <= 0 || height <= 0 || !platform::Image::sizeIsAcceptable(width, height)) return;
  width_ = width;
  height_ = height;
  pixels_.assign(static_cast<std::size_t>(width) * height * 4, 0);
}

std::shared_ptr<QuarnImage> QuarnImage::imageWithContentsOfFile(const std::string& path) {
  std::optional<platform::Image> decoded = platform::readImageFile(path);
  if (!decoded || decoded->empty()) {
    platform::log("QuarnImage: cannot read '%s'", path.c_str());
    return nullptr;
  }
  return std::make_shared<QuarnImage>(quarnImageFromPlatform(*decoded));
}

namespace {

// Byte offset of pixel (x, y), or -1 outside the image or beyond a buffer the caller shrank.
long offsetOf(int x, int y, int width, int height, std::size_t bytes) {
  if (x < 0 || y < 0 || x >= width || y >= height) return -1;
  const std::size_t offset = (static_cast<std::size_t>(y) * width + x) * 4;
  return offset + 4 <= bytes ? static_cast<long>(offset) : -1;
}

}  // namespace

std::uint32_t QuarnImage::pixel(int x, int y) const {
  const long offset = offsetOf(x, y, width_, height_, pixels_.size());
  if (offset < 0) return 0;
  const std::uint8_t* p = pixels_.data() + offset;
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

void QuarnImage::setPixel(int x, int y, std::uint32_t rgba) {
  const long offset = offsetOf(x, y, width_, height_, pixels_.size());
  if (offset < 0) return;
  std::uint8_t* p = pixels_.data() + offset;
  p[0] = static_cast<std::uint8_t>(rgba >> 24);
  p[1] = static_cast<std::uint8_t>(rgba >> 16);
  p[2] = static_cast<std::uint8_t>(rgba >> 8);
  p[3] = static_cast<std::uint8_t>(rgba);
}

bool QuarnImage::writePNGToFile(const std::string& path) const {
  if (empty()) {
    platform::log("QuarnImage: nothing to write to '%s'", path.c_str());
    return false;
  }
  if (!platform::writePNGFile(platformImageFromQuarn(*this), path)) {
    platform::log("QuarnImage: cannot write '%s'", path.c_str());
    return false;
  }
  return true;
}
