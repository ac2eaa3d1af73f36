#include "platform/graphics/ImageCodec.h"

#include "platform/foundation/AtomicFile.h"

namespace platform::graphics {

ImageFormat sniffImageFormat(std::string_view bytes) {
  static constexpr unsigned char png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (bytes.size() >= 8 && std::equal(png, png + 8, reinterpret_cast<const unsigned char*>(bytes.data())))
    return ImageFormat::PNG;
  if (bytes.size() >= 3 && uint8_t(bytes[0]) == 0xff && uint8_t(bytes[1]) == 0xd8 && uint8_t(bytes[2]) == 0xff)
    return ImageFormat::JPEG;
  return ImageFormat::Unknown;
}

std::optional<Image> decodeImage(std::string_view bytes) {
  switch (sniffImageFormat(bytes)) {
    case ImageFormat::PNG: return decodePNG(bytes);
    case ImageFormat::JPEG: return decodeJPEG(bytes);
    case ImageFormat::Unknown: break;
  }
  return std::nullopt;
}

std::optional<Image> readImageFile(const std::string& path) {
  // Compressed images larger than this are not accepted.
  auto bytes = platform::readWholeFile(path, size_t(256) << 20);
  if (!bytes) return std::nullopt;
  return decodeImage(*bytes);
}

bool writePNGFile(const Image& image, const std::string& path) {
  auto bytes = encodePNG(image);
  return bytes && platform::writeFileAtomically(path, *bytes);
}

bool writeJPEGFile(const Image& image, const std::string& path, const JPEGOptions& options) {
  auto bytes = encodeJPEG(image, options);
  return bytes && platform::writeFileAtomically(path, *bytes);
}

}  // namespace platform::graphics
