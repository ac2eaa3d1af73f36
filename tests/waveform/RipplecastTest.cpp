#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/BezierPath.h"
#include "tests/support/TestSupport.h"

using namespace platform;
using testsupport::fixture;

namespace {

struct Tool {
  testsupport::TempDir home;
  std::vector<std::string> env() const {
    return {"HOME=" + home.path(), "XDG_DATA_HOME=" + home.path() + "/data", "XDG_CONFIG_HOME=" + home.path() + "/config"};
  }
  testsupport::RunResult run(const std::vector<std::string>& args) const {
    return testsupport::run(testsupport::binPath("Ripplecast"), args, env());
  }
  // Where the entry of a source file lies.
  std::string entry(const std::string& source) const {
    std::string stem = source.substr(0, source.rfind('.'));
    std::string encoded;
    for (char c : stem) encoded += c == '/' ? std::string("\xC2\xA5") : c == ' ' ? std::string("\xE2\x80\xA0") : std::string(1, c);
    return home.path() + "/data/Karvane/Waveforms/" + encoded + ".acwaveform";
  }
};

std::shared_ptr<BezierPath> stored(const Tool& tool, const std::string& source) {
  return std::dynamic_pointer_cast<BezierPath>(KeyedUnarchiver::unarchiveObjectWithFile(tool.entry(source)));
}

}  // namespace

TEST(Ripplecast, WithoutArgumentsPrintsVersionAndUsage) {
  Tool tool;
  auto r = tool.run({});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Ripplecast: Version 1. 1. 2\nError: No source-file path supplied. \nUsage: \"/full/path/to/file\"\n");
}

TEST(Ripplecast, StoresTheWaveformOfEveryReadableFile) {
  Tool tool;
  struct Case {
    const char* name;
    size_t points;
  } cases[] = {{"wf-2.wav", 1}, {"wf-1000.wav", 999}, {"wf-4001.wav", 2000}, {"wf-half-quarter.flac", 2000},
               {"audio.mp3", 2000}, {"audio.m4a", 2000}, {"audio.ogg", 2000}, {"movie.mp4", 2000}};
  for (const auto& c : cases) {
    auto r = tool.run({fixture(c.name)});
    EXPECT_EQ(r.status, 0) << c.name;
    EXPECT_EQ(r.out, "") << c.name;
    auto path = stored(tool, fixture(c.name));
    ASSERT_TRUE(path) << c.name;
    EXPECT_EQ(path->elementCount(), c.points) << c.name;
    EXPECT_EQ(path->lineWidth(), 0.75);
    EXPECT_EQ(path->elementAtIndex(0).points[0], (Point{0, 50}));
    for (const auto& e : path->elements()) {
      EXPECT_GE(e.points[0].y, 5.0 - 1e-9);
      EXPECT_LE(e.points[0].y, 95.0 + 1e-9);
    }
  }
  // A sine tone reaches the top of the box somewhere.
  auto tone = stored(tool, fixture("audio.mp3"));
  double top = 0;
  for (const auto& e : tone->elements()) top = std::max(top, e.points[0].y);
  EXPECT_GT(top, 90.0);
}

TEST(Ripplecast, NothingStoredForUnusableFiles) {
  Tool tool;
  auto r = tool.run({fixture("not-a-movie.txt")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "XAudioAnalyser: Couldn't open the file, bailing\n");
  EXPECT_FALSE(fileExists(tool.entry(fixture("not-a-movie.txt"))));
  r = tool.run({fixture("wf-empty.wav")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(fileExists(tool.entry(fixture("wf-empty.wav"))));
}

TEST(Ripplecast, FifoIsRefusedInsteadOfWaitedOn) {
  Tool tool;
  testsupport::TempDir media;
  const std::string fifo = media.file("stream.wav");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Nobody writes to it: opening it for reading the ordinary way never returns.
  auto r = testsupport::run(testsupport::binPath("Ripplecast"), {fifo}, tool.env(), 20);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "XAudioAnalyser: Couldn't open the file, bailing\n");
  EXPECT_FALSE(fileExists(tool.entry(fifo)));
}

// An M4A whose tables claim 2^26 samples of a byte each in one chunk, with as many times: the
// demuxer would index every one of them (1.6 GB). The run stays as small as an ordinary one.
TEST(Ripplecast, SampleCountsBeyondTheFileStaySmall) {
  Tool tool;
  std::string bytes = testsupport::readFile(fixture("audio.m4a"));
  ASSERT_FALSE(bytes.empty());
  auto put = [&](const char* table, size_t at, uint32_t v) {
    size_t box = bytes.find(table);
    ASSERT_NE(box, std::string::npos) << table;
    for (int i = 0; i < 4; ++i) bytes[box - 4 + at + size_t(i)] = char(v >> (24 - 8 * i));
  };
  put("stsz", 12, 1);
  put("stsz", 16, 1u << 26);
  put("stts", 16, 1u << 26);
  put("stsc", 20, 1u << 26);
  testsupport::TempDir media;
  const std::string damaged = media.file("damaged.m4a");
  testsupport::writeFile(damaged, bytes);
  auto plain = tool.run({fixture("audio.m4a")});
  auto r = tool.run({damaged});
  EXPECT_EQ(r.status, 0) << r.err;
  std::printf("audio.m4a: peak %ld KB; damaged copy: peak %ld KB, %.2f s\n", plain.maxRssKB, r.maxRssKB, r.seconds);
  EXPECT_LT(r.maxRssKB, 256 * 1024);
}

TEST(Ripplecast, SecondRunReplacesTheEntryAndVerboseLogsTheSave) {
  Tool tool;
  // Two sources that differ only in their extension share one entry.
  testsupport::TempDir media;
  std::string wav = media.file("Live Set.wav"), flac = media.file("Live Set.flac");
  testsupport::writeFile(wav, testsupport::readFile(fixture("wf-1000.wav")));
  testsupport::writeFile(flac, testsupport::readFile(fixture("wf-half-quarter.flac")));
  ASSERT_EQ(tool.run({wav}).status, 0);
  EXPECT_EQ(stored(tool, wav)->elementCount(), 999u);

  PlistDictionary defaults;
  defaults.set("kVerboseLogging", true);
  createDirectories(tool.home.path() + "/config/Ripplecast");
  ASSERT_TRUE(plist::writeFile(defaults, tool.home.path() + "/config/Ripplecast/defaults.plist"));
  auto r = tool.run({flac});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("XACResourceManager: Saved rootObject to '" + tool.entry(wav) + "'"), std::string::npos) << r.err;
  EXPECT_EQ(stored(tool, wav)->elementCount(), 2000u);
}

TEST(Ripplecast, PythonReadsTheStoredPath) {
  Tool tool;
  ASSERT_EQ(tool.run({fixture("wf-negative-peak.wav")}).status, 0);
  const char* script = R"PY(
import plistlib, struct, sys
a = plistlib.load(open(sys.argv[1], 'rb'))
assert a['$archiver'] == 'NSKeyedArchiver' and a['$version'] == 100000
o = a['$objects']
root = o[a['$top']['root'].data]
cls = o[root['$class'].data]
assert cls == {'$classname': 'NSBezierPath', '$classes': ['NSBezierPath', 'NSObject']}, cls
seg, pts = root['NSSegments'], []
for i in range(root['NSSegmentCount']):
    assert seg[17 * i] == (0 if i == 0 else 1)
    pts.append(struct.unpack_from('>dd', seg, 17 * i + 1))
assert len(seg) == 17 * len(pts)
print(root['NSLineWidth'], len(pts), pts[0], pts[10], pts[500], pts[-1])
)PY";
  auto r = testsupport::run("/usr/bin/python3", {"-c", script, tool.entry(fixture("wf-negative-peak.wav"))});
  EXPECT_EQ(r.status, 0) << r.err;
  // Point 10 at x = 10 x 100 / 998 holds the minimum (y 5), point 500 the maximum at half scale.
  EXPECT_EQ(r.out.substr(0, 29), "0.75 999 (0.0, 50.0) (1.00200") << r.out;
  EXPECT_NE(r.out.find(", 5.0) ("), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(", 72.5) (100.0, 50.0)\n"), std::string::npos) << r.out;
}
