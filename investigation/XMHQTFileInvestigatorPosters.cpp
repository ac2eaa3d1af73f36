// Poster images of a movie and the brightness test of the smart poster.
#include <cmath>

#include "XMHQTFileInvestigator.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/ImageScaling.h"

using platform::media::QTTime;
using Image = XMHQTFileInvestigator::Image;

std::optional<Image> XMHQTFileInvestigator::posterImageForMovie(const QTMoviePtr& movie) {
  if (!movie) return std::nullopt;
  return movie->posterImage();
}

namespace {

// floor(value × fraction) in single precision, as the time of a frame within the duration.
QTTime fractionOfDuration(const QTTime& duration, float fraction) {
  float t = std::floor(static_cast<float>(duration.timeValue) * fraction);
  QTTime time = duration;
  time.timeValue = std::isfinite(t) ? static_cast<int64_t>(t) : 0;
  return time;
}

}  // namespace

std::optional<Image> XMHQTFileInvestigator::posterImageForMovie(const QTMoviePtr& movie, float timeFraction) {
  std::optional<Image> image;
  if (movie) image = movie->frameImageAtTime(fractionOfDuration(movie->duration(), timeFraction));
  if (image) return image;
  platform::log("frameImageAtTime returned nothing!");
  return posterImageForMovie(movie);
}

std::optional<Image> XMHQTFileInvestigator::smartPosterImageForMovie(const QTMoviePtr& movie) {
  if (!movie) return std::nullopt;
  std::optional<Image> poster = movie->posterImage();
  if (checkImage(poster)) return poster;
  const QTTime duration = movie->duration();
  std::optional<Image> frame;
  for (int i = 1; i <= 10; ++i) {
    frame = movie->frameImageAtTime(fractionOfDuration(duration, static_cast<float>(i) * 0.1f));
    if (checkImage(frame)) return frame;
  }
  return frame ? frame : poster;
}

std::optional<Image> XMHQTFileInvestigator::posterImageForFileNamed(const std::string& path) {
  QTMoviePtr movie = newQTMovieFromPropertiesWithPath(path);
  if (!movie) return std::nullopt;
  return posterImageForMovie(movie);
}

std::optional<Image> XMHQTFileInvestigator::posterImageForFileNamed(const std::string& path, float timeFraction) {
  QTMoviePtr movie = newQTMovieFromPropertiesWithPath(path);
  if (!movie) return std::nullopt;
  return posterImageForMovie(movie, timeFraction);
}

std::optional<Image> XMHQTFileInvestigator::smartPosterImageForFileNamed(const std::string& path) {
  QTMoviePtr movie = newQTMovieFromPropertiesWithPath(path);
  if (!movie) return std::nullopt;
  return smartPosterImageForMovie(movie);
}

double XMHQTFileInvestigator::meanBrightnessOfBitmap(const uint8_t* samples, int samplesPerPixel) {
  if (!samples || samplesPerPixel < 1) return 0;
  const int colour = samplesPerPixel > 1 ? samplesPerPixel - 1 : 1;
  long total = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const uint8_t* p = samples + (y * 10 + x) * samplesPerPixel;
      long sum = 0;
      for (int s = 0; s < colour; ++s) sum += p[s];
      total += sum / colour;
    }
  return static_cast<double>(total) / 100.0;
}

bool XMHQTFileInvestigator::checkImage(const std::optional<Image>& image) {
  if (!image || image->width() < 1 || image->height() < 1) {
    platform::log("error: checkImage: size is less than 1");
    return false;
  }
  // A 10 x 10 bitmap with alpha, the image drawn over it at that size.
  Image bitmap(10, 10, {0, 0, 0, 0}, true);
  platform::graphics::drawImage(bitmap, *image, {0, 0, 10, 10});
  return meanBrightnessOfBitmap(bitmap.data(), bitmap.samplesPerPixel()) >= 50.0;
}
