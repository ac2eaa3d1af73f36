#pragma once
// The spectra sonogram collects while it plays a file through the analyser, one per recorded
// slice, and the choice of one spectrum per image column once the file's length is known.
//
// The analyser transforms a channel's next slice only after a read has re-armed it, one channel
// per read, so a spectrum is fresh for slice k when reads followed slices k - 2, k - 1 and k.
// Long files record every stride-th slice (a power of two, from the length the container
// reports, and doubled whenever the records would outgrow their capacity), reading only around
// the recorded slices.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class SpectrumTimeline {
 public:
  using Spectrum = std::array<float, 16>;

  // `expectedSlices`: the slice count the container reports (0 when unknown); about
  // `perColumn` records are kept for each of `columns` columns, never more than `capacity`.
  SpectrumTimeline(uint64_t expectedSlices, int columns = 512, size_t perColumn = 8, size_t capacity = 1 << 16);

  uint64_t stride() const { return stride_; }
  size_t recordedCount() const { return records_.size(); }
  // Whether to read the spectrum after playing slice k.
  bool wantsReadAfter(uint64_t slice) const;
  // Keeps the spectrum read after slice k when k is one that is recorded.
  void record(uint64_t slice, const Spectrum& spectrum);

  // One spectrum per column for a file of `frames` frames in slices of `sliceFrames`: column j
  // shows the last recorded slice at or before the one holding its centre,
  // (j + 0.5) × frames / columns. Empty when nothing was recorded.
  std::vector<Spectrum> columnSpectra(uint64_t frames, unsigned sliceFrames, int columns) const;

 private:
  size_t capacity_;
  uint64_t stride_ = 1;
  std::vector<Spectrum> records_;  // record i belongs to slice i × stride_
};
