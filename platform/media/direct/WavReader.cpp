// WAV (RIFF WAVE) with linear PCM or float samples: the length from the data chunk, tags from
// the LIST INFO chunk, as FFmpeg's demuxer takes them. Compressed formats, broadcast-wave
// "bext" and cue points (which FFmpeg reports as tags and chapters) are left to FFmpeg.
#include <cstring>
#include <vector>

#include "Readers.h"

namespace platform::media::direct {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xfffe;

// The LIST INFO entries of [pos, end); false when they are not laid out plainly.
bool readInfo(const FileReader& file, uint64_t pos, uint64_t end, FFmpegDictionary& tags) {
  while (pos + 8 <= end) {
    uint8_t h[8];
    if (!file.read(pos, h, 8)) return false;
    uint64_t size = le32(h + 4);
    size += size & 1;
    if (size > end - pos - 8) return false;
    const bool allZero = !(h[0] | h[1] | h[2] | h[3]);
    if (!allZero) {
      if (!h[0] || !h[1] || !h[2] || !h[3]) return false;  // a key cut short by a zero byte
      std::vector<uint8_t> value;
      if (!file.readBytes(pos + 8, static_cast<size_t>(size), value)) return false;
      tags.set(std::string(reinterpret_cast<const char*>(h), 4), textUpToZero(value.data(), value.size()));
    }
    pos += 8 + size;
  }
  return pos == end;
}

}  // namespace

DirectRead readWav(const FileReader& file, MovieDescription& out) {
  uint64_t pos = 12;
  bool gotFormat = false, gotData = false, gotId3 = false;
  uint16_t channels = 0, bytesPerSample = 0;
  uint32_t rate = 0;
  uint64_t dataSize = 0, dataEnd = 0;
  FFmpegDictionary tags;
  for (int chunks = 0; pos + 8 <= file.size(); ++chunks) {
    uint8_t h[8];
    if (chunks > 100000 || !file.read(pos, h, 8)) return DirectRead::Declined;
    const uint32_t size = le32(h + 4);
    const uint64_t body = pos + 8;
    const std::string id(reinterpret_cast<const char*>(h), 4);
    if (id == "fmt ") {
      if (gotFormat) return DirectRead::Declined;
      gotFormat = true;
      uint8_t f[40] = {};
      if (size < 16 || !file.read(body, f, std::min<uint32_t>(size, 40))) return DirectRead::Declined;
      uint16_t format = le16(f);
      channels = le16(f + 2);
      rate = le32(f + 4);
      uint16_t bits = le16(f + 14);
      if (format == kFormatExtensible) {
        // Valid bits and the sub-format's first two bytes (the format code of the GUID).
        if (size < 40 || le16(f + 16) < 22) return DirectRead::Declined;
        uint16_t valid = le16(f + 18);
        if (valid && (valid + 7) / 8 != (bits + 7) / 8) return DirectRead::Declined;
        static const uint8_t kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71};
        if (std::memcmp(f + 26, kGuidTail, 14) != 0) return DirectRead::Declined;
        format = le16(f + 24);
      }
      if (format == kFormatPcm && bits >= 1 && bits <= 32) bytesPerSample = static_cast<uint16_t>((bits + 7) / 8);
      else if (format == kFormatFloat && (bits == 32 || bits == 64)) bytesPerSample = static_cast<uint16_t>(bits / 8);
      else return DirectRead::Declined;
      if (channels == 0 || rate == 0 || rate > INT32_MAX) return DirectRead::Declined;
    } else if (id == "data") {
      if (gotData || !gotFormat || size == 0 || size == 0xffffffffu) return DirectRead::Declined;
      gotData = true;
      dataSize = size;
      dataEnd = body + size;
      // The length comes from the data chunk only when all of it is in the file.
      if (dataEnd > file.size()) return DirectRead::Declined;
    } else if (id == "LIST" || id == "list") {
      uint8_t type[4];
      if (size < 4 || !file.read(body, type, 4)) return DirectRead::Declined;
      if (std::memcmp(type, "INFO", 4) == 0) {
        if (size > file.size() - body || !readInfo(file, body + 4, body + size, tags)) return DirectRead::Declined;
      } else if (std::memcmp(type, "adtl", 4) == 0) {
        return DirectRead::Declined;
      }
    } else if (id == "ID3 " || id == "id3 ") {
      if (gotId3) return DirectRead::Declined;
      gotId3 = true;
    } else if (id == "bext" || id == "cue " || id == "SMV0" || id == "XMA2" || id == "ds64") {
      return DirectRead::Declined;
    }
    uint64_t next = body + size + (size & 1);
    if (next >= file.size()) break;
    pos = next;
  }
  if (!gotData) return DirectRead::Declined;
  std::vector<ChapterDescription> chapters;
  if (!plainId3Chunk(file, chapters)) return DirectRead::Declined;
  tags.convert({{"IART", "artist"}, {"ICMT", "comment"}, {"ICOP", "copyright"}, {"ICRD", "date"},
                {"IGNR", "genre"}, {"ILNG", "language"}, {"INAM", "title"}, {"IPRD", "album"},
                {"IPRT", "track"}, {"ITRK", "track"}, {"ISFT", "encoder"}, {"ISMP", "timecode"},
                {"ITCH", "encoded_by"}});
  const int64_t frames = static_cast<int64_t>(dataSize * 8 / (uint64_t(channels) * bytesPerSample * 8));
  describeAudioFile(out, "wav", rescale(frames, 1000000, rate), rate, tags, std::move(chapters));
  return DirectRead::Read;
}

}  // namespace platform::media::direct
