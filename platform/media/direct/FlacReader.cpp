// Native FLAC: the metadata blocks FFmpeg's demuxer reads (STREAMINFO for the length, Vorbis
// comments for tags and chapters). Cue sheets, which FFmpeg turns into chapters, are left to it.
#include <cstring>
#include <vector>

#include "Readers.h"

namespace platform::media::direct {

namespace {
constexpr int kStreamInfo = 0;
constexpr int kVorbisComment = 4;
constexpr int kCueSheet = 5;
constexpr size_t kMaxCommentBlock = 16u << 20;
}  // namespace

DirectRead readFlac(const FileReader& file, uint64_t start, MovieDescription& out) {
  uint64_t pos = start + 4;  // "fLaC"
  bool last = false;
  bool foundStreamInfo = false;
  uint32_t rate = 0;
  uint64_t samples = 0;
  FFmpegDictionary tags;
  CommentChapters chapters;
  for (int blocks = 0; !last; ++blocks) {
    uint8_t h[4];
    if (blocks > 10000 || !file.read(pos, h, 4)) return DirectRead::Declined;
    last = h[0] & 0x80;
    const int type = h[0] & 0x7f;
    const uint32_t size = be24(h + 1);
    pos += 4;
    if (size > file.size() - pos) return DirectRead::Declined;
    if (blocks == 0 && (type != kStreamInfo || size != 34)) return DirectRead::Declined;
    if (type == kStreamInfo) {
      if (foundStreamInfo) return DirectRead::Declined;
      foundStreamInfo = true;
      uint8_t info[34];
      if (!file.read(pos, info, 34)) return DirectRead::Declined;
      rate = be24(info + 10) >> 4;
      samples = (be64(info + 13) >> 24) & ((1ULL << 36) - 1);
    } else if (type == kCueSheet) {
      return DirectRead::Declined;
    } else if (type == kVorbisComment) {
      std::vector<uint8_t> block;
      if (size > kMaxCommentBlock || !file.readBytes(pos, size, block)) return DirectRead::Declined;
      readVorbisComment(block.data(), block.size(), tags, chapters);
      // FFmpeg takes this one out of the tags to set the channel layout.
      if (tags.find("WAVEFORMATEXTENSIBLE_CHANNEL_MASK")) return DirectRead::Declined;
    }
    pos += size;
  }
  // The length comes from STREAMINFO alone; without it FFmpeg estimates, which is left to it.
  if (rate == 0 || samples == 0) return DirectRead::Declined;
  // Audio frames follow: a frame header's sync code.
  uint8_t sync[2];
  if (!file.read(pos, sync, 2) || sync[0] != 0xff || (sync[1] & 0xfe) != 0xf8) return DirectRead::Declined;
  describeAudioFile(out, "flac", rescale(static_cast<int64_t>(samples), 1000000, rate), rate, tags,
                    chapters.descriptions());
  return DirectRead::Read;
}

}  // namespace platform::media::direct
