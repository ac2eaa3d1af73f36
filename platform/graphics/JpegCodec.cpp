// JPEG through libjpeg-turbo's TurboJPEG API (2.1, tj* calls).
#include <turbojpeg.h>

#include <cmath>

#include "platform/graphics/ImageCodec.h"

namespace platform::graphics {
namespace {

struct Handle {
  tjhandle h;
  explicit Handle(tjhandle handle) : h(handle) {}
  ~Handle() {
    if (h) tjDestroy(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
};

}  // namespace

int jpegQualityForCompressionFactor(float factor) {
  if (!(factor >= 0)) factor = 0;  // NaN too
  if (factor > 1) factor = 1;
  return int(std::lround(double(factor) * 100.0));
}

std::optional<Image> decodeJPEG(std::string_view bytes) {
  Handle d(tjInitDecompress());
  if (!d.h || bytes.empty()) return std::nullopt;
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
  if (tjDecompressHeader3(d.h, src, (unsigned long)bytes.size(), &width, &height, &subsampling, &colorspace) != 0)
    return std::nullopt;
  if (!Image::sizeIsAcceptable(width, height)) return std::nullopt;
  Image image(width, height, {0, 0, 0, 255}, false);
  if (colorspace == TJCS_CMYK || colorspace == TJCS_YCCK) {
    // Four-channel files: decode to CMYK and take each channel as coverage (inverted values,
    // as the usual writers store them).
    std::vector<unsigned char> cmyk(size_t(width) * height * 4);
    if (tjDecompress2(d.h, src, (unsigned long)bytes.size(), cmyk.data(), width, width * 4, height, TJPF_CMYK, 0) != 0 &&
        tjGetErrorCode(d.h) == TJERR_FATAL)
      return std::nullopt;
    uint8_t* out = image.data();
    for (size_t i = 0; i < cmyk.size(); i += 4) {
      const unsigned k = cmyk[i + 3];
      out[i] = uint8_t((cmyk[i] * k + 127) / 255);
      out[i + 1] = uint8_t((cmyk[i + 1] * k + 127) / 255);
      out[i + 2] = uint8_t((cmyk[i + 2] * k + 127) / 255);
      out[i + 3] = 255;
    }
    return image;
  }
  // A warning (for example a truncated file whose missing rows come out grey) still gives pixels;
  // only fatal errors fail the decode.
  if (tjDecompress2(d.h, src, (unsigned long)bytes.size(), image.data(), width, int(image.bytesPerRow()), height,
                    TJPF_RGBA, TJFLAG_ACCURATEDCT) != 0 &&
      tjGetErrorCode(d.h) == TJERR_FATAL)
    return std::nullopt;
  return image;
}

std::optional<std::string> encodeJPEG(const Image& image, const JPEGOptions& options) {
  if (image.empty()) return std::nullopt;
  Handle c(tjInitCompress());
  if (!c.h) return std::nullopt;
  unsigned char* out = nullptr;
  unsigned long size = 0;
  int flags = TJFLAG_ACCURATEDCT;
  if (options.progressive) flags |= TJFLAG_PROGRESSIVE;
  const int quality = jpegQualityForCompressionFactor(options.compressionFactor);
  if (tjCompress2(c.h, image.data(), image.width(), int(image.bytesPerRow()), image.height(), TJPF_RGBX, &out, &size,
                  TJSAMP_420, quality, flags) != 0) {
    tjFree(out);
    return std::nullopt;
  }
  std::string bytes(reinterpret_cast<const char*>(out), size);
  tjFree(out);
  return bytes;
}

}  // namespace platform::graphics
