#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/TestSupport.h"

using namespace platform;

TEST(Paths, ComponentsAndExtensions) {
  EXPECT_EQ(lastPathComponent("/a/b/movie.mp4"), "movie.mp4");
  EXPECT_EQ(lastPathComponent("/a/b/"), "b");
  EXPECT_EQ(lastPathComponent("/"), "/");
  EXPECT_EQ(deletingLastPathComponent("/a/b/movie.mp4"), "/a/b");
  EXPECT_EQ(deletingLastPathComponent("/movie.mp4"), "/");
  EXPECT_EQ(deletingLastPathComponent("movie.mp4"), "");
  EXPECT_EQ(pathExtension("/a/b.c/movie.tar.gz"), "gz");
  EXPECT_EQ(pathExtension("/a/b.c/README"), "");
  EXPECT_EQ(pathExtension("/a/.hidden"), "");
  EXPECT_EQ(deletingPathExtension("/a/b.c/movie.mp4"), "/a/b.c/movie");
  EXPECT_EQ(deletingPathExtension("/a/b.c/README"), "/a/b.c/README");
  EXPECT_EQ(deletingPathExtension("/a/b.c/trail."), "/a/b.c/trail") << "a trailing dot goes too";
  EXPECT_EQ(deletingPathExtension("/a/b.c/trail../"), "/a/b.c/trail.");
  EXPECT_EQ(deletingPathExtension("/a/.hidden"), "/a/.hidden");
  EXPECT_EQ(deletingPathExtension("/a/."), "/a/.");
  EXPECT_EQ(appendingPathComponent("/a", "b"), "/a/b");
  EXPECT_EQ(appendingPathComponent("/a/", "b"), "/a/b");
  EXPECT_EQ(appendingPathExtension("/a/b", "plist"), "/a/b.plist");
}

TEST(Paths, UserFoldersFollowHomeAndXdg) {
  testsupport::ScopedHome home;
  EXPECT_EQ(homeDirectory(), home.path());
  EXPECT_EQ(applicationSupportDirectory(), home.path() + "/.local/share");
  EXPECT_EQ(userConfigDirectory(), home.path() + "/.config");
  EXPECT_EQ(expandTildeInPath("~/Music/x.mp3"), home.path() + "/Music/x.mp3");
  EXPECT_EQ(expandTildeInPath("~"), home.path());
  EXPECT_EQ(expandTildeInPath("/abs/~x"), "/abs/~x");
  EXPECT_EQ(abbreviateWithTildeInPath(home.path() + "/Music/x.mp3"), "~/Music/x.mp3");

  setenv("XDG_DATA_HOME", (home.path() + "/data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
  EXPECT_EQ(applicationSupportDirectory(), home.path() + "/data");
  EXPECT_EQ(userConfigDirectory(), home.path() + "/.config");

  std::string deep = home.path() + "/x/y/z";
  EXPECT_TRUE(createDirectories(deep));
  EXPECT_TRUE(directoryExists(deep));
  EXPECT_TRUE(createDirectories(deep));
}

TEST(UserDefaults, PersistsPerDomainAndWritesOnlyWhenChanged) {
  testsupport::ScopedHome home;
  {
    UserDefaults d("Kestrix");
    EXPECT_FALSE(d.boolForKey("kVerboseLogging"));
    EXPECT_EQ(d.floatForKey("kKestroVolume"), 0.0f);
    EXPECT_TRUE(d.synchronize());
    EXPECT_FALSE(fileExists(d.filePath())) << "nothing changed, nothing written";
    d.setObject("kKestroVolume", 0.75);
    d.setObject("kVerboseLogging", true);
    d.setObject("Name", "x");
    EXPECT_TRUE(d.synchronize());
    EXPECT_EQ(d.filePath(), home.path() + "/.config/Kestrix/defaults.plist");
  }
  UserDefaults again("Kestrix");
  EXPECT_FLOAT_EQ(again.floatForKey("kKestroVolume"), 0.75f);
  EXPECT_TRUE(again.boolForKey("kVerboseLogging"));
  EXPECT_EQ(again.stringForKey("Name").value_or(""), "x");
  EXPECT_FALSE(again.stringForKey("kKestroVolume").has_value());
  auto onDisk = plist::readFile(again.filePath());
  ASSERT_TRUE(onDisk && onDisk->isDictionary());
  EXPECT_TRUE(onDisk->dictionary().find("kVerboseLogging")->boolean());

  UserDefaults other("Ripplecast");
  EXPECT_FALSE(other.boolForKey("kVerboseLogging"));
}

TEST(UserDefaults, CorruptFileReadsAsEmpty) {
  testsupport::ScopedHome home;
  createDirectories(home.path() + "/.config/Coverfetch");
  testsupport::writeFile(home.path() + "/.config/Coverfetch/defaults.plist", "garbage<<");
  UserDefaults d("Coverfetch");
  EXPECT_FALSE(d.objectForKey("anything").has_value());
  d.setObject("k", 1);
  EXPECT_TRUE(d.synchronize());
  EXPECT_EQ(UserDefaults("Coverfetch").integerForKey("k"), 1);
}
