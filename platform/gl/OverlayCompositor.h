#pragma once
// Pictures drawn over a GL window's own drawing just before its buffers swap: how a child
// window lying over a GL parent is shown, translucent over moving pictures without a
// compositing window manager (safe to set from one thread and draw on another). Each overlay is a premultiplied RGBA picture placed in the
// drawable and drawn with an opacity. Drawing leaves the GL state as it found it (programs,
// framebuffers, textures, blending, matrices), so any renderer's frame can come before.
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "platform/gl/GLFunctions.h"

namespace platform::gl {

class OverlayCompositor {
 public:
  using OverlayId = uint64_t;

  explicit OverlayCompositor(const GLFunctions& gl) : gl_(gl) {}
  ~OverlayCompositor();
  OverlayCompositor(const OverlayCompositor&) = delete;
  OverlayCompositor& operator=(const OverlayCompositor&) = delete;

  // Sets or replaces overlay `id`: width × height pixels in Cairo's ARGB32 layout (premultiplied,
  // B, G, R, A bytes in memory, rows top-down, `stride` bytes apart), its top-left corner at
  // (x, y) pixels from the drawable's top-left, drawn with opacity `alpha`. The pixels are copied.
  void setOverlay(OverlayId id, const uint8_t* pixels, int width, int height, int stride, int x, int y, float alpha);
  void moveOverlay(OverlayId id, int x, int y);
  void setOverlayAlpha(OverlayId id, float alpha);
  void removeOverlay(OverlayId id);
  bool hasOverlay(OverlayId id) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return overlays_.count(id) != 0;
  }
  bool empty() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return overlays_.empty();
  }
  // Draws the overlays, in the order of their ids, over the current draw buffer of the current
  // context, whose drawable is width × height pixels.
  void draw(int drawableWidth, int drawableHeight);
  // Frees the textures; the context must be current (its owner calls this before it goes).
  void releaseTextures();

 private:
  struct Overlay {
    std::vector<uint8_t> pixels;  // tightly packed rows
    int width = 0, height = 0;
    int x = 0, y = 0;
    float alpha = 1;
    GLuint texture = 0;
    bool stale = true;  // pixels changed since the texture was filled
  };
  const GLFunctions& gl_;
  // The overlays are set on the main thread and may be drawn on a render thread.
  mutable std::mutex mutex_;
  std::map<OverlayId, Overlay> overlays_;
  std::vector<GLuint> unused_;  // textures of removed overlays, freed at the next draw
};

}  // namespace platform::gl
