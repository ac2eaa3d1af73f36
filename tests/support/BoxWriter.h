#pragma once
// Writes QuickTime / ISO base media boxes byte for byte, for fixtures that tools can't make.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// Big-endian field builders.
std::string be16(uint16_t v);
std::string be32(uint32_t v);
std::string be64(uint64_t v);

// A box with a 32-bit size; `type` is four characters.
std::string box(const std::string& type, const std::string& payload);
std::string box(const std::string& type, std::initializer_list<std::string> children);
// A full box (version and flags before the payload).
std::string fullBox(const std::string& type, uint8_t version, uint32_t flags, const std::string& payload);
// A box with the 64-bit large-size form.
std::string largeBox(const std::string& type, const std::string& payload);

std::string ftyp(const std::string& majorBrand, std::initializer_list<std::string> compatible = {});
std::string mvhd(uint32_t timeScale, uint64_t duration, uint8_t version = 0);
std::string tkhd(uint32_t trackID, uint64_t duration, bool enabled, double width = 0, double height = 0,
                 uint8_t version = 0);
std::string mdhd(uint32_t timeScale, uint64_t duration, uint8_t version = 0);
std::string hdlr(const std::string& handlerType, const std::string& componentType = std::string("\0\0\0\0", 4));
// A track with the given handler ("vide", "soun", "text" ...).
std::string trak(uint32_t trackID, const std::string& handlerType, bool enabled = true,
                 const std::string& extra = std::string());


// --- Metadata ---
// An item-list entry: a box named by the key holding one "data" box (type indicator, locale 0).
std::string dataItem(const std::string& key, uint32_t dataType, const std::string& value);
// udta/meta(hdlr "mdir")/ilst, the form iTunes and the ffmpeg tool write.
std::string itunesMetadata(std::initializer_list<std::string> items);
// A QuickTime meta box (no version and flags) with "mdta" keys and an ilst indexing them from 1.
std::string keyedMetadata(const std::vector<std::string>& keys, const std::vector<std::pair<uint32_t, std::string>>& items);
// A classic user data text entry: one (16-bit size, 16-bit language, text) record.
std::string classicText(const std::string& type, uint16_t language, const std::string& text);

// --- Tracks and samples ---
std::string tref(const std::string& type, std::initializer_list<uint32_t> trackIDs);
// edts/elst (version 0) with (track duration, media time) entries at rate 1.
std::string editList(std::initializer_list<std::pair<uint32_t, int32_t>> edits);
// stbl with one stts entry per sample, every sample in one chunk at `chunkOffset`.
std::string sampleTable(const std::vector<uint32_t>& durations, const std::vector<uint32_t>& sizes,
                        uint64_t chunkOffset, bool wideOffsets = false);
// A QuickTime text sample: 16-bit length, the text, then an "encd" box (UTF-8).
std::string textSample(const std::string& text);
// A text track whose samples sit at `chunkOffset`.
std::string textTrack(uint32_t trackID, bool enabled, uint32_t mediaScale, const std::vector<uint32_t>& durations,
                      const std::vector<std::string>& samples, uint64_t chunkOffset, const std::string& edits = "");

// --- ID3v2 ---
// A frame of version 3 or 4 (4-byte ID); version 2 takes a 3-byte ID.
std::string id3Frame(int version, const std::string& id, const std::string& content, uint16_t flags = 0);
// A tag: header (with `flags`) and the frames.
std::string id3Tag(int version, const std::string& frames, uint8_t flags = 0);
// Syncsafe 28-bit number.
std::string syncsafe32(uint32_t v);

}  // namespace testsupport
