// MPEG audio layer III: TagLib walks the frames; the length follows FFmpeg's rules (the frame
// count of a Xing, Info or VBRI header, else the file size over a constant bit rate), and the tags
// FFmpeg's demuxer reports (ID3v1 when the ID3v2 tag gives none, the LAME encoder when neither
// does) and its chapters (ID3v2 CHAP frames). Free-format, variable-rate files without a frame
// count, and anything unusual before the first frame are left to FFmpeg.
#include <taglib/id3v2framefactory.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegheader.h>

#include <cstring>
#include <vector>

#include "Readers.h"
#include "TagLibStream.h"
#include "platform/media/TextEncoding.h"
#include "platform/media/id3/Id3Genres.h"
#include "platform/media/id3/Id3Reader.h"

namespace platform::media::direct {

namespace {

constexpr int64_t kStreamTimeScale = 14112000;  // FFmpeg's: a multiple of every MPEG audio rate
constexpr int kFramesToCheck = 64;

uint16_t crc16(const uint8_t* p, size_t n) {
  uint16_t crc = 0;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int b = 0; b < 8; ++b) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}

// The VBR header of the first frame as FFmpeg reads it.
struct VbrHeader {
  uint32_t frames = 0;
  uint32_t bytes = 0;
  bool lameCrcMatches = false;
  std::string encoder;  // the LAME tag's short version string
};

bool readVbrHeader(const FileReader& file, uint64_t start, bool lsf, bool mono, VbrHeader& out) {
  uint8_t f[400] = {};
  const size_t have = static_cast<size_t>(std::min<uint64_t>(sizeof f, file.size() - start));
  if (!file.read(start, f, have)) return false;
  size_t p = 4 + (lsf ? (mono ? 9 : 17) : (mono ? 17 : 32));
  auto need = [&](size_t n) { return p + n <= have; };
  if (!need(8)) return false;
  if (std::memcmp(f + p, "Xing", 4) == 0 || std::memcmp(f + p, "Info", 4) == 0) {
    const uint32_t flags = be32(f + p + 4);
    p += 8;
    if (flags & 1) {
      if (!need(4)) return false;
      out.frames = be32(f + p), p += 4;
    }
    if (flags & 2) {
      if (!need(4)) return false;
      out.bytes = be32(f + p), p += 4;
    }
    // A header claiming far fewer bytes than follow belongs to a file that was appended to.
    const uint64_t rest = file.size() - (start + 4);
    if (rest && out.bytes) {
      const uint64_t low = std::min<uint64_t>(rest, out.bytes), delta = std::max<uint64_t>(rest, out.bytes) - low;
      if (rest > out.bytes && delta > low >> 4) out.frames = 0;
    }
    if (flags & 4) p += 100;
    if (flags & 8) p += 4;
    if (!need(9 + 27)) return false;
    out.encoder.assign(reinterpret_cast<const char*>(f + p), strnlen(reinterpret_cast<const char*>(f + p), 9));
    p += 9 + 1 + 1 + 4 + 2 + 2 + 1 + 1 + 3 + 1 + 1 + 2 + 4 + 2;
    out.lameCrcMatches = be16(f + p) == crc16(f, p);
  }
  const size_t vbri = 4 + 32;
  if (vbri + 18 <= have && std::memcmp(f + vbri, "VBRI", 4) == 0 && be16(f + vbri + 4) == 1) {
    out.bytes = be32(f + vbri + 10);
    out.frames = be32(f + vbri + 14);
    out.lameCrcMatches = false;
  }
  return true;
}

// An ID3v1 tag as FFmpeg reads it: fields up to a zero byte, trailing blanks cut.
void readId3v1(const FileReader& file, FFmpegDictionary& tags) {
  uint8_t t[128];
  if (file.size() <= 128 || !file.read(file.size() - 128, t, 128) || std::memcmp(t, "TAG", 3) != 0) return;
  auto field = [&](const char* key, size_t at, size_t length) {
    std::string s(reinterpret_cast<const char*>(t + at), strnlen(reinterpret_cast<const char*>(t + at), length));
    size_t keep = s.size();
    while (keep > 0 && s[keep - 1] == ' ') --keep;
    s.resize(keep);
    if (!s.empty()) tags.set(key, s);
  };
  field("title", 3, 30);
  field("artist", 33, 30);
  field("album", 63, 30);
  field("date", 93, 4);
  field("comment", 97, 30);
  if (t[125] == 0 && t[126] != 0) tags.set("track", std::to_string(t[126]));
  if (const char* genre = id3::genreName(t[127])) tags.set("genre", genre);
}

// Whether FFmpeg certainly makes at least one tag of the ID3v2 tag: a text frame whose first
// string it decodes to something.
bool id3GivesTags(const id3::Tag& tag) {
  for (const id3::Frame& f : tag.frames) {
    if (f.id.size() != 4 || f.id[0] != 'T' || f.id == "TXXX" || f.data.size() < 2) continue;
    size_t pos = 1;
    auto s = ffmpegId3String(f.data, pos, f.data[0]);
    if (s && !s->empty()) return true;
  }
  return false;
}

}  // namespace

DirectRead readMp3(const FileReader& file, uint64_t start, MovieDescription& out) {
  // FFmpeg reads every ID3v2 tag in a row; ours reads the first: one at most.
  uint64_t afterFirst = 0;
  if (start > 0) {
    uint8_t h[10];
    if (!file.read(0, h, 10)) return DirectRead::Declined;
    afterFirst = 10 + ((uint64_t(h[6]) << 21) | (uint64_t(h[7]) << 14) | (uint64_t(h[8]) << 7) | h[9]) +
                 ((h[5] & 0x10) ? 10 : 0);
    if (afterFirst != start) return DirectRead::Declined;
  }
  TagLibStream stream(file);
  TagLib::MPEG::File mpeg(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
  if (!mpeg.isValid() || mpeg.firstFrameOffset() != static_cast<long>(start)) return DirectRead::Declined;

  // The first frames must follow each other without a gap, each announcing the next; FFmpeg's
  // probe wants several of them.
  TagLib::MPEG::Header first(&mpeg, static_cast<long>(start), true);
  if (!first.isValid() || first.layer() != 3 || first.bitrate() <= 0 || first.sampleRate() <= 0)
    return DirectRead::Declined;
  bool constantRate = true;
  int frames = 0;
  for (uint64_t pos = start; frames < kFramesToCheck; ++frames) {
    TagLib::MPEG::Header h(&mpeg, static_cast<long>(pos), true);
    if (!h.isValid() || h.frameLength() <= 0) break;
    if (h.sampleRate() != first.sampleRate() || h.version() != first.version() || h.layer() != 3)
      return DirectRead::Declined;
    constantRate = constantRate && h.bitrate() == first.bitrate();
    pos += static_cast<uint64_t>(h.frameLength());
  }
  if (frames < 8) return DirectRead::Declined;

  const bool lsf = first.version() != TagLib::MPEG::Header::Version1;
  const bool mono = first.channelMode() == TagLib::MPEG::Header::SingleChannel;
  const int64_t rate = first.sampleRate();
  const int64_t samplesPerFrame = first.samplesPerFrame();
  VbrHeader vbr;
  if (!readVbrHeader(file, start, lsf, mono, vbr)) return DirectRead::Declined;

  int64_t streamDuration = 0;  // in kStreamTimeScale units
  if (vbr.frames) {
    streamDuration = rescale(vbr.frames, samplesPerFrame * kStreamTimeScale, rate);
  } else if (vbr.bytes) {
    return DirectRead::Declined;  // a byte count alone: FFmpeg estimates from what it decodes
  } else {
    if (!constantRate) return DirectRead::Declined;
    const int64_t bytes = static_cast<int64_t>(file.size() - start);
    streamDuration = rescale(bytes, 8 * kStreamTimeScale, int64_t(first.bitrate()) * 1000);
  }

  FFmpegDictionary tags;
  std::vector<ChapterDescription> chapters;
  std::optional<id3::Tag> id3 = start > 0 ? id3::readTag(file) : std::nullopt;
  if (id3 && !id3->frames.empty()) {
    // Every tag FFmpeg makes of it is one the media layer takes from our own reading instead.
    if (!id3->complete || !id3GivesTags(*id3)) return DirectRead::Declined;
    if (id3->version >= 3 && !id3Chapters(*id3, chapters)) return DirectRead::Declined;
  } else {
    readId3v1(file, tags);
    if (tags.empty() && vbr.lameCrcMatches) tags.set("encoder", vbr.encoder);  // the stream's own tag
  }
  describeAudioFile(out, "mp3", rescale(streamDuration, 1000000, kStreamTimeScale), kStreamTimeScale, tags,
                    std::move(chapters));
  return DirectRead::Read;
}

}  // namespace platform::media::direct
