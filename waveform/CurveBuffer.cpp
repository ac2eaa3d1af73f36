#include "CurveBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <utility>

namespace {

constexpr size_t kLargePage = 2u << 20;

size_t roundUp(size_t n, size_t to) { return (n + to - 1) / to * to; }

}  // namespace

CurveBuffer::~CurveBuffer() { clear(); }

CurveBuffer::CurveBuffer(CurveBuffer&& other) noexcept { *this = std::move(other); }

CurveBuffer& CurveBuffer::operator=(CurveBuffer&& other) noexcept {
  if (this != &other) {
    clear();
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    std::swap(bytes_, other.bytes_);
  }
  return *this;
}

bool CurveBuffer::reserve(uint64_t frames) {
  if (frames <= capacity_) return true;
  if (frames > (SIZE_MAX - kLargePage) / sizeof(float)) return false;
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t bytes = roundUp(static_cast<size_t>(frames) * sizeof(float), frames * sizeof(float) >= kLargePage ? kLargePage : page);
  void* p = data_ ? mremap(data_, bytes_, bytes, MREMAP_MAYMOVE)
                  : mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return false;
  if (bytes >= kLargePage) madvise(p, bytes, MADV_HUGEPAGE);
  data_ = static_cast<float*>(p);
  bytes_ = bytes;
  capacity_ = bytes / sizeof(float);
  return true;
}

void CurveBuffer::clear() {
  if (data_) munmap(data_, bytes_);
  data_ = nullptr;
  size_ = capacity_ = 0;
  bytes_ = 0;
}
