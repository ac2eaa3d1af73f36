// Chapter list of a movie, read from its chapter text track.
#include "XMHQTFileInvestigator.h"
#include "platform/foundation/Text.h"
#include "platform/media/Movie.h"
#include "platform/media/TextEncoding.h"

using namespace platform::media;

namespace {

// More chapter samples than this is not a chapter track.
constexpr size_t kMaxChapters = 100000;

// The first enabled track's first "chap" reference.
Track chapterTrackOf(const Movie& movie) {
  long count = GetMovieTrackCount(movie);
  for (long i = 1; i <= count; ++i) {
    Track track = GetMovieIndTrack(movie, i);
    if (!GetTrackEnabled(track)) continue;
    if (Track target = GetTrackReference(movie, track, kTrackReferenceChapterList, 1)) return target;
  }
  return nullptr;
}

// A text sample: 16-bit big-endian length, then the title. UTF-8; a title that starts with a
// UTF-16 byte-order mark is UTF-16. nullopt when the sample can't be read or decoded.
std::optional<std::string> chapterTitle(Track chapterTrack, int64_t trackTime) {
  int64_t mediaTime = TrackTimeToMediaTime(trackTime, chapterTrack);
  if (mediaTime < 0) return std::nullopt;
  std::vector<uint8_t> sample;
  long size = 0;
  if (GetMediaSample(GetTrackMedia(chapterTrack), &sample, 0, &size, mediaTime, nullptr, nullptr) != noErr ||
      sample.size() < 2)
    return std::nullopt;
  size_t n = std::min<size_t>((size_t(sample[0]) << 8) | sample[1], sample.size() - 2);
  const uint8_t* text = sample.data() + 2;
  if (n >= 2 && ((text[0] == 0xFE && text[1] == 0xFF) || (text[0] == 0xFF && text[1] == 0xFE)))
    return utf16ToUtf8(text + 2, n - 2, text[0] == 0xFE);
  std::string title(reinterpret_cast<const char*>(text), n);
  if (!platform::isValidUtf8(title) || title.find('\0') != std::string::npos) return std::nullopt;
  return title;
}

}  // namespace

XMHQTFileInvestigator::PlistArray XMHQTFileInvestigator::chaptersInMovie(const Movie& movie) {
  PlistArray chapters;
  const int64_t duration = GetMovieDuration(movie);
  const int32_t timeScale = GetMovieTimeScale(movie);

  Track chapterTrack = chapterTrackOf(movie);
  if (!chapterTrack) return chapters;

  std::vector<int64_t> times;
  int64_t t = -1;
  GetTrackNextInterestingTime(chapterTrack, nextTimeMediaSample | nextTimeEdgeOK, 0, fixed1, &t, nullptr);
  while (t >= 0 && times.size() < kMaxChapters) {
    times.push_back(t);
    int64_t next = -1;
    GetTrackNextInterestingTime(chapterTrack, nextTimeMediaSample, t, fixed1, &next, nullptr);
    if (next <= t) break;
    t = next;
  }
  if (times.empty()) return chapters;

  const float length = timeScale > 0 ? static_cast<float>(duration) / static_cast<float>(timeScale) : 0.0f;
  for (int64_t time : times) {
    // A movie without length has no fractions of it: every chapter then starts at 0.
    float start = 0.0f;
    if (timeScale > 0 && length > 0.0f)
      start = static_cast<float>(time) / static_cast<float>(timeScale) / length;
    platform::PlistDictionary chapter;
    chapter.set("QTMovieChapterName", chapterTitle(chapterTrack, time).value_or("No Name"));
    chapter.set("QTMovieChapterStartTime", start);
    chapters.push_back(std::move(chapter));
  }
  return chapters;
}

XMHQTFileInvestigator::PlistArray XMHQTFileInvestigator::chaptersInQTMovie(const QTMoviePtr& movie) {
  if (!movie || !movie->quickTimeMovie()) return {};
  return chaptersInMovie(*movie->quickTimeMovie());
}
