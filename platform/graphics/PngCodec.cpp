// PNG through libpng: every colour type and depth in, 8-bit RGBA out; 8-bit RGB(A) written.
#include <png.h>

#include <cstring>
#include <vector>

#include "platform/graphics/ImageCodec.h"

namespace platform::graphics {

namespace {

struct Reader {
  std::string_view bytes;
  size_t offset = 0;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
  if (count > reader->bytes.size() - reader->offset) png_error(png, "truncated");
  std::memcpy(out, reader->bytes.data() + reader->offset, count);
  reader->offset += count;
}

[[noreturn]] void fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignoreWarning(png_structp, png_const_charp) {}

}  // namespace

// The classic API, so that 16-bit samples are reduced as they are (the simplified API takes
// 16-bit files without a gamma chunk as linear light and re-encodes them, brightening them).
std::optional<Image> decodePNG(std::string_view bytes) {
  if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0)
    return std::nullopt;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, ignoreWarning);
  if (!png) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return std::nullopt;
  }
  Reader reader{bytes};
  // Declared before setjmp so that a longjmp leaves them in a known state.
  std::optional<Image> result;
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return std::nullopt;
  }
  png_set_read_fn(png, &reader, readFromMemory);
  png_set_user_limits(png, Image::kMaxDimension, Image::kMaxDimension);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  if (!Image::sizeIsAcceptable(width, height)) png_error(png, "too large");
  const int colorType = png_get_color_type(png, info);
  const bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
  png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, tRNS to alpha
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t(width) * 4) png_error(png, "unexpected layout");
  result.emplace(int(width), int(height), RGBA8{0, 0, 0, 255}, alpha);
  rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = result->row(int(y));
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return result;
}

std::optional<std::string> encodePNG(const Image& image) {
  if (image.empty()) return std::nullopt;
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = png_uint_32(image.width());
  png.height = png_uint_32(image.height());
  const void* pixels = image.data();
  png_int_32 stride = png_int_32(image.bytesPerRow());
  std::vector<uint8_t> rgb;
  if (image.hasAlpha()) {
    png.format = PNG_FORMAT_RGBA;
  } else {
    png.format = PNG_FORMAT_RGB;
    rgb.resize(size_t(image.width()) * image.height() * 3);
    const uint8_t* s = image.data();
    for (size_t i = 0, n = size_t(image.width()) * image.height(); i < n; ++i) {
      rgb[i * 3] = s[i * 4];
      rgb[i * 3 + 1] = s[i * 4 + 1];
      rgb[i * 3 + 2] = s[i * 4 + 2];
    }
    pixels = rgb.data();
    stride = png_int_32(image.width() * 3);
  }
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(png, size, 0, pixels, stride, nullptr)) return std::nullopt;
  std::string out(size, '\0');
  if (!png_image_write_to_memory(&png, out.data(), &size, 0, pixels, stride, nullptr)) return std::nullopt;
  out.resize(size);
  return out;
}

}  // namespace platform::graphics
