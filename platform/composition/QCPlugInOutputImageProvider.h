#pragma once
// The contract of an image a plug-in publishes on an image output port. The host asks for the
// image's bounds and colour space, chooses a pixel format the provider offers, and has the
// provider render the image as an OpenGL texture on the host's context, which it releases
// through the provider when done.
//
// Rendered textures are rectangle textures (GL_TEXTURE_RECTANGLE_ARB) of the requested bounds'
// size in pixels; their first row is the bottom one unless the provider reports them flipped.
#include <string>
#include <vector>

#include "platform/composition/ColorSpace.h"
#include "platform/graphics/Geometry.h"

namespace platform::composition {

// The host's OpenGL context, opaque to plug-ins. The host makes it current on the calling
// thread before every call that passes it; plug-ins make their OpenGL calls there.
struct _CGLContextObject;
using CGLContextObj = _CGLContextObject*;

using GLTextureName = unsigned int;  // GLuint

// Pixel formats: blue, green, red, alpha, 8 bits each.
inline constexpr const char* QCPlugInPixelFormatBGRA8 = "BGRA8";
inline constexpr const char* QCPlugInPixelFormatARGB8 = "ARGB8";

class QCPlugInOutputImageProvider {
 public:
  virtual ~QCPlugInOutputImageProvider() = default;

  // The image's extent in pixels.
  virtual platform::Rect imageBounds() const = 0;
  virtual CGColorSpaceRef imageColorSpace() const = 0;
  // Formats the provider can render as a texture; the host picks one of them. The list lives
  // as long as the provider.
  virtual const std::vector<std::string>& supportedRenderedTexturePixelFormats() const = 0;
  virtual bool canRenderWithCGLContext(CGLContextObj context) const = 0;
  // A new texture holding the part of the image inside `bounds`, or 0 when none could be made.
  // The texture belongs to the host until it hands it back to releaseRenderedTexture.
  virtual GLTextureName copyRenderedTextureForCGLContext(CGLContextObj context, const std::string& pixelFormat,
                                                         platform::Rect bounds, bool* isFlipped) = 0;
  virtual void releaseRenderedTexture(GLTextureName name, CGLContextObj context) = 0;
};

}  // namespace platform::composition
