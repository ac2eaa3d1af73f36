// AIFF (and AIFF-C without compression): the length from the COMM chunk, tags from the NAME,
// AUTH, "(c) " and ANNO chunks, as FFmpeg's demuxer takes them.
#include <cstring>
#include <vector>

#include "Readers.h"

namespace platform::media::direct {

DirectRead readAiff(const FileReader& file, MovieDescription& out) {
  uint8_t form[12];
  if (!file.read(0, form, 12)) return DirectRead::Declined;
  const bool aifc = std::memcmp(form + 8, "AIFC", 4) == 0;
  const uint64_t formEnd = 8 + uint64_t(be32(form + 4));
  if (formEnd > file.size() || formEnd < 12) return DirectRead::Declined;
  uint64_t pos = 12;
  bool gotComm = false, gotSound = false, gotId3 = false;
  uint32_t frames = 0;
  int64_t rate = 0;
  FFmpegDictionary tags;
  // FFmpeg stops at COMM when the sound data came first.
  while (pos < formEnd && !(gotComm && gotSound)) {
    uint8_t h[8];
    if (formEnd - pos < 8 || !file.read(pos, h, 8)) return DirectRead::Declined;
    const uint32_t size = be32(h + 4);
    const uint64_t body = pos + 8;
    if (size > formEnd - body || size > INT32_MAX) return DirectRead::Declined;
    const std::string id(reinterpret_cast<const char*>(h), 4);
    if (id == "COMM") {
      if (gotComm || size < 18) return DirectRead::Declined;
      gotComm = true;
      uint8_t c[22] = {};
      if (!file.read(body, c, std::min<uint32_t>(size, 22))) return DirectRead::Declined;
      const uint16_t channels = be16(c);
      frames = be32(c + 2);
      const uint16_t bits = be16(c + 6);
      const int exponent = int(be16(c + 8)) - 16383 - 63;
      const uint64_t mantissa = be64(c + 10);
      if (channels == 0 || bits == 0 || bits > 32 || frames > INT32_MAX) return DirectRead::Declined;
      if (exponent >= 0 || exponent < -63) return DirectRead::Declined;
      const uint64_t r = (mantissa + (1ULL << (-exponent - 1))) >> -exponent;
      if (r == 0 || r > INT32_MAX) return DirectRead::Declined;
      rate = static_cast<int64_t>(r);
      if (aifc && size >= 22 && std::memcmp(c + 18, "NONE", 4) != 0 && std::memcmp(c + 18, "twos", 4) != 0)
        return DirectRead::Declined;
    } else if (id == "SSND") {
      if (gotSound || size < 8) return DirectRead::Declined;
      gotSound = true;
    } else if (id == "NAME" || id == "AUTH" || id == "(c) " || id == "ANNO") {
      std::vector<uint8_t> text;
      if (!file.readBytes(body, size, text)) return DirectRead::Declined;
      const char* key = id == "NAME" ? "title" : id == "AUTH" ? "author" : id == "(c) " ? "copyright" : "comment";
      tags.set(key, textUpToZero(text.data(), text.size()));
    } else if (id == "ID3 ") {
      if (gotId3) return DirectRead::Declined;
      gotId3 = true;
    } else if (id == "FVER" || id == "wave" || id == "CHAN" || id == "APCM" || id == std::string(4, '\0')) {
      return DirectRead::Declined;
    }
    pos = body + size + (size & 1);
  }
  if (!gotComm || !gotSound) return DirectRead::Declined;
  std::vector<ChapterDescription> chapters;
  if (!plainId3Chunk(file, chapters)) return DirectRead::Declined;
  describeAudioFile(out, "aiff", rescale(frames, 1000000, rate), static_cast<uint32_t>(rate), tags,
                    std::move(chapters));
  return DirectRead::Read;
}

}  // namespace platform::media::direct
