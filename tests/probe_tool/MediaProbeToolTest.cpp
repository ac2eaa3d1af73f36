// End to end: the built mediaprobe on real files, results read back with a property-list parser.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/foundation/PropertyList.h"
#include "tests/support/TestSupport.h"

using namespace testsupport;
using platform::PlistDictionary;

namespace {

RunResult probe(const std::vector<std::string>& args) { return run(binPath("mediaprobe"), args); }

std::vector<std::string> messages(const std::string& err) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos < err.size()) {
    size_t nl = err.find('\n', pos);
    if (nl == std::string::npos) nl = err.size();
    std::string line = err.substr(pos, nl - pos);
    if (!line.empty()) out.push_back(stripLogPrefix(line));
    pos = nl + 1;
  }
  return out;
}

PlistDictionary readResults(const std::string& path) {
  auto v = platform::plist::readFile(path);
  EXPECT_TRUE(v && v->isDictionary()) << "results are not a property-list dictionary: " << path;
  return v && v->isDictionary() ? v->dictionary() : PlistDictionary();
}

}  // namespace

TEST(MediaProbe, WritesPropertiesWithLocationFirst) {
  TempDir dir;
  std::string results = dir.file("results.plist");
  std::string media = fixture("movie.mp4");
  RunResult r = probe({media, results});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "") << "a quiet run logs nothing";
  PlistDictionary d = readResults(results);
  // The ffmpeg tool tags its files with its own version (0xA9 "too", not in the label map).
  EXPECT_EQ(d.keys(), (std::vector<std::string>{"Location", "Total Time", "Has Audio", "Has Video", "\xC2\xA9too"}));
  EXPECT_EQ(d.find("Location")->string(), media);
  EXPECT_TRUE(d.find("Total Time")->isInteger());
  EXPECT_EQ(d.find("Total Time")->integer(), 2);
  EXPECT_EQ(d.find("Has Audio")->integer(), 1);
  std::string xml = readFile(results);
  EXPECT_NE(xml.find("<key>Total Time</key>\n\t<integer>2</integer>"), std::string::npos) << xml;
}

TEST(MediaProbe, KeysPerKindOfFileAndTruncatedDurations) {
  struct Case {
    const char* name;
    int64_t seconds;
    bool audio, video;
  } cases[] = {{"audio.m4a", 3, true, false},       {"audio.mp3", 3, true, false},
               {"video-only.mp4", 2, false, true},  {"odd-1799-600.mov", 2, false, true},
               {"odd-59999-1000.mp4", 59, false, true}, {"movie.mkv", 2, true, true},
               {"chapters.mp4", 3, true, true},     {"truncated-mdat.mp4", 2, true, true}};
  TempDir dir;
  for (const Case& c : cases) {
    std::string results = dir.file(std::string(c.name) + ".plist");
    RunResult r = probe({fixture(c.name), results});
    ASSERT_EQ(r.status, 0) << c.name << r.err;
    PlistDictionary d = readResults(results);
    ASSERT_TRUE(d.contains("Total Time")) << c.name;
    EXPECT_EQ(d.find("Total Time")->integer(), c.seconds) << c.name;
    EXPECT_EQ(d.contains("Has Audio"), c.audio) << c.name;
    EXPECT_EQ(d.contains("Has Video"), c.video) << c.name;
  }
}

TEST(MediaProbe, TooFewArguments) {
  TempDir dir;
  for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{fixture("movie.mp4")}}) {
    RunResult r = probe(args);
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(messages(r.err), (std::vector<std::string>{"mediaprobe: ERROR: Must Pass in at least two arguments..."}));
  }
}

TEST(MediaProbe, UnopenableInputsExitThreeAndWriteNothing) {
  TempDir dir;
  std::string results = dir.file("results.plist");
  std::string nonUtf8 = dir.file("bad\xff\xfename.mp4");
  std::filesystem::copy_file(fixture("movie.mp4"), nonUtf8);
  for (const std::string& media :
       {fixture("not-a-movie.txt"), fixture("empty.mp4"), fixture("random.mp4"), fixture("image.png"),
        fixture("playlist.m3u"), fixture("no such file.mp4"), dir.path(), nonUtf8}) {
    RunResult r = probe({media, results});
    EXPECT_EQ(r.status, 3) << media << r.err;
    EXPECT_EQ(messages(r.err), (std::vector<std::string>{"mediaprobe: ERROR: QTMovie can't init with file: '" + media +
                                                         "'"}));
    EXPECT_FALSE(std::filesystem::exists(results));
  }
}

TEST(MediaProbe, BrokenMovieExitsTwo) {
  TempDir dir;
  std::string results = dir.file("results.plist");
  std::string media = fixture("truncated.mp4");
  RunResult r = probe({media, results});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(messages(r.err), (std::vector<std::string>{"XMHQTFileInvestigator: error NewMovieFromProperties:",
                                                       "mediaprobe: Error creating QTMovie from file: '" + media + "'"}));
  EXPECT_FALSE(std::filesystem::exists(results));
}

TEST(MediaProbe, UnwritableResultsExitOneAndLeaveNothingBehind) {
  TempDir dir;
  std::string missingFolder = dir.file("missing/results.plist");
  RunResult r = probe({fixture("movie.mp4"), missingFolder});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(messages(r.err), (std::vector<std::string>{"mediaprobe: ERROR: Failed to write results file"}));

  // Existing results stay whole when the new write fails: a read-only folder refuses the temporary.
  std::string ro = dir.file("ro");
  std::filesystem::create_directory(ro);
  writeFile(ro + "/results.plist", "old");
  chmod(ro.c_str(), 0555);
  if (access((ro + "/x").c_str(), F_OK) != 0 && geteuid() != 0) {
    r = probe({fixture("movie.mp4"), ro + "/results.plist"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(readFile(ro + "/results.plist"), "old");
  }
  chmod(ro.c_str(), 0755);
  // A folder as the results path: the rename fails, no temporary file is left beside it.
  r = probe({fixture("movie.mp4"), dir.path()});
  EXPECT_EQ(r.status, 1);
  size_t entries = 0;
  for (auto& e : std::filesystem::directory_iterator(std::filesystem::path(dir.path()).parent_path())) {
    if (e.path().filename().string().rfind(std::string(".").append(std::filesystem::path(dir.path()).filename().string()), 0) == 0)
      ++entries;
  }
  EXPECT_EQ(entries, 0u);
}

TEST(MediaProbe, VerboseRunAddsBannerProgressAndElapsedTime) {
  TempDir dir;
  std::string quiet = dir.file("quiet.plist"), loud = dir.file("loud.plist");
  ASSERT_EQ(probe({fixture("movie.mov"), quiet}).status, 0);
  RunResult r = probe({fixture("movie.mov"), loud, "verbose"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(readResults(quiet), readResults(loud));
  auto m = messages(r.err);
  ASSERT_EQ(m.size(), 4u) << r.err;
  EXPECT_EQ(m[0], "mediaprobe 1.10.6");
  EXPECT_EQ(m[1], "XMHQTFileInvestigator: will NewMovieFromProperties NOT asyncronously...");
  EXPECT_EQ(m[2], "XMHQTFileInvestigator: did newMovieProperties");
  EXPECT_EQ(m[3].rfind("mediaprobe: Elapsed time to play / close movie: ", 0), 0u) << m[3];
  EXPECT_EQ(m[3].substr(m[3].size() - 8), " seconds");
  EXPECT_NE(r.err.find("1.10.6\n\n"), std::string::npos) << "the banner ends with an extra line end";
}

TEST(MediaProbe, OddPathsAndReplacedResults) {
  TempDir dir;
  std::string media = fixture("movie with spaces ünïcödé.mp4");
  std::string results = dir.file("résultats & <more>.plist");
  writeFile(results, "stale contents");
  RunResult r = probe({media, results});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readResults(results).find("Location")->string(), media);
}

// Every file of the third-party corpus: an exit status of 0, 2 or 3, never a crash or a hang, and
// a parseable results file whenever the status is 0.
TEST(MediaProbe, SurvivesTheThirdPartyCorpus) {
  std::string corpus = corpusDir();
  if (corpus.empty()) GTEST_SKIP() << "third-party corpus not present beside the project";
  TempDir dir;
  int probed = 0;
  for (auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
    std::string results = dir.file("r.plist");
    RunResult r = run(binPath("mediaprobe"), {entry.path().string(), results}, {}, 60);
    EXPECT_TRUE(r.status == 0 || r.status == 2 || r.status == 3) << entry.path() << " status " << r.status << r.err;
    if (r.status == 0) {
      PlistDictionary d = readResults(results);
      EXPECT_EQ(d.find("Location")->string(), entry.path().string());
    }
    std::filesystem::remove(results);
    ++probed;
  }
  EXPECT_GT(probed, 50);
}

TEST(MediaProbe, ResultsCarryMetadataLabelsAndChapters) {
  TempDir dir;
  struct Case {
    const char* name;
    const char* title;
    size_t chapters;
  } cases[] = {{"chapters.mp4", "Fixture Title", 3}, {"chapters.mkv", "Fixture Title", 3},
               {"tags-ffmpeg.m4a", "Tagged Title", 3}, {"tags-atomicparsley.m4a", "AP Title", 0},
               {"tags-v23.mp3", "T\xC3\xAFtle 2.3", 0}, {"tags.flac", "Tagged Title", 0}};
  for (const Case& c : cases) {
    std::string results = dir.file(std::string(c.name) + ".plist");
    RunResult r = probe({fixture(c.name), results});
    ASSERT_EQ(r.status, 0) << c.name << r.err;
    EXPECT_EQ(r.err, "") << c.name;
    PlistDictionary d = readResults(results);
    ASSERT_TRUE(d.contains("Name")) << c.name;
    EXPECT_EQ(d.find("Name")->string(), c.title) << c.name;
    EXPECT_TRUE(d.contains("Artist")) << c.name;
    EXPECT_TRUE(d.contains("Album")) << c.name;
    if (c.chapters == 0) {
      EXPECT_FALSE(d.contains("Chapters")) << c.name;
      continue;
    }
    ASSERT_TRUE(d.contains("Chapters")) << c.name;
    const auto& chapters = d.find("Chapters")->array();
    ASSERT_EQ(chapters.size(), c.chapters) << c.name;
    EXPECT_EQ(chapters[1].dictionary().find("QTMovieChapterName")->string(), "Middle");
    EXPECT_TRUE(chapters[1].dictionary().find("QTMovieChapterStartTime")->isReal());
    EXPECT_EQ(d.keys().back(), "Chapters") << "chapters come after the metadata";
  }
  std::string xml = readFile(dir.file("chapters.mp4.plist"));
  EXPECT_NE(xml.find("<key>QTMovieChapterName</key>\n\t\t\t<string>Intro</string>"), std::string::npos) << xml;
}

TEST(MediaProbe, CommonContainersAreReadWithoutLoadingFFmpeg) {
  TempDir dir;
  auto loads = [&](const std::string& media) {
    RunResult r = run(binPath("mediaprobe"), {media, dir.file("out.plist")}, {"LD_DEBUG=files"});
    EXPECT_EQ(r.status, 0) << media;
    return r.err.find("mediatools-ffmpeg.so") != std::string::npos;
  };
  for (const char* name : {"audio.mp3", "audio.flac", "audio.ogg", "audio.wav", "movie.mkv", "direct/tags.opus",
                           "direct/tags.aiff", "direct/movie.webm", "movie.mp4"})
    EXPECT_FALSE(loads(fixture(name))) << name;
  EXPECT_TRUE(loads(fixture("movie.avi"))) << "AVI still goes through FFmpeg (and the check sees it)";
}

// The probe never loads the player (nor the display).
TEST(MediaProbe, NeverLoadsThePlayer) {
  TempDir dir;
  const std::string results = dir.file("results.plist");
  // AVI goes through the FFmpeg module: the loader's account of it shows the account is there.
  RunResult r = run(binPath("mediaprobe"), {fixture("movie.avi"), results}, {"LD_DEBUG=files"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("mediatools-ffmpeg.so"), std::string::npos);
  EXPECT_EQ(r.err.find("mediatools-playback.so"), std::string::npos);
  EXPECT_EQ(r.err.find("libmpv"), std::string::npos);
  EXPECT_EQ(r.err.find("libSDL2"), std::string::npos);
}
