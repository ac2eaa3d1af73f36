#pragma once
// The host's side of the image-provider contract: asks a provider for its image as a BGRA8
// rectangle texture on the host's OpenGL context, reads the texture back into a bitmap and
// hands the texture back to the provider.
#include <optional>
#include <string>

#include "platform/composition/QCPlugInOutputImageProvider.h"
#include "platform/gl/HeadlessGLContext.h"
#include "platform/graphics/Image.h"

namespace platform::composition {

// The handle plug-ins receive for a headless context.
inline CGLContextObj cglContextFor(platform::gl::HeadlessGLContext& context) {
  return reinterpret_cast<CGLContextObj>(&context);
}

// The provider's whole image (its imageBounds), with its context current; nullopt, with the
// reason in `error`, when the provider cannot render it.
std::optional<platform::Image> renderProviderImage(QCPlugInOutputImageProvider& provider,
                                                   platform::gl::HeadlessGLContext& context, std::string& error);

// The texels of level 0 of a rectangle texture (RGBA, rows top-down as images store them, the
// texture's first row taken as the bottom one unless `flipped`); nullopt on an OpenGL error.
std::optional<platform::Image> readRectangleTexture(unsigned int texture, int width, int height, bool flipped = false);

}  // namespace platform::composition
