#include "spectrum_au/host/WavReader.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr uint16_t kFormatPCM = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr uint32_t kMaxChannels = 64;

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

float sampleAt(const uint8_t* p, uint32_t bits, bool isFloat) {
  if (isFloat) {
    float value;
    const uint32_t raw = le32(p);
    std::memcpy(&value, &raw, sizeof value);
    return value;
  }
  switch (bits) {
    case 16:
      return float(int16_t(le16(p))) / 32768.0f;
    case 24: {
      int32_t v = int32_t(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24) >> 8;
      return float(v) / 8388608.0f;
    }
    default:
      return float(double(int32_t(le32(p))) / 2147483648.0);
  }
}

}  // namespace

bool readWav(const std::string& path, WavAudio& audio, std::string& error) {
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    error = "cannot open '" + path + "'";
    return false;
  }
  uint8_t header[12];
  if (std::fread(header, 1, 12, file.get()) != 12 || std::memcmp(header, "RIFF", 4) != 0 ||
      std::memcmp(header + 8, "WAVE", 4) != 0) {
    error = "'" + path + "' is not a WAV file";
    return false;
  }
  bool haveFormat = false;
  uint16_t blockAlign = 0;
  for (;;) {
    uint8_t chunk[8];
    if (std::fread(chunk, 1, 8, file.get()) != 8) {
      error = haveFormat ? "no data chunk in '" + path + "'" : "no format chunk in '" + path + "'";
      return false;
    }
    const uint32_t size = le32(chunk + 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16 || size > 1024) {
        error = "bad format chunk in '" + path + "'";
        return false;
      }
      uint8_t fmt[1024];
      if (std::fread(fmt, 1, size, file.get()) != size) {
        error = "truncated format chunk in '" + path + "'";
        return false;
      }
      if (size & 1) std::fgetc(file.get());
      uint16_t tag = le16(fmt);
      audio.channels = le16(fmt + 2);
      audio.sampleRate = le32(fmt + 4);
      blockAlign = le16(fmt + 12);
      audio.bitsPerSample = le16(fmt + 14);
      if (tag == kFormatExtensible && size >= 40) tag = le16(fmt + 24);  // sub-format GUID starts with the tag
      audio.isFloat = tag == kFormatFloat;
      const bool supported = (tag == kFormatPCM && (audio.bitsPerSample == 16 || audio.bitsPerSample == 24 ||
                                                    audio.bitsPerSample == 32)) ||
                             (tag == kFormatFloat && audio.bitsPerSample == 32);
      if (!supported) {
        error = "unsupported sample format in '" + path + "' (PCM 16/24/32-bit integer or 32-bit float only)";
        return false;
      }
      if (audio.channels == 0 || audio.channels > kMaxChannels || audio.sampleRate <= 0 ||
          blockAlign != audio.channels * (audio.bitsPerSample / 8)) {
        error = "bad format chunk in '" + path + "'";
        return false;
      }
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) {
        error = "data before format in '" + path + "'";
        return false;
      }
      // A size that runs past the end of the file (streams written without a final size)
      // means "to the end".
      std::vector<uint8_t> bytes;
      const size_t block = 1 << 16;
      uint64_t remaining = size;
      while (remaining > 0) {
        const size_t want = remaining < block ? size_t(remaining) : block;
        const size_t at = bytes.size();
        bytes.resize(at + want);
        const size_t got = std::fread(bytes.data() + at, 1, want, file.get());
        bytes.resize(at + got);
        if (got < want) break;
        remaining -= got;
      }
      const size_t frames = bytes.size() / blockAlign;
      const uint32_t bytesPerSample = audio.bitsPerSample / 8;
      audio.samples.assign(audio.channels, std::vector<float>(frames));
      for (size_t f = 0; f < frames; ++f)
        for (uint32_t c = 0; c < audio.channels; ++c)
          audio.samples[c][f] = sampleAt(bytes.data() + f * blockAlign + c * bytesPerSample, audio.bitsPerSample, audio.isFloat);
      return true;
    } else {
      // Skip any other chunk (padded to an even size).
      if (fseeko(file.get(), off_t(size) + (size & 1), SEEK_CUR) != 0) {
        error = "truncated chunk in '" + path + "'";
        return false;
      }
    }
  }
}
