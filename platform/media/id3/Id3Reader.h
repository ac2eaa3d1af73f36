#pragma once
// ID3v2 tags (versions 2.2, 2.3 and 2.4): header, extended header, unsynchronisation and frames.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/media/isobmff/FileReader.h"

namespace platform::media::id3 {

struct Frame {
  std::string id;             // four characters; 2.2 frame IDs are given as their 2.3 names
  std::vector<uint8_t> data;  // content with unsynchronisation undone
};

struct Tag {
  int version = 0;  // 2, 3 or 4
  std::vector<Frame> frames;
  // Every frame of the tag was read: the walk ended at the end of the tag or at zero padding,
  // and no frame was left out (compressed, encrypted, damaged).
  bool complete = true;
};

// Parses a tag from its bytes, header included. nullopt when the header is not an ID3v2 header.
// Damaged frames end the frame list; what was read before them is kept.
std::optional<Tag> parseTag(const uint8_t* data, size_t size);

// Finds and parses a tag: at the start of the file (MP3, AAC, FLAC with a leading tag), or as the
// "ID3 " / "id3 " chunk of a RIFF (WAV) or FORM (AIFF) file.
std::optional<Tag> readTag(const isobmff::FileReader& file);

// Text of a text frame (T***, not TXXX): the first string, as UTF-8, and the further non-empty
// values of a 2.4 list joined to it with "/". nullopt for an empty frame.
std::optional<std::string> frameText(const Frame& frame);
// Every string of a text frame, as UTF-8; nullopt for an empty frame.
std::optional<std::vector<std::string>> frameValues(const Frame& frame);
// TXXX: (description, value).
std::optional<std::pair<std::string, std::string>> userTextFrame(const Frame& frame);
// COMM and USLT: (description, text), the three-letter language skipped.
std::optional<std::pair<std::string, std::string>> commentFrame(const Frame& frame);
// APIC (and 2.2 PIC): (MIME type, picture bytes).
std::optional<std::pair<std::string, std::vector<uint8_t>>> pictureFrame(const Frame& frame, int version);

}  // namespace platform::media::id3
