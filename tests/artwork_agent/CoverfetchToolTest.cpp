// The Coverfetch tool end to end: a stand-in music application, scripts written here, the
// results property list read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "ArtworkTestSupport.h"
#include "artwork_agent/MusicApplication.h"
#include "platform/foundation/PropertyList.h"

using testsupport::RunResult;

namespace {

class CoverfetchTool : public ::testing::Test {
 protected:
  testsupport::ScopedHome home;
  testsupport::TempDir dir;
  cftest::StandInMusicApp app{dir};
  std::string results = dir.file("results.plist");
  std::string marker = dir.file("script-ran");

  void SetUp() override { cftest::setMusicApplication(app.name(), app.path()); }

  // A lookup script (source at path + ".txt") that leaves a marker file when it runs.
  std::string script(const std::string& openBody) {
    std::string path = dir.file("lookup.scpt");
    cftest::writeScript(path + ".txt", "function open(args)\n  io.open('" + marker + "', 'w'):close()\n" + openBody + "\nend\n");
    return path;
  }

  RunResult coverfetch(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    return testsupport::run(testsupport::binPath("Coverfetch"), args, env, 60);
  }

  platform::PlistDictionary readResults() {
    auto v = platform::plist::readFile(results);
    EXPECT_TRUE(v && v->isDictionary()) << "results file missing or malformed";
    return v && v->isDictionary() ? v->dictionary() : platform::PlistDictionary();
  }

  static std::vector<std::string> messages(const RunResult& r) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < r.err.size()) {
      size_t end = r.err.find('\n', at);
      if (end == std::string::npos) end = r.err.size();
      out.push_back(testsupport::stripLogPrefix(r.err.substr(at, end - at)));
      at = end + 1;
    }
    return out;
  }

  void expectSearchTermOnly(const std::string& term) {
    auto d = readResults();
    EXPECT_EQ(d.keys(), std::vector<std::string>{"searchTerm"});
    if (auto* t = d.find("searchTerm")) {
      EXPECT_EQ(t->string(), term);
    }
  }
};

std::string allBytes() {
  std::string s;
  for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
  return s;
}

}  // namespace

TEST_F(CoverfetchTool, FoundArtworkIsPassedThroughUnchanged) {
  ASSERT_TRUE(app.start());
  std::string path = script("  local s = {} for i = 0, 255 do s[#s + 1] = string.char(i) end\n"
                            "  assert(args[1] == 'Artist - Title', args[1])\n  return table.concat(s)");
  RunResult r = coverfetch({"Artist - Title", path, results, "verbose"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Coverfetch 0.1.0\n");
  auto d = readResults();
  ASSERT_TRUE(d.find("imageData") && d.find("imageData")->isData());
  std::string bytes = allBytes();
  EXPECT_EQ(d.find("imageData")->data(), platform::PlistData(bytes.begin(), bytes.end()));
  EXPECT_EQ(d.find("searchTerm")->string(), "Artist - Title");
  EXPECT_EQ(messages(r), (std::vector<std::string>{
                             "Will ask iTunes for artwork for track with searchTerm: 'Artist - Title'...",
                             "Wrote data to file '" + results + "'..."}));
  EXPECT_EQ(app.running().size(), 1u);

  // Exactly three arguments: silent.
  std::filesystem::remove(results);
  r = coverfetch({"Artist - Title", path, results});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(readResults().contains("imageData"));
}

TEST_F(CoverfetchTool, EmptyResultAndPlaceholderTermsGiveTheSearchTermOnly) {
  ASSERT_TRUE(app.start());
  std::string path = script("  return ''");
  RunResult r = coverfetch({"Some Track", path, results, ""});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Coverfetch 0.1.0\n") << "an empty fourth argument is verbose too";
  expectSearchTermOnly("Some Track");
  EXPECT_EQ(messages(r), (std::vector<std::string>{
                             "Will ask iTunes for artwork for track with searchTerm: 'Some Track'...",
                             "No track image data found...", "Wrote data to file '" + results + "'..."}));
  EXPECT_TRUE(std::filesystem::exists(marker));

  for (const char* term : {"No selection", "No artwork"}) {
    std::filesystem::remove(marker);
    r = coverfetch({term, path, results});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    expectSearchTermOnly(term);
    EXPECT_FALSE(std::filesystem::exists(marker)) << term << ": the script must not run";
  }
}

TEST_F(CoverfetchTool, ScriptErrorsAreLoggedAndTheResultsStillWritten) {
  ASSERT_TRUE(app.start());
  // Does not compile: the query logs the compiler's message; the controller logs nothing.
  std::string path = dir.file("broken.scpt");
  cftest::writeScript(path + ".txt", "function open(args) return = 1 end");
  RunResult r = coverfetch({"t", path, results});
  EXPECT_EQ(r.status, 0);
  expectSearchTermOnly("t");
  auto m = messages(r);
  ASSERT_EQ(m.size(), 1u) << r.err;
  EXPECT_EQ(m[0], "GetArtwork script returned error {NSAppleScriptErrorBriefMessage = \"unexpected symbol near "
                  "'='\"; NSAppleScriptErrorMessage = \"broken.scpt.txt:1: unexpected symbol near '='\"; "
                  "NSAppleScriptErrorNumber = -2741; }");

  // Fails while running: both lines.
  path = script("  error('iTunes said no')");
  r = coverfetch({"t", path, results});
  expectSearchTermOnly("t");
  m = messages(r);
  ASSERT_EQ(m.size(), 2u) << r.err;
  std::string info = "{NSAppleScriptErrorBriefMessage = \"iTunes said no\"; NSAppleScriptErrorMessage = "
                     "\"lookup.scpt.txt:3: iTunes said no\"; NSAppleScriptErrorNumber = -2700; }";
  EXPECT_EQ(m[0], "ScriptController: Couldn't run script: err=" + info);
  EXPECT_EQ(m[1], "GetArtwork script returned error " + info);

  // No script at all: nothing to report.
  r = coverfetch({"t", dir.file("nowhere.scpt"), results});
  EXPECT_EQ(r.err, "");
  expectSearchTermOnly("t");
}

TEST_F(CoverfetchTool, RunawayScriptIsStoppedByTheBudget) {
  ASSERT_TRUE(app.start());
  cftest::setDefault(kScriptInstructionLimitKey, 1'000'000);
  std::string path = script("  while true do end");
  RunResult r = coverfetch({"t", path, results});
  EXPECT_EQ(r.status, 0);
  expectSearchTermOnly("t");
  EXPECT_NE(r.err.find("NSAppleScriptErrorNumber = -1712"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("GetArtwork script returned error"), std::string::npos);
}

TEST_F(CoverfetchTool, ApplicationIsLaunchedWhenNotRunning) {
  EXPECT_TRUE(app.running().empty());
  std::string path = script("  return 'art'");
  RunResult r = coverfetch({"t", path, results});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(app.running().size(), 1u) << "launched, and left running";
  auto d = readResults();
  ASSERT_TRUE(d.contains("imageData"));
  EXPECT_EQ(d.find("imageData")->data(), (platform::PlistData{'a', 'r', 't'}));
}

TEST_F(CoverfetchTool, ApplicationThatCannotBeLaunchedGivesTheSearchTermOnly) {
  std::string path = script("  return 'art'");
  cftest::setMusicApplication(app.name(), dir.file("not-installed"));
  RunResult r = coverfetch({"t", path, results, "v"});
  EXPECT_EQ(r.status, 0);
  expectSearchTermOnly("t");
  EXPECT_FALSE(std::filesystem::exists(marker));
  // Verbose mode says which application could not be started, and where it is set.
  EXPECT_EQ(messages(r), (std::vector<std::string>{
                             "Will ask iTunes for artwork for track with searchTerm: 't'...",
                             "iTunesArtworkAgent: couldn't launch the music application '" + dir.file("not-installed") +
                                 "' (process name '" + app.name() +
                                 "'); the user defaults \"kMusicApplicationPath\" and \"kMusicApplicationProcessName\" of "
                                 "Coverfetch name it",
                             "No track image data found...", "Wrote data to file '" + results + "'..."}));
  // Without verbose the failure stays silent.
  r = coverfetch({"t", path, results});
  EXPECT_EQ(r.err, "");
  expectSearchTermOnly("t");

  // A program that starts but fails.
  cftest::setMusicApplication(app.name(), "/bin/false");
  r = coverfetch({"t", path, results});
  expectSearchTermOnly("t");
  EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST_F(CoverfetchTool, UnwritableResultsPathAndMissingArguments) {
  ASSERT_TRUE(app.start());
  std::string path = script("  return 'art'");
  std::string unwritable = dir.file("no-such-folder/results.plist");
  RunResult r = coverfetch({"t", path, unwritable, "v"});
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(std::filesystem::exists(unwritable));
  EXPECT_EQ(messages(r).back(), "Failed to write data to file '" + unwritable + "'...");

  // A read-only folder leaves no temporary file behind either (root may write anyway).
  std::filesystem::create_directory(dir.file("ro"));
  chmod(dir.file("ro").c_str(), 0555);
  r = coverfetch({"t", path, dir.file("ro/results.plist")});
  EXPECT_EQ(r.status, 0);
  if (geteuid() != 0) {
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("ro")));
  }
  chmod(dir.file("ro").c_str(), 0755);

  std::filesystem::remove(marker);
  for (auto args : std::vector<std::vector<std::string>>{{}, {"t"}, {"t", path}}) {
    r = coverfetch(args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(messages(r), std::vector<std::string>{"Error: Must Pass in a searchTerm, scriptPath & destFilePath"});
    EXPECT_EQ(r.out, "");
  }
  EXPECT_FALSE(std::filesystem::exists(results));
  EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST_F(CoverfetchTool, SearchTermThatIsNotUTF8StillGivesAValidFile) {
  ASSERT_TRUE(app.start());
  std::string path = script("  return args[1]");
  RunResult r = coverfetch({"caf\xe9 <&>", path, results});
  EXPECT_EQ(r.status, 0);
  auto d = readResults();
  ASSERT_TRUE(d.contains("searchTerm"));
  EXPECT_EQ(d.find("searchTerm")->string(), "caf\xEF\xBF\xBD <&>");
}

TEST_F(CoverfetchTool, ExampleScriptFindsEmbeddedCoverArt) {
  ASSERT_TRUE(app.start());
  std::string example = std::string(CF_EXAMPLES_DIR) + "/FindEmbeddedArtwork.lua";
  std::string music = testsupport::fixture("artwork/Music");
  struct Case {
    const char* term;
    const char* cover;  // fixture expected, or nullptr for none
  } cases[] = {
      {"first song", "artwork/cover.jpg"},         // MP3, ID3v2.3
      {"ARTIST ONE second", "artwork/cover.png"},  // MP3, ID3v2.4, front cover preferred over back
      {"third", "artwork/cover.png"},              // M4A
      {"fourth song", "artwork/cover.jpg"},        // FLAC
      {"fifth", nullptr},                          // track without artwork
      {"no such track", nullptr},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(results);
    RunResult r = coverfetch({c.term, example, results}, {"COVERFETCH_MUSIC_DIR=" + music});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "") << c.term;
    auto d = readResults();
    if (!c.cover) {
      EXPECT_FALSE(d.contains("imageData")) << c.term;
      continue;
    }
    std::string expected = testsupport::readFile(testsupport::fixture(c.cover));
    ASSERT_FALSE(expected.empty());
    ASSERT_TRUE(d.contains("imageData")) << c.term;
    EXPECT_EQ(d.find("imageData")->data(), platform::PlistData(expected.begin(), expected.end())) << c.term;
  }
}
