// sonogram end to end: real audio through both plug-ins into a PNG.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <fstream>

#include "platform/graphics/ImageCodec.h"
#include "tests/support/TestSupport.h"

using testsupport::binPath;
using testsupport::fixture;
using testsupport::run;

namespace {

testsupport::RunResult sonogram(const std::vector<std::string>& args) { return run(binPath("sonogram"), args); }

// How much a pixel shows: its brightest colour channel, weighted by its opacity (0 .. 255).
int level(platform::RGBA8 p) { return std::max({p.r, p.g, p.b}) * p.a / 255; }

// The band whose rows show the most in column x (16 bands over the image's height).
int loudestBand(const platform::Image& image, int x) {
  const int H = image.height();
  int best = -1, bestSum = -1;
  for (int band = 0; band < 16; ++band) {
    int sum = 0, rows = 0;
    for (int r = 0; r < H; ++r)
      if (16 * r / H == band) sum += level(image.pixel(x, H - 1 - r)), ++rows;
    if (rows && sum / rows > bestSum) best = band, bestSum = sum / rows;
  }
  return best;
}

platform::Image make(const std::string& audio, std::vector<std::string> options = {}) {
  testsupport::TempDir dir;
  const std::string png = dir.file("out.png");
  std::vector<std::string> args = {audio, png};
  args.insert(args.end(), options.begin(), options.end());
  const auto result = sonogram(args);
  EXPECT_EQ(result.status, 0) << result.err;
  auto image = platform::readImageFile(png);
  EXPECT_TRUE(image) << audio;
  return image ? *image : platform::Image();
}

}  // namespace

TEST(Sonogram, AToneLightsOneBandAcrossTheImage) {
  for (const char* name : {"sono-tone-1k.wav", "sono-tone-1k.mp3"}) {
    SCOPED_TRACE(name);
    // 1 kHz lies in band 6 (850-1050 Hz). The analyser takes no window, so the tone leaks into
    // every band a little, most into band 7, which shares band 6's top bin.
    const auto image = make(fixture(name), {"--height", "64"});
    ASSERT_EQ(image.width(), 512);
    ASSERT_EQ(image.height(), 64);
    // The MP3's first and last columns hold its encoder's padding, so they may differ.
    for (int x = 8; x < 504; ++x) {
      EXPECT_GT(level(image.pixel(x, 64 - 1 - 4 * 6)), 200) << x;
      EXPECT_LT(level(image.pixel(x, 64 - 1 - 4 * 1)), 32) << x;
      EXPECT_LT(level(image.pixel(x, 64 - 1 - 4 * 13)), 32) << x;
    }
    // At a gain that leaves it unclipped, band 6 is the loudest everywhere.
    const auto unclipped = make(fixture(name), {"--height", "64", "--gain", "0.1"});
    int inBand = 0;
    for (int x = 0; x < 512; ++x) inBand += loudestBand(unclipped, x) == 6 ? 1 : 0;
    EXPECT_GE(inBand, 508);
  }
}

TEST(Sonogram, SilenceIsTransparent) {
  const auto image = make(fixture("sono-silence.wav"));
  ASSERT_EQ(image.width(), 512);
  ASSERT_EQ(image.height(), 384);
  for (int y = 0; y < 384; ++y)
    for (int x = 0; x < 512; ++x) ASSERT_EQ(image.pixel(x, y), platform::RGBA8{}) << x << "," << y;
}

TEST(Sonogram, ASweepClimbs) {
  // 60 Hz to 12 kHz over the file. Column by column the loudest band flickers where the sweep
  // crosses a band edge, so it is taken over eight stretches of 32 columns.
  const auto image = make(fixture("sono-sweep.wav"), {"--height", "64", "--width", "256"});
  ASSERT_EQ(image.width(), 256);
  std::vector<int> bands, stretches;
  for (int x = 0; x < 256; ++x) bands.push_back(loudestBand(image, x));
  for (int s = 0; s < 8; ++s) {
    std::vector<int> part(bands.begin() + 32 * s, bands.begin() + 32 * (s + 1));
    std::nth_element(part.begin(), part.begin() + 16, part.end());
    stretches.push_back(part[16]);
  }
  EXPECT_LE(stretches.front(), 1) << testing::PrintToString(stretches);
  EXPECT_GE(stretches.back(), 13) << testing::PrintToString(stretches);
  EXPECT_TRUE(std::is_sorted(stretches.begin(), stretches.end())) << testing::PrintToString(stretches);
  // Every band is the loudest somewhere on the way up.
  for (int band = 0; band < 16; ++band) EXPECT_NE(std::find(bands.begin(), bands.end(), band), bands.end()) << band;
}

TEST(Sonogram, SizesColoursAndShortFiles) {
  const auto grey = make(fixture("sono-tone-1k.wav"), {"--width", "100", "--height", "48", "--color", "gray"});
  ASSERT_EQ(grey.width(), 100);
  ASSERT_EQ(grey.height(), 48);
  bool any = false;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 100; ++x) {
      const auto p = grey.pixel(x, y);
      ASSERT_TRUE(p.r == p.g && p.g == p.b) << x << "," << y;
      any = any || level(p) > 0;
    }
  EXPECT_TRUE(any);
  // Gain scales what is drawn.
  const auto quiet = make(fixture("sono-tone-1k.wav"), {"--height", "16", "--gain", "0.01"});
  const auto loud = make(fixture("sono-tone-1k.wav"), {"--height", "16", "--gain", "1"});
  EXPECT_LT(level(quiet.pixel(200, 15 - 6)), level(loud.pixel(200, 15 - 6)));
  // A file shorter than one analyser slice still makes its picture.
  const auto brief = make(fixture("sono-short.wav"), {"--height", "32"});
  EXPECT_EQ(loudestBand(brief, 0), 6);
  EXPECT_EQ(loudestBand(brief, 511), 6);
}

TEST(Sonogram, RefusesBadInputWithoutWritingAFile) {
  testsupport::TempDir dir;
  const std::string png = dir.file("out.png");
  auto result = sonogram({fixture("sono-empty.wav"), png});
  EXPECT_EQ(result.status, 3);
  EXPECT_NE(result.err.find("holds no audio"), std::string::npos) << result.err;
  result = sonogram({dir.file("missing.wav"), png});
  EXPECT_EQ(result.status, 3);
  EXPECT_NE(result.err.find("cannot open"), std::string::npos) << result.err;
  testsupport::writeFile(dir.file("noise.wav"), std::string(5000, 'x'));
  result = sonogram({dir.file("noise.wav"), png});
  EXPECT_EQ(result.status, 3);
  EXPECT_FALSE(std::ifstream(png));

  for (const auto& args : std::vector<std::vector<std::string>>{
           {},
           {fixture("sono-tone-1k.wav")},
           {fixture("sono-tone-1k.wav"), png, "--width", "0"},
           {fixture("sono-tone-1k.wav"), png, "--height", "9000"},
           {fixture("sono-tone-1k.wav"), png, "--gain", "-1"},
           {fixture("sono-tone-1k.wav"), png, "--gain", "nan"},
           {fixture("sono-tone-1k.wav"), png, "--color", "blue"},
           {fixture("sono-tone-1k.wav"), png, "--width"},
           {fixture("sono-tone-1k.wav"), png, "--frames", "3"},
           {fixture("sono-tone-1k.wav"), png, "extra"}}) {
    result = sonogram(args);
    EXPECT_EQ(result.status, 2) << testing::PrintToString(args);
    EXPECT_NE(result.err.find("usage: sonogram"), std::string::npos);
  }
  EXPECT_FALSE(std::ifstream(png));
  result = sonogram({fixture("sono-tone-1k.wav"), dir.file("missing/out.png")});
  EXPECT_EQ(result.status, 4);
  result = sonogram({"--help"});
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("--color"), std::string::npos);
}

TEST(Sonogram, SurvivesTheThirdPartyCorpus) {
  const std::string corpus = testsupport::corpusDir();
  if (corpus.empty()) GTEST_SKIP() << "the third-party corpus (../shared/corpus) is not present";
  const std::string folder = corpus + "/taglib";
  DIR* d = opendir(folder.c_str());
  ASSERT_TRUE(d) << folder;
  std::vector<std::string> names;
  while (dirent* e = readdir(d))
    if (e->d_name[0] != '.') names.push_back(e->d_name);
  closedir(d);
  std::sort(names.begin(), names.end());
  testsupport::TempDir dir;
  int made = 0;
  for (const auto& name : names) {
    const std::string png = dir.file(name + ".png");
    const auto result = sonogram({folder + "/" + name, png, "--width", "64", "--height", "32"});
    const bool written = bool(std::ifstream(png));
    EXPECT_TRUE(result.status == 0 || result.status == 3) << name << ": status " << result.status << "\n" << result.err;
    EXPECT_EQ(written, result.status == 0) << name;
    if (result.status == 3) {
      EXPECT_NE(result.err.find("sonogram: "), std::string::npos) << name;
    }
    if (written) {
      auto image = platform::readImageFile(png);
      EXPECT_TRUE(image && image->width() == 64 && image->height() == 32) << name;
      ++made;
    }
  }
  EXPECT_GT(made, 20) << "most of the corpus is audio that decodes";
}
