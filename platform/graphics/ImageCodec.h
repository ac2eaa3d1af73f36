#pragma once
// Decoding and encoding of PNG and JPEG. Decoders never trust their input: a damaged, truncated
// or oversized file gives nullopt (no output, no message; callers log what their operation needs).
#include <optional>
#include <string>
#include <string_view>

#include "platform/graphics/Image.h"

namespace platform::graphics {

enum class ImageFormat { Unknown, PNG, JPEG };

// Format by signature.
ImageFormat sniffImageFormat(std::string_view bytes);

// Any supported format, chosen by signature.
std::optional<Image> decodeImage(std::string_view bytes);
std::optional<Image> decodePNG(std::string_view bytes);
std::optional<Image> decodeJPEG(std::string_view bytes);
// Reads a file whole and decodes it.
std::optional<Image> readImageFile(const std::string& path);

// PNG, 8 bits per sample; RGBA when the image has alpha, RGB otherwise.
std::optional<std::string> encodePNG(const Image& image);

struct JPEGOptions {
  // Compression factor 0..1 as the platform takes it; the encoder's quality is the factor x 100
  // rounded (0.9 gives 90).
  float compressionFactor = 0.9f;
  bool progressive = false;
};
// JPEG, 4:2:0, alpha dropped (pixels are written as they are, not composited).
std::optional<std::string> encodeJPEG(const Image& image, const JPEGOptions& options = {});
int jpegQualityForCompressionFactor(float factor);

// Encodes and writes atomically; false on any failure, leaving the destination untouched.
bool writePNGFile(const Image& image, const std::string& path);
bool writeJPEGFile(const Image& image, const std::string& path, const JPEGOptions& options = {});

}  // namespace platform::graphics
