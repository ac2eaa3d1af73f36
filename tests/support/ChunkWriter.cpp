#include "ChunkWriter.h"

#include <cmath>

#include "BoxWriter.h"

namespace testsupport {

std::string le16(uint16_t v) { return {char(v), char(v >> 8)}; }
std::string le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

std::string riffChunk(const std::string& id, const std::string& payload) {
  std::string c = id + le32(static_cast<uint32_t>(payload.size())) + payload;
  if (payload.size() % 2) c += '\0';
  return c;
}

std::string iffChunk(const std::string& id, const std::string& payload) {
  std::string c = id + be32(static_cast<uint32_t>(payload.size())) + payload;
  if (payload.size() % 2) c += '\0';
  return c;
}

std::string infoList(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string body = "INFO";
  for (const auto& [id, text] : entries) body += riffChunk(id, text + '\0');
  return riffChunk("LIST", body);
}

namespace {

// A quiet 440 Hz tone, the same on both channels, as 16-bit samples in the given byte order.
std::string pcm(uint32_t frames, uint32_t rate, bool bigEndian) {
  std::string out;
  out.reserve(frames * 4);
  for (uint32_t i = 0; i < frames; ++i) {
    auto v = static_cast<int16_t>(std::lround(3000 * std::sin(2 * M_PI * 440 * i / rate)));
    std::string s = bigEndian ? be16(static_cast<uint16_t>(v)) : le16(static_cast<uint16_t>(v));
    out += s + s;
  }
  return out;
}

// The 80-bit extended float of an integer sample rate.
std::string extended(uint32_t rate) {
  int exponent = 31;
  uint64_t mantissa = rate;
  while (!(mantissa & 0x80000000u)) {
    mantissa <<= 1;
    --exponent;
  }
  return be16(static_cast<uint16_t>(16383 + exponent)) + be64(mantissa << 32);
}

}  // namespace

std::string wavFile(uint32_t frames, uint32_t rate, const std::string& before, const std::string& after) {
  std::string fmt = le16(1) + le16(2) + le32(rate) + le32(rate * 4) + le16(4) + le16(16);
  std::string body = "WAVE" + riffChunk("fmt ", fmt) + before + riffChunk("data", pcm(frames, rate, false)) + after;
  return "RIFF" + le32(static_cast<uint32_t>(body.size())) + body;
}

std::string aiffFile(uint32_t frames, uint32_t rate, const std::string& extra) {
  std::string comm = be16(2) + be32(frames) + be16(16) + extended(rate);
  std::string body = "AIFF" + iffChunk("COMM", comm) + extra +
                     iffChunk("SSND", be32(0) + be32(0) + pcm(frames, rate, true));
  return "FORM" + be32(static_cast<uint32_t>(body.size())) + body;
}

}  // namespace testsupport
