#include "TagLibStream.h"

#include <taglib/tdebuglistener.h>

#include <algorithm>
#include <mutex>

namespace platform::media::direct {
namespace {

class Silent final : public TagLib::DebugListener {
 public:
  void printMessage(const TagLib::String&) override {}
};

}  // namespace

TagLibStream::TagLibStream(const isobmff::FileReader& file) : file_(file) {
  static Silent silent;
  static std::once_flag once;
  std::call_once(once, [] { TagLib::setDebugListener(&silent); });
}

TagLib::FileName TagLibStream::name() const { return file_.path().c_str(); }

TagLib::ByteVector TagLibStream::readBlock(unsigned long length) {
  const uint64_t size = file_.size();
  if (position_ < 0 || static_cast<uint64_t>(position_) >= size || length == 0) return {};
  const unsigned long n = static_cast<unsigned long>(std::min<uint64_t>(length, size - static_cast<uint64_t>(position_)));
  TagLib::ByteVector out(static_cast<unsigned int>(n), 0);
  if (!file_.read(static_cast<uint64_t>(position_), out.data(), n)) return {};
  position_ += static_cast<long>(n);
  return out;
}

void TagLibStream::seek(long offset, Position p) {
  long base = p == Beginning ? 0 : p == Current ? position_ : static_cast<long>(file_.size());
  position_ = std::max(0L, base + offset);
}

}  // namespace platform::media::direct
