#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/BezierPath.h"
#include "resource_store/XACResourceManager.h"
#include "tests/support/TestSupport.h"

using namespace platform;

namespace {

std::shared_ptr<BezierPath> pathWithWidth(double width) {
  auto p = BezierPath::bezierPath();
  p->moveToPoint({0, 50});
  p->lineToPoint({100, 50});
  p->setLineWidth(width);
  return p;
}

double widthOf(const std::shared_ptr<Coding>& object) {
  auto p = std::dynamic_pointer_cast<BezierPath>(object);
  return p ? p->lineWidth() : -1;
}

const char* kYen = "\xC2\xA5";
const char* kDagger = "\xE2\x80\xA0";

}  // namespace

TEST(XACResourceManager, EncodesAndDecodesNames) {
  testsupport::ScopedHome home;
  XACResourceManager store("Karvane", std::string("Waveforms"), "acwaveform");
  std::string y = kYen, d = kDagger;
  EXPECT_EQ(store.encodedPathStringForPath("/Volumes/Media/Live Set.aiff"), y + "Volumes" + y + "Media" + y + "Live" + d + "Set");
  EXPECT_EQ(store.decodedPathStringFromString(y + "Volumes" + y + "Media" + y + "Live" + d + "Set.acwaveform"),
            "/Volumes/Media/Live Set");
  // Tilde, trailing slash, leading-dot names and names without an extension.
  EXPECT_EQ(store.encodedPathStringForPath("~/a.b.mp3"), store.encodedPathStringForPath(home.path() + "/a.b.wav"));
  EXPECT_EQ(store.encodedPathStringForPath("/m/song.wav/"), y + "m" + y + "song");
  EXPECT_EQ(store.encodedPathStringForPath("/m/.hidden"), y + "m" + y + ".hidden");
  EXPECT_EQ(store.encodedPathStringForPath("/m/noext"), y + "m" + y + "noext");
  // Source paths holding the replacement characters come back changed.
  EXPECT_EQ(store.decodedPathStringFromString(store.encodedPathStringForPath("/a/x" + y + "y" + d + "z.wav") + ".acwaveform"),
            "/a/x/y z");

  std::string id = store.uniqueIDForPath("/any");
  ASSERT_EQ(id.size(), 36u);
  for (size_t i = 0; i < id.size(); ++i) {
    bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    EXPECT_TRUE(dash ? id[i] == '-' : std::isxdigit(static_cast<unsigned char>(id[i])) != 0) << id;
  }
  EXPECT_NE(id, store.uniqueIDForPath("/any"));
}

TEST(XACResourceManager, SavesLoadsAndSharesEntries) {
  testsupport::ScopedHome home;
  XACResourceManager store("Karvane", std::string("Waveforms"), "acwaveform");
  std::string folder = home.path() + "/.local/share/Karvane/Waveforms";
  EXPECT_EQ(store.archiveFolderPath(), folder);

  testsupport::LogCapture log;
  // Never saved: folders are made, nothing is found, nothing is said.
  EXPECT_FALSE(store.resourceForSourceFile("/Volumes/Media/Live Set.aiff"));
  EXPECT_TRUE(directoryExists(folder));
  EXPECT_TRUE(log.lines().empty());
  EXPECT_EQ(store.count(), 0);
  EXPECT_EQ(store.count(), 0);

  ASSERT_TRUE(store.setResource(pathWithWidth(1), "/Volumes/Media/Live Set.aiff"));
  ASSERT_TRUE(store.setResource(pathWithWidth(2), "/Volumes/Media/Live Set.wav"));  // same entry
  EXPECT_EQ(store.count(), 2);  // cached count of saves
  EXPECT_EQ(widthOf(store.resourceForSourceFile("/Volumes/Media/Live Set.aiff")), 2);
  EXPECT_EQ(store.allKeys(), std::vector<std::string>{"/Volumes/Media/Live Set"});
  EXPECT_EQ(store.count(), 1);

  // A tilde path and its expansion share one entry.
  ASSERT_TRUE(store.setResource(pathWithWidth(3), "~/Music/Song.mp3"));
  EXPECT_EQ(widthOf(store.objectForKey(home.path() + "/Music/Song.m4a")), 3);
  store.setObject(pathWithWidth(4), home.path() + "/Music/Song.mp3");
  EXPECT_EQ(widthOf(store.resourceForSourceFile("~/Music/Song.flac")), 4);
  EXPECT_TRUE(fileExists(*store.resourcePathForSourceFile("~/Music/Song")));
  EXPECT_TRUE(log.lines().empty());
}

TEST(XACResourceManager, ListingsCountForeignFilesAndSkipThemAsValues) {
  testsupport::ScopedHome home;
  XACResourceManager store("Karvane", std::string("Waveforms"), "acwaveform");
  store.setResource(pathWithWidth(1), "/a/one.wav");
  store.setResource(pathWithWidth(2), "/a/two.wav");
  std::string folder = *store.archiveFolderPath();
  testsupport::writeFile(folder + "/.DS_Store", "desktop junk");
  createDirectories(folder + "/sub");
  testsupport::writeFile(folder + "/sub/inner.acwaveform", "not an archive");

  auto keys = store.allKeys();
  std::set<std::string> keySet(keys.begin(), keys.end());
  EXPECT_EQ(keySet, (std::set<std::string>{"/a/one", "/a/two", ".DS_Store", "sub", "sub/inner"}));
  EXPECT_EQ(store.count(), 5);

  auto values = store.allValues();
  std::vector<double> widths;
  for (auto& v : values) widths.push_back(widthOf(v));
  std::sort(widths.begin(), widths.end());
  EXPECT_EQ(widths, (std::vector<double>{1, 2}));
  EXPECT_EQ(store.count(), 2);

  store.updateResourcesCount();  // not recursive, hidden files included
  EXPECT_EQ(store.count(), 4);
}

TEST(XACResourceManager, FailuresAndTheirLogLines) {
  testsupport::ScopedHome home;
  XACResourceManager store("Karvane", std::string("Waveforms"), "acwaveform");
  testsupport::LogCapture log;
  EXPECT_FALSE(store.setResource(nullptr, std::nullopt));
  EXPECT_FALSE(store.setResource(pathWithWidth(1), std::nullopt));
  EXPECT_EQ(log.messages(), (std::vector<std::string>{
                                "XACResourceManager: setResource:forSourceFile: Error: rootObject was nil",
                                "XACResourceManager: setResource:forSourceFile: Error: sourceFilePath was nil"}));

  // An entry that is not an archive.
  std::string entry = *store.resourcePathForSourceFile("/a/broken.wav");
  testsupport::writeFile(entry, "bplist00 but not really");
  EXPECT_FALSE(store.resourceForSourceFile("/a/broken.wav"));
  EXPECT_EQ(log.messages().back(), "XACResourceManager: Error: No object retreived from file '" + entry + "'");

  // Verbose saves, and a save that cannot replace what is there (a folder).
  UserDefaults::standardUserDefaults().setObject("kVerboseLogging", true);
  std::string good = *store.resourcePathForSourceFile("/a/good.wav");
  EXPECT_TRUE(store.setResource(pathWithWidth(1), "/a/good.wav"));
  EXPECT_EQ(log.messages().back(), "XACResourceManager: Saved rootObject to '" + good + "'");
  std::string blocked = *store.resourcePathForSourceFile("/a/blocked.wav");
  createDirectories(blocked + "/x");
  int before = store.count();
  EXPECT_FALSE(store.setResource(pathWithWidth(1), "/a/blocked.wav"));
  EXPECT_EQ(log.messages().back(), "XACResourceManager: Error: Failed to save rootObject to '" + blocked + "'");
  EXPECT_EQ(store.count(), before);
  UserDefaults::standardUserDefaults().removeObjectForKey("kVerboseLogging");
}

TEST(XACResourceManager, NamesEndingInADotOrTooLongForTheFileSystem) {
  testsupport::ScopedHome home;
  XACResourceManager store("Karvane", std::string("Waveforms"), "acwaveform");
  const std::string y = kYen, folder = *store.archiveFolderPath() + "/";
  testsupport::LogCapture log;

  // "trail." loses its dot like any other extension: it shares the entry of "trail.wav".
  EXPECT_EQ(store.encodedPathStringForPath("/m/trail."), y + "m" + y + "trail");
  ASSERT_TRUE(store.setResource(pathWithWidth(2), "/m/trail."));
  EXPECT_TRUE(fileExists(folder + y + "m" + y + "trail.acwaveform"));
  EXPECT_EQ(widthOf(store.resourceForSourceFile("/m/trail.wav")), 2);
  EXPECT_EQ(store.allKeys(), std::vector<std::string>{"/m/trail"});

  // Entry names are limited to 255 bytes; "\xC2\xA5" and the dagger take 2 and 3 bytes each.
  const std::string fits = "/m/" + std::string(239, 'a') + ".wav";  // 5 + 239 + 11 = 255 bytes
  ASSERT_EQ(lastPathComponent(*store.resourcePathForSourceFile(fits)).size(), 255u);
  EXPECT_TRUE(store.setResource(pathWithWidth(3), fits));
  EXPECT_TRUE(log.messages().empty()) << "a successful save is quiet unless verbose";

  const std::string tooLong = "/m/" + std::string(80, ' ') + "x.wav";  // 5 + 240 + 1 + 11 bytes
  const std::string entry = *store.resourcePathForSourceFile(tooLong);
  ASSERT_GT(lastPathComponent(entry).size(), 255u);
  const int before = store.count();
  EXPECT_FALSE(store.setResource(pathWithWidth(4), tooLong));
  EXPECT_EQ(store.count(), before);
  EXPECT_EQ(log.messages(), std::vector<std::string>{"XACResourceManager: Error: Failed to save rootObject to '" +
                                                     entry + "'"})
      << "a failed save is logged without kVerboseLogging";
}

TEST(XACResourceManager, DefaultStoreKeepsEntriesInTheApplicationFolder) {
  testsupport::ScopedHome home;
  XACResourceManager store;
  auto folder = store.archiveFolderPath();
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder, store.appSupportFolderPath());
  EXPECT_EQ(*folder, home.path() + "/.local/share/resource_store_tests");
  ASSERT_TRUE(store.setResource(pathWithWidth(1), "/x/y.aiff"));
  EXPECT_TRUE(fileExists(*folder + "/" + kYen + "x" + kYen + "y.xacrmdata"));

  XACResourceManager named(std::string("Cache"), "dat");
  EXPECT_EQ(named.archiveFolderPath(), home.path() + "/.local/share/resource_store_tests/Cache");
}
