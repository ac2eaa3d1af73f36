#pragma once
// Scales an image into the 512 x 512 letterboxed poster and writes it as JPEG.
#include <optional>
#include <string>
#include <variant>

#include "platform/graphics/Image.h"

class XACImageWriter {
 public:
  using Image = platform::graphics::Image;
  // Image data: encoded bytes (PNG or JPEG), or a bitmap handed over as it is.
  using ImageData = std::variant<std::string, Image>;

  static constexpr int kPosterSize = 512;

  // The image fitted into the square (longer side 512, centred, black bands); nullopt for null
  // or undecodable data.
  std::optional<Image> scaledImageFromData(const std::optional<ImageData>& data);
  // JPEG (compression factor 0.9, baseline) of the scaled image; nullopt when there is none.
  std::optional<std::string> scaledImageDataFromData(const std::optional<ImageData>& data);
  bool dataWriteToFileAtomically(const std::optional<ImageData>& data, const std::string& path, bool atomically);
  bool dataWriteToFile(const std::optional<ImageData>& data, const std::string& path);
};
