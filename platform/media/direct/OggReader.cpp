// Ogg with one Vorbis or Opus stream. TagLib assembles the header packets and finds the last
// page; the length is the last granule position once the stream is known to start at 0, which
// is worked out from the first audio page as FFmpeg works it out (Vorbis block sizes from the
// setup header's modes, Opus frame sizes from each packet's first byte). Streams that start
// elsewhere, several streams, and chained streams are left to FFmpeg.
#include <taglib/opusfile.h>
#include <taglib/oggpageheader.h>
#include <taglib/vorbisfile.h>

#include <cstring>
#include <vector>

#include "Readers.h"
#include "TagLibStream.h"

namespace platform::media::direct {

namespace {

constexpr int kPagesToWalk = 256;

struct Page {
  uint8_t flags = 0;
  int64_t granule = -1;
  uint32_t serial = 0;
  std::vector<uint8_t> segments;
  uint64_t dataOffset = 0;
  uint64_t end = 0;
};

bool readPage(const FileReader& file, uint64_t pos, Page& page) {
  uint8_t h[27];
  if (!file.read(pos, h, 27) || std::memcmp(h, "OggS", 4) != 0 || h[4] != 0) return false;
  page.flags = h[5];
  page.granule = static_cast<int64_t>(le64(h + 6));
  page.serial = le32(h + 14);
  page.segments.resize(h[26]);
  if (!page.segments.empty() && !file.read(pos + 27, page.segments.data(), page.segments.size())) return false;
  page.dataOffset = pos + 27 + page.segments.size();
  uint64_t size = 0;
  for (uint8_t s : page.segments) size += s;
  page.end = page.dataOffset + size;
  return page.end <= file.size();
}

// What FFmpeg's Vorbis parser knows: the two block sizes and each mode's block flag, the modes
// found by reading the setup header backwards from its framing bit.
struct VorbisModes {
  int blocksize[2] = {0, 0};
  std::vector<int> modeBlockflag;
  int modeMask = 0;
  int prevMask = 0;
};

class ReverseBits {
 public:
  explicit ReverseBits(const std::vector<uint8_t>& data) : bytes_(data.rbegin(), data.rend()) {}
  size_t left() const { return bytes_.size() * 8 - pos_; }
  unsigned get(int n) {
    unsigned v = 0;
    for (int i = 0; i < n; ++i) {
      unsigned bit = pos_ < bytes_.size() * 8 ? (bytes_[pos_ / 8] >> (7 - pos_ % 8)) & 1 : 0;
      v = (v << 1) | bit;
      ++pos_;
    }
    return v;
  }
  void skip(size_t n) { pos_ += n; }
  size_t position() const { return pos_; }
  void seek(size_t p) { pos_ = p; }

 private:
  std::vector<uint8_t> bytes_;
  size_t pos_ = 0;
};

bool readVorbisModes(const std::vector<uint8_t>& id, const std::vector<uint8_t>& setup, VorbisModes& m) {
  m.blocksize[0] = 1 << (id[28] & 0xf);
  m.blocksize[1] = 1 << (id[28] >> 4);
  if (setup.size() < 7 || setup[0] != 5 || std::memcmp(setup.data() + 1, "vorbis", 6) != 0) return false;
  ReverseBits gb(setup);
  size_t framing = 0;
  while (gb.left() > 97) {
    if (gb.get(1)) {
      framing = gb.position();
      break;
    }
  }
  if (!framing) return false;
  int count = 0, lastCount = 0;
  while (gb.left() >= 97) {
    if (gb.get(8) > 63 || gb.get(16) || gb.get(16)) break;
    gb.skip(1);
    if (++count > 64) break;
    ReverseBits peek = gb;
    if (static_cast<int>(peek.get(6)) + 1 == count) lastCount = count;
  }
  if (lastCount == 0 || lastCount > 63) return false;
  int log2 = 0;  // av_log2(lastCount - 1), 0 for 0
  while ((2 << log2) <= lastCount - 1) ++log2;
  m.modeMask = ((1 << (log2 + 1)) - 1) << 1;
  m.prevMask = (m.modeMask | 1) + 1;
  m.modeBlockflag.assign(static_cast<size_t>(lastCount), 0);
  gb.seek(framing);
  for (int i = lastCount - 1; i >= 0; --i) {
    gb.skip(40);
    m.modeBlockflag[static_cast<size_t>(i)] = static_cast<int>(gb.get(1));
  }
  return true;
}

int opusDuration(const uint8_t* p, size_t size) {
  unsigned toc = p[0], config = toc >> 3, count = toc & 3;
  unsigned frame = config < 12 ? std::max(480u, 960 * (config & 3)) : config < 16 ? 480u << (config & 1) : 120u << (config & 3);
  unsigned frames = 1;
  if (count == 3) {
    if (size < 2) return -1;
    frames = p[1] & 0x3f;
  } else if (count) {
    frames = 2;
  }
  return static_cast<int>(frame * frames);
}

}  // namespace

DirectRead readOgg(const FileReader& file, MovieDescription& out) {
  TagLibStream stream(file);
  std::vector<uint8_t> first;
  {
    Page p0;
    if (!readPage(file, 0, p0) || !(p0.flags & 2) || p0.segments.empty()) return DirectRead::Declined;
    if (!file.readBytes(p0.dataOffset, 8, first)) return DirectRead::Declined;
  }
  const bool vorbis = std::memcmp(first.data(), "\x01vorbis", 7) == 0;
  const bool opus = std::memcmp(first.data(), "OpusHead", 8) == 0;
  if (!vorbis && !opus) return DirectRead::Declined;

  std::unique_ptr<TagLib::Ogg::File> ogg;
  if (vorbis) ogg = std::make_unique<TagLib::Ogg::Vorbis::File>(&stream, false);
  else ogg = std::make_unique<TagLib::Ogg::Opus::File>(&stream, false);
  if (!ogg->isValid()) return DirectRead::Declined;
  auto packet = [&](unsigned i) {
    TagLib::ByteVector b = ogg->packet(i);
    return std::vector<uint8_t>(b.begin(), b.end());
  };
  std::vector<uint8_t> id = packet(0);
  std::vector<uint8_t> comment = packet(1);
  int64_t rate = 48000;
  VorbisModes modes;
  if (vorbis) {
    if (id.size() != 30 || le32(id.data() + 7) != 0 || id[29] != 1) return DirectRead::Declined;
    rate = static_cast<int32_t>(le32(id.data() + 12));
    const int bs0 = id[28] & 0xf, bs1 = id[28] >> 4;
    if (rate <= 0 || bs0 > bs1 || bs0 < 6 || bs1 > 13) return DirectRead::Declined;
    if (!readVorbisModes(id, packet(2), modes)) return DirectRead::Declined;
    if (comment.size() <= 8 || std::memcmp(comment.data(), "\x03vorbis", 7) != 0) return DirectRead::Declined;
  } else {
    if (id.size() < 19 || (id[8] & 0xf0) != 0) return DirectRead::Declined;
    if (comment.size() < 8 || std::memcmp(comment.data(), "OpusTags", 8) != 0) return DirectRead::Declined;
  }

  // The first audio page: headers ended on earlier pages, one stream only.
  const size_t headerPackets = vorbis ? 3 : 2;
  size_t completed = 0;
  uint64_t pos = 0;
  uint32_t serial = 0;
  int64_t start = -1;
  for (int n = 0; n < kPagesToWalk && start < 0; ++n) {
    Page page;
    if (!readPage(file, pos, page)) return DirectRead::Declined;
    if (n == 0) serial = page.serial;
    if (page.serial != serial || (n > 0 && (page.flags & 2))) return DirectRead::Declined;
    size_t ends = 0;
    for (uint8_t s : page.segments) ends += s < 255;
    if (completed >= headerPackets && ends > 0 && page.granule >= 0) {
      if (completed != headerPackets || (page.flags & 1)) return DirectRead::Declined;
      std::vector<uint8_t> data;
      if (!file.readBytes(page.dataOffset, static_cast<size_t>(page.end - page.dataOffset), data)) return DirectRead::Declined;
      int64_t sum = 0, firstDuration = 0;
      int previous = modes.blocksize[0];
      size_t at = 0, packetStart = 0;
      bool firstPacket = true;
      for (uint8_t s : page.segments) {
        at += s;
        if (s == 255) continue;
        if (at == packetStart) return DirectRead::Declined;  // an empty packet
        const uint8_t* p = data.data() + packetStart;
        int d;
        if (vorbis) {
          if (p[0] & 1) return DirectRead::Declined;
          const int count = static_cast<int>(modes.modeBlockflag.size());
          const int mode = count == 1 ? 0 : (p[0] & modes.modeMask) >> 1;
          if (mode >= count) return DirectRead::Declined;
          int prev = previous;
          if (modes.modeBlockflag[static_cast<size_t>(mode)]) prev = modes.blocksize[(p[0] & modes.prevMask) ? 1 : 0];
          const int current = modes.blocksize[modes.modeBlockflag[static_cast<size_t>(mode)]];
          d = (prev + current) >> 2;
          previous = current;
        } else {
          d = opusDuration(p, at - packetStart);
          if (d < 0) return DirectRead::Declined;
        }
        if (firstPacket) firstDuration = d;
        firstPacket = false;
        sum += d;
        packetStart = at;
      }
      start = page.granule - sum + (vorbis ? firstDuration : 0);
      if (start != 0) return DirectRead::Declined;
    }
    completed += ends;
    pos = page.end;
    if (page.flags & 4) break;
  }
  if (start != 0) return DirectRead::Declined;

  const TagLib::Ogg::PageHeader* last = ogg->lastPageHeader();
  if (!last || !last->isValid() || last->streamSerialNumber() != serial) return DirectRead::Declined;
  const int64_t granule = last->absoluteGranularPosition();
  if (granule < 0) return DirectRead::Declined;

  FFmpegDictionary tags;
  CommentChapters chapters;
  if (vorbis) readVorbisComment(comment.data() + 7, comment.size() - 8, tags, chapters);
  else readVorbisComment(comment.data() + 8, comment.size() - 8, tags, chapters);
  describeAudioFile(out, "ogg", rescale(granule, 1000000, rate), static_cast<uint32_t>(rate), tags,
                    chapters.descriptions());
  return DirectRead::Read;
}

}  // namespace platform::media::direct
