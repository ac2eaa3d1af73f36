#include "quarn/QuarnTexture.h"

#include "platform/foundation/Log.h"

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

bool QuarnTexture::createGLTextureFromImagePathOrName(const std::string&) {
  platform::log("image not loaded");
  return false;
}
