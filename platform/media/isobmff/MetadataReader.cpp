#include "MetadataReader.h"

#include <optional>

namespace platform::media::isobmff {
namespace {

struct Key {
  OSType nameSpace = 0;
  std::vector<uint8_t> bytes;
};

std::vector<uint8_t> bytesOf(OSType code) {
  return {uint8_t(code >> 24), uint8_t(code >> 16), uint8_t(code >> 8), uint8_t(code)};
}

// Payload of a box, never more than what the file holds.
bool readWhole(const FileReader& file, const Box& box, std::vector<uint8_t>& out) {
  return readPayload(file, box, out, static_cast<size_t>(std::min<uint64_t>(file.size(), SIZE_MAX)));
}

// The children of a "meta" box start after version and flags in the ISO form and straight away in
// the QuickTime form; tell them apart by what follows.
uint64_t metaChildrenStart(const FileReader& file, const Box& meta) {
  uint8_t h[8];
  if (meta.payloadSize() >= 8 && file.read(meta.payloadOffset(), h, 8)) {
    OSType t = ByteView(h, 8).u32(4);
    if (t == fourCharCode("hdlr") || t == fourCharCode("keys") || t == fourCharCode("ilst") || t == fourCharCode("free"))
      return meta.payloadOffset();
  }
  return meta.payloadOffset() + 4;
}

std::vector<Key> readKeys(const FileReader& file, const Box& keys) {
  std::vector<Key> out;
  std::vector<uint8_t> p;
  if (!readWhole(file, keys, p)) return out;
  ByteView v(p);
  uint32_t count = v.u32(4);
  size_t pos = 8;
  for (uint32_t i = 0; i < count && v.has(pos, 8); ++i) {
    uint32_t size = v.u32(pos);
    if (size < 8 || !v.has(pos, size)) break;
    Key k;
    k.nameSpace = v.u32(pos + 4);
    k.bytes.assign(p.begin() + static_cast<long>(pos + 8), p.begin() + static_cast<long>(pos + size));
    out.push_back(std::move(k));
    pos += size;
  }
  return out;
}

void readItemList(const FileReader& file, const Box& ilst, const std::vector<Key>& keys, MovieDescription& out) {
  for (const Box& item : childBoxes(file, ilst)) {
    MetadataItemDescription base;
    if (!keys.empty() && item.type >= 1 && item.type <= keys.size()) {
      const Key& k = keys[item.type - 1];
      base.storageFormat = kStorageKeyed;
      base.keyFormat = k.nameSpace;
      base.key = k.bytes;
    } else {
      base.storageFormat = kStorageItemList;
      base.keyFormat = kKeyFormatShort;
      base.key = bytesOf(item.type);
    }
    std::vector<Box> children = childBoxes(file, item);
    if (item.type == fourCharCode("----")) {
      // Free-form item: its key is the "name" box's text.
      for (const Box& c : children) {
        std::vector<uint8_t> p;
        if (c.type == fourCharCode("name") && readWhole(file, c, p) && p.size() >= 4) {
          base.keyFormat = kKeyFormatLong;
          base.key.assign(p.begin() + 4, p.end());
        }
      }
    }
    for (const Box& c : children) {
      if (c.type != fourCharCode("data")) continue;
      std::vector<uint8_t> p;
      if (!readWhole(file, c, p) || p.size() < 8) continue;
      ByteView v(p);
      uint32_t indicator = v.u32(0);
      MetadataItemDescription it = base;
      // The first byte names the type set; 0 is the well-known types.
      it.dataType = (indicator >> 24) == 0 ? (indicator & 0xffffff) : indicator;
      it.value.assign(p.begin() + 8, p.end());
      out.metadata.push_back(std::move(it));
    }
  }
}

void readMeta(const FileReader& file, const Box& meta, MovieDescription& out) {
  uint64_t begin = metaChildrenStart(file, meta);
  std::vector<Box> children = childBoxes(file, begin, meta.end());
  std::vector<Key> keys;
  for (const Box& c : children)
    if (c.type == fourCharCode("keys")) keys = readKeys(file, c);
  for (const Box& c : children)
    if (c.type == fourCharCode("ilst")) readItemList(file, c, keys, out);
}

void readClassicEntry(const FileReader& file, const Box& box, MovieDescription& out) {
  UserDataEntryDescription entry;
  entry.type = box.type;
  if ((box.type >> 24) == 0xA9) {
    std::vector<uint8_t> p;
    if (readWhole(file, box, p)) {
      ByteView v(p);
      if (v.has(0, 4)) {
        uint16_t size = v.u16(0);
        uint16_t language = v.u16(2);
        if (v.has(4, size)) {
          entry.isText = true;
          entry.language = language;
          entry.utf8 = !isMacLanguageCode(language);
          entry.text.assign(p.begin() + 4, p.begin() + 4 + size);
          MetadataItemDescription it;
          it.storageFormat = kStorageUserData;
          it.keyFormat = kKeyFormatUserData;
          it.key = bytesOf(box.type);
          it.value = entry.text;
          it.dataType = entry.utf8 ? 1 : 3;
          out.metadata.push_back(std::move(it));
        }
      }
    }
  }
  out.userData.push_back(std::move(entry));
}

}  // namespace

bool isMacLanguageCode(uint16_t language) { return language < 0x400; }

void readMovieMetadata(const FileReader& file, const Box& moov, MovieDescription& out) {
  for (const Box& child : childBoxes(file, moov)) {
    if (child.type == fourCharCode("udta")) {
      for (const Box& entry : childBoxes(file, child)) {
        if (entry.type == fourCharCode("meta")) readMeta(file, entry, out);
        readClassicEntry(file, entry, out);
      }
    } else if (child.type == fourCharCode("meta")) {
      readMeta(file, child, out);
    }
  }
}

}  // namespace platform::media::isobmff
