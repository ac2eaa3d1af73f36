#include "FragmentReader.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>

namespace platform::media::isobmff {
namespace {

constexpr size_t kMaxHeaderPayload = 4096;
constexpr uint64_t kMaxDuration = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());

// tfhd flags
constexpr uint32_t kBaseDataOffsetPresent = 0x000001;
constexpr uint32_t kSampleDescriptionIndexPresent = 0x000002;
constexpr uint32_t kDefaultSampleDurationPresent = 0x000008;
// trun flags
constexpr uint32_t kDataOffsetPresent = 0x000001;
constexpr uint32_t kFirstSampleFlagsPresent = 0x000004;
constexpr uint32_t kSampleDurationPresent = 0x000100;
constexpr uint32_t kPerSampleFields = 0x000f00;  // duration, size, flags, composition offset

struct TrackTiming {
  uint32_t defaultDuration = 0;  // from trex
  uint64_t end = 0;              // media time at which the track's samples end
  bool fragmented = false;
};

uint64_t saturatingAdd(uint64_t a, uint64_t b) { return b > kMaxDuration - std::min(a, kMaxDuration) ? kMaxDuration : a + b; }

bool readWhole(const FileReader& file, const Box& box, std::vector<uint8_t>& out) {
  return readPayload(file, box, out, static_cast<size_t>(std::min<uint64_t>(file.size(), SIZE_MAX)));
}

// mehd: the whole fragmented movie's duration in the movie time scale; 0 when absent or empty.
uint64_t fragmentDuration(const FileReader& file, const Box& mvex) {
  auto mehd = firstChild(file, mvex, fourCharCode("mehd"));
  std::vector<uint8_t> p;
  if (!mehd || !readPayload(file, *mehd, p, kMaxHeaderPayload)) return 0;
  ByteView v(p);
  uint64_t d = v.u8(0) == 1 ? v.u64(4) : v.u32(4);
  return v.ok() ? std::min(d, kMaxDuration) : 0;
}

// Sum of the sample durations of one trun box.
uint64_t runDuration(const FileReader& file, const Box& trun, uint32_t defaultDuration) {
  std::vector<uint8_t> p;
  if (!readWhole(file, trun, p)) return 0;
  ByteView v(p);
  const uint32_t flags = v.u24(1);
  const uint32_t count = v.u32(4);
  if (!v.ok()) return 0;
  if (!(flags & kSampleDurationPresent)) return std::min<uint64_t>(uint64_t(count) * defaultDuration, kMaxDuration);
  size_t pos = 8;
  if (flags & kDataOffsetPresent) pos += 4;
  if (flags & kFirstSampleFlagsPresent) pos += 4;
  const size_t entrySize = 4 * static_cast<size_t>(__builtin_popcount(flags & kPerSampleFields));
  uint64_t total = 0;
  // Entries the payload doesn't hold are not counted.
  for (uint32_t i = 0; i < count && v.has(pos, entrySize); ++i, pos += entrySize) total = saturatingAdd(total, v.u32(pos));
  return total;
}

void readTrackFragment(const FileReader& file, const Box& traf, std::map<uint32_t, TrackTiming>& tracks) {
  auto tfhd = firstChild(file, traf, fourCharCode("tfhd"));
  std::vector<uint8_t> p;
  if (!tfhd || !readPayload(file, *tfhd, p, kMaxHeaderPayload)) return;
  ByteView h(p);
  const uint32_t flags = h.u24(1);
  auto it = tracks.find(h.u32(4));
  if (!h.ok() || it == tracks.end()) return;
  TrackTiming& track = it->second;
  uint32_t defaultDuration = track.defaultDuration;
  size_t pos = 8;
  if (flags & kBaseDataOffsetPresent) pos += 8;
  if (flags & kSampleDescriptionIndexPresent) pos += 4;
  if (flags & kDefaultSampleDurationPresent) {
    defaultDuration = h.u32(pos);
    if (!h.ok()) return;
  }

  // The fragment starts at its decode time when it says so, else where the track's last one ended.
  uint64_t start = track.end;
  if (auto tfdt = firstChild(file, traf, fourCharCode("tfdt"))) {
    std::vector<uint8_t> t;
    if (readPayload(file, *tfdt, t, kMaxHeaderPayload)) {
      ByteView v(t);
      uint64_t base = v.u8(0) == 1 ? v.u64(4) : v.u32(4);
      if (v.ok()) start = std::min(base, kMaxDuration);
    }
  }
  uint64_t end = start;
  for (const Box& b : childBoxes(file, traf))
    if (b.type == fourCharCode("trun")) end = saturatingAdd(end, runDuration(file, b, defaultDuration));
  track.end = std::max(track.end, end);
  track.fragmented = true;
}

// media time -> movie time, truncated, saturating.
int64_t toMovieTime(uint64_t mediaTime, uint32_t mediaScale, int32_t movieScale) {
  if (mediaScale == 0 || movieScale <= 0) return 0;
  unsigned __int128 t = static_cast<unsigned __int128>(mediaTime) * static_cast<uint32_t>(movieScale) / mediaScale;
  return t > kMaxDuration ? static_cast<int64_t>(kMaxDuration) : static_cast<int64_t>(t);
}

}  // namespace

void applyFragmentDurations(const FileReader& file, const Box& moov, const std::vector<Box>& topLevel,
                            MovieDescription& out) {
  auto mvex = firstChild(file, moov, fourCharCode("mvex"));
  if (!mvex) return;
  if (uint64_t whole = fragmentDuration(file, *mvex)) {
    out.duration = std::max<int64_t>(out.duration, static_cast<int64_t>(whole));
    return;
  }

  std::map<uint32_t, TrackTiming> tracks;
  for (const TrackDescription& t : out.tracks)
    if (t.trackID != 0) tracks[t.trackID].end = static_cast<uint64_t>(std::max<int64_t>(t.mediaDuration, 0));
  for (const Box& trex : childBoxes(file, *mvex)) {
    std::vector<uint8_t> p;
    if (trex.type != fourCharCode("trex") || !readPayload(file, trex, p, kMaxHeaderPayload)) continue;
    ByteView v(p);
    auto it = tracks.find(v.u32(4));
    if (v.has(12, 4) && it != tracks.end()) it->second.defaultDuration = v.u32(12);
  }
  for (const Box& moof : topLevel) {
    if (moof.type != fourCharCode("moof")) continue;
    for (const Box& traf : childBoxes(file, moof))
      if (traf.type == fourCharCode("traf")) readTrackFragment(file, traf, tracks);
  }

  for (TrackDescription& t : out.tracks) {
    auto it = tracks.find(t.trackID);
    if (t.trackID == 0 || it == tracks.end() || !it->second.fragmented) continue;
    const uint64_t end = std::min(it->second.end, kMaxDuration);
    t.mediaDuration = std::max<int64_t>(t.mediaDuration, static_cast<int64_t>(end));
    t.duration = std::max(t.duration, toMovieTime(end, t.mediaTimeScale, out.timeScale));
    out.duration = std::max(out.duration, t.duration);
  }
}

}  // namespace platform::media::isobmff
