#include "sonogram/SpectrumTimeline.h"

#include <algorithm>

SpectrumTimeline::SpectrumTimeline(uint64_t expectedSlices, int columns, size_t perColumn, size_t capacity)
    : capacity_(std::max<size_t>(capacity, 2)) {
  const uint64_t wanted = std::max<uint64_t>(1, uint64_t(std::max(columns, 1)) * std::max<size_t>(perColumn, 1));
  while (stride_ * 2 <= expectedSlices / wanted) stride_ *= 2;
  records_.reserve(std::min<uint64_t>(capacity_, expectedSlices / stride_ + 1));
}

bool SpectrumTimeline::wantsReadAfter(uint64_t slice) const {
  return stride_ <= 2 || (slice + 2) % stride_ < 3;
}

void SpectrumTimeline::record(uint64_t slice, const Spectrum& spectrum) {
  if (slice % stride_ != 0 || slice / stride_ != records_.size()) return;
  if (records_.size() == capacity_) {
    // Keep every other record: those of the slices that are multiples of the doubled stride.
    size_t kept = 0;
    for (size_t i = 0; i < records_.size(); i += 2) records_[kept++] = records_[i];
    records_.resize(kept);
    stride_ *= 2;
    if (slice % stride_ != 0) return;
  }
  records_.push_back(spectrum);
}

std::vector<SpectrumTimeline::Spectrum> SpectrumTimeline::columnSpectra(uint64_t frames, unsigned sliceFrames,
                                                                         int columns) const {
  std::vector<Spectrum> out;
  if (records_.empty() || columns <= 0 || sliceFrames == 0) return out;
  const uint64_t slices = std::max<uint64_t>(1, (frames + sliceFrames - 1) / sliceFrames);
  out.reserve(size_t(columns));
  for (int j = 0; j < columns; ++j) {
    const double centre = (j + 0.5) * double(frames) / columns;
    const uint64_t slice = std::min<uint64_t>(uint64_t(centre / sliceFrames), slices - 1);
    out.push_back(records_[std::min<size_t>(size_t(slice / stride_), records_.size() - 1)]);
  }
  return out;
}
