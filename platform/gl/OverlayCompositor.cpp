#include "platform/gl/OverlayCompositor.h"

#include <algorithm>
#include <cstring>

namespace platform::gl {

OverlayCompositor::~OverlayCompositor() = default;

void OverlayCompositor::setOverlay(OverlayId id, const uint8_t* pixels, int width, int height, int stride, int x,
                                   int y, float alpha) {
  std::lock_guard<std::mutex> lock(mutex_);
  Overlay& o = overlays_[id];
  width = std::max(0, width);
  height = std::max(0, height);
  const size_t row = size_t(width) * 4;
  o.pixels.resize(row * height);
  if (pixels)
    for (int r = 0; r < height; ++r) std::memcpy(&o.pixels[row * r], pixels + size_t(stride) * r, row);
  if (o.width != width || o.height != height) {
    if (o.texture) unused_.push_back(o.texture);
    o.texture = 0;
  }
  o.width = width;
  o.height = height;
  o.x = x;
  o.y = y;
  o.alpha = std::clamp(alpha, 0.0f, 1.0f);
  o.stale = true;
}

void OverlayCompositor::moveOverlay(OverlayId id, int x, int y) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = overlays_.find(id);
  if (it == overlays_.end()) return;
  it->second.x = x;
  it->second.y = y;
}

void OverlayCompositor::setOverlayAlpha(OverlayId id, float alpha) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = overlays_.find(id);
  if (it != overlays_.end()) it->second.alpha = std::clamp(alpha, 0.0f, 1.0f);
}

void OverlayCompositor::removeOverlay(OverlayId id) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = overlays_.find(id);
  if (it == overlays_.end()) return;
  if (it->second.texture) unused_.push_back(it->second.texture);
  overlays_.erase(it);
}

void OverlayCompositor::releaseTextures() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& [id, o] : overlays_) {
    if (o.texture) unused_.push_back(o.texture);
    o.texture = 0;
    o.stale = true;
  }
  if (!unused_.empty() && gl_.glDeleteTextures) gl_.glDeleteTextures(GLsizei(unused_.size()), unused_.data());
  unused_.clear();
}

void OverlayCompositor::draw(int drawableWidth, int drawableHeight) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!unused_.empty()) {
    gl_.glDeleteTextures(GLsizei(unused_.size()), unused_.data());
    unused_.clear();
  }
  const bool anyVisible = std::any_of(overlays_.begin(), overlays_.end(), [](const auto& entry) {
    return entry.second.alpha > 0 && entry.second.width > 0 && entry.second.height > 0;
  });
  if (!anyVisible) return;

  // What other renderers may have bound: a program, a framebuffer, buffers, another texture unit.
  GLint program = 0, drawFramebuffer = 0, unpackBuffer = 0, activeTexture = GL_TEXTURE0;
  if (gl_.glUseProgram) gl_.glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  if (gl_.glBindFramebuffer) gl_.glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
  if (gl_.glBindBuffer) gl_.glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &unpackBuffer);
  if (gl_.glActiveTexture) gl_.glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture);
  if (gl_.glUseProgram) gl_.glUseProgram(0);
  if (gl_.glBindFramebuffer) gl_.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  if (gl_.glBindBuffer) gl_.glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
  if (gl_.glActiveTexture) gl_.glActiveTexture(GL_TEXTURE0);

  gl_.glPushAttrib(GL_ALL_ATTRIB_BITS);
  gl_.glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  gl_.glMatrixMode(GL_TEXTURE);
  gl_.glPushMatrix();
  gl_.glLoadIdentity();
  gl_.glMatrixMode(GL_PROJECTION);
  gl_.glPushMatrix();
  gl_.glLoadIdentity();
  gl_.glOrtho(0, drawableWidth, drawableHeight, 0, -1, 1);  // y down, as the overlays' rows run
  gl_.glMatrixMode(GL_MODELVIEW);
  gl_.glPushMatrix();
  gl_.glLoadIdentity();

  gl_.glViewport(0, 0, drawableWidth, drawableHeight);
  for (GLenum cap : {GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_FOG, GL_SCISSOR_TEST, GL_STENCIL_TEST,
                     GL_ALPHA_TEST, GL_TEXTURE_1D, GL_COLOR_MATERIAL})
    gl_.glDisable(cap);
  gl_.glEnable(GL_TEXTURE_2D);
  gl_.glEnable(GL_BLEND);
  gl_.glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);  // premultiplied pixels
  gl_.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  gl_.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  gl_.glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  gl_.glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  gl_.glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);

  for (auto& [id, o] : overlays_) {
    if (o.alpha <= 0 || o.width <= 0 || o.height <= 0) continue;
    if (!o.texture) {
      gl_.glGenTextures(1, &o.texture);
      o.stale = true;
    }
    gl_.glBindTexture(GL_TEXTURE_2D, o.texture);
    if (o.stale) {
      gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
      gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
      gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
      gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
      gl_.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, o.width, o.height, 0, GL_BGRA, GL_UNSIGNED_BYTE, o.pixels.data());
      o.stale = false;
    }
    // Premultiplied: the opacity scales every channel.
    gl_.glColor4f(o.alpha, o.alpha, o.alpha, o.alpha);
    const float x0 = float(o.x), y0 = float(o.y), x1 = float(o.x + o.width), y1 = float(o.y + o.height);
    gl_.glBegin(GL_QUADS);
    gl_.glTexCoord2f(0, 0);
    gl_.glVertex2f(x0, y0);
    gl_.glTexCoord2f(1, 0);
    gl_.glVertex2f(x1, y0);
    gl_.glTexCoord2f(1, 1);
    gl_.glVertex2f(x1, y1);
    gl_.glTexCoord2f(0, 1);
    gl_.glVertex2f(x0, y1);
    gl_.glEnd();
  }

  gl_.glMatrixMode(GL_MODELVIEW);
  gl_.glPopMatrix();
  gl_.glMatrixMode(GL_PROJECTION);
  gl_.glPopMatrix();
  gl_.glMatrixMode(GL_TEXTURE);
  gl_.glPopMatrix();
  gl_.glPopClientAttrib();
  gl_.glPopAttrib();  // also the matrix mode, texture binding, blending and enables

  if (gl_.glActiveTexture) gl_.glActiveTexture(GLenum(activeTexture));
  if (gl_.glBindBuffer) gl_.glBindBuffer(GL_PIXEL_UNPACK_BUFFER, GLuint(unpackBuffer));
  if (gl_.glBindFramebuffer) gl_.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(drawFramebuffer));
  if (gl_.glUseProgram) gl_.glUseProgram(GLuint(program));
}

}  // namespace platform::gl
