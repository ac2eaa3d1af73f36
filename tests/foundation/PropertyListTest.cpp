#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/TestSupport.h"

using namespace platform;

namespace {

PlistValue sampleDocument() {
  PlistDictionary chapter;
  chapter.set("QTMovieChapterName", "Intro");
  chapter.set("QTMovieChapterStartTime", 0.3f);
  PlistDictionary d;
  d.set("Location", "/media/movie ünï.mp4");
  d.set("Total Time", int64_t{-5});
  d.set("Big", int64_t{1} << 40);
  d.set("Has Audio", 1);
  d.set("Flag", true);
  d.set("Bytes", PlistData{0, 1, 2, 255});
  d.set("Chapters", PlistArray{PlistValue(chapter)});
  d.set("Ref", PlistUid{7});
  return d;
}

}  // namespace

TEST(PlistDictionary, KeepsInsertionOrderAndReplacesInPlace) {
  PlistDictionary d;
  d.set("Location", "a");
  d.set("Total Time", 3);
  d.set("Location", "b");
  ASSERT_EQ(d.keys(), (std::vector<std::string>{"Location", "Total Time"}));
  EXPECT_EQ(d.find("Location")->string(), "b");

  PlistDictionary other;
  other.set("Total Time", 4);
  other.set("Name", "x");
  d.merge(other);
  EXPECT_EQ(d.keys(), (std::vector<std::string>{"Location", "Total Time", "Name"}));
  EXPECT_EQ(d.find("Total Time")->integer(), 4);
  EXPECT_TRUE(d.erase("Name"));
  EXPECT_FALSE(d.erase("Name"));
}

TEST(PropertyList, XmlAndBinaryRoundTripEveryType) {
  PlistValue doc = sampleDocument();
  for (bool binary : {false, true}) {
    std::string bytes = binary ? plist::toBinary(doc) : plist::toXml(doc);
    auto back = plist::parse(bytes);
    ASSERT_TRUE(back.has_value()) << (binary ? "binary" : "xml");
    const PlistDictionary& d = back->dictionary();
    EXPECT_EQ(d.keys().front(), "Location");
    EXPECT_EQ(d.find("Location")->string(), "/media/movie ünï.mp4");
    EXPECT_EQ(d.find("Total Time")->integer(), -5);
    EXPECT_EQ(d.find("Big")->integer(), int64_t{1} << 40);
    EXPECT_TRUE(d.find("Flag")->boolean());
    EXPECT_EQ(d.find("Bytes")->data(), (PlistData{0, 1, 2, 255}));
    const PlistDictionary& ch = d.find("Chapters")->array().at(0).dictionary();
    EXPECT_FLOAT_EQ(static_cast<float>(ch.find("QTMovieChapterStartTime")->real()), 0.3f);
    if (binary) {
      EXPECT_EQ(d.find("Ref")->uid().value, 7u);
    }
  }
}

TEST(PropertyList, XmlIsThePlatformDocumentWithIntegerAndRealElements) {
  PlistDictionary d;
  d.set("Total Time", 2);
  d.set("Start", 0.5);
  std::string xml = plist::toXml(PlistValue(d));
  EXPECT_NE(xml.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"), std::string::npos);
  EXPECT_NE(xml.find("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\""), std::string::npos);
  EXPECT_NE(xml.find("<key>Total Time</key>"), std::string::npos);
  EXPECT_NE(xml.find("<integer>2</integer>"), std::string::npos);
  EXPECT_NE(xml.find("<real>0.5"), std::string::npos);
}

TEST(PropertyList, MalformedInputGivesNothing) {
  EXPECT_FALSE(plist::parse("").has_value());
  EXPECT_FALSE(plist::parse("not a plist at all").has_value());
  EXPECT_FALSE(plist::parse("<?xml version=\"1.0\"?><plist><dict><key>a</key>").has_value());
  std::string bin = plist::toBinary(sampleDocument());
  for (size_t cut : {size_t(8), bin.size() / 2, bin.size() - 1}) {
    (void)plist::parse(bin.substr(0, cut));  // must not crash; the result may be empty
  }
  std::string corrupt = bin;
  for (size_t i = 8; i < corrupt.size(); i += 7) corrupt[i] = static_cast<char>(0xff);
  (void)plist::parse(corrupt);
}

TEST(AtomicFile, WritesWholeFileAndLeavesNoTemporaryOnFailure) {
  testsupport::TempDir dir;
  std::string path = dir.file("out.plist");
  ASSERT_TRUE(writeFileAtomically(path, "first"));
  ASSERT_TRUE(writeFileAtomically(path, "second version"));
  EXPECT_EQ(testsupport::readFile(path), "second version");
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_NE(st.st_mode & 0044, 0u) << "file should be readable by others like a plain create";

  EXPECT_FALSE(writeFileAtomically(dir.file("missing/out.plist"), "x"));
  // A directory in the way: the rename fails and the temporary is removed.
  std::filesystem::create_directory(dir.file("adir"));
  testsupport::writeFile(dir.file("adir/keep"), "k");
  EXPECT_FALSE(writeFileAtomically(dir.file("adir"), "x"));
  size_t count = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++count;
  }
  EXPECT_EQ(count, 2u) << "only out.plist and adir may remain";
  EXPECT_FALSE(readWholeFile(dir.file("adir")).has_value());
  // A FIFO is refused at once rather than waited on.
  ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(readWholeFile(dir.file("fifo")).has_value());
}

TEST(AtomicFile, NamesUpToTheFileSystemsLimitAreWritten) {
  // The temporary file must fit the limit too, or a legal name can never be written.
  testsupport::TempDir dir;
  for (size_t length : {size_t(247), size_t(248), size_t(255)}) {
    const std::string path = dir.file(std::string(length, 'n'));
    EXPECT_TRUE(writeFileAtomically(path, "whole")) << length << " bytes";
    EXPECT_EQ(testsupport::readFile(path), "whole");
  }
  EXPECT_FALSE(writeFileAtomically(dir.file(std::string(256, 'n')), "x"));
  size_t count = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++count;
  }
  EXPECT_EQ(count, 3u) << "no temporary left behind";
}

TEST(PropertyList, XmlCarriesOnlyCharactersXmlAllows) {
  PlistDictionary d;
  d.set("Name", std::string("a\x01" "b\tc\r\nd\xff" "e\xef\xbf\xbf" "f"));
  d.set(std::string("key\x02"), "v");
  std::string xml = plist::toXml(PlistValue(d));
  auto back = plist::parse(xml);
  ASSERT_TRUE(back.has_value()) << xml;
  EXPECT_EQ(back->dictionary().find("Name")->string(), "a\xef\xbf\xbd" "b\tc\r\nd\xef\xbf\xbd" "e\xef\xbf\xbd" "f");
  EXPECT_TRUE(back->dictionary().contains("key\xef\xbf\xbd"));
  // The binary form keeps the characters as they are.
  auto bin = plist::parse(plist::toBinary(PlistValue(d)));
  ASSERT_TRUE(bin.has_value());
  EXPECT_EQ(bin->dictionary().find("Name")->string().substr(0, 3), "a\x01" "b");
}
