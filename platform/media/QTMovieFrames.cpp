// Pictures of a movie object: frames at movie times, the poster, natural size and the video test.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/media/QTMovie.h"
#include "platform/media/QTMovieShared.h"
#include "platform/media/isobmff/MovieReader.h"
#include "platform/media/isobmff/PosterTime.h"
#include "platform/media/isobmff/VideoTrackReader.h"

namespace platform::media {

namespace {

bool isPictureMediaType(const std::string& type) {
  for (const std::string* t : {&QTMediaTypeVideo, &QTMediaTypeMPEG, &QTMediaTypeFlash, &QTMediaTypeMovie,
                               &QTMediaType3D, &QTMediaTypeQTVR, &QTMediaTypeStream, &QTMediaTypeMuxed})
    if (type == *t) return true;
  return false;
}

}  // namespace

bool hasPictureTrack(const Movie& movie) {
  for (const TrackDescription& t : movie.description().tracks)
    if (t.enabled && isPictureMediaType(t.mediaType)) return true;
  return false;
}

// QuickTime-family tracks in a plain layout are decoded from their sample tables without a
// demuxer; everything else goes through libavformat.
FrameSource* QTMovie::Shared::frameSource(const Movie& movie) {
  if (!sourceTried) {
    sourceTried = true;
    if (!hasPictureTrack(movie)) return nullptr;
    if (movie.description().family == ContainerFamily::QuickTime) {
      isobmff::FileReader file(movie.path());
      if (auto track = isobmff::readVideoSampleTrack(file)) {
        if (CodecModule* codecs = codecModule()) source = codecs->openSampleTrack(*track);
      } else if (!isobmff::sampleCountsFitFile(file)) {
        return nullptr;  // tables that would make the demuxer index millions of samples that aren't there
      }
    }
    if (!source)
      if (FFmpegModule* ffmpeg = ffmpegModule()) source = ffmpeg->openFrameSource(movie.path());
  }
  return source.get();
}

QTSize QTMovie::naturalSize() {
  if (!hasPictureTrack(*movie_)) return {};
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (FrameSource* source = shared_->frameSource(*movie_))
      return {double(source->displayWidth()), double(source->displayHeight())};
  }
  // Not decodable: the largest track's presentation size.
  QTSize size;
  for (const TrackDescription& t : movie_->description().tracks)
    if (t.enabled && t.width * t.height > size.width * size.height) size = {t.width, t.height};
  return size;
}

bool QTMovie::hasVideo() { return hasPictureTrack(*movie_); }

std::optional<platform::graphics::Image> QTMovie::frameImageAtSeconds(double seconds, QTSize fit) {
  RGBAFrame frame;
  // Boxes beyond any picture size mean no shrinking; NaN fails the comparisons and means the same.
  const auto boxSide = [](double v) { return v >= 1 && v < 1 << 20 ? static_cast<int>(v) : 0; };
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    FrameSource* source = shared_->frameSource(*movie_);
    if (!source || !source->frameAtTime(seconds, frame, boxSide(fit.width), boxSide(fit.height))) return std::nullopt;
  }
  auto image = platform::graphics::Image::adoptingPixels(frame.width, frame.height, std::move(frame.pixels), false);
  if (image.empty()) return std::nullopt;
  return image;
}

std::optional<platform::graphics::Image> QTMovie::frameImageAtTime(QTTime time) {
  return frameImageAtTime(time, QTFrameImageAttributes{});
}

std::optional<platform::graphics::Image> QTMovie::frameImageAtTime(QTTime time,
                                                                   const QTFrameImageAttributes& attributes) {
  if (time.timeScale <= 0 || (time.flags & kQTTimeIsIndefinite)) return std::nullopt;
  return frameImageAtSeconds(double(time.timeValue) / time.timeScale, attributes.size);
}

QTTime QTMovie::posterTime() const {
  QTTime t{0, GetMovieTimeScale(*movie_), 0};
  if (movie_->description().family == ContainerFamily::QuickTime) {
    isobmff::FileReader file(movie_->path());
    if (auto poster = isobmff::readPosterTime(file)) t.timeValue = *poster;
  }
  return t;
}

std::optional<platform::graphics::Image> QTMovie::posterImage() {
  QTTime t = posterTime();
  if (t.timeScale <= 0) return frameImageAtSeconds(0);
  return frameImageAtTime(t);
}

}  // namespace platform::media
