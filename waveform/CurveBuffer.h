#pragma once
// The scanned curve's storage: one float per frame in one block of memory that is neither cleared
// (every value is written before it is read) nor copied when it grows, and that asks the kernel
// for large pages, so that filling a long curve costs few page faults.
#include <cstddef>
#include <cstdint>

class CurveBuffer {
 public:
  CurveBuffer() = default;
  ~CurveBuffer();
  CurveBuffer(CurveBuffer&& other) noexcept;
  CurveBuffer& operator=(CurveBuffer&& other) noexcept;
  CurveBuffer(const CurveBuffer&) = delete;
  CurveBuffer& operator=(const CurveBuffer&) = delete;

  // Room for at least `frames` values, keeping those stored; false when the memory can't be had.
  bool reserve(uint64_t frames);
  float* data() { return data_; }
  const float* data() const { return data_; }
  uint64_t size() const { return size_; }
  uint64_t capacity() const { return capacity_; }
  // The number of values stored (at most the capacity).
  void setSize(uint64_t size) { size_ = size <= capacity_ ? size : capacity_; }
  void clear();

 private:
  float* data_ = nullptr;
  uint64_t size_ = 0;
  uint64_t capacity_ = 0;
  size_t bytes_ = 0;
};
