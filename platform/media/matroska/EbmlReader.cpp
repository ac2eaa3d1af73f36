#include "EbmlReader.h"

#include <cstring>

namespace platform::media::matroska {

namespace {

// A variable-length number: the count of leading zero bits of the first byte gives the length.
// IDs keep their marker bit; sizes lose it, and all value bits set means "unknown".
bool readVint(const isobmff::FileReader& file, uint64_t offset, int maxLength, bool keepMarker, uint64_t& value,
              int& length, bool& allOnes) {
  uint8_t b[8];
  if (!file.read(offset, b, 1) || b[0] == 0) return false;
  length = 1;
  while (!(b[0] & (0x80 >> (length - 1)))) ++length;
  if (length > maxLength || !file.read(offset, b, static_cast<size_t>(length))) return false;
  value = keepMarker ? b[0] : b[0] & (0xff >> length);
  allOnes = (b[0] & (0xff >> length)) == (0xff >> length);
  for (int i = 1; i < length; ++i) {
    value = value << 8 | b[i];
    allOnes = allOnes && b[i] == 0xff;
  }
  return true;
}

}  // namespace

std::optional<Element> EbmlReader::elementAt(uint64_t offset, uint64_t limit, bool unknownSizeOK) const {
  Element e;
  uint64_t id, size;
  int idLength, sizeLength;
  bool ones;
  if (!readVint(file_, offset, 4, true, id, idLength, ones)) return std::nullopt;
  if (!readVint(file_, offset + idLength, 8, false, size, sizeLength, ones)) return std::nullopt;
  e.id = static_cast<uint32_t>(id);
  e.offset = offset;
  e.dataOffset = offset + idLength + sizeLength;
  if (ones) {
    if (!unknownSizeOK) return std::nullopt;
    e.size = kUnknownSize;
    return e;
  }
  limit = std::min(limit, file_.size());
  if (e.dataOffset > limit || size > limit - e.dataOffset) return std::nullopt;
  e.size = size;
  return e;
}

bool EbmlReader::children(uint64_t begin, uint64_t end, const std::function<bool(const Element&)>& visit) const {
  uint64_t pos = begin;
  for (int n = 0; pos < end; ++n) {
    if (n >= kMaxChildren) return false;
    std::optional<Element> e = elementAt(pos, end);
    if (!e) return false;
    if (!visit(*e)) return true;
    pos = e->end();
  }
  return true;
}

std::optional<uint64_t> EbmlReader::unsignedInteger(const Element& e) const {
  if (e.size > 8) return std::nullopt;
  uint8_t b[8];
  if (e.size && !file_.read(e.dataOffset, b, static_cast<size_t>(e.size))) return std::nullopt;
  uint64_t v = 0;
  for (uint64_t i = 0; i < e.size; ++i) v = v << 8 | b[i];
  return v;
}

std::optional<double> EbmlReader::floatingPoint(const Element& e) const {
  uint8_t b[8];
  if (e.size == 0) return 0.0;
  if ((e.size != 4 && e.size != 8) || !file_.read(e.dataOffset, b, static_cast<size_t>(e.size))) return std::nullopt;
  uint64_t bits = 0;
  for (uint64_t i = 0; i < e.size; ++i) bits = bits << 8 | b[i];
  if (e.size == 4) {
    float f;
    uint32_t u = static_cast<uint32_t>(bits);
    std::memcpy(&f, &u, 4);
    return f;
  }
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

std::optional<std::string> EbmlReader::string(const Element& e) const {
  if (e.size > kMaxString) return std::nullopt;
  std::vector<uint8_t> v;
  if (!file_.readBytes(e.dataOffset, static_cast<size_t>(e.size), v)) return std::nullopt;
  const void* zero = v.empty() ? nullptr : std::memchr(v.data(), 0, v.size());
  return std::string(v.begin(), zero ? v.begin() + (static_cast<const uint8_t*>(zero) - v.data()) : v.end());
}

std::optional<std::vector<uint8_t>> EbmlReader::bytes(const Element& e, size_t max) const {
  if (e.size > max) return std::nullopt;
  std::vector<uint8_t> v;
  if (!file_.readBytes(e.dataOffset, static_cast<size_t>(e.size), v)) return std::nullopt;
  return v;
}

}  // namespace platform::media::matroska
