#pragma once
// TagLib reads through our bounded file reader (regular files only, never blocking) rather than
// opening the path again, and stays silent.
#include <taglib/tiostream.h>

#include "platform/media/isobmff/FileReader.h"

namespace platform::media::direct {

class TagLibStream final : public TagLib::IOStream {
 public:
  explicit TagLibStream(const isobmff::FileReader& file);
  TagLib::FileName name() const override;
  TagLib::ByteVector readBlock(unsigned long length) override;
  void writeBlock(const TagLib::ByteVector&) override {}
  void insert(const TagLib::ByteVector&, unsigned long = 0, unsigned long = 0) override {}
  void removeBlock(unsigned long = 0, unsigned long = 0) override {}
  bool readOnly() const override { return true; }
  bool isOpen() const override { return file_.isOpen(); }
  void seek(long offset, Position p = Beginning) override;
  long tell() const override { return position_; }
  long length() override { return static_cast<long>(file_.size()); }
  void truncate(long) override {}

 private:
  const isobmff::FileReader& file_;
  long position_ = 0;
};

}  // namespace platform::media::direct
