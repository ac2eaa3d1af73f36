#include "quarn/QuarnTexture.h"

#include <algorithm>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/graphics/ImageScaling.h"
#include "quarn/QuarnImageBridge.h"

using Image = QuarnImage;

QuarnTexture::QuarnTexture() { glGenTextures(1, &textureID_); }

QuarnTexture::QuarnTexture(const std::string& imagePathOrName) : QuarnTexture() {
  setSourceImagePath(imagePathOrName);
}

QuarnTexture::~QuarnTexture() {
  if (textureID_) glDeleteTextures(1, &textureID_);
}

void QuarnTexture::setSourceImagePath(const std::string& pathOrName) {
  if (pathOrName == srcPath_) return;
  srcPath_ = pathOrName;
  createGLTextureFromImagePathOrName(pathOrName);
}

int QuarnTexture::fittedDimension(int dimension) {
  static const int sizes[] = {1024, 512, 256, 128, 64, 32, 16, 8, 4, 2};
  for (int size : sizes) {
    if (dimension % size == 0) return dimension;
    if (dimension > size) return size;
  }
  return dimension;
}

std::vector<std::string> QuarnTexture::resourceFolders() {
  const std::string exeDir = platform::executableDirectory();
  const std::string app = platform::lastPathComponent(platform::logProcessName());
  return {platform::appendingPathComponent(exeDir, "share/" + app),
          platform::appendingPathComponent(platform::deletingLastPathComponent(exeDir), "share/" + app), exeDir};
}

std::shared_ptr<Image> QuarnTexture::loadImageFromString(const std::string& pathOrName) {
  auto load = [](const std::string& path) -> std::shared_ptr<Image> {
    if (auto image = platform::readImageFile(path); image && !image->empty())
      return std::make_shared<Image>(quarnImageFromPlatform(*image));
    return nullptr;
  };
  if (pathOrName.empty()) return nullptr;
  if (pathOrName[0] == '/') return load(pathOrName);

  // A resource name stays inside the resource folders.
  if (pathOrName.find("..") != std::string::npos) return nullptr;
  std::vector<std::string> candidates = {pathOrName};
  if (platform::pathExtension(pathOrName).empty())
    for (const char* ext : {"png", "jpg", "jpeg"}) candidates.push_back(pathOrName + "." + ext);
  for (const std::string& folder : resourceFolders()) {
    for (const std::string& candidate : candidates) {
      const std::string path = platform::appendingPathComponent(folder, candidate);
      if (!platform::fileExists(path)) continue;
      if (auto image = load(path)) return image;
    }
  }
  return nullptr;
}

std::shared_ptr<Image> QuarnTexture::scaleImageForOpenGL(const std::shared_ptr<Image>& image) {
  if (!image) return nullptr;
  int width = fittedDimension(image->width());
  int height = fittedDimension(image->height());
  // Multiples of 1024 are kept, but never beyond what the context can hold.
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  if (maxSize > 0) {
    while (width > maxSize) width = fittedDimension(maxSize);
    while (height > maxSize) height = fittedDimension(maxSize);
  }
  if (width == image->width() && height == image->height()) return image;
  auto scaled = std::make_shared<Image>(
      quarnImageFromPlatform(platform::scaledImage(platformImageFromQuarn(*image), width, height)));
  scaled->setHasAlpha(image->hasAlpha());
  return scaled;
}

bool QuarnTexture::createGLTextureFromImage(const Image& image) {
  // The pixel buffer is the caller's to change: a size that disagrees with it counts as no bitmap.
  if (image.empty() || image.pixels().size() != static_cast<size_t>(image.width()) * image.height() * 4) {
    platform::log("NSBitmapImageRep not loaded");
    return false;
  }
  const int width = image.width();
  const int height = image.height();
  const int samples = image.hasAlpha() ? 4 : 3;
  imgformat_ = image.hasAlpha() ? GL_RGBA : GL_RGB;
  // Tightly packed rows, bottom row first, so that texture coordinate t = 1 is the image's top.
  std::vector<GLubyte> bytes(static_cast<size_t>(width) * height * samples);
  GLubyte* out = bytes.data();
  for (int y = height - 1; y >= 0; --y) {
    const std::uint8_t* in = image.row(y);
    for (int x = 0; x < width; ++x, in += 4, out += samples)
      std::copy(in, in + samples, out);
  }
  glBindTexture(GL_TEXTURE_2D, textureID_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(imgformat_), width, height, 0, imgformat_, GL_UNSIGNED_BYTE,
               bytes.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  return true;
}

bool QuarnTexture::createGLTextureFromImagePathOrName(const std::string& pathOrName) {
  const std::shared_ptr<Image> image = loadImageFromString(pathOrName);
  if (!image) {
    platform::log("image not loaded");
    return false;
  }
  const std::shared_ptr<Image> fitted = scaleImageForOpenGL(image);
  return fitted && createGLTextureFromImage(*fitted);
}
