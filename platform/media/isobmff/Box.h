#pragma once
// Box headers of the QuickTime / ISO base media file format and a bounded walk over them.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "FileReader.h"
#include "platform/media/MediaTypes.h"

namespace platform::media::isobmff {

struct Box {
  OSType type = 0;
  uint64_t offset = 0;      // of the header
  uint64_t headerSize = 0;  // 8, 16 (64-bit size) or more with a "uuid" extended type
  uint64_t size = 0;        // header included
  uint64_t payloadOffset() const { return offset + headerSize; }
  uint64_t payloadSize() const { return size - headerSize; }
  uint64_t end() const { return offset + size; }
};

// Children visited per parent; a loop over more is not a real file. (The readers follow fixed
// paths of box types, never a recursive walk, so nesting depth needs no bound of its own.)
constexpr int kMaxChildBoxes = 100000;

// Reads the header of the box at `offset`, which must end by `limit`. A size of 0 runs to `limit`.
// nullopt for a header that doesn't fit, a size below the header, or a box past `limit`.
std::optional<Box> readBoxHeader(const FileReader& file, uint64_t offset, uint64_t limit);

// The boxes in [begin, end) in order; stops at the first broken header.
std::vector<Box> childBoxes(const FileReader& file, uint64_t begin, uint64_t end);
std::vector<Box> childBoxes(const FileReader& file, const Box& parent);
std::optional<Box> firstChild(const FileReader& file, const Box& parent, OSType type);
// Follows a path of box types from a parent, taking the first match at each level.
std::optional<Box> findPath(const FileReader& file, const Box& parent, std::initializer_list<OSType> path);

// Reads a box's payload, refusing payloads larger than `maxBytes`.
bool readPayload(const FileReader& file, const Box& box, std::vector<uint8_t>& out, size_t maxBytes);

}  // namespace platform::media::isobmff
