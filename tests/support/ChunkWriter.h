#pragma once
// Writes RIFF (WAV) and IFF (AIFF) files byte for byte, with tag chunks the ffmpeg tool can't
// write together: a few frames of 16-bit PCM and the given chunks.
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

std::string le16(uint16_t v);
std::string le32(uint32_t v);

// A little-endian (RIFF) or big-endian (IFF) chunk, padded to an even size.
std::string riffChunk(const std::string& id, const std::string& payload);
std::string iffChunk(const std::string& id, const std::string& payload);

// RIFF INFO list of (four-character ID, text) entries, each text zero-terminated.
std::string infoList(const std::vector<std::pair<std::string, std::string>>& entries);

// A 16-bit stereo PCM WAV of `frames` frames at `rate` Hz; `before` goes between "fmt " and
// "data", `after` behind the data.
std::string wavFile(uint32_t frames, uint32_t rate, const std::string& before, const std::string& after = {});
// A 16-bit stereo PCM AIFF of `frames` frames at `rate` Hz, with `extra` chunks after COMM.
std::string aiffFile(uint32_t frames, uint32_t rate, const std::string& extra);

}  // namespace testsupport
