#include "XACImageWriter.h"

#include <cmath>
#include <cstdio>

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/graphics/ImageScaling.h"

using platform::graphics::Image;

std::optional<Image> XACImageWriter::scaledImageFromData(const std::optional<ImageData>& data) {
  if (!data) return std::nullopt;
  std::optional<Image> decoded;
  const Image* source = std::get_if<Image>(&*data);
  if (!source) {
    decoded = platform::graphics::decodeImage(std::get<std::string>(*data));
    if (!decoded) return std::nullopt;
    source = &*decoded;
  }
  const double w = source->width(), h = source->height();
  if (w < 1 || h < 1) return std::nullopt;
  const double m = std::max(w, h);

  // Black square, the picture drawn scaled into it. The rectangle is placed as the platform
  // places it, from the bottom-left corner; the bitmap's rows run from the top.
  Image poster(kPosterSize, kPosterSize, {0, 0, 0, 255}, false);
  const double scale = kPosterSize / m;
  const double dw = w * scale, dh = h * scale;
  const double x = std::floor((kPosterSize - dw) * 0.5);
  const double y = std::floor((kPosterSize - dh) * 0.5);
  platform::graphics::drawImage(poster, *source, {x, kPosterSize - y - dh, dw, dh});
  poster.setHasAlpha(false);
  return poster;
}

std::optional<std::string> XACImageWriter::scaledImageDataFromData(const std::optional<ImageData>& data) {
  if (!data) return std::nullopt;
  std::optional<Image> scaled = scaledImageFromData(data);
  if (!scaled) return std::nullopt;
  platform::graphics::JPEGOptions options;
  options.compressionFactor = 0.9f;
  options.progressive = false;
  return platform::graphics::encodeJPEG(*scaled, options);
}

namespace {
bool writePlainly(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  return ok;
}
}  // namespace

bool XACImageWriter::dataWriteToFileAtomically(const std::optional<ImageData>& data, const std::string& path,
                                               bool atomically) {
  std::optional<std::string> jpeg = scaledImageDataFromData(data);
  if (!jpeg) {
    platform::log("XACImageWriter: Error: Couldn't create create scaled image from supplied data");
    return false;
  }
  return atomically ? platform::writeFileAtomically(path, *jpeg) : writePlainly(path, *jpeg);
}

bool XACImageWriter::dataWriteToFile(const std::optional<ImageData>& data, const std::string& path) {
  return dataWriteToFileAtomically(data, path, true);
}
