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
