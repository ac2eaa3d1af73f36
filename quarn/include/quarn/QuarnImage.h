#pragma once
// A bitmap as textures take it: 8-bit RGBA pixels with straight alpha, rows top-down and tightly
// packed (width × 4 bytes a row).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QuarnImage {
 public:
  // An empty image (no pixels).
  QuarnImage() = default;
  // width × height transparent black pixels; an empty image when a side is not positive or the
  // image would be too large (more than 32768 a side or 2^27 pixels).
  QuarnImage(int width, int height, bool hasAlpha = true);

  // The decoded PNG or JPEG file, or null with one log line ("QuarnImage: cannot read '%s'").
  static std::shared_ptr<QuarnImage> imageWithContentsOfFile(const std::string& path);

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ <= 0 || height_ <= 0; }
  // Whether the alpha channel carries information: textures are uploaded as GL_RGBA when it
  // does, as GL_RGB otherwise.
  bool hasAlpha() const { return hasAlpha_; }
  void setHasAlpha(bool flag) { hasAlpha_ = flag; }

  // Row y (0 is the top): width() pixels of r, g, b, a.
  std::uint8_t* row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_ * 4; }
  const std::uint8_t* row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_ * 4; }
  const std::vector<std::uint8_t>& pixels() const { return pixels_; }
  std::vector<std::uint8_t>& pixels() { return pixels_; }
  // Pixel (x, y) as 0xRRGGBBAA; 0 outside the image.
  std::uint32_t pixel(int x, int y) const;
  void setPixel(int x, int y, std::uint32_t rgba);

  // PNG (RGBA when the image has alpha, RGB otherwise), written atomically; false with one log
  // line when the image is empty or the file cannot be written, leaving the destination untouched.
  bool writePNGToFile(const std::string& path) const;

 private:
  int width_ = 0;
  int height_ = 0;
  bool hasAlpha_ = true;
  std::vector<std::uint8_t> pixels_;
};
