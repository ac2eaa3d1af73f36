#pragma once
// A bounded reader of EBML, the element structure of Matroska and WebM: each element is an ID,
// a size and a body; master elements hold elements. Every size is checked against its parent
// and the file, nesting is capped, and a damaged element ends the walk of its parent.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/media/isobmff/FileReader.h"

namespace platform::media::matroska {

constexpr uint64_t kUnknownSize = ~0ULL;

struct Element {
  uint32_t id = 0;
  uint64_t offset = 0;      // of the ID
  uint64_t dataOffset = 0;  // of the body
  uint64_t size = 0;        // of the body; kUnknownSize when the element doesn't say
  uint64_t end() const { return size == kUnknownSize ? kUnknownSize : dataOffset + size; }
};

class EbmlReader {
 public:
  explicit EbmlReader(const isobmff::FileReader& file) : file_(file) {}

  // The element at `offset`, whose body must end by `limit`; nullopt when the header can't be
  // read or the body doesn't fit. An unknown size is allowed only where `unknownSizeOK`.
  std::optional<Element> elementAt(uint64_t offset, uint64_t limit, bool unknownSizeOK = false) const;

  // Calls `visit` for each child of [begin, end) in order, until it returns false or a child is
  // damaged; false in the latter case.
  bool children(uint64_t begin, uint64_t end, const std::function<bool(const Element&)>& visit) const;

  // Bodies of leaf elements. Integers of 0 to 8 bytes; floats of 0, 4 or 8 bytes; strings up to
  // the first zero byte and at most kMaxString bytes.
  std::optional<uint64_t> unsignedInteger(const Element& e) const;
  std::optional<double> floatingPoint(const Element& e) const;
  std::optional<std::string> string(const Element& e) const;
  std::optional<std::vector<uint8_t>> bytes(const Element& e, size_t max) const;

  const isobmff::FileReader& file() const { return file_; }

  static constexpr size_t kMaxString = 1 << 20;
  static constexpr int kMaxChildren = 1 << 16;

 private:
  const isobmff::FileReader& file_;
};

}  // namespace platform::media::matroska
