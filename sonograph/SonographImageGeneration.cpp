#include "sonograph/SonographImageGeneration.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/foundation/Log.h"

void toRGBf(double h, double s, double v, float* out) {
  const double C = s * v;
  const double m = v - C;
  const double hh = h / 60.0;
  double r, g, b;
  if (h <= 60) {
    r = v, g = m + C * hh, b = m;
  } else if (h < 120) {
    r = m - C * (hh - 2), g = v, b = m;
  } else if (h < 180) {
    r = m, g = v, b = m + C * (hh - 2);
  } else if (h < 240) {
    r = m, g = m - C * (hh - 4), b = v;
  } else if (h <= 300) {
    r = m + C * (hh - 4), g = m, b = v;
  } else {
    r = v, g = m, b = m - C * (h - 360) / 60;
  }
  out[0] = float(r);
  out[1] = float(g);
  out[2] = float(b);
}

void makeSonographRaster(const double* data, int width, int height, float gain, float red, float green, float blue,
                         double alpha, unsigned colorAlgorithm, float* out) {
  const float W = float(width), H = float(height);
  for (int r = 0; r < height; ++r) {
    const float rowFraction = float(r) / H;
    const float hue = rowFraction * 360.0f;
    const int band = std::min(int(rowFraction * 16.0f), SAMPLE_FREQUENCIES - 1);
    const double* row = data + int(band * 512.0);
    if (colorAlgorithm == kSonographRGB) {
      for (int c = 0; c < width; ++c, out += 4) {
        const int column = std::min(int((float(c) / W) * 512.0f), SAMPLE_COLUMNS - 1);
        const float value = float(double(gain) * row[column] * 10.0);
        float rgb[3];
        toRGBf(hue, 1.0, value, rgb);
        out[0] = blue * rgb[2];
        out[1] = green * rgb[1];
        out[2] = red * rgb[0];
        out[3] = float(double(value * 10.0f) * alpha);
      }
    } else {
      for (int c = 0; c < width; ++c, out += 4) {
        const int column = std::min(int((float(c) / W) * 512.0f), SAMPLE_COLUMNS - 1);
        const float value = float(double(gain) * row[column] * 10.0);
        const float grey = value / 3;
        out[0] = out[1] = out[2] = grey;
        out[3] = float(double(value * 10.0f) * alpha);
      }
    }
  }
}

namespace {

// A bounds dimension as a texture size: truncated; -1, which OpenGL refuses, when it is not a
// number or too large for one.
GLsizei textureSize(float dimension) {
  return dimension > -1.0f && dimension < 2147483520.0f ? GLsizei(dimension) : -1;
}

// Pixel transfer, store and fragment state that would change what glDrawPixels writes; the
// caller has pushed the attribute groups it belongs to.
void neutralDrawPixelsState() {
  for (GLenum cap : {GL_BLEND, GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_3D, GL_TEXTURE_RECTANGLE_ARB,
                     GL_TEXTURE_CUBE_MAP, GL_ALPHA_TEST, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_SCISSOR_TEST, GL_FOG,
                     GL_COLOR_LOGIC_OP, GL_DITHER})
    glDisable(cap);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glPixelZoom(1, 1);
  glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
  for (GLenum scale : {GL_RED_SCALE, GL_GREEN_SCALE, GL_BLUE_SCALE, GL_ALPHA_SCALE}) glPixelTransferf(scale, 1);
  for (GLenum bias : {GL_RED_BIAS, GL_GREEN_BIAS, GL_BLUE_BIAS, GL_ALPHA_BIAS}) glPixelTransferf(bias, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
}

}  // namespace

platform::composition::GLTextureName makeSonographImage(platform::composition::CGLContextObj context,
                                                        const platform::Rect& bounds, const double* data, float gain,
                                                        float red, float green, float blue, double alpha,
                                                        unsigned colorAlgorithm, std::vector<float>* scratch) {
  if (!context || !data) return 0;
  const float x = float(bounds.origin.x), y = float(bounds.origin.y);
  const float width = float(bounds.size.width), height = float(bounds.size.height);
  const GLsizei W = textureSize(width), H = textureSize(height);

  // 1. The texture, allocated without data; the rectangle binding as it was.
  GLuint texture = 0;
  glGenTextures(1, &texture);
  GLint previousTexture = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_RECTANGLE_ARB, &previousTexture);
  glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture);
  glTexImage2D(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA8, W, H, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
  glBindTexture(GL_TEXTURE_RECTANGLE_ARB, GLuint(previousTexture));

  // 2. A framebuffer drawing into it. The host's own framebuffer binding is put back after.
  GLint previousFramebuffer = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &previousFramebuffer);
  GLuint framebuffer = 0;
  glGenFramebuffersEXT(1, &framebuffer);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
  glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_RECTANGLE_ARB, texture, 0);
  const GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);

  if (status == GL_FRAMEBUFFER_COMPLETE_EXT) {
    // 3. Draw the raster with the texture's own viewport and an orthographic projection of the
    // bounds.
    GLint viewport[4] = {0, 0, 0, 0};
    GLint matrixMode = GL_MODELVIEW;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glViewport(0, 0, W, H);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(x, x + width, y, y + height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // The texture holds undefined texels until drawn, so the raster replaces them: no blending
    // or other fragment work, whatever the host's context has switched on; all put back after.
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_LIGHTING_BIT | GL_CURRENT_BIT | GL_PIXEL_MODE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glClearColor(0, 0, 0, 0);
    glShadeModel(GL_FLAT);
    neutralDrawPixelsState();

    std::vector<float> temporary;
    std::vector<float>& raster = scratch ? *scratch : temporary;
    bool drawn = false;
    try {
      raster.resize(size_t(W) * size_t(H) * 4);
      makeSonographRaster(data, W, H, gain, red, green, blue, alpha, colorAlgorithm, raster.data());
      drawn = true;
    } catch (const std::bad_alloc&) {
      platform::log("Sonograph: no memory for a %dx%d image", int(W), int(H));
    }
    if (drawn) {
      // The raster's first pixel goes to the texture's first texel, whatever the bounds' origin.
      glWindowPos2i(0, 0);
      glDrawPixels(W, H, GL_BGRA, GL_FLOAT, raster.data());
      glFlush();
    }

    glPopClientAttrib();
    glPopAttrib();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GLenum(matrixMode));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    if (!drawn) {
      glDeleteTextures(1, &texture);
      texture = 0;
    }
  } else {
    // 4. Nothing can be drawn into it.
    glDeleteTextures(1, &texture);
    texture = 0;
    if (W > 0 && H > 0) platform::log("Sonograph: framebuffer incomplete (status %04X)", unsigned(status));
  }

  // 5. The framebuffer goes.
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, GLuint(previousFramebuffer));
  glDeleteFramebuffersEXT(1, &framebuffer);

  // 6. Any error pending now fails the image.
  const GLenum error = glGetError();
  if (error != GL_NO_ERROR) {
    platform::log("OpenGL error %04X", unsigned(error));
    if (texture) glDeleteTextures(1, &texture);
    return 0;
  }
  return texture;
}
