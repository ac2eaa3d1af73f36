#include "DirectReaders.h"

#include <sys/stat.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <optional>

#include "Readers.h"
#include "platform/media/MediaTypes.h"
#include "platform/media/id3/Id3Reader.h"

namespace platform::media {
namespace direct {

uint16_t be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
uint32_t be24(const uint8_t* p) { return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]; }
uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | be24(p + 1); }
uint64_t be64(const uint8_t* p) { return uint64_t(be32(p)) << 32 | be32(p + 4); }
uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint64_t le64(const uint8_t* p) { return uint64_t(le32(p)) | uint64_t(le32(p + 4)) << 32; }

std::string textUpToZero(const uint8_t* p, size_t n) {
  if (n == 0) return {};
  const void* zero = std::memchr(p, 0, n);
  return std::string(reinterpret_cast<const char*>(p), zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - p) : n);
}

int64_t rescale(int64_t a, int64_t b, int64_t c) {
  __int128 r = (static_cast<__int128>(a) * b + c / 2) / c;
  return r > INT64_MAX ? INT64_MAX : static_cast<int64_t>(r);
}

bool skipId3v2Tags(const FileReader& file, uint64_t& offset) {
  for (int n = 0; n < 64; ++n) {
    uint8_t h[10];
    if (!file.read(offset, h, 10) || std::memcmp(h, "ID3", 3) != 0 || h[3] == 0xff || h[4] == 0xff ||
        ((h[6] | h[7] | h[8] | h[9]) & 0x80))
      return true;
    uint64_t size = (uint64_t(h[6]) << 21) | (uint64_t(h[7]) << 14) | (uint64_t(h[8]) << 7) | h[9];
    uint64_t next = offset + 10 + size + ((h[5] & 0x10) ? 10 : 0);
    if (next > file.size()) return false;
    offset = next;
  }
  return false;
}

void describeAudioFile(MovieDescription& out, const char* formatName, int64_t durationMicroseconds,
                       uint32_t streamTimeScale, const FFmpegDictionary& tags, std::vector<ChapterDescription> chapters) {
  out = MovieDescription();
  out.family = ContainerFamily::FFmpeg;
  out.formatName = formatName;
  out.timeScale = 1000000;
  out.duration = durationMicroseconds;
  TrackDescription t;
  t.trackID = 1;
  t.streamIndex = 0;
  t.mediaType = QTMediaTypeSound;
  t.mediaTimeScale = streamTimeScale;
  t.duration = durationMicroseconds;
  out.tracks.push_back(std::move(t));
  out.containerTags = tags.entries();
  out.containerChapters = std::move(chapters);
}

}  // namespace direct

namespace {

std::atomic<bool> gEnabled{true};

enum class Kind { None, Flac, Mp3, Wav, Aiff, Ogg, Matroska };

Kind kindOf(const isobmff::FileReader& file, uint64_t& start) {
  uint8_t h[12] = {};
  if (!file.read(0, h, std::min<uint64_t>(12, file.size()))) return Kind::None;
  if (std::memcmp(h, "OggS", 4) == 0) return Kind::Ogg;
  if (std::memcmp(h, "RIFF", 4) == 0 && std::memcmp(h + 8, "WAVE", 4) == 0) return Kind::Wav;
  if (std::memcmp(h, "FORM", 4) == 0 && (std::memcmp(h + 8, "AIFF", 4) == 0 || std::memcmp(h + 8, "AIFC", 4) == 0))
    return Kind::Aiff;
  if (direct::be32(h) == 0x1A45DFA3) return Kind::Matroska;
  start = 0;
  if (!direct::skipId3v2Tags(file, start)) return Kind::None;
  uint8_t m[4];
  if (!file.read(start, m, 4)) return Kind::None;
  if (std::memcmp(m, "fLaC", 4) == 0) return Kind::Flac;
  if (m[0] == 0xff && (m[1] & 0xe0) == 0xe0) return Kind::Mp3;
  return Kind::None;
}

struct Identity {
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  struct timespec modified {};
  bool operator==(const Identity& o) const {
    return path == o.path && device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
  }
};

std::optional<Identity> identityOf(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return Identity{path, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

struct LastResult {
  std::mutex mutex;
  std::optional<Identity> identity;
  DirectRead result = DirectRead::NotRecognised;
  MovieDescription description;
};

LastResult& lastResult() {
  static LastResult last;
  return last;
}

}  // namespace

void setDirectReadersEnabled(bool enabled) {
  gEnabled = enabled;
  direct::forgetLastRead();
}

void direct::forgetLastRead() {
  LastResult& last = lastResult();
  std::lock_guard<std::mutex> lock(last.mutex);
  last.identity.reset();
  last.description = MovieDescription();
}
bool directReadersEnabled() { return gEnabled; }

DirectRead readDirectly(const isobmff::FileReader& file, MovieDescription& out) {
  if (!gEnabled || !file.isOpen()) return DirectRead::NotRecognised;
  std::optional<Identity> identity = identityOf(file.path());
  LastResult& last = lastResult();
  {
    std::lock_guard<std::mutex> lock(last.mutex);
    if (identity && last.identity == identity) {
      if (last.result == DirectRead::Read) out = last.description;
      return last.result;
    }
  }
  uint64_t start = 0;
  MovieDescription description;
  DirectRead result = DirectRead::NotRecognised;
  switch (kindOf(file, start)) {
    case Kind::None: break;
    case Kind::Flac: result = direct::readFlac(file, start, description); break;
    case Kind::Mp3: result = direct::readMp3(file, start, description); break;
    case Kind::Wav: result = direct::readWav(file, description); break;
    case Kind::Aiff: result = direct::readAiff(file, description); break;
    case Kind::Ogg: result = direct::readOgg(file, description); break;
    case Kind::Matroska: result = direct::readMatroska(file, description); break;
  }
  if (result == DirectRead::Read) out = description;
  std::lock_guard<std::mutex> lock(last.mutex);
  last.identity = identity;
  last.result = result;
  last.description = std::move(description);
  return result;
}

}  // namespace platform::media
