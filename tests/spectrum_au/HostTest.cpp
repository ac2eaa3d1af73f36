// auhost with both deliverables: OrrinthAU in the 64-bit host, fftanalyser in the 32-bit one.
#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

#include "tests/support/TestSupport.h"

using testsupport::binPath;
using testsupport::fixture;
using testsupport::run;

namespace {

struct Deliverable {
  const char* host;
  const char* plugin;
  bool i386;
};
const Deliverable k64 = {"auhost", "OrrinthAU.so", false};
const Deliverable k32 = {"auhost32", "fftanalyser.so", true};
void PrintTo(const Deliverable& d, std::ostream* os) { *os << d.host << " with " << d.plugin; }

// i386 programs go through bin/run-i386, which runs them natively or under qemu-i386 as the
// build found this machine able to.
bool i386Runs() { return std::string(MT_I386_MODE) != "none"; }
constexpr const char* kNoI386 =
    "this machine runs no i386 programs (no IA-32 support in the kernel, no qemu-i386)";

testsupport::RunResult runHost(const Deliverable& d, std::vector<std::string> args) {
  args.insert(args.begin(), binPath(d.plugin));
  if (!d.i386) return run(binPath(d.host), args);
  args.insert(args.begin(), binPath(d.host));
  return run(binPath("run-i386"), args);
}

// Sixteen values "d.dddddd", separated by single spaces.
bool wellFormed(const std::string& line) {
  if (line.size() != 16 * 8 + 15) return false;
  for (size_t i = 0; i < line.size(); ++i) {
    const size_t at = i % 9;
    const bool ok = at == 8 ? line[i] == ' ' : at == 1 ? line[i] == '.' : std::isdigit(static_cast<unsigned char>(line[i])) != 0;
    if (!ok) return false;
  }
  return true;
}

std::vector<std::vector<float>> parseLines(const std::string& out) {
  std::vector<std::vector<float>> lines;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    EXPECT_TRUE(wellFormed(line)) << line;
    std::istringstream values(line);
    std::vector<float> v;
    for (float x; values >> x;) v.push_back(x);
    lines.push_back(v);
  }
  return lines;
}

class HostTest : public ::testing::TestWithParam<Deliverable> {
 protected:
  void SetUp() override {
    if (GetParam().i386 && !i386Runs()) GTEST_SKIP() << kNoI386;
  }
  testsupport::RunResult host(const std::vector<std::string>& args) { return runHost(GetParam(), args); }
};
INSTANTIATE_TEST_SUITE_P(Deliverables, HostTest, ::testing::Values(k64, k32),
                         [](const auto& info) { return std::string(info.param.host); });

TEST_P(HostTest, EverySampleFormatPassesThroughBitExact) {
  // 1.25 s at 44.1 kHz = 55125 frames: 107 full slices and one of 341.
  for (const char* name : {"spectrum-s16.wav", "spectrum-s24.wav", "spectrum-s32.wav", "spectrum-f32.wav"}) {
    const auto result = host({fixture(name)});
    EXPECT_EQ(result.status, 0) << name << ": " << result.err;
    const auto lines = parseLines(result.out);
    ASSERT_EQ(lines.size(), 108u) << name;
    // Left 1 kHz (bin 11.6, band 6: 850-1050 Hz), right 5 kHz (bin 58, band 14: 4.5-8 kHz).
    const auto& last = lines[50];
    EXPECT_EQ(std::max_element(last.begin(), last.end()) - last.begin(), 6) << name;
    EXPECT_GT(last[14], 0.02f) << name;
    EXPECT_LT(last[0], last[6] / 5) << name;  // no window: some leakage, but far below the tone
  }
}

TEST_P(HostTest, SliceAndEveryOptions) {
  const auto result = host({fixture("spectrum-mono-32k.wav"), "--slice", "384", "--every", "4"});
  EXPECT_EQ(result.status, 0) << result.err;
  // 16000 frames: 42 slices (41 of 384 and one of 256), a read after every fourth.
  const auto lines = parseLines(result.out);
  ASSERT_EQ(lines.size(), 10u);
  for (const auto& line : lines)
    for (float v : line) EXPECT_LE(v, 1.0f);
  const auto large = host({fixture("spectrum-f32.wav"), "--slice", "4096"});
  EXPECT_EQ(large.status, 0) << large.err;
  EXPECT_EQ(parseLines(large.out).size(), 14u);
}

TEST_P(HostTest, RefusesWhatItCannotUse) {
  auto result = host({fixture("spectrum-u8.wav")});
  EXPECT_EQ(result.status, 3);
  EXPECT_NE(result.err.find("unsupported sample format"), std::string::npos) << result.err;
  result = host({fixture("spectrum-cut.wav")});
  EXPECT_EQ(result.status, 3);
  EXPECT_TRUE(result.out.empty());
  result = host({fixture("no-such-file.wav")});
  EXPECT_EQ(result.status, 3);
  result = host({fixture("spectrum-s16.wav"), "--slice", "0"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("usage: auhost"), std::string::npos);
  result = host({fixture("spectrum-s16.wav"), "--every"});
  EXPECT_EQ(result.status, 2);
}

void expectSameSpectrum(const testsupport::RunResult& a, const testsupport::RunResult& b) {
  ASSERT_EQ(a.status, 0) << a.err;
  ASSERT_EQ(b.status, 0) << b.err;
  const auto la = parseLines(a.out), lb = parseLines(b.out);
  ASSERT_EQ(la.size(), lb.size());
  ASSERT_FALSE(la.empty());
  for (size_t i = 0; i < la.size(); ++i)
    for (size_t k = 0; k < 16; ++k) EXPECT_NEAR(la[i][k], lb[i][k], 2e-6) << "line " << i << " band " << k;
}

TEST(HostArchitectures, BothDeliverablesReportTheSameSpectrum) {
  if (!i386Runs()) GTEST_SKIP() << kNoI386;
  const std::vector<std::string> args = {fixture("spectrum-s24.wav"), "--every", "7"};
  expectSameSpectrum(runHost(k64, args), runHost(k32, args));
}

// The emulated path, checked wherever qemu-i386 is installed, even where i386 runs natively.
TEST(HostArchitectures, TheHostUnderUserModeEmulationReportsTheSameSpectrum) {
  const std::string qemu = MT_QEMU_I386;
  if (qemu.empty() || qemu.find("NOTFOUND") != std::string::npos) GTEST_SKIP() << "qemu-i386 is not installed";
  const auto a = run(binPath("auhost"), {binPath("OrrinthAU.so"), fixture("spectrum-s24.wav"), "--every", "7"});
  // LeakSanitizer hangs under user-mode emulation (sanitizer builds).
  const auto b = run(qemu, {"-L", "/", binPath("auhost32"), binPath("fftanalyser.so"), fixture("spectrum-s24.wav"),
                            "--every", "7"}, {"ASAN_OPTIONS=detect_leaks=0"});
  expectSameSpectrum(a, b);
}

TEST(HostArchitectures, AHostCannotLoadThePluginOfTheOtherArchitecture) {
  const auto result = run(binPath("auhost"), {binPath("fftanalyser.so"), fixture("spectrum-s16.wav")});
  EXPECT_EQ(result.status, 3);
  EXPECT_NE(result.err.find("auhost: cannot load"), std::string::npos) << result.err;
  const auto noEntry = run(binPath("auhost"), {"libc.so.6", fixture("spectrum-s16.wav")});
  EXPECT_EQ(noEntry.status, 3);
  EXPECT_NE(noEntry.err.find("has no OrrinthAUEntry or XACfftAUEntry"), std::string::npos) << noEntry.err;
}

}  // namespace
