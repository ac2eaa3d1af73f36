// iTunesArtworkAgent queries by persistent ID and by file, and the application-support folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "ArtworkTestSupport.h"
#include "artwork_agent/XACAppSupportFolderPathAgent.h"
#include "artwork_agent/iTunesArtworkAgent.h"
#include "platform/foundation/FileURL.h"
#include "platform/foundation/Paths.h"

namespace {

// A resource script beside the test executable for the lifetime of the object.
struct ResourceScript {
  std::string path;
  ResourceScript(const std::string& name, const std::string& source)
      : path(platform::executableDirectory() + "/" + name + ".scpt") {
    cftest::writeScript(path, source);
  }
  ~ResourceScript() { std::filesystem::remove(path); }
};

std::string text(const std::optional<platform::PlistData>& d) {
  return d ? std::string(d->begin(), d->end()) : std::string("<none>");
}

}  // namespace

TEST(FileURL, EscapesLikeThePlatform) {
  EXPECT_EQ(platform::fileURLString("/Music/A B/ça#1.mp3"), "file:///Music/A%20B/%C3%A7a%231.mp3");
  EXPECT_EQ(platform::addingPercentEscapes("file:///Music/A%20B/x.mp3"), "file:///Music/A%2520B/x.mp3");
  EXPECT_EQ(platform::addingPercentEscapes("a b\"<>{}|\\^`[]é"), "a%20b%22%3C%3E%7B%7D%7C%5C%5E%60%5B%5D%C3%A9");
  testsupport::TempDir dir;
  EXPECT_EQ(platform::fileURLString(dir.path()), "file://" + dir.path() + "/");
  std::string cwd = std::filesystem::current_path().string();
  EXPECT_EQ(platform::fileURLString("rel.mp3"), platform::fileURLString(cwd + "/rel.mp3"));
}

TEST(iTunesArtworkAgent, ArtworkForFileSendsTheTwiceEscapedURL) {
  testsupport::ScopedHome home;
  testsupport::TempDir dir;
  cftest::StandInMusicApp app(dir);
  cftest::setMusicApplication(app.name(), app.path());
  ResourceScript script("GetArtworkByLocation", "function open(a) if a[1] == 'fail' then error('x') end return a[1] end");
  iTunesArtworkAgent agent;
  testsupport::LogCapture log;
  EXPECT_EQ(text(agent.iTunesArtworkForFile("/Music/A B/track.mp3")), "file:///Music/A%2520B/track.mp3");
  EXPECT_EQ(app.running().size(), 1u) << "launched hidden";
  EXPECT_EQ(text(agent.iTunesArtworkForFile(std::string())), "<none>");
  EXPECT_TRUE(log.lines().empty());
}

TEST(iTunesArtworkAgent, ArtworkForPIDUsesTheGetArtworkResource) {
  testsupport::ScopedHome home;
  testsupport::TempDir dir;
  cftest::StandInMusicApp app(dir);
  cftest::setMusicApplication(app.name(), app.path());
  ASSERT_TRUE(app.start());
  ResourceScript script("GetArtwork", "function open(a) if a[1] == 'bad' then error('no such track') end return 'art:' .. a[1] end");
  iTunesArtworkAgent agent;
  EXPECT_TRUE(agent.iTunesIsRunning());
  EXPECT_EQ(text(agent.iTunesArtworkForPID("8A3F00C2")), "art:8A3F00C2");
  EXPECT_EQ(text(agent.iTunesArtworkForPID("No artwork")), "<none>");
  EXPECT_EQ(text(agent.iTunesArtworkForPID(std::nullopt)), "<none>");
  testsupport::LogCapture log;
  EXPECT_EQ(text(agent.iTunesArtworkForPID("bad")), "<none>");
  auto messages = log.messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].rfind("ScriptController: Couldn't run script: err={", 0), 0u);
  EXPECT_EQ(messages[1].rfind("GetArtwork script returned error {", 0), 0u);
  EXPECT_NE(messages[1].find("no such track"), std::string::npos);
  EXPECT_EQ(app.running().size(), 1u) << "a running application is not launched again";
}

TEST(XACAppSupportFolderPathAgent, FoldersAreMadeOnDemand) {
  testsupport::ScopedHome home;
  std::string base = XACAppSupportFolderPathAgent::appSupportFolderPath();
  EXPECT_EQ(base, home.path() + "/.local/share/artwork_agent_tests");
  EXPECT_TRUE(platform::directoryExists(base));
  std::string sub = XACAppSupportFolderPathAgent::appSupportFolderSubFolderWithName("Covers");
  EXPECT_EQ(sub, base + "/Covers");
  EXPECT_TRUE(platform::directoryExists(sub));
  // Something already there is left alone.
  testsupport::writeFile(base + "/File", "x");
  EXPECT_EQ(XACAppSupportFolderPathAgent::appSupportFolderSubFolderWithName("File"), base + "/File");
  EXPECT_EQ(testsupport::readFile(base + "/File"), "x");
}
