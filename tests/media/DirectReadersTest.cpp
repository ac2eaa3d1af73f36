// The readers that spare FFmpeg (FLAC, MP3, Ogg, WAV, AIFF, Matroska) against FFmpeg itself: on
// every fixture and every file of the third-party corpus, the open test, the creation and the
// whole properties dictionary must come out the same either way.
#include <gtest/gtest.h>

#include <filesystem>

#include "XMHQTFileInvestigator.h"
#include "platform/foundation/PropertyList.h"
#include "platform/media/QTMovie.h"
#include "platform/media/direct/DirectReaders.h"
#include "tests/support/TestSupport.h"

using namespace testsupport;
namespace media = platform::media;

namespace {

// What mediaprobe would report: exit status and, on success, the properties as XML.
struct Outcome {
  int status = 0;
  std::string properties;
  bool operator==(const Outcome& o) const { return status == o.status && properties == o.properties; }
};

Outcome probe(const std::string& path) {
  if (!media::QTMovie::canInitWithFile(path)) return {3, {}};
  auto movie = XMHQTFileInvestigator::newQTMovieFromPropertiesWithPath(path);
  if (!movie) return {2, {}};
  return {0, platform::plist::toXml(platform::PlistValue(XMHQTFileInvestigator::propertiesOfQTMovie(movie)))};
}

struct Comparison {
  std::vector<std::string> readDirectly;
};

// Compares both ways of reading `path`; returns whether the direct readers took it.
bool compareBothWays(const std::string& path) {
  media::MovieDescription d;
  media::isobmff::FileReader file(path);
  const bool direct = media::readDirectly(file, d) == media::DirectRead::Read;
  Outcome fast = probe(path);
  media::setDirectReadersEnabled(false);
  Outcome slow = probe(path);
  media::setDirectReadersEnabled(true);
  EXPECT_EQ(fast.status, slow.status) << path;
  EXPECT_EQ(fast.properties, slow.properties) << path << (direct ? " (read directly)" : "");
  return direct;
}

std::vector<std::string> filesUnder(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder, ec))
    if (e.is_regular_file()) out.push_back(e.path().string());
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

TEST(DirectReaders, SameResultsAsFFmpegOnEveryFixture) {
  LogCapture quiet;
  std::set<std::string> direct;
  for (const std::string& path : filesUnder(fixture("")))
    if (compareBothWays(path)) direct.insert(std::filesystem::path(path).filename().string());
  // The common containers must not all have been left to FFmpeg.
  for (const char* name : {"audio.flac", "tags.flac", "audio.mp3", "tags-v23.mp3", "tags-v24.mp3", "audio.wav",
                           "tags-id3.wav", "audio.ogg", "tags.ogg", "movie.mkv", "chapters.mkv",
                           "frames.mkv"})
    EXPECT_TRUE(direct.count(name)) << name << " not read directly";
}

TEST(DirectReaders, SameResultsAsFFmpegOnTheThirdPartyCorpus) {
  if (corpusDir().empty()) GTEST_SKIP() << "third-party corpus not present (../shared/corpus)";
  LogCapture quiet;
  size_t direct = 0;
  std::string names;
  std::vector<std::string> files = filesUnder(corpusDir());
  for (const std::string& path : files) {
    if (!compareBothWays(path)) continue;
    ++direct;
    names += ' ';
    names += std::filesystem::path(path).filename().string();
  }
  std::printf("%zu of %zu corpus files read directly:%s\n", direct, files.size(), names.c_str());
  EXPECT_GT(direct, 10u);
}
