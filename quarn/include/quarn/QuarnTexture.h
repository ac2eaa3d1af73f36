#pragma once
// One OpenGL texture loaded from an image file (a path starting with "/") or a named image
// among the application's resources, shrunk to texture-friendly dimensions on upload.
#include <memory>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "quarn/QuarnImage.h"
#include "quarn/QuarnTypes.h"

class QuarnTexture {
 public:
  using Image = QuarnImage;

  // Generates the texture name: needs a current context.
  QuarnTexture();
  // Then loads the image at once.
  explicit QuarnTexture(const std::string& imagePathOrName);
  virtual ~QuarnTexture();
  QuarnTexture(const QuarnTexture&) = delete;
  QuarnTexture& operator=(const QuarnTexture&) = delete;

  // A different string is stored and loaded at once.
  void setSourceImagePath(const std::string& pathOrName);
  const std::string& sourceImagePath() const { return srcPath_; }
  // Loads, fits and uploads; on failure logs and keeps the previous content. True on upload.
  bool createGLTextureFromImagePathOrName(const std::string& pathOrName);

  // A path starting with "/" is read as an image file; anything else names an image among the
  // application's resources (see resourceFolders). Null when nothing decodes (no log line: the
  // callers log what their operation needs).
  static std::shared_ptr<Image> loadImageFromString(const std::string& pathOrName);
  // Folders searched for named images, in order: share/<app>/ beside the executable, then
  // ../share/<app>/, then the executable's own folder (<app> is the executable's name).
  static std::vector<std::string> resourceFolders();
  // The image shrunk to the fitted size (the same image when it fits already); needs a current
  // context (sizes beyond GL_MAX_TEXTURE_SIZE are shrunk further). Null for null.
  static std::shared_ptr<Image> scaleImageForOpenGL(const std::shared_ptr<Image>& image);
  // Uploads the pixels as GL_RGBA (image with alpha) or GL_RGB; false and the log line
  // "NSBitmapImageRep not loaded" when the image has no pixels.
  bool createGLTextureFromImage(const Image& image);

  // Each dimension fitted separately against 1024, 512, …, 2: a multiple of the size stays,
  // a larger value becomes the size; sizes are only ever shrunk.
  static int fittedDimension(int dimension);

  GLuint textureID() const { return textureID_; }
  GLenum imgformat() const { return imgformat_; }
  const std::string& name() const { return name_; }
  void setName(const std::string& name) { name_ = name; }

 protected:
  GLuint textureID_ = 0;
  GLenum imgformat_ = 0;
  std::string name_ = "New Texture";
  std::string srcPath_;
};
