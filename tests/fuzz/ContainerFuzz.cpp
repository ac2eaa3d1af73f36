#include "ContainerFuzz.h"

#include "DirectFuzz.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/foundation/Log.h"
#include "platform/media/Movie.h"
#include "platform/media/TagMapping.h"
#include "platform/media/id3/Id3Reader.h"
#include "platform/media/isobmff/MovieReader.h"
#include "platform/media/isobmff/VideoTrackReader.h"

namespace fuzz {

void (*investigateHook)(const platform::media::Movie&) = nullptr;

namespace {

void dropLine(const std::string&, void*) {}

// The readers take a file: hand them the input as an anonymous in-memory file.
class MemoryFile {
 public:
  MemoryFile(const uint8_t* data, size_t size) {
    fd_ = memfd_create("fuzz-input", MFD_CLOEXEC);
    if (fd_ < 0) return;
    size_t done = 0;
    while (done < size) {
      ssize_t n = ::write(fd_, data + done, size - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~MemoryFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  const std::string& path() const { return path_; }
  bool ok() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  std::string path_;
};

// Walks what the investigator reads through the low-level calls: every metadata item property,
// every user data text, and each track's chapter samples.
void walkMovie(const platform::media::Movie& movie) {
  using namespace platform::media;
  QTMetaDataRef meta;
  if (QTCopyMovieMetaData(movie, &meta) == noErr) {
    QTMetaDataItem item = kQTMetaDataItemUninitialized;
    while (QTMetaDataGetNextItem(meta, 0, item, 0, nullptr, 0, &item) == noErr) {
      for (QTPropertyID id : {kQTMetaDataItemPropertyID_Key, kQTMetaDataItemPropertyID_Value,
                              kQTMetaDataItemPropertyID_DataType}) {
        size_t size = 0;
        if (QTMetaDataGetItemPropertyInfo(meta, item, kPropertyClass_MetaDataItem, id, nullptr, &size, nullptr) != noErr)
          continue;
        std::vector<uint8_t> buffer(size);
        (void)QTMetaDataGetItemProperty(meta, item, kPropertyClass_MetaDataItem, id, size, buffer.data(), nullptr);
      }
    }
    QTMetaDataRelease(meta);
  }
  if (UserData ud = GetMovieUserData(movie)) {
    for (OSType t = GetNextUserDataType(ud, 0); t != 0; t = GetNextUserDataType(ud, t)) {
      std::string text;
      for (long i = 1; i <= CountUserDataType(ud, t); ++i) (void)GetUserDataText(ud, &text, t, i, 0);
    }
  }
  for (long i = 1; i <= GetMovieTrackCount(movie); ++i) {
    Track chapters = GetTrackReference(movie, GetMovieIndTrack(movie, i), kTrackReferenceChapterList, 1);
    int64_t t = -1;
    GetTrackNextInterestingTime(chapters, nextTimeMediaSample | nextTimeEdgeOK, 0, fixed1, &t, nullptr);
    for (int n = 0; t >= 0 && n < 1000; ++n) {
      std::vector<uint8_t> sample;
      (void)GetMediaSample(GetTrackMedia(chapters), &sample, 0, nullptr, TrackTimeToMediaTime(t, chapters), nullptr,
                           nullptr);
      int64_t next = -1;
      GetTrackNextInterestingTime(chapters, nextTimeMediaSample, t, fixed1, &next, nullptr);
      if (next <= t) break;
      t = next;
    }
  }
}

void investigate(const platform::media::Movie& movie) {
  walkMovie(movie);
  if (investigateHook) investigateHook(movie);
}

}  // namespace

void initialise() {
  platform::setLogSink(dropLine, nullptr);
}

int runContainerInput(const uint8_t* data, size_t size) {
  using namespace platform::media;
  (void)id3::parseTag(data, size);
  runDirectInput(DirectReader::Any, data, size);
  MemoryFile memory(data, size);
  if (!memory.ok()) return 0;
  isobmff::FileReader file(memory.path());
  if (!file.isOpen()) return 0;

  if (isobmff::sniffFile(file) == isobmff::Sniff::Movie) {
    MovieDescription description;
    if (isobmff::readMovie(file, description) == noErr) investigate(Movie(memory.path(), std::move(description), true));
    // The picture track's layout, as the poster decoder reads it; every sample it lays out
    // must lie inside the file.
    if (auto track = isobmff::readVideoSampleTrack(file)) {
      for (const VideoSample& s : track->samples)
        if (s.offset > size || s.size > size - s.offset) std::abort();
    }
  }
  if (auto tag = id3::readTag(file)) {
    MovieDescription description;
    description.timeScale = 1000;
    description.duration = 1000;
    addId3Tag(*tag, description);
    investigate(Movie(memory.path(), std::move(description), true));
  }
  return 0;
}

}  // namespace fuzz
