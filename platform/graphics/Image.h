#pragma once
// Bitmap image: 8-bit RGBA, straight (not premultiplied) alpha, rows top-down and tightly packed.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

struct RGBA8 {
  uint8_t r = 0, g = 0, b = 0, a = 0;
  friend bool operator==(const RGBA8&, const RGBA8&) = default;
};

class Image {
 public:
  Image() = default;
  // A width x height image filled with the given pixel (transparent black by default).
  Image(int width, int height, RGBA8 fill = {}, bool hasAlpha = true);
  // Takes over width * height * 4 bytes of pixels laid out as row() describes; an empty image
  // when the size is not acceptable or the byte count does not match it.
  static Image adoptingPixels(int width, int height, std::vector<uint8_t>&& pixels, bool hasAlpha);

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ <= 0 || height_ <= 0; }
  // Whether the alpha channel carries information (an opaque JPEG has none: every alpha is 255).
  bool hasAlpha() const { return hasAlpha_; }
  void setHasAlpha(bool hasAlpha) { hasAlpha_ = hasAlpha; }
  // 4 with alpha, 3 without (as a bitmap of the image would hold).
  int samplesPerPixel() const { return hasAlpha_ ? 4 : 3; }
  size_t bytesPerRow() const { return size_t(width_) * 4; }

  // Row y (0 = top), width() pixels of 4 bytes r, g, b, a.
  uint8_t* row(int y) { return data_.data() + size_t(y) * bytesPerRow(); }
  const uint8_t* row(int y) const { return data_.data() + size_t(y) * bytesPerRow(); }
  uint8_t* data() { return data_.data(); }
  const uint8_t* data() const { return data_.data(); }
  size_t byteCount() const { return data_.size(); }

  RGBA8 pixel(int x, int y) const;
  void setPixel(int x, int y, RGBA8 p);
  void fill(RGBA8 p);

  // Largest dimension and pixel count accepted from decoders and constructors.
  static constexpr int kMaxDimension = 1 << 15;
  static constexpr int64_t kMaxPixels = int64_t(1) << 27;
  static bool sizeIsAcceptable(int64_t width, int64_t height);

 private:
  int width_ = 0;
  int height_ = 0;
  bool hasAlpha_ = true;
  std::vector<uint8_t> data_;
};

// The graphics layer first lived in platform::graphics; the old name still reaches it.
namespace graphics = ::platform;

}  // namespace platform
