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
  if (table.timeToSample.empty() || table.entryStart.size() != table.timeToSample.size()) return 0;
  const auto& last = table.timeToSample.back();
  return i128(table.entryStart.back()) + i128(last.count) * last.delta;
}

// The timeToSample entry whose start is the last at or before m; -1 when none.
long entryAt(const SampleTable& table, i128 m) {
  if (table.entryStart.size() != table.timeToSample.size()) return -1;
  auto it = std::upper_bound(table.entryStart.begin(), table.entryStart.end(), m,
                             [](i128 v, int64_t start) { return v < i128(start); });
  return static_cast<long>(it - table.entryStart.begin()) - 1;
}

// The first sample start at or after (or strictly after) media time m.
std::optional<i128> nextSampleStart(const SampleTable& table, i128 m, bool inclusive) {
  long e = entryAt(table, m);
  if (e >= 0) {
    const auto& entry = table.timeToSample[static_cast<size_t>(e)];
    i128 base = table.entryStart[static_cast<size_t>(e)];
    if (entry.delta == 0) {
      if (inclusive && base == m) return base;
    } else {
      i128 last = base + i128(entry.count - 1) * entry.delta;
      if (last > m || (inclusive && last == m)) {
        i128 s = base + (m - base) / entry.delta * entry.delta;  // <= m
        if (s < m || !inclusive) s += entry.delta;
        return s;
      }
    }
  }
  size_t next = static_cast<size_t>(e + 1);
  if (next < table.entryStart.size()) return i128(table.entryStart[next]);
  return std::nullopt;
}

struct SampleAt {
  uint64_t index = 0;
  i128 start = 0;
  i128 duration = 0;
};

std::optional<SampleAt> sampleAt(const SampleTable& table, i128 m) {
  if (m < 0) return std::nullopt;
  long e = entryAt(table, m);
  if (e < 0) return std::nullopt;
  const auto& entry = table.timeToSample[static_cast<size_t>(e)];
  i128 base = table.entryStart[static_cast<size_t>(e)];
  if (entry.delta == 0 || m >= base + i128(entry.count) * entry.delta) return std::nullopt;
  i128 k = (m - base) / entry.delta;
  return SampleAt{table.entryFirstSample[static_cast<size_t>(e)] + static_cast<uint64_t>(k), base + k * entry.delta,
                  entry.delta};
}

}  // namespace

bool sampleLocation(const SampleTable& table, uint64_t index, uint64_t& offset, uint64_t& size) {
  if (index >= table.sampleCount || table.runFirstSample.size() != table.sampleToChunk.size() + 1) return false;
  if (!table.constantSize && (index >= table.sizes.size() || table.sizeBefore.size() != table.sizes.size() + 1))
    return false;
  auto it = std::upper_bound(table.runFirstSample.begin(), table.runFirstSample.end(), index);
  if (it == table.runFirstSample.begin() || it == table.runFirstSample.end()) return false;
  size_t r = static_cast<size_t>(it - table.runFirstSample.begin()) - 1;
  const auto& run = table.sampleToChunk[r];
  if (run.samplesPerChunk == 0) return false;
  uint64_t within = index - table.runFirstSample[r];
  uint64_t chunk = run.firstChunk + within / run.samplesPerChunk;  // 1-based
  uint64_t inChunk = within % run.samplesPerChunk;
  if (chunk < 1 || chunk > table.chunkOffsets.size()) return false;
  i128 off = table.chunkOffsets[chunk - 1];
  if (table.constantSize) {
    off += i128(inChunk) * table.constantSize;
    size = table.constantSize;
  } else {
    off += table.sizeBefore[index] - table.sizeBefore[index - inChunk];
    size = table.sizes[index];
  }
  if (off > INT64_MAX) return false;
  offset = static_cast<uint64_t>(off);
  return true;
}

void indexSampleTable(SampleTable& table) {
  std::erase_if(table.timeToSample, [](const SampleTable::TimeToSample& e) { return e.count == 0; });
  table.entryStart.clear();
  table.entryFirstSample.clear();
  i128 start = 0;
  uint64_t first = 0;
  for (const auto& e : table.timeToSample) {
    table.entryStart.push_back(clamp64(start));
    table.entryFirstSample.push_back(first);
    start += i128(e.count) * e.delta;
    first += e.count;
  }
  // Runs of chunks: a run lasts until the next run's first chunk, the last one to the last chunk.
  table.runFirstSample.assign(1, 0);
  const uint64_t chunks = table.chunkOffsets.size();
  uint64_t sample = 0;
  for (size_t r = 0; r < table.sampleToChunk.size(); ++r) {
    const auto& run = table.sampleToChunk[r];
    uint64_t from = std::min<uint64_t>(run.firstChunk, chunks + 1);
    uint64_t to = r + 1 < table.sampleToChunk.size() ? std::min<uint64_t>(table.sampleToChunk[r + 1].firstChunk, chunks + 1)
                                                     : chunks + 1;
    if (run.firstChunk >= 1 && to > from) sample += (to - from) * uint64_t(run.samplesPerChunk);
    table.runFirstSample.push_back(sample);
  }
  table.sizeBefore.assign(1, 0);
  table.sizeBefore.reserve(table.sizes.size() + 1);
  for (uint32_t s : table.sizes) table.sizeBefore.push_back(table.sizeBefore.back() + s);
}

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
        // Rounded up, so that the time converts back into this sample, not the one before.
        i128 tt = seg.trackStart + ((*s - seg.mediaStart) * movieScale + mediaScale - 1) / mediaScale;
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
