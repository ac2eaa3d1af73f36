#include "BoxWriter.h"

#include <cmath>

namespace testsupport {

std::string be16(uint16_t v) { return std::string{char(v >> 8), char(v)}; }
std::string be32(uint32_t v) { return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }
std::string be64(uint64_t v) { return be32(uint32_t(v >> 32)) + be32(uint32_t(v)); }

std::string box(const std::string& type, const std::string& payload) {
  return be32(static_cast<uint32_t>(payload.size() + 8)) + type.substr(0, 4) + payload;
}

std::string box(const std::string& type, std::initializer_list<std::string> children) {
  std::string payload;
  for (const auto& c : children) payload += c;
  return box(type, payload);
}

std::string fullBox(const std::string& type, uint8_t version, uint32_t flags, const std::string& payload) {
  return box(type, std::string{char(version), char(flags >> 16), char(flags >> 8), char(flags)} + payload);
}

std::string largeBox(const std::string& type, const std::string& payload) {
  return be32(1) + type.substr(0, 4) + be64(payload.size() + 16) + payload;
}

std::string ftyp(const std::string& majorBrand, std::initializer_list<std::string> compatible) {
  std::string p = majorBrand.substr(0, 4) + be32(0);
  for (const auto& c : compatible) p += c.substr(0, 4);
  return box("ftyp", p);
}

std::string mvhd(uint32_t timeScale, uint64_t duration, uint8_t version) {
  std::string p = version == 1 ? be64(0) + be64(0) + be32(timeScale) + be64(duration)
                               : be32(0) + be32(0) + be32(timeScale) + be32(uint32_t(duration));
  p += be32(0x00010000) + be16(0x0100) + std::string(10, '\0');  // rate, volume, reserved
  p += std::string(36, '\0') + std::string(24, '\0') + be32(2);  // matrix, predefined, next track
  return fullBox("mvhd", version, 0, p);
}

std::string tkhd(uint32_t trackID, uint64_t duration, bool enabled, double width, double height, uint8_t version) {
  std::string p = version == 1 ? be64(0) + be64(0) + be32(trackID) + be32(0) + be64(duration)
                               : be32(0) + be32(0) + be32(trackID) + be32(0) + be32(uint32_t(duration));
  p += std::string(8, '\0') + be16(0) + be16(0) + be16(0) + be16(0) + std::string(36, '\0');
  p += be32(uint32_t(std::lround(width * 65536))) + be32(uint32_t(std::lround(height * 65536)));
  return fullBox("tkhd", version, enabled ? 3 : 2, p);
}

std::string mdhd(uint32_t timeScale, uint64_t duration, uint8_t version) {
  std::string p = version == 1 ? be64(0) + be64(0) + be32(timeScale) + be64(duration)
                               : be32(0) + be32(0) + be32(timeScale) + be32(uint32_t(duration));
  p += be16(0x55c4) + be16(0);
  return fullBox("mdhd", version, 0, p);
}

std::string hdlr(const std::string& handlerType, const std::string& componentType) {
  return fullBox("hdlr", 0, 0, componentType.substr(0, 4) + handlerType.substr(0, 4) + std::string(12, '\0') + '\0');
}

std::string trak(uint32_t trackID, const std::string& handlerType, bool enabled, const std::string& extra) {
  return box("trak", {tkhd(trackID, 600, enabled), box("mdia", {mdhd(1000, 1000), hdlr(handlerType)}), extra});
}

}  // namespace testsupport

namespace testsupport {

std::string dataItem(const std::string& key, uint32_t dataType, const std::string& value) {
  return box(key, box("data", be32(dataType) + be32(0) + value));
}

std::string itunesMetadata(std::initializer_list<std::string> items) {
  std::string list;
  for (const auto& i : items) list += i;
  return box("udta", fullBox("meta", 0, 0, hdlr("mdir") + box("ilst", list)));
}

std::string keyedMetadata(const std::vector<std::string>& keys, const std::vector<std::pair<uint32_t, std::string>>& items) {
  std::string k = be32(0) + be32(static_cast<uint32_t>(keys.size()));
  for (const auto& key : keys) k += be32(static_cast<uint32_t>(key.size() + 8)) + "mdta" + key;
  std::string list;
  for (const auto& [index, dataBox] : items) list += be32(static_cast<uint32_t>(dataBox.size() + 8)) + be32(index) + dataBox;
  return box("meta", hdlr("mdta") + box("keys", k) + box("ilst", list));
}

std::string classicText(const std::string& type, uint16_t language, const std::string& text) {
  return box(type, be16(static_cast<uint16_t>(text.size())) + be16(language) + text);
}

std::string tref(const std::string& type, std::initializer_list<uint32_t> trackIDs) {
  std::string ids;
  for (uint32_t id : trackIDs) ids += be32(id);
  return box("tref", box(type, ids));
}

std::string editList(std::initializer_list<std::pair<uint32_t, int32_t>> edits) {
  std::string p = be32(static_cast<uint32_t>(edits.size()));
  for (const auto& [duration, mediaTime] : edits) p += be32(duration) + be32(static_cast<uint32_t>(mediaTime)) + be32(0x10000);
  return box("edts", fullBox("elst", 0, 0, p));
}

std::string sampleTable(const std::vector<uint32_t>& durations, const std::vector<uint32_t>& sizes, uint64_t chunkOffset,
                        bool wideOffsets) {
  std::string stts = be32(static_cast<uint32_t>(durations.size()));
  for (uint32_t d : durations) stts += be32(1) + be32(d);
  std::string stsz = be32(0) + be32(static_cast<uint32_t>(sizes.size()));
  for (uint32_t s : sizes) stsz += be32(s);
  std::string stsc = be32(1) + be32(1) + be32(static_cast<uint32_t>(sizes.size())) + be32(1);
  std::string offsets = wideOffsets ? fullBox("co64", 0, 0, be32(1) + be64(chunkOffset))
                                    : fullBox("stco", 0, 0, be32(1) + be32(static_cast<uint32_t>(chunkOffset)));
  return box("stbl", {fullBox("stsd", 0, 0, be32(0)), fullBox("stts", 0, 0, stts), fullBox("stsc", 0, 0, stsc),
                      fullBox("stsz", 0, 0, stsz), offsets});
}

std::string textSample(const std::string& text) {
  return be16(static_cast<uint16_t>(text.size())) + text + box("encd", be32(0x100));
}

std::string textTrack(uint32_t trackID, bool enabled, uint32_t mediaScale, const std::vector<uint32_t>& durations,
                      const std::vector<std::string>& samples, uint64_t chunkOffset, const std::string& edits) {
  std::vector<uint32_t> sizes;
  uint64_t total = 0;
  for (const auto& s : samples) sizes.push_back(static_cast<uint32_t>(s.size()));
  for (uint32_t d : durations) total += d;
  return box("trak", {tkhd(trackID, 0, enabled), edits,
                      box("mdia", {mdhd(mediaScale, total), hdlr("text"),
                                   box("minf", {sampleTable(durations, sizes, chunkOffset)})})});
}

std::string syncsafe32(uint32_t v) {
  return std::string{char((v >> 21) & 0x7f), char((v >> 14) & 0x7f), char((v >> 7) & 0x7f), char(v & 0x7f)};
}

std::string id3Frame(int version, const std::string& id, const std::string& content, uint16_t flags) {
  if (version == 2) {
    uint32_t n = static_cast<uint32_t>(content.size());
    return id.substr(0, 3) + std::string{char(n >> 16), char(n >> 8), char(n)} + content;
  }
  std::string size = version == 4 ? syncsafe32(static_cast<uint32_t>(content.size())) : be32(static_cast<uint32_t>(content.size()));
  return id.substr(0, 4) + size + be16(flags) + content;
}

std::string id3Tag(int version, const std::string& frames, uint8_t flags) {
  return std::string("ID3") + char(version) + '\0' + char(flags) + syncsafe32(static_cast<uint32_t>(frames.size())) + frames;
}

}  // namespace testsupport
