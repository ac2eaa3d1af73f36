// Track references, interesting times and sample reads of the low-level movie.
#include <algorithm>
#include <climits>
#include <optional>

#include "Movie.h"
#include "platform/media/isobmff/FileReader.h"

namespace platform::media {
namespace {

using i128 = __int128;

int64_t clamp64(i128 v) {
  if (v > INT64_MAX) return INT64_MAX;
  if (v < INT64_MIN) return INT64_MIN;
  return static_cast<int64_t>(v);
}

struct Segment {
  i128 trackStart = 0;  // movie scale
  i128 trackEnd = 0;
  int64_t mediaStart = 0;  // media scale; -1 empty
};

std::vector<Segment> segmentsOf(const TrackDescription& t) {
  std::vector<Segment> out;
  if (!t.hasEditList || t.edits.empty()) {
    out.push_back({0, i128(INT64_MAX), 0});
    return out;
  }
  i128 start = 0;
  for (const EditSegment& e : t.edits) {
    if (e.trackDuration < 0) break;
    Segment s{start, start + e.trackDuration, e.rate == 0 ? -1 : e.mediaTime};
    out.push_back(s);
    start = s.trackEnd;
  }
  return out;
}

// Total media time covered by the samples.
i128 mediaEnd(const SampleTable& table) {
  i128 end = 0;
  for (const auto& e : table.timeToSample) end += i128(e.count) * e.delta;
  return end;
}

// The first sample start at or after (or strictly after) media time m.
std::optional<i128> nextSampleStart(const SampleTable& table, i128 m, bool inclusive) {
  i128 base = 0;
  for (const auto& e : table.timeToSample) {
    if (e.count == 0) continue;
    if (e.delta == 0) {
      if (base > m || (inclusive && base == m)) return base;
      continue;
    }
    i128 last = base + i128(e.count - 1) * e.delta;
    if (last > m || (inclusive && last == m)) {
      if (base > m || (inclusive && base == m)) return base;
      i128 k = (m - base) / e.delta;  // base + k*delta <= m
      i128 s = base + k * e.delta;
      if (s < m || !inclusive) s += e.delta;
      return s;
    }
    base += i128(e.count) * e.delta;
  }
  return std::nullopt;
}

struct SampleAt {
  uint64_t index = 0;
  i128 start = 0;
  i128 duration = 0;
};

std::optional<SampleAt> sampleAt(const SampleTable& table, i128 m) {
  if (m < 0) return std::nullopt;
  i128 base = 0;
  uint64_t index = 0;
  for (const auto& e : table.timeToSample) {
    i128 span = i128(e.count) * e.delta;
    if (e.delta > 0 && m < base + span) {
      i128 k = (m - base) / e.delta;
      return SampleAt{index + static_cast<uint64_t>(k), base + k * e.delta, e.delta};
    }
    base += span;
    index += e.count;
  }
  return std::nullopt;
}

bool sampleLocation(const SampleTable& table, uint64_t index, uint64_t& offset, uint64_t& size) {
  if (index >= table.sampleCount) return false;
  auto sizeOf = [&](uint64_t i) -> uint64_t {
    return table.constantSize ? table.constantSize : (i < table.sizes.size() ? table.sizes[i] : 0);
  };
  uint64_t chunks = table.chunkOffsets.size();
  uint64_t first = 0;  // index of the first sample of the current run
  for (size_t r = 0; r < table.sampleToChunk.size(); ++r) {
    const auto& run = table.sampleToChunk[r];
    uint64_t runEnd = r + 1 < table.sampleToChunk.size() ? table.sampleToChunk[r + 1].firstChunk : chunks + 1;
    if (run.firstChunk == 0 || runEnd <= run.firstChunk || run.samplesPerChunk == 0) continue;
    uint64_t runChunks = std::min<uint64_t>(runEnd, chunks + 1) - std::min<uint64_t>(run.firstChunk, chunks + 1);
    i128 runSamples = i128(runChunks) * run.samplesPerChunk;
    if (i128(index) < i128(first) + runSamples) {
      uint64_t within = index - first;
      uint64_t chunk = run.firstChunk + within / run.samplesPerChunk;  // 1-based
      uint64_t inChunk = within % run.samplesPerChunk;
      if (chunk < 1 || chunk > chunks) return false;
      i128 off = table.chunkOffsets[chunk - 1];
      if (table.constantSize) {
        off += i128(inChunk) * table.constantSize;
      } else {
        for (uint64_t i = index - inChunk; i < index; ++i) off += sizeOf(i);
      }
      if (off > INT64_MAX) return false;
      offset = static_cast<uint64_t>(off);
      size = sizeOf(index);
      return true;
    }
    first += static_cast<uint64_t>(runSamples);
  }
  return false;
}

}  // namespace

Track GetTrackReference(const Movie& movie, Track track, OSType refType, long index) {
  if (!track || refType != kTrackReferenceChapterList || index < 1 ||
      static_cast<size_t>(index) > track->chapterTrackIDs.size())
    return nullptr;
  uint32_t id = track->chapterTrackIDs[static_cast<size_t>(index - 1)];
  if (id == 0) return nullptr;
  for (const auto& t : movie.description().tracks)
    if (t.trackID == id) return &t;
  return nullptr;
}

void GetTrackNextInterestingTime(Track track, short interestingTimeFlags, int64_t time, int32_t rate,
                                 int64_t* interestingTime, int64_t* interestingDuration) {
  if (interestingTime) *interestingTime = -1;
  if (interestingDuration) *interestingDuration = 0;
  if (!track || !track->samples || rate <= 0 || !(interestingTimeFlags & nextTimeMediaSample)) return;
  if (track->movieTimeScale <= 0 || track->mediaTimeScale == 0) return;
  const SampleTable& table = *track->samples;
  const bool edge = (interestingTimeFlags & nextTimeEdgeOK) != 0;
  const i128 movieScale = track->movieTimeScale;
  const i128 mediaScale = track->mediaTimeScale;
  const i128 end = mediaEnd(table);
  const i128 t = time;
  auto after = [&](i128 tt) { return tt > t || (edge && tt == t); };
  auto report = [&](i128 tt, i128 mediaDuration) {
    if (interestingTime) *interestingTime = clamp64(tt);
    if (interestingDuration) *interestingDuration = clamp64(mediaDuration * movieScale / mediaScale);
  };
  for (const Segment& seg : segmentsOf(*track)) {
    if (seg.mediaStart < 0 || seg.trackEnd <= seg.trackStart) continue;
    if (seg.trackEnd <= t) continue;
    i128 segMediaEnd = seg.mediaStart + (seg.trackEnd - seg.trackStart) * mediaScale / movieScale;
    segMediaEnd = std::min(segMediaEnd, end);
    if (seg.mediaStart >= segMediaEnd) continue;
    if (after(seg.trackStart)) {
      auto s = sampleAt(table, seg.mediaStart);
      report(seg.trackStart, s ? s->start + s->duration - seg.mediaStart : 0);
      return;
    }
    i128 m = seg.mediaStart + (t - seg.trackStart) * mediaScale / movieScale;
    auto s = nextSampleStart(table, m, true);
    for (int guard = 0; s && *s < segMediaEnd && guard < 64; ++guard) {
      if (*s > seg.mediaStart) {
        i128 tt = seg.trackStart + (*s - seg.mediaStart) * movieScale / mediaScale;
        if (after(tt)) {
          auto at = sampleAt(table, *s);
          report(tt, at ? at->duration : 0);
          return;
        }
      }
      s = nextSampleStart(table, *s, false);
    }
  }
}

int64_t TrackTimeToMediaTime(int64_t value, Track track) {
  if (!track || value < 0 || track->movieTimeScale <= 0 || track->mediaTimeScale == 0) return -1;
  const i128 movieScale = track->movieTimeScale;
  const i128 mediaScale = track->mediaTimeScale;
  for (const Segment& seg : segmentsOf(*track)) {
    if (value >= seg.trackStart && value < seg.trackEnd) {
      if (seg.mediaStart < 0) return -1;
      return clamp64(seg.mediaStart + (i128(value) - seg.trackStart) * mediaScale / movieScale);
    }
  }
  return -1;
}

Media GetTrackMedia(Track track) { return track; }

OSErr GetMediaSample(Media media, std::vector<uint8_t>* data, long maxSizeToGrow, long* size, int64_t time,
                     int64_t* sampleTime, int64_t* durationPerSample) {
  if (!media) return invalidMedia;
  if (!media->samples) return invalidMedia;
  const SampleTable& table = *media->samples;
  auto at = sampleAt(table, time);
  if (!at) return invalidTime;
  std::vector<uint8_t> bytes;
  if (!table.inlineSamples.empty()) {
    if (at->index >= table.inlineSamples.size()) return invalidTime;
    bytes = table.inlineSamples[at->index];
  } else {
    uint64_t offset = 0, length = 0;
    if (!sampleLocation(table, at->index, offset, length)) return invalidTime;
    if (maxSizeToGrow > 0 && length > static_cast<uint64_t>(maxSizeToGrow)) return paramErr;
    isobmff::FileReader file(table.path);
    if (!file.isOpen() || length > file.size() || !file.readBytes(offset, static_cast<size_t>(length), bytes))
      return invalidMedia;
  }
  if (maxSizeToGrow > 0 && bytes.size() > static_cast<size_t>(maxSizeToGrow)) return paramErr;
  if (size) *size = static_cast<long>(bytes.size());
  if (sampleTime) *sampleTime = clamp64(at->start);
  if (durationPerSample) *durationPerSample = clamp64(at->duration);
  if (data) *data = std::move(bytes);
  return noErr;
}

}  // namespace platform::media
