#include "VideoTrackReader.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Box.h"
#include "MovieReader.h"
#include "TrackTables.h"

namespace platform::media::isobmff {
namespace {

constexpr size_t kMaxDescriptionBytes = 1 << 20;
constexpr size_t kVisualEntryChildren = 86;  // sample entry header and visual fields

bool isSupportedFormat(uint32_t format) {
  for (OSType f : {fourCharCode("avc1"), fourCharCode("avc3"), fourCharCode("hvc1"), fourCharCode("hev1"), fourCharCode("jpeg")})
    if (format == f) return true;
  return false;
}

// Formats whose parameter sets travel only in the configuration record.
uint32_t requiredConfig(uint32_t format) {
  if (format == fourCharCode("avc1")) return fourCharCode("avcC");
  if (format == fourCharCode("hvc1")) return fourCharCode("hvcC");
  return 0;
}

uint32_t configType(uint32_t format) {
  if (format == fourCharCode("avc1") || format == fourCharCode("avc3")) return fourCharCode("avcC");
  if (format == fourCharCode("hvc1") || format == fourCharCode("hev1")) return fourCharCode("hvcC");
  return 0;
}

struct Candidate {
  VideoSampleTrack track;
  Box stbl;
  Box stsd;
  std::vector<EditSegment> edits;
  bool hasEdits = false;
  int64_t area = 0;
};

// Clockwise quarter turns of a tkhd matrix (a b u / c d v / x y w, 16.16): the turn that takes
// the x axis to (a, b) in picture coordinates, y down.
int quarterTurns(int32_t a, int32_t b) {
  if (a == 0 && b == 0) return 0;
  long turns = std::lround(std::atan2(double(b), double(a)) / (M_PI / 2));
  return static_cast<int>(((turns % 4) + 4) % 4);
}

void readTrackMatrix(const FileReader& file, const Box& tkhd, VideoSampleTrack& t) {
  std::vector<uint8_t> p;
  if (!readPayload(file, tkhd, p, 4096)) return;
  ByteView v(p);
  const size_t matrix = (v.u8(0) == 1 ? 36 : 24) + 16;
  if (v.has(matrix, 36)) t.quarterTurns = quarterTurns(v.fixed16_16(matrix), v.fixed16_16(matrix + 4));
}

// The one sample description: format, coded size, configuration record and pixel aspect.
bool readDescription(const FileReader& file, const Box& stsd, VideoSampleTrack& t) {
  std::vector<uint8_t> p;
  if (!readPayload(file, stsd, p, kMaxDescriptionBytes)) return false;
  ByteView v(p);
  if (v.u32(4) != 1) return false;
  const uint32_t entrySize = v.u32(8);
  if (!v.ok() || entrySize < kVisualEntryChildren || !v.has(8, entrySize)) return false;
  t.format = v.u32(12);
  t.width = v.u16(8 + 32);
  t.height = v.u16(8 + 34);
  const size_t end = 8 + size_t(entrySize);
  for (size_t pos = 8 + kVisualEntryChildren; pos + 8 <= end;) {
    const uint32_t size = v.u32(pos), type = v.u32(pos + 4);
    if (size < 8 || size > end - pos) break;
    if (type == configType(t.format)) {
      t.config.assign(p.begin() + long(pos + 8), p.begin() + long(pos + size));
    } else if (type == fourCharCode("pasp") && size >= 16) {
      const uint32_t h = v.u32(pos + 8), vs = v.u32(pos + 12);
      if (h > 0 && vs > 0) t.pixelAspectH = h, t.pixelAspectV = vs;
    }
    pos += size;
  }
  if (requiredConfig(t.format) && t.config.empty()) return false;
  return v.ok() && t.width > 0 && t.height > 0;
}

// Leading empty edits, then one edit at normal rate; anything else is left to a demuxer.
bool applyEdits(const std::vector<EditSegment>& edits, int32_t movieTimeScale, VideoSampleTrack& t) {
  int64_t lead = 0;
  size_t i = 0;
  for (; i < edits.size() && edits[i].mediaTime == -1; ++i) {
    if (edits[i].trackDuration > std::numeric_limits<int64_t>::max() - lead) return false;
    lead += edits[i].trackDuration;
  }
  if (i + 1 != edits.size() || edits[i].rate != 0x10000 || movieTimeScale <= 0) return false;
  t.leadSeconds = double(lead) / movieTimeScale;
  t.mediaStart = edits[i].mediaTime;
  return true;
}

// Every sample's place and times, in decode order, up to the first one the file doesn't hold
// (a cut file).
bool layOutSamples(const SampleTable& table, uint64_t fileSize, VideoSampleTrack& t) {
  // Every sample needs a byte of the file and a time from the timing table; a count beyond
  // either is refused before anything is allocated for it.
  const uint64_t count = table.sampleCount;
  if (count == 0 || count > fileSize || count > (uint64_t(1) << 26)) return false;
  uint64_t timed = 0;
  for (const auto& e : table.timeToSample) timed += e.count;
  if (timed < count) return false;
  t.samples.resize(count);
  uint64_t n = 0;
  int64_t dts = 0;
  for (const auto& e : table.timeToSample) {
    for (uint32_t k = 0; k < e.count && n < count; ++k, ++n) {
      t.samples[n].decodeTime = t.samples[n].presentTime = dts;
      if (dts > std::numeric_limits<int64_t>::max() - e.delta) return false;
      dts += e.delta;
    }
  }
  n = 0;
  for (const auto& c : table.compositionOffsets)
    for (uint32_t k = 0; k < c.count && n < count; ++k, ++n) t.samples[n].presentTime += c.offset;
  for (uint64_t i = 0; i < count; ++i) {
    uint64_t offset = 0, size = 0;
    if (!sampleLocation(table, i, offset, size) || size > std::numeric_limits<uint32_t>::max()) return false;
    t.samples[i].offset = offset;
    t.samples[i].size = static_cast<uint32_t>(size);
    t.samples[i].sync = !table.hasSyncTable;
  }
  for (uint32_t number : table.syncSamples)
    if (number >= 1 && number <= count) t.samples[number - 1].sync = true;
  auto missing = std::find_if(t.samples.begin(), t.samples.end(), [fileSize](const VideoSample& s) {
    return s.offset > fileSize || s.size > fileSize - s.offset;
  });
  t.samples.erase(missing, t.samples.end());
  return !t.samples.empty();
}

}  // namespace

std::optional<VideoSampleTrack> readVideoSampleTrack(const FileReader& file) {
  auto moov = findMovieBox(file);
  if (!moov || firstChild(file, *moov, fourCharCode("mvex"))) return std::nullopt;
  int32_t movieTimeScale = 0;
  if (auto mvhd = firstChild(file, *moov, fourCharCode("mvhd"))) {
    std::vector<uint8_t> p;
    if (readPayload(file, *mvhd, p, 4096)) {
      ByteView v(p);
      const uint32_t scale = v.u8(0) == 1 ? v.u32(20) : v.u32(12);
      if (v.ok() && scale <= uint32_t(std::numeric_limits<int32_t>::max())) movieTimeScale = int32_t(scale);
    }
  }

  std::optional<Candidate> best;
  for (const Box& trak : childBoxes(file, *moov)) {
    if (trak.type != fourCharCode("trak")) continue;
    auto hdlr = findPath(file, trak, {fourCharCode("mdia"), fourCharCode("hdlr")});
    std::vector<uint8_t> h;
    if (!hdlr || hdlr->payloadSize() < 12 || !file.readBytes(hdlr->payloadOffset(), 12, h) ||
        ByteView(h).u32(8) != fourCharCode("vide"))
      continue;
    auto stbl = findPath(file, trak, {fourCharCode("mdia"), fourCharCode("minf"), fourCharCode("stbl")});
    auto stsd = stbl ? firstChild(file, *stbl, fourCharCode("stsd")) : std::nullopt;
    if (!stsd) continue;
    Candidate c{VideoSampleTrack{}, *stbl, *stsd, {}, false, 0};
    if (!readDescription(file, *stsd, c.track)) {
      // A picture track we can't describe may still be the largest: leave the file to a demuxer.
      return std::nullopt;
    }
    c.area = int64_t(c.track.width) * c.track.height;
    if (best && c.area <= best->area) continue;
    if (auto tkhd = firstChild(file, trak, fourCharCode("tkhd"))) readTrackMatrix(file, *tkhd, c.track);
    if (auto mdhd = findPath(file, trak, {fourCharCode("mdia"), fourCharCode("mdhd")})) {
      std::vector<uint8_t> p;
      if (readPayload(file, *mdhd, p, 4096)) {
        ByteView v(p);
        c.track.mediaTimeScale = v.u8(0) == 1 ? v.u32(20) : v.u32(12);
      }
    }
    if (auto elst = findPath(file, trak, {fourCharCode("edts"), fourCharCode("elst")})) {
      c.hasEdits = readEditList(file, *elst, c.edits);
      if (!c.hasEdits) return std::nullopt;
    }
    best = std::move(c);
  }
  if (!best || !isSupportedFormat(best->track.format) || best->track.mediaTimeScale == 0) return std::nullopt;
  VideoSampleTrack& t = best->track;
  if (best->hasEdits && !applyEdits(best->edits, movieTimeScale, t)) return std::nullopt;
  auto table = readSampleTable(file, best->stbl);
  if (!table || !layOutSamples(*table, file.size(), t)) return std::nullopt;
  t.path = file.path();
  return std::move(t);
}

}  // namespace platform::media::isobmff
