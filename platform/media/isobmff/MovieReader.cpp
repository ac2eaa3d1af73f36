#include "MovieReader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <set>

#include "Box.h"
#include "FragmentReader.h"
#include "MetadataReader.h"
#include "TrackTables.h"

namespace platform::media::isobmff {
namespace {

constexpr size_t kMaxHeaderPayload = 4096;

int64_t clampDuration(uint64_t d) {
  return d > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) ? std::numeric_limits<int64_t>::max()
                                                                         : static_cast<int64_t>(d);
}

bool isTopLevelType(OSType t) {
  static constexpr std::array<OSType, 11> kTypes = {fourCharCode("ftyp"), fourCharCode("moov"), fourCharCode("mdat"), fourCharCode("free"),
                                                    fourCharCode("skip"), fourCharCode("wide"), fourCharCode("pnot"), fourCharCode("uuid"),
                                                    fourCharCode("pdin"), fourCharCode("styp"), fourCharCode("PICT")};
  return std::find(kTypes.begin(), kTypes.end(), t) != kTypes.end();
}

bool isImageBrand(OSType brand) {
  static constexpr std::array<OSType, 10> kImageBrands = {fourCharCode("heic"), fourCharCode("heix"), fourCharCode("heim"),
                                                          fourCharCode("heis"), fourCharCode("mif1"), fourCharCode("msf1"),
                                                          fourCharCode("avif"), fourCharCode("avis"), fourCharCode("jpx "),
                                                          fourCharCode("crx ")};
  return std::find(kImageBrands.begin(), kImageBrands.end(), brand) != kImageBrands.end();
}

// Top-level boxes; the last one may claim more than the file holds (a cut file) and is then
// clamped to the end.
std::vector<Box> topLevelBoxes(const FileReader& file) {
  std::vector<Box> out;
  uint64_t pos = 0;
  while (pos + 8 <= file.size() && out.size() < static_cast<size_t>(kMaxChildBoxes)) {
    auto box = readBoxHeader(file, pos, file.size());
    if (!box) {
      uint8_t h[8];
      if (!file.read(pos, h, 8)) break;
      ByteView v(h, 8);
      Box cut;
      cut.offset = pos;
      cut.type = v.u32(4);
      cut.headerSize = 8;
      uint32_t size32 = v.u32(0);
      if (size32 != 1 && size32 < 8) break;
      if (!isTopLevelType(cut.type) && cut.type != fourCharCode("meta")) break;
      cut.size = file.size() - pos;
      out.push_back(cut);
      break;
    }
    out.push_back(*box);
    pos = box->end();
  }
  return out;
}

bool readMovieHeader(const FileReader& file, const Box& mvhd, MovieDescription& out) {
  std::vector<uint8_t> p;
  if (!readPayload(file, mvhd, p, kMaxHeaderPayload)) return false;
  ByteView v(p);
  uint8_t version = v.u8(0);
  uint32_t scale;
  uint64_t duration;
  if (version == 1) {
    scale = v.u32(20);
    duration = v.u64(24);
  } else {
    scale = v.u32(12);
    duration = v.u32(16);
  }
  if (!v.ok()) return false;
  // Scales above INT32_MAX do not fit the time record; they are as unusable as 0.
  out.timeScale = scale > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()) ? 0 : static_cast<int32_t>(scale);
  out.duration = clampDuration(duration);
  return true;
}

void readTrackHeader(const FileReader& file, const Box& tkhd, TrackDescription& t) {
  std::vector<uint8_t> p;
  if (!readPayload(file, tkhd, p, kMaxHeaderPayload)) return;
  ByteView v(p);
  uint8_t version = v.u8(0);
  uint32_t flags = v.u24(1);
  size_t afterDuration;
  if (version == 1) {
    t.trackID = v.u32(20);
    t.duration = clampDuration(v.u64(28));
    afterDuration = 36;
  } else {
    t.trackID = v.u32(12);
    t.duration = v.u32(20);
    afterDuration = 24;
  }
  // reserved(8) layer(2) group(2) volume(2) reserved(2) matrix(36), then width and height 16.16
  size_t sizeOffset = afterDuration + 52;
  if (v.has(sizeOffset, 8)) {
    t.width = v.fixed16_16(sizeOffset) / 65536.0;
    t.height = v.fixed16_16(sizeOffset + 4) / 65536.0;
  }
  t.enabled = (flags & 1) != 0;
}

void readMediaHeader(const FileReader& file, const Box& mdhd, TrackDescription& t) {
  std::vector<uint8_t> p;
  if (!readPayload(file, mdhd, p, kMaxHeaderPayload)) return;
  ByteView v(p);
  if (v.u8(0) == 1) {
    t.mediaTimeScale = v.u32(20);
    t.mediaDuration = clampDuration(v.u64(24));
  } else {
    t.mediaTimeScale = v.u32(12);
    t.mediaDuration = v.u32(16);
  }
}

void readHandler(const FileReader& file, const Box& hdlr, TrackDescription& t) {
  std::vector<uint8_t> p;
  if (!file.readBytes(hdlr.payloadOffset(), static_cast<size_t>(std::min<uint64_t>(hdlr.payloadSize(), 12)), p))
    return;
  ByteView v(p);
  uint32_t handler = v.u32(8);
  if (v.ok()) t.mediaType = fourCCString(handler);
}

void readSampleFormat(const FileReader& file, const Box& stsd, TrackDescription& t) {
  std::vector<uint8_t> p;
  if (!file.readBytes(stsd.payloadOffset(), static_cast<size_t>(std::min<uint64_t>(stsd.payloadSize(), 16)), p))
    return;
  ByteView v(p);
  if (v.u32(4) >= 1 && v.has(12, 4)) t.codec = fourCCString(v.u32(12));
}

TrackDescription readTrack(const FileReader& file, const Box& trak, std::optional<Box>& stbl) {
  TrackDescription t;
  if (auto tkhd = firstChild(file, trak, fourCharCode("tkhd"))) readTrackHeader(file, *tkhd, t);
  if (auto tref = firstChild(file, trak, fourCharCode("tref"))) t.chapterTrackIDs = readChapterReferences(file, *tref);
  if (auto elst = findPath(file, trak, {fourCharCode("edts"), fourCharCode("elst")}))
    t.hasEditList = readEditList(file, *elst, t.edits);
  if (auto mdia = firstChild(file, trak, fourCharCode("mdia"))) {
    if (auto mdhd = firstChild(file, *mdia, fourCharCode("mdhd"))) readMediaHeader(file, *mdhd, t);
    if (auto hdlr = firstChild(file, *mdia, fourCharCode("hdlr"))) readHandler(file, *hdlr, t);
    stbl = findPath(file, *mdia, {fourCharCode("minf"), fourCharCode("stbl")});
    if (stbl) {
      if (auto stsd = firstChild(file, *stbl, fourCharCode("stsd"))) readSampleFormat(file, *stsd, t);
    }
  }
  return t;
}

}  // namespace

Sniff sniffFile(const FileReader& file) {
  uint8_t h[12];
  if (!file.read(0, h, std::min<uint64_t>(12, file.size())) || file.size() < 8) return Sniff::NotIsoBmff;
  ByteView v(h, std::min<size_t>(12, file.size()));
  uint32_t size = v.u32(0);
  OSType type = v.u32(4);
  if (!isTopLevelType(type) || (size != 0 && size != 1 && size < 8)) return Sniff::NotIsoBmff;
  if (type == fourCharCode("ftyp")) {
    if (size < 12 || !v.has(8, 4)) return Sniff::NotIsoBmff;
    if (isImageBrand(v.u32(8))) return Sniff::Image;
  }
  return Sniff::Movie;
}

std::optional<Box> findMovieBox(const FileReader& file) {
  for (const Box& box : topLevelBoxes(file))
    if (box.type == fourCharCode("moov")) return box;
  return std::nullopt;
}

bool sampleCountsFitFile(const FileReader& file) {
  auto moov = findMovieBox(file);
  if (!moov) return true;
  const uint64_t most = file.size();
  for (const Box& trak : childBoxes(file, *moov)) {
    if (trak.type != fourCharCode("trak")) continue;
    auto stbl = findPath(file, trak, {fourCharCode("mdia"), fourCharCode("minf"), fourCharCode("stbl")});
    if (!stbl) continue;
    for (const Box& table : childBoxes(file, *stbl)) {
      uint8_t h[12];
      if ((table.type == fourCharCode("stsz") || table.type == fourCharCode("stz2")) && table.payloadSize() >= 12 &&
          file.read(table.payloadOffset(), h, 12)) {
        if (ByteView(h, 12).u32(8) > most) return false;
      } else if (table.type == fourCharCode("stsc")) {
        std::vector<uint8_t> p;
        if (!readPayload(file, table, p, static_cast<size_t>(std::min<uint64_t>(file.size(), SIZE_MAX)))) continue;
        ByteView v(p);
        for (size_t pos = 8; v.has(pos, 12); pos += 12)
          if (v.u32(pos + 4) > most) return false;
      }
    }
  }
  return true;
}

OSStatus readMovie(const FileReader& file, MovieDescription& out) {
  out = MovieDescription();
  out.family = ContainerFamily::QuickTime;
  out.formatName = "qt  ";
  std::optional<Box> moov;
  const std::vector<Box> topLevel = topLevelBoxes(file);
  for (const Box& box : topLevel) {
    if (box.type == fourCharCode("ftyp")) {
      uint8_t brand[4];
      if (box.payloadSize() >= 4 && file.read(box.payloadOffset(), brand, 4))
        out.formatName = fourCCString(ByteView(brand, 4).u32(0));
    } else if (box.type == fourCharCode("moov") && !moov) {
      moov = box;
    }
  }
  if (!moov) return invalidMovie;
  auto mvhd = firstChild(file, *moov, fourCharCode("mvhd"));
  if (!mvhd || !readMovieHeader(file, *mvhd, out)) return invalidMovie;
  std::vector<std::optional<Box>> sampleTables;
  for (const Box& child : childBoxes(file, *moov)) {
    if (child.type != fourCharCode("trak")) continue;
    std::optional<Box> stbl;
    out.tracks.push_back(readTrack(file, child, stbl));
    out.tracks.back().movieTimeScale = out.timeScale;
    sampleTables.push_back(stbl);
  }
  // Sample tables are read for chapter tracks only; the media's own tables are never needed here.
  std::set<uint32_t> chapterIDs;
  for (const TrackDescription& t : out.tracks) chapterIDs.insert(t.chapterTrackIDs.begin(), t.chapterTrackIDs.end());
  chapterIDs.erase(0);
  for (size_t i = 0; i < out.tracks.size(); ++i) {
    TrackDescription& target = out.tracks[i];
    if (chapterIDs.count(target.trackID) && sampleTables[i] && !target.samples)
      target.samples = readSampleTable(file, *sampleTables[i]);
  }
  applyFragmentDurations(file, *moov, topLevel, out);
  readMovieMetadata(file, *moov, out);
  return noErr;
}

}  // namespace platform::media::isobmff
