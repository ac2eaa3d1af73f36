#pragma once
// Random-access reads of one file with every read checked against the file's size.
#include <cstdint>
#include <string>
#include <vector>

namespace platform::media::isobmff {

class FileReader {
 public:
  explicit FileReader(const std::string& path);
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  uint64_t size() const { return size_; }
  // Reads exactly `length` bytes at `offset`; false when any of them lies past the end.
  bool read(uint64_t offset, void* out, size_t length) const;
  bool readBytes(uint64_t offset, size_t length, std::vector<uint8_t>& out) const;

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

// Big-endian field access on a byte buffer, bounds-checked: reads past the end give 0 and set ok=false.
class ByteView {
 public:
  ByteView(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit ByteView(const std::vector<uint8_t>& v) : data_(v.data()), size_(v.size()) {}

  size_t size() const { return size_; }
  bool ok() const { return ok_; }
  bool has(size_t offset, size_t length) const { return offset <= size_ && length <= size_ - offset; }
  uint8_t u8(size_t offset) const;
  uint16_t u16(size_t offset) const;
  uint32_t u24(size_t offset) const;
  uint32_t u32(size_t offset) const;
  uint64_t u64(size_t offset) const;
  int32_t fixed16_16(size_t offset) const { return static_cast<int32_t>(u32(offset)); }
  const uint8_t* data() const { return data_; }

 private:
  const uint8_t* data_;
  size_t size_;
  mutable bool ok_ = true;
};

}  // namespace platform::media::isobmff
