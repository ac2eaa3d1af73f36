#include "QTMovie.h"

#include <algorithm>
#include <set>

#include "platform/media/direct/DirectReaders.h"
#include "platform/media/ffmpeg/FFmpegModule.h"
#include "platform/media/isobmff/MovieReader.h"

namespace platform::media {

bool QTMovie::canInitWithFile(const std::string& path) {
  if (path.empty()) return false;
  isobmff::FileReader file(path);
  if (!file.isOpen() || file.size() == 0) return false;
  switch (isobmff::sniffFile(file)) {
    case isobmff::Sniff::Movie:
      return true;
    case isobmff::Sniff::Image:
      return false;
    case isobmff::Sniff::NotIsoBmff:
      break;
  }
  MovieDescription description;
  if (readDirectly(file, description) == DirectRead::Read) return true;
  FFmpegModule* ffmpeg = ffmpegModule();
  return ffmpeg && ffmpeg->canOpen(path);
}

std::vector<std::string> QTMovie::movieFileTypes() {
  std::set<std::string> types = {"mov", "mp4", "m4a", "m4v", "m4b", "m4p", "3gp", "3g2", "qt", "mqv"};
  if (FFmpegModule* ffmpeg = ffmpegModule()) {
    for (auto& e : ffmpeg->fileExtensions()) types.insert(e);
  }
  return {types.begin(), types.end()};
}

// Defined with the loading code (QTMovieLoading.cpp).
std::shared_ptr<QTMovie> makeMovieObject(MoviePtr movie);

std::shared_ptr<QTMovie> QTMovie::movieWithQuickTimeMovie(MoviePtr movie, bool disposeWhenDone, std::string* error) {
  // Ownership is shared either way; disposeWhenDone only matters where ownership is manual.
  (void)disposeWhenDone;
  if (!movie) {
    if (error) *error = "no movie";
    return nullptr;
  }
  if (error) error->clear();
  return makeMovieObject(std::move(movie));
}

QTTime QTMovie::duration() const {
  return QTTime{GetMovieDuration(*movie_), GetMovieTimeScale(*movie_), 0};
}

std::vector<QTTrack> QTMovie::tracks() const {
  std::vector<QTTrack> out;
  long n = GetMovieTrackCount(*movie_);
  for (long i = 1; i <= n; ++i) out.emplace_back(movie_, i);
  return out;
}

std::vector<QTTrack> QTMovie::tracksOfMediaType(const std::string& mediaType) const {
  std::vector<QTTrack> out;
  for (const QTTrack& t : tracks())
    if (t.mediaType() == mediaType) out.push_back(t);
  return out;
}

}  // namespace platform::media
