#pragma once
// Off-screen OpenGL context on Mesa (OSMesa, compatibility profile) for tests and off-screen
// rendering. The colour buffer is RGBA, 8 bits a channel, rows bottom-up as OpenGL reads them.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gl/GLContext.h"

namespace platform::gl {

class HeadlessGLContext : public GLContext {
 public:
  // A context of the given size; valid() tells whether Mesa gave one (errors are logged).
  HeadlessGLContext(int width, int height);
  ~HeadlessGLContext() override;
  HeadlessGLContext(const HeadlessGLContext&) = delete;
  HeadlessGLContext& operator=(const HeadlessGLContext&) = delete;

  bool valid() const override { return context_ != nullptr; }
  // Binds the context and its buffer to the calling thread; false when that fails.
  bool makeCurrent() override;
  // Waits for rendering to finish (glFinish).
  void finish();
  void flushBuffer() override { finish(); }
  PixelFormat pixelFormat() const override;
  void* procAddress(const char* name) const override;

  int width() const override { return width_; }
  int height() const override { return height_; }
  // The colour buffer after finish(): width × height RGBA pixels, bottom row first.
  const std::vector<std::uint8_t>& pixels() const { return buffer_; }
  // One pixel (x from the left, y from the bottom) as 0xRRGGBBAA.
  std::uint32_t pixel(int x, int y) const;
  // The buffer with its rows top-down, as image files store them.
  std::vector<std::uint8_t> topDownPixels() const;

  // "4.5 (Compatibility Profile) Mesa ..." and the renderer's name, once current.
  static std::string versionString();
  static std::string rendererString();

 private:
  struct MesaContext;
  int width_;
  int height_;
  std::vector<std::uint8_t> buffer_;
  MesaContext* context_ = nullptr;  // OSMesaContext, owned
};

}  // namespace platform::gl
