// The desktop entry: well formed, starts Kestrix on one file, and offers it for exactly the file
// types the media layer opens (by the desktop's own MIME database, where it is installed).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "platform/media/QTMovie.h"
#include "tests/support/TestSupport.h"

namespace {

std::map<std::string, std::string> desktopEntry() {
  std::map<std::string, std::string> keys;
  std::ifstream in(std::string(MT_SOURCE_DIR) + "/previewer/Kestrix.desktop");
  std::string line, group;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      group = line;
      continue;
    }
    const size_t eq = line.find('=');
    if (group == "[Desktop Entry]" && eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return keys;
}

std::vector<std::string> split(const std::string& text, char sep) {
  std::vector<std::string> out;
  std::stringstream ss(text);
  for (std::string item; std::getline(ss, item, sep);)
    if (!item.empty()) out.push_back(item);
  return out;
}

// MIME type → lower-case extensions, from the shared MIME database's "*.ext" globs.
std::map<std::string, std::set<std::string>> mimeExtensions() {
  std::map<std::string, std::set<std::string>> out;
  std::ifstream in("/usr/share/mime/globs2");
  std::string line;
  while (std::getline(in, line)) {
    auto fields = split(line, ':');
    if (fields.size() < 3 || fields[2].rfind("*.", 0) != 0) continue;
    std::string ext = fields[2].substr(2);
    if (ext.find_first_of("*?[") != std::string::npos) continue;
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    out[fields[1]].insert(ext);
  }
  return out;
}

}  // namespace

TEST(DesktopEntry, StartsKestrixOnOneFileAsAPlayer) {
  auto keys = desktopEntry();
  EXPECT_EQ(keys["Type"], "Application");
  EXPECT_EQ(keys["Name"], "Kestrix");
  EXPECT_EQ(keys["Exec"], "Kestrix %f");  // one argument: the media path, interactive mode
  EXPECT_EQ(keys["Terminal"], "false");
  auto categories = split(keys["Categories"], ';');
  EXPECT_NE(std::find(categories.begin(), categories.end(), "AudioVideo"), categories.end());
  if (::access("/usr/bin/desktop-file-validate", X_OK) == 0) {
    auto r = testsupport::run("/usr/bin/desktop-file-validate", {std::string(MT_SOURCE_DIR) + "/previewer/Kestrix.desktop"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
  }
}

TEST(DesktopEntry, OffersItselfForTheTypesTheMediaLayerOpens) {
  const auto mime = mimeExtensions();
  if (mime.empty()) GTEST_SKIP() << "no shared MIME database (/usr/share/mime/globs2)";
  const std::vector<std::string> listed = split(desktopEntry()["MimeType"], ';');
  ASSERT_FALSE(listed.empty());
  const std::vector<std::string> openable = platform::media::QTMovie::movieFileTypes();
  const std::set<std::string> opens(openable.begin(), openable.end());
  // Every type listed is one the media layer opens by at least one of its extensions.
  for (const std::string& type : listed) {
    auto it = mime.find(type);
    ASSERT_NE(it, mime.end()) << type << " is not a known MIME type";
    bool any = false;
    for (const std::string& ext : it->second) any = any || opens.count(ext);
    EXPECT_TRUE(any) << type << " names no extension the media layer opens";
  }
  // The common kinds of movie and sound file are all offered.
  const std::set<std::string> offered(listed.begin(), listed.end());
  for (const char* ext : {"mp4", "mov", "m4v", "mkv", "webm", "avi", "wmv", "flv", "mpg", "ts", "ogv", "3gp", "m4a",
                          "mp3", "aac", "flac", "wav", "aiff", "ogg", "opus", "mka", "wma"}) {
    ASSERT_TRUE(opens.count(ext)) << ext << " is not opened by the media layer";
    bool found = false;
    for (const auto& [type, exts] : mime)
      if (exts.count(ext) && offered.count(type)) found = true;
    EXPECT_TRUE(found) << "no MIME type of ." << ext << " is offered";
  }
}
