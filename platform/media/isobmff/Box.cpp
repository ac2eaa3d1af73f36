#include "Box.h"

namespace platform::media::isobmff {

std::optional<Box> readBoxHeader(const FileReader& file, uint64_t offset, uint64_t limit) {
  limit = std::min(limit, file.size());
  if (offset > limit || limit - offset < 8) return std::nullopt;
  uint8_t h[16];
  if (!file.read(offset, h, 8)) return std::nullopt;
  ByteView v(h, 8);
  Box box;
  box.offset = offset;
  box.type = v.u32(4);
  uint64_t size = v.u32(0);
  box.headerSize = 8;
  if (size == 1) {
    if (limit - offset < 16 || !file.read(offset + 8, h + 8, 8)) return std::nullopt;
    size = ByteView(h, 16).u64(8);
    box.headerSize = 16;
  } else if (size == 0) {
    size = limit - offset;
  }
  if (box.type == fourCharCode("uuid")) box.headerSize += 16;
  if (size < box.headerSize || size > limit - offset) return std::nullopt;
  box.size = size;
  return box;
}

std::vector<Box> childBoxes(const FileReader& file, uint64_t begin, uint64_t end) {
  std::vector<Box> out;
  uint64_t pos = begin;
  while (pos + 8 <= end && out.size() < static_cast<size_t>(kMaxChildBoxes)) {
    auto box = readBoxHeader(file, pos, end);
    if (!box) break;
    out.push_back(*box);
    pos = box->end();
  }
  return out;
}

std::vector<Box> childBoxes(const FileReader& file, const Box& parent) {
  return childBoxes(file, parent.payloadOffset(), parent.end());
}

std::optional<Box> firstChild(const FileReader& file, const Box& parent, OSType type) {
  uint64_t pos = parent.payloadOffset();
  for (int i = 0; i < kMaxChildBoxes && pos + 8 <= parent.end(); ++i) {
    auto box = readBoxHeader(file, pos, parent.end());
    if (!box) return std::nullopt;
    if (box->type == type) return box;
    pos = box->end();
  }
  return std::nullopt;
}

std::optional<Box> findPath(const FileReader& file, const Box& parent, std::initializer_list<OSType> path) {
  std::optional<Box> cur = parent;
  for (OSType t : path) {
    cur = firstChild(file, *cur, t);
    if (!cur) return std::nullopt;
  }
  return cur;
}

bool readPayload(const FileReader& file, const Box& box, std::vector<uint8_t>& out, size_t maxBytes) {
  if (box.payloadSize() > maxBytes) return false;
  return file.readBytes(box.payloadOffset(), static_cast<size_t>(box.payloadSize()), out);
}

}  // namespace platform::media::isobmff
