#include <gtest/gtest.h>

#include <filesystem>

#include "XMHQTFileInvestigator.h"
#include "platform/foundation/PropertyList.h"
#include "platform/media/QTMovie.h"
#include "platform/media/isobmff/Box.h"
#include "platform/media/isobmff/MovieReader.h"
#include "tests/support/BoxWriter.h"
#include "tests/support/TestSupport.h"

using namespace platform::media;
using namespace platform::media::isobmff;
using namespace testsupport;

namespace {

struct Written {
  TempDir dir;
  std::string path;
  explicit Written(const std::string& bytes) : path(dir.file("movie.mov")) { writeFile(path, bytes); }
};

OSStatus readBytes(const std::string& bytes, MovieDescription& out) {
  Written w(bytes);
  FileReader file(w.path);
  return readMovie(file, out);
}

// The open test, then creation when it passes; null when either refuses.
MoviePtr tryOpen(const std::string& path) {
  if (!QTMovie::canInitWithFile(path)) return nullptr;
  QTNewMoviePropertyElement p;
  p.propClass = kQTPropertyClass_DataLocation;
  p.propID = kQTDataLocationPropertyID_CFStringNativePath;
  p.propValue = path;
  MoviePtr movie;
  if (NewMovieFromProperties(1, &p, 0, nullptr, &movie) != noErr) return nullptr;
  EXPECT_TRUE(movie) << "noErr must come with a movie";
  return movie;
}

}  // namespace

TEST(BoxReader, ReadsMovieHeaderTracksAndBrand) {
  std::string bytes = ftyp("qt  ") + box("moov", {mvhd(600, 1799), trak(1, "vide", true), trak(2, "soun", true),
                                                  trak(3, "text", false)});
  MovieDescription d;
  ASSERT_EQ(readBytes(bytes, d), noErr);
  EXPECT_EQ(d.formatName, "qt  ");
  EXPECT_EQ(d.timeScale, 600);
  EXPECT_EQ(d.duration, 1799);
  ASSERT_EQ(d.tracks.size(), 3u);
  EXPECT_EQ(d.tracks[0].mediaType, "vide");
  EXPECT_EQ(d.tracks[1].mediaType, "soun");
  EXPECT_EQ(d.tracks[2].mediaType, "text");
  EXPECT_FALSE(d.tracks[2].enabled);
  EXPECT_EQ(d.tracks[1].trackID, 2u);
  EXPECT_EQ(d.tracks[0].mediaTimeScale, 1000u);
}

TEST(BoxReader, Version1HeadersAndLargeSizes) {
  std::string moovPayload = mvhd(90000, (uint64_t(1) << 33) + 5, 1) +
                            box("trak", {tkhd(1, 1, true, 1920, 1080, 1), box("mdia", {mdhd(48000, 7, 1), hdlr("vide")})});
  std::string bytes = ftyp("isom") + largeBox("moov", moovPayload) + largeBox("mdat", std::string(32, 'x'));
  MovieDescription d;
  ASSERT_EQ(readBytes(bytes, d), noErr);
  EXPECT_EQ(d.timeScale, 90000);
  EXPECT_EQ(d.duration, (int64_t(1) << 33) + 5);
  ASSERT_EQ(d.tracks.size(), 1u);
  EXPECT_DOUBLE_EQ(d.tracks[0].width, 1920);
  EXPECT_DOUBLE_EQ(d.tracks[0].height, 1080);
  EXPECT_EQ(d.tracks[0].mediaTimeScale, 48000u);
}

TEST(BoxReader, MovieAfterMediaDataAndSizeZeroRunsToTheEnd) {
  // mdat first (seeked past), then a moov whose size field is 0: it extends to the end of the file.
  std::string moov = box("moov", {mvhd(1000, 59999), trak(1, "soun")});
  std::string zeroSized = be32(0) + moov.substr(4);
  MovieDescription d;
  ASSERT_EQ(readBytes(ftyp("M4A ") + box("mdat", std::string(1000, '\0')) + zeroSized, d), noErr);
  EXPECT_EQ(d.duration, 59999);
  EXPECT_EQ(d.tracks.size(), 1u);
}

TEST(BoxReader, BrokenChildEndsItsBranchNotTheRead) {
  // The second track claims more bytes than the movie box holds: the walk keeps the first track.
  std::string good = trak(1, "vide");
  std::string bad = be32(100000) + "trak" + std::string(20, '\0');
  std::string bytes = ftyp("isom") + box("moov", {mvhd(600, 600), good, bad});
  MovieDescription d;
  ASSERT_EQ(readBytes(bytes, d), noErr);
  ASSERT_EQ(d.tracks.size(), 1u);
  EXPECT_EQ(d.tracks[0].mediaType, "vide");
}

TEST(BoxReader, ChildMustEndInsideItsParentNotJustInsideTheFile) {
  // The last child of the movie box claims 200 bytes where 28 are left in its parent; the media
  // data after the movie box makes the claim fit the file.
  std::string good = trak(1, "vide");
  std::string bad = be32(200) + "trak" + std::string(20, '\0');
  std::string moov = box("moov", {mvhd(600, 600), good, bad});
  std::string bytes = ftyp("isom") + moov + box("mdat", std::string(1000, '\0'));
  MovieDescription d;
  ASSERT_EQ(readBytes(bytes, d), noErr);
  ASSERT_EQ(d.tracks.size(), 1u);
  EXPECT_EQ(d.tracks[0].mediaType, "vide");

  Written w(bytes);
  FileReader file(w.path);
  auto movieBox = findMovieBox(file);
  ASSERT_TRUE(movieBox);
  std::vector<Box> children = childBoxes(file, *movieBox);
  ASSERT_EQ(children.size(), 2u) << "mvhd and the good trak only";
  EXPECT_EQ(children[1].end(), movieBox->end() - bad.size());
  const uint64_t badOffset = children[1].end();
  EXPECT_FALSE(readBoxHeader(file, badOffset, movieBox->end()));
  EXPECT_TRUE(readBoxHeader(file, badOffset, file.size())) << "the same header read against the whole file fits";
}

TEST(BoxReader, RefusesMissingOrShortMovieHeader) {
  MovieDescription d;
  EXPECT_EQ(readBytes(ftyp("isom") + box("mdat", std::string(64, '\0')), d), invalidMovie);
  EXPECT_EQ(readBytes(ftyp("isom") + box("moov", {trak(1, "vide")}), d), invalidMovie);
  EXPECT_EQ(readBytes(ftyp("isom") + box("moov", {fullBox("mvhd", 0, 0, std::string(6, '\0'))}), d), invalidMovie);
  // A box size below its own header.
  EXPECT_EQ(readBytes(be32(4) + "moov" + mvhd(600, 1), d), invalidMovie);
}

TEST(BoxReader, TimeScaleBeyondTheTimeRecordReadsAsZero) {
  MovieDescription d;
  ASSERT_EQ(readBytes(ftyp("isom") + box("moov", {mvhd(0x80000000u, 100)}), d), noErr);
  EXPECT_EQ(d.timeScale, 0);
}

TEST(BoxReader, SniffLooksAtTheFirstBoxOnly) {
  auto sniff = [](const std::string& bytes) {
    Written w(bytes);
    FileReader f(w.path);
    return sniffFile(f);
  };
  EXPECT_EQ(sniff(ftyp("isom")), Sniff::Movie);
  EXPECT_EQ(sniff(box("moov", {mvhd(1, 1)})), Sniff::Movie);
  EXPECT_EQ(sniff(box("wide", "") + box("mdat", "x")), Sniff::Movie);
  EXPECT_EQ(sniff(ftyp("avif")), Sniff::Image);
  EXPECT_EQ(sniff(ftyp("mif1")), Sniff::Image);
  EXPECT_EQ(sniff("ID3\x03\0\0\0\0\0\0"), Sniff::NotIsoBmff);
  EXPECT_EQ(sniff(be32(3) + "ftyp"), Sniff::NotIsoBmff);
  EXPECT_EQ(sniff("abc"), Sniff::NotIsoBmff);
}

TEST(BoxReader, DeepNestingAndChildFloodsAreBounded) {
  // A chain of nested boxes far deeper than any real file, and a parent with many tiny children.
  std::string nested = mvhd(1, 1);
  for (int i = 0; i < 2000; ++i) nested = box("moov", nested);
  std::string flood;
  for (int i = 0; i < 20000; ++i) flood += box("free", "");
  MovieDescription d;
  EXPECT_EQ(readBytes(ftyp("isom") + nested, d), invalidMovie);  // mvhd is not a child of the outer moov
  ASSERT_EQ(readBytes(ftyp("isom") + box("moov", {flood, mvhd(10, 20)}), d), noErr);
  EXPECT_EQ(d.duration, 20);
}

// Every fixture cut at many lengths and with bytes flipped: the media layer never crashes or hangs,
// refuses copies too short to hold any movie, and whatever it opens reports no more tracks than
// the original, a duration that is not negative, and properties that the probe can write as a
// property list and read back unchanged.
TEST(Robustness, TruncatedAndCorruptedCopiesOfFixtures) {
  TempDir dir;
  LogCapture quiet;
  for (const char* name : {"movie.mp4", "chapters.mp4", "movie.mov", "audio.m4a", "faststart.mp4", "movie.mkv",
                           "audio.mp3"}) {
    SCOPED_TRACE(name);
    std::string bytes = readFile(fixture(name));
    ASSERT_FALSE(bytes.empty());
    MoviePtr original = tryOpen(fixture(name));
    ASSERT_TRUE(original);
    const long originalTracks = GetMovieTrackCount(*original);
    ASSERT_GT(originalTracks, 0);

    // True when the copy opened.
    auto check = [&](const std::string& path) {
      MoviePtr movie = tryOpen(path);
      auto properties = XMHQTFileInvestigator::propertiesOfFileNamed(path);
      EXPECT_EQ(bool(movie), bool(properties)) << path << ": the probe opens what the open test lets through";
      if (!movie) return false;
      EXPECT_LE(GetMovieTrackCount(*movie), originalTracks) << path;
      EXPECT_GE(GetMovieDuration(*movie), 0) << path;
      if (properties) {
        platform::PlistValue value(*properties);
        auto back = platform::plist::parse(platform::plist::toXml(value));
        EXPECT_TRUE(back && *back == value) << path << ": properties that don't survive the results file";
      }
      return true;
    };

    std::string ext = std::filesystem::path(name).extension().string();
    int step = 0;
    for (size_t cut : {size_t(7), size_t(8), size_t(16), size_t(40), bytes.size() / 7, bytes.size() / 3,
                       bytes.size() / 2, bytes.size() - 1}) {
      std::string path = dir.file("cut" + std::to_string(step++) + ext);
      writeFile(path, bytes.substr(0, cut));
      bool opened = check(path);
      if (cut <= 16) {
        EXPECT_FALSE(opened) << "a " << cut << "-byte copy holds no movie";
      }
    }
    // Flip bytes through the box headers and tables.
    for (size_t stride : {size_t(13), size_t(61), size_t(257)}) {
      std::string corrupt = bytes;
      for (size_t i = 0; i < corrupt.size(); i += stride) corrupt[i] = static_cast<char>(corrupt[i] ^ 0xA5);
      std::string path = dir.file("flip" + std::to_string(stride) + ext);
      writeFile(path, corrupt);
      check(path);
    }
  }
}
