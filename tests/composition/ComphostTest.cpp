// comphost end to end: listing a plug-in, running it from the command line, refusing what it
// cannot do.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/graphics/ImageCodec.h"
#include "tests/support/TestSupport.h"

using testsupport::binPath;
using testsupport::fixture;
using testsupport::run;

namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

testsupport::RunResult comphost(std::vector<std::string> args) {
  args.insert(args.begin(), binPath("Sonograph.so"));
  return run(binPath("comphost"), args);
}

// Image rows (top-down) that show band `band` in an image `height` rows high.
std::vector<int> rowsOfBand(int band, int height) {
  std::vector<int> rows;
  for (int r = 0; r < height; ++r)
    if (16 * r / height == band) rows.push_back(height - 1 - r);
  return rows;
}

}  // namespace

TEST(Comphost, ListsThePlugInAndItsPortsInOrder) {
  const auto result = comphost({});
  ASSERT_EQ(result.status, 0) << result.err;
  const auto out = lines(result.out);
  ASSERT_GE(out.size(), 16u) << result.out;
  EXPECT_EQ(out[0], "Sonograph (SonographPlugIn)");
  EXPECT_EQ(out[1], "Draws a spectral analysis of the audio input to an image. ");
  EXPECT_EQ(out[2], " Version 0.52a.");
  size_t at = 3;
  while (at < out.size() && out[at].rfind("execution mode", 0) != 0) ++at;
  ASSERT_LT(at, out.size());
  EXPECT_EQ(out[at], "execution mode: processor (2), time mode: time base (2)");
  EXPECT_EQ(out[at + 1], "plug-in keys: (none)");
  EXPECT_EQ(out[at + 2], "ports:");
  const std::vector<std::string> expected = {
      "  inputSpectrum          structure  \"Spectrum\"  type QCPortTypeStructure",
      "  inputWidth             unsigned   \"Width\"  default 512",
      "  inputHeight            unsigned   \"Height\"  default 384",
      "  inputGain              double     \"Gain\"  default 0.5  min 0  max 1",
      "  inputColorAlgorithm    index      \"Colour\"  default 0  min 0  max 1  type QCPortTypeIndex  menu RGB|Gray",
      "  inputRed               double     \"Red\"  default 0.5  min 0  max 1",
      "  inputGreen             double     \"Green\"  default 0.5  min 0  max 1",
      "  inputBlue              double     \"Blue\"  default 0.5  min 0  max 1",
      "  inputAlpha             double     \"Alpha\"  default 0.5  min 0  max 1",
      "  outputImage            image      \"Image\"",
  };
  EXPECT_EQ(std::vector<std::string>(out.begin() + long(at) + 3, out.end()), expected);
}

TEST(Comphost, RunsFramesFromTheCommandLineAndWritesTheImage) {
  testsupport::TempDir dir;
  const std::string png = dir.file("band.png");
  const auto result = comphost({png, "--set", "inputSpectrum=0,0,0,0,0,0,0.24", "--set", "inputWidth=64", "--set",
                                "inputHeight=32", "--set", "inputColorAlgorithm=Gray", "--frames", "512"});
  ASSERT_EQ(result.status, 0) << result.err;
  auto image = platform::readImageFile(png);
  ASSERT_TRUE(image);
  ASSERT_EQ(image->width(), 64);
  ASSERT_EQ(image->height(), 32);
  const auto lit = rowsOfBand(6, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) {
      const bool inBand = std::find(lit.begin(), lit.end(), y) != lit.end();
      const auto p = image->pixel(x, y);
      // Gray at gain 0.5: value 1.2 (of 0.24), grey 0.4; opacity 100 × 0.5 × 0.24 × 0.5, clamped.
      ASSERT_EQ(p, inBand ? (platform::RGBA8{102, 102, 102, 255}) : platform::RGBA8{}) << x << "," << y;
    }
}

TEST(Comphost, PlaysSpectraFromAuhostOneLinePerFrame) {
  // auhost prints OrrinthAU's 16 bands after each 512-frame slice of the 1 kHz tone: 517 lines,
  // one frame each, so the image's 512 columns all hold the tone (band 6, 850-1050 Hz).
  testsupport::TempDir dir;
  const auto spectra = run(binPath("auhost"), {binPath("OrrinthAU.so"), fixture("sono-tone-1k.wav")});
  ASSERT_EQ(spectra.status, 0) << spectra.err;
  testsupport::writeFile(dir.file("spectra.txt"), spectra.out);
  const std::string png = dir.file("tone.png");
  const auto result = comphost({png, "--each-frame", "inputSpectrum=" + dir.file("spectra.txt"), "--set",
                                "inputHeight=64", "--set", "inputAlpha=0.1"});
  ASSERT_EQ(result.status, 0) << result.err;
  auto image = platform::readImageFile(png);
  ASSERT_TRUE(image);
  ASSERT_EQ(image->width(), 512);
  const auto band6 = rowsOfBand(6, 64), band2 = rowsOfBand(2, 64), band12 = rowsOfBand(12, 64);
  // What a pixel shows: its brightest channel weighted by its opacity.
  auto level = [&](int x, int y) {
    const auto p = image->pixel(x, y);
    return std::max({p.r, p.g, p.b}) * p.a / 255;
  };
  for (int x = 0; x < 512; ++x) {
    EXPECT_GT(level(x, band6[0]), 200) << x;
    EXPECT_LT(level(x, band2[0]), 32) << x;
    EXPECT_LT(level(x, band12[0]), 32) << x;
  }
}

TEST(Comphost, ReportsWhatItCannotDo) {
  testsupport::TempDir dir;
  const std::string png = dir.file("out.png");
  auto result = comphost({png, "--set", "inputWidth=0"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("comphost: outputImage holds no image after 1 frame(s)"), std::string::npos) << result.err;

  result = comphost({png, "--user-info", "com.Tarrowgate.Sonograph=YES"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("the plug-in refused to start"), std::string::npos) << result.err;

  result = comphost({png, "--set", "inputGain=2"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("inputGain must lie between 0 and 1"), std::string::npos) << result.err;
  result = comphost({png, "--set", "inputColorAlgorithm=Sepia"});
  EXPECT_EQ(result.status, 2);
  result = comphost({png, "--set", "inputVolume=1"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("the plug-in has no input 'inputVolume'"), std::string::npos) << result.err;
  result = comphost({png, "--set", "outputImage=1"});
  EXPECT_EQ(result.status, 2);
  result = comphost({png, "--frames", "0"});
  EXPECT_EQ(result.status, 2);
  testsupport::writeFile(dir.file("bad.txt"), "0.1 0.2\nnoise\n");
  result = comphost({png, "--each-frame", "inputSpectrum=" + dir.file("bad.txt")});
  EXPECT_EQ(result.status, 3);
  EXPECT_NE(result.err.find("frame 2: inputSpectrum takes numbers"), std::string::npos) << result.err;
  EXPECT_FALSE(std::ifstream(png)) << "nothing is written when a run fails";

  result = comphost({dir.file("missing/out.png")});
  EXPECT_EQ(result.status, 4);

  result = run(binPath("comphost"), {binPath("composition_test_oldinterface.so")});
  EXPECT_EQ(result.status, 3);
  EXPECT_NE(result.err.find("plug-in interface version 0; this host takes version 1"), std::string::npos) << result.err;
  result = run(binPath("comphost"), {});
  EXPECT_EQ(result.status, 2);
  result = run(binPath("comphost"), {"--help"});
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("usage: comphost PLUGIN.so"), std::string::npos);
}
