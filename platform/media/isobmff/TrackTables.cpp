#include "TrackTables.h"

#include <algorithm>

namespace platform::media::isobmff {
namespace {

bool readWhole(const FileReader& file, const Box& box, std::vector<uint8_t>& out) {
  return readPayload(file, box, out, static_cast<size_t>(std::min<uint64_t>(file.size(), SIZE_MAX)));
}

// Entry count of a full-box table, bounded by the entries the payload can hold.
uint32_t boundedCount(const ByteView& v, size_t countOffset, size_t entrySize) {
  uint32_t count = v.u32(countOffset);
  size_t room = v.size() > countOffset + 4 ? (v.size() - countOffset - 4) / entrySize : 0;
  return static_cast<uint32_t>(std::min<size_t>(count, room));
}

}  // namespace

std::vector<uint32_t> readChapterReferences(const FileReader& file, const Box& tref) {
  std::vector<uint32_t> ids;
  auto chap = firstChild(file, tref, fourCharCode("chap"));
  std::vector<uint8_t> p;
  if (!chap || !readWhole(file, *chap, p)) return ids;
  ByteView v(p);
  for (size_t pos = 0; v.has(pos, 4); pos += 4) ids.push_back(v.u32(pos));
  return ids;
}

bool readEditList(const FileReader& file, const Box& elst, std::vector<EditSegment>& out) {
  std::vector<uint8_t> p;
  if (!readWhole(file, elst, p)) return false;
  ByteView v(p);
  bool wide = v.u8(0) == 1;
  size_t entrySize = wide ? 20 : 12;
  uint32_t count = boundedCount(v, 4, entrySize);
  out.clear();
  for (uint32_t i = 0; i < count; ++i) {
    size_t o = 8 + size_t(i) * entrySize;
    EditSegment e;
    if (wide) {
      e.trackDuration = static_cast<int64_t>(std::min<uint64_t>(v.u64(o), INT64_MAX));
      e.mediaTime = static_cast<int64_t>(v.u64(o + 8));
      e.rate = static_cast<int32_t>(v.u32(o + 16));
    } else {
      e.trackDuration = v.u32(o);
      e.mediaTime = static_cast<int32_t>(v.u32(o + 4));
      e.rate = static_cast<int32_t>(v.u32(o + 8));
    }
    if (e.mediaTime < -1) e.mediaTime = -1;
    out.push_back(e);
  }
  return v.ok();
}

std::shared_ptr<const SampleTable> readSampleTable(const FileReader& file, const Box& stbl) {
  auto table = std::make_shared<SampleTable>();
  table->path = file.path();
  bool haveTiming = false;
  for (const Box& b : childBoxes(file, stbl)) {
    std::vector<uint8_t> p;
    if (b.type == fourCharCode("stts")) {
      if (!readWhole(file, b, p)) continue;
      ByteView v(p);
      uint32_t n = boundedCount(v, 4, 8);
      table->timeToSample.reserve(n);
      for (uint32_t i = 0; i < n; ++i) table->timeToSample.push_back({v.u32(8 + 8 * size_t(i)), v.u32(12 + 8 * size_t(i))});
      haveTiming = true;
    } else if (b.type == fourCharCode("stsc")) {
      if (!readWhole(file, b, p)) continue;
      ByteView v(p);
      uint32_t n = boundedCount(v, 4, 12);
      table->sampleToChunk.reserve(n);
      for (uint32_t i = 0; i < n; ++i)
        table->sampleToChunk.push_back({v.u32(8 + 12 * size_t(i)), v.u32(12 + 12 * size_t(i))});
    } else if (b.type == fourCharCode("stsz")) {
      if (!readWhole(file, b, p)) continue;
      ByteView v(p);
      table->constantSize = v.u32(4);
      if (table->constantSize != 0) {
        // Each sample takes that many bytes of the file: a count beyond what the file can hold is
        // damage, never a reason to lay out (or allocate for) more samples than are there.
        table->sampleCount = static_cast<uint32_t>(std::min<uint64_t>(v.u32(8), file.size() / table->constantSize));
      } else {
        uint32_t n = boundedCount(v, 8, 4);
        table->sampleCount = n;
        table->sizes.reserve(n);
        for (uint32_t i = 0; i < n; ++i) table->sizes.push_back(v.u32(12 + 4 * size_t(i)));
      }
    } else if (b.type == fourCharCode("stz2")) {
      if (!readWhole(file, b, p)) continue;
      ByteView v(p);
      uint8_t field = v.u8(7);
      uint32_t count = v.u32(8);
      if (field != 4 && field != 8 && field != 16) continue;
      size_t room = v.size() > 12 ? (v.size() - 12) * 8 / field : 0;
      uint32_t n = static_cast<uint32_t>(std::min<size_t>(count, room));
      table->constantSize = 0;
      table->sampleCount = n;
      table->sizes.reserve(n);
      for (uint32_t i = 0; i < n; ++i) {
        uint32_t s;
        if (field == 16) s = v.u16(12 + 2 * size_t(i));
        else if (field == 8) s = v.u8(12 + size_t(i));
        else s = (i % 2 == 0) ? (v.u8(12 + i / 2) >> 4) : (v.u8(12 + i / 2) & 0x0f);
        table->sizes.push_back(s);
      }
    } else if (b.type == fourCharCode("ctts")) {
      if (!readWhole(file, b, p)) continue;
      ByteView v(p);
      uint32_t n = boundedCount(v, 4, 8);
      table->compositionOffsets.reserve(n);
      // Version 0 offsets are unsigned in the standard but written signed by many muxers; both
      // read the same below 2^31.
      for (uint32_t i = 0; i < n; ++i)
        table->compositionOffsets.push_back({v.u32(8 + 8 * size_t(i)), static_cast<int32_t>(v.u32(12 + 8 * size_t(i)))});
    } else if (b.type == fourCharCode("stss")) {
      if (!readWhole(file, b, p)) continue;
      ByteView v(p);
      uint32_t n = boundedCount(v, 4, 4);
      table->hasSyncTable = true;
      table->syncSamples.reserve(n);
      for (uint32_t i = 0; i < n; ++i) table->syncSamples.push_back(v.u32(8 + 4 * size_t(i)));
    } else if (b.type == fourCharCode("stco") || b.type == fourCharCode("co64")) {
      if (!readWhole(file, b, p)) continue;
      ByteView v(p);
      bool wide = b.type == fourCharCode("co64");
      uint32_t n = boundedCount(v, 4, wide ? 8 : 4);
      table->chunkOffsets.clear();
      table->chunkOffsets.reserve(n);
      for (uint32_t i = 0; i < n; ++i)
        table->chunkOffsets.push_back(wide ? v.u64(8 + 8 * size_t(i)) : v.u32(8 + 4 * size_t(i)));
    }
  }
  if (!haveTiming) return nullptr;
  indexSampleTable(*table);
  return table;
}

}  // namespace platform::media::isobmff
