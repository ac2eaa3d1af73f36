// Which slices sonogram reads and keeps, and which spectrum each image column gets.
#include <gtest/gtest.h>

#include "sonogram/SpectrumTimeline.h"

namespace {

SpectrumTimeline::Spectrum tagged(uint64_t slice) {
  SpectrumTimeline::Spectrum s{};
  s[0] = float(slice);
  return s;
}

// Plays `slices` slices as sonogram does, recording the slice number as band 0.
void play(SpectrumTimeline& t, uint64_t slices, std::vector<uint64_t>* reads = nullptr) {
  for (uint64_t k = 0; k < slices; ++k)
    if (t.wantsReadAfter(k)) {
      if (reads) reads->push_back(k);
      t.record(k, tagged(k));
    }
}

std::vector<uint64_t> columnSlices(const SpectrumTimeline& t, uint64_t frames, int columns) {
  std::vector<uint64_t> out;
  for (const auto& s : t.columnSpectra(frames, 512, columns)) out.push_back(uint64_t(s[0]));
  return out;
}

}  // namespace

TEST(SpectrumTimeline, ShortFilesReadEverySliceAndShareThemBetweenColumns) {
  // 10 slices (5120 frames) for 4 columns: centres at frames 640, 1920, 3200, 4480.
  SpectrumTimeline t(10, 4);
  EXPECT_EQ(t.stride(), 1u);
  std::vector<uint64_t> reads;
  play(t, 10, &reads);
  EXPECT_EQ(reads.size(), 10u);
  EXPECT_EQ(columnSlices(t, 5120, 4), (std::vector<uint64_t>{1, 3, 6, 8}));
  // Fewer slices than columns: neighbours repeat a slice.
  EXPECT_EQ(columnSlices(t, 1024, 8), (std::vector<uint64_t>{0, 0, 0, 0, 1, 1, 1, 1}));
  // A file shorter than a slice still has its one spectrum.
  SpectrumTimeline one(1, 512);
  play(one, 1);
  const auto columns = columnSlices(one, 300, 512);
  ASSERT_EQ(columns.size(), 512u);
  EXPECT_EQ(columns.front(), 0u);
  EXPECT_EQ(columns.back(), 0u);
  // Nothing recorded: nothing to show.
  SpectrumTimeline empty(0, 512);
  EXPECT_TRUE(empty.columnSpectra(0, 512, 512).empty());
}

TEST(SpectrumTimeline, LongFilesReadAroundEveryStrideThSlice) {
  // 100000 slices, 8 records a column: stride 16 (a power of two, 100000 / 4096 = 24.4).
  SpectrumTimeline t(100000, 512, 8);
  EXPECT_EQ(t.stride(), 16u);
  std::vector<uint64_t> reads;
  play(t, 100000, &reads);
  // Reads follow slices 14, 15 and 16 (so both channels' transforms are of slices 15 and 16).
  EXPECT_EQ(std::vector<uint64_t>(reads.begin(), reads.begin() + 7), (std::vector<uint64_t>{0, 14, 15, 16, 30, 31, 32}));
  EXPECT_EQ(t.recordedCount(), 6250u);
  const auto slices = columnSlices(t, 100000ull * 512, 512);
  for (int j = 0; j < 512; ++j) {
    const uint64_t centre = uint64_t((j + 0.5) * 100000 / 512);
    EXPECT_EQ(slices[size_t(j)], centre / 16 * 16) << j;
  }
}

TEST(SpectrumTimeline, AnUnderstatedLengthDoublesTheStrideInsteadOfGrowing) {
  // The container said nothing; 5000 slices arrive with room for 1000 records.
  SpectrumTimeline t(0, 512, 8, 1000);
  EXPECT_EQ(t.stride(), 1u);
  play(t, 5000);
  EXPECT_EQ(t.stride(), 8u);
  EXPECT_LE(t.recordedCount(), 1000u);
  EXPECT_EQ(t.recordedCount(), 625u);
  // Records are still those of slices 0, 8, 16, ...: each column gets the one at or before its centre.
  const auto slices = columnSlices(t, 5000ull * 512, 512);
  for (int j = 0; j < 512; ++j) {
    const uint64_t centre = uint64_t((j + 0.5) * 5000 / 512);
    EXPECT_EQ(slices[size_t(j)], centre / 8 * 8) << j;
  }
  // An overstated length only makes the stride coarser than it needed to be.
  SpectrumTimeline over(100000, 512, 8);
  play(over, 2000);
  const auto tail = columnSlices(over, 2000ull * 512, 4);
  EXPECT_EQ(tail.back(), 1744u / 16 * 16);
}
