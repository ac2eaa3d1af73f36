#include "FileReader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::media::isobmff {

FileReader::FileReader(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a FIFO must not block the open
  if (fd_ < 0) return;
  struct stat st;
  if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return;
  }
  size_ = static_cast<uint64_t>(st.st_size);
}

FileReader::~FileReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileReader::read(uint64_t offset, void* out, size_t length) const {
  if (fd_ < 0 || offset > size_ || length > size_ - offset) return false;
  auto* p = static_cast<uint8_t*>(out);
  size_t done = 0;
  while (done < length) {
    ssize_t n = ::pread(fd_, p + done, length - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool FileReader::readBytes(uint64_t offset, size_t length, std::vector<uint8_t>& out) const {
  if (fd_ < 0 || offset > size_ || length > size_ - offset) return false;
  out.resize(length);
  return read(offset, out.data(), length);
}

uint8_t ByteView::u8(size_t o) const {
  if (!has(o, 1)) return ok_ = false, 0;
  return data_[o];
}
uint16_t ByteView::u16(size_t o) const {
  if (!has(o, 2)) return ok_ = false, 0;
  return static_cast<uint16_t>((data_[o] << 8) | data_[o + 1]);
}
uint32_t ByteView::u24(size_t o) const {
  if (!has(o, 3)) return ok_ = false, 0;
  return (uint32_t(data_[o]) << 16) | (uint32_t(data_[o + 1]) << 8) | data_[o + 2];
}
uint32_t ByteView::u32(size_t o) const {
  if (!has(o, 4)) return ok_ = false, 0;
  return (uint32_t(data_[o]) << 24) | (uint32_t(data_[o + 1]) << 16) | (uint32_t(data_[o + 2]) << 8) | data_[o + 3];
}
uint64_t ByteView::u64(size_t o) const {
  if (!has(o, 8)) return ok_ = false, 0;
  return (uint64_t(u32(o)) << 32) | u32(o + 4);
}

}  // namespace platform::media::isobmff
