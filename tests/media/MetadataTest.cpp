// Metadata labels and ID3-style tags, on byte-exact movies from the box writer and on files
// written by the ffmpeg tool and AtomicParsley.
#include <gtest/gtest.h>

#include <filesystem>

#include "XMHQTFileInvestigator.h"
#include "platform/media/Movie.h"
#include "tests/support/BoxWriter.h"
#include "tests/support/TestSupport.h"

using namespace testsupport;
using platform::PlistDictionary;

namespace {

const std::string kA9 = "\xA9";
const std::string kMetaLog = "XMHQTFileInvestigator: metaDataOfMovie: Error getting PropertyValue value";

// A movie with one sound track and the given boxes after it in moov.
std::string movieWith(const std::string& extra) {
  return ftyp("M4A ") + box("moov", {mvhd(600, 6000), trak(1, "soun"), extra});
}

struct Probe {
  TempDir dir;
  std::string path;
  Probe(const std::string& bytes, const std::string& name = "movie.m4a") : path(dir.file(name)) {
    writeFile(path, bytes);
  }
  PlistDictionary metadata() {
    auto d = XMHQTFileInvestigator::metaDataOfFileNamed(path);
    EXPECT_TRUE(d) << path;
    return d ? *d : PlistDictionary();
  }
  PlistDictionary tags() {
    auto d = XMHQTFileInvestigator::id3TagsOfFileNamed(path);
    EXPECT_TRUE(d) << path;
    return d ? *d : PlistDictionary();
  }
};

std::string text(const PlistDictionary& d, const std::string& key) {
  const auto* v = d.find(key);
  return v && v->isString() ? v->string() : "<absent>";
}

std::optional<std::string> format(uint32_t type, const std::string& bytes) {
  return XMHQTFileInvestigator::formattedMetaDataValue(type, reinterpret_cast<const uint8_t*>(bytes.data()),
                                                       bytes.size());
}

}  // namespace

TEST(ValueFormatter, RendersEachDataType) {
  EXPECT_EQ(format(0, std::string("\x00\x00\x00\x05\x00\x0c\x00\x00", 8)), "00050c00");
  EXPECT_EQ(format(13, "\xff\xd8\x0a"), "ffd8a");
  EXPECT_EQ(format(27, ""), "");
  EXPECT_EQ(format(1, std::string("Song\0tail", 9)), "Song");
  EXPECT_EQ(format(1, "\xc3\xa9t\xc3\xa9"), "\xc3\xa9t\xc3\xa9");
  EXPECT_EQ(format(1, "\xff\xfe"), std::nullopt) << "not UTF-8";
  EXPECT_EQ(format(2, std::string("\x00S\x00\xe9\x00\x00\x00x", 8)), "S\xc3\xa9") << "UTF-16BE up to a zero unit";
  EXPECT_EQ(format(3, "\xa9nam\x8e"), "\xc2\xa9nam\xc3\xa9") << "Mac Roman";
  EXPECT_EQ(format(21, "\x05"), "0x5");
  EXPECT_EQ(format(22, "\x01\x02"), "0x102");
  EXPECT_EQ(format(22, std::string(4, '\0')), "0000");
  EXPECT_EQ(format(22, "\xff"), "0xff");
  EXPECT_EQ(format(22, ""), std::nullopt);
  EXPECT_EQ(format(23, std::string("\x3f\xc0\x00\x00", 4)), "1.500000");
  EXPECT_EQ(format(24, std::string("\x40\x04\0\0\0\0\0\0", 8)), "2.500000");
  EXPECT_EQ(format(23, "\x3f"), std::nullopt);
  EXPECT_EQ(format(4, "abc"), std::nullopt);
  EXPECT_EQ(format(99, "abc"), std::nullopt);
  EXPECT_EQ(XMHQTFileInvestigator::metaDataLabelMap().size(), 38u);
}

TEST(Metadata, ItemListEdgeCases) {
  LogCapture log;
  Probe p(movieWith(itunesMetadata({
      dataItem(kA9 + "nam", 1, "Song"),
      dataItem("trkn", 0, std::string("\x00\x00\x00\x05\x00\x0c\x00\x00", 8)),
      dataItem("covr", 13, "\xff\xd8\xff\xe0"),
      dataItem(kA9 + "ART", 4, "unsupported"),
      dataItem("tmpo", 21, ""),
      dataItem("rtng", 22, "\xff"),
      dataItem(kA9 + "xyz", 1, "unknown four-byte key"),
      dataItem(kA9 + "alb", 1, "Album"),
  })));
  PlistDictionary d = p.metadata();
  EXPECT_EQ(text(d, "Name"), "Song");
  EXPECT_EQ(text(d, "Track"), "00050c00");
  EXPECT_EQ(text(d, "covr"), "ffd8ffe0");
  EXPECT_EQ(text(d, "Rating"), "0xff");
  EXPECT_EQ(text(d, "\xc2\xa9xyz"), "unknown four-byte key");
  EXPECT_EQ(text(d, "Album"), "Album") << "items after a failed one are still reported";
  EXPECT_FALSE(d.contains("Artist"));
  EXPECT_FALSE(d.contains("Tempo"));
  EXPECT_EQ(log.messages(), (std::vector<std::string>{kMetaLog, kMetaLog}));
}

TEST(Metadata, LaterItemOfALabelWinsInContainerOrder) {
  auto keyed = [](const std::string& first, const std::string& second) {
    return keyedMetadata({"com.apple.quicktime.displayname", "com.example.unknown"},
                         {{1, box("data", be32(1) + be32(0) + first)}, {2, box("data", be32(1) + be32(0) + "x")}}) +
           itunesMetadata({dataItem(kA9 + "nam", 1, second)});
  };
  {
    // moov/meta (keyed) before udta/meta (item list): the item list's "nam" comes later.
    Probe p(movieWith(keyed("Display", "Nam")));
    LogCapture log;
    PlistDictionary d = p.metadata();
    EXPECT_EQ(text(d, "Name"), "Nam");
    EXPECT_EQ(d.size(), 1u) << "the unknown reverse-DNS key is dropped";
    EXPECT_TRUE(log.lines().empty()) << "silently";
  }
  {
    Probe p(movieWith(itunesMetadata({dataItem(kA9 + "nam", 1, "Nam")}) +
                      keyedMetadata({"com.apple.quicktime.displayname"}, {{1, box("data", be32(1) + be32(0) + "Display")}})));
    EXPECT_EQ(text(p.metadata(), "Name"), "Display");
  }
}

TEST(Metadata, ClassicUserDataByLanguageCode) {
  // Mac language 0 is Mac Roman; a packed ISO-639 code ("und" = 0x55c4) is UTF-8.
  Probe p(movieWith(box("udta", {classicText(kA9 + "day", 0, "2007\r"), classicText(kA9 + "nam", 0x55c4, "Caf\xc3\xa9"),
                                 classicText(kA9 + "ART", 0, "Mot\x9arhead"), classicText(kA9 + "cmt", 0, "note"),
                                 box("name", "not read")})));
  PlistDictionary meta = p.metadata();
  EXPECT_EQ(text(meta, "Name"), "Caf\xc3\xa9");
  EXPECT_EQ(text(meta, "Artist"), "Mot\xc3\xb6rhead");
  EXPECT_EQ(text(meta, "Comments"), "note");
  PlistDictionary tags = p.tags();
  EXPECT_EQ(text(tags, "Year"), "2007 ") << "carriage return becomes a blank";
  EXPECT_EQ(text(tags, "Name"), "Caf\xc3\xa9");
  EXPECT_EQ(text(tags, "Artist"), "Mot\xc3\xb6rhead");
  EXPECT_FALSE(tags.contains("Comments"));
  EXPECT_EQ(tags.size(), 3u);
}

TEST(Metadata, UserDataCallsEnumerateTypesAndIndexes) {
  using namespace platform::media;
  Probe p(movieWith(box("udta", {classicText(kA9 + "nam", 0, "one"), box("name", "x"), classicText(kA9 + "nam", 0, "two")})));
  MoviePtr movie;
  QTNewMoviePropertyElement prop;
  prop.propClass = kQTPropertyClass_DataLocation;
  prop.propID = kQTDataLocationPropertyID_CFStringNativePath;
  prop.propValue = p.path;
  ASSERT_EQ(NewMovieFromProperties(1, &prop, 0, nullptr, &movie), noErr);
  UserData ud = GetMovieUserData(*movie);
  ASSERT_TRUE(ud);
  OSType nam = 0xA96E616D;
  EXPECT_EQ(GetNextUserDataType(ud, 0), nam);
  EXPECT_EQ(GetNextUserDataType(ud, nam), fourCharCode("name"));
  EXPECT_EQ(GetNextUserDataType(ud, fourCharCode("name")), 0u);
  EXPECT_EQ(CountUserDataType(ud, nam), 2);
  std::string t;
  ASSERT_EQ(GetUserDataText(ud, &t, nam, 2, 0), noErr);
  EXPECT_EQ(t, "two");
  EXPECT_NE(GetUserDataText(ud, &t, nam, 3, 0), noErr);
  EXPECT_NE(GetUserDataText(ud, &t, nam, 0, 0), noErr);
}

TEST(Metadata, BrokenBoxesEndTheirBranchOnly) {
  // A data box that claims more than its item holds, then a good item; an ilst child with a size
  // below its header ends the list.
  std::string badItem = box(kA9 + "ART", be32(4000) + "data" + be32(1) + be32(0) + "x");
  Probe p(movieWith(itunesMetadata({badItem, dataItem(kA9 + "nam", 1, "Kept"), be32(3) + "junk"}) +
                    box("udta", {box(kA9 + "alb", be16(900) + be16(0) + "x")})));
  PlistDictionary d = p.metadata();
  EXPECT_EQ(text(d, "Name"), "Kept");
  EXPECT_FALSE(d.contains("Artist"));
}

TEST(Metadata, FilesWrittenByTheFfmpegTool) {
  auto m4a = XMHQTFileInvestigator::metaDataOfFileNamed(fixture("tags-ffmpeg.m4a"));
  ASSERT_TRUE(m4a);
  EXPECT_EQ(text(*m4a, "Name"), "Tagged Title");
  EXPECT_EQ(text(*m4a, "Artist"), "Tagged Artist");
  EXPECT_EQ(text(*m4a, "Album"), "Tagged Album");
  EXPECT_EQ(text(*m4a, "Year"), "2007");
  EXPECT_EQ(text(*m4a, "Track"), "00050c00") << "trkn, type 0, 8 bytes";
  EXPECT_EQ(text(*m4a, "Disk"), "00010200");
  EXPECT_EQ(text(*m4a, "Comments"), "A comment");

  auto mov = XMHQTFileInvestigator::metaDataOfFileNamed(fixture("tags-ffmpeg.mov"));
  ASSERT_TRUE(mov);
  EXPECT_EQ(text(*mov, "Name"), "Caf\xc3\xa9 \xc3\x9cn\xc3\xaf" "code") << "classic user data, ISO language: UTF-8";
  EXPECT_EQ(text(*mov, "Artist"), "Tagged Artist");
  auto movTags = XMHQTFileInvestigator::id3TagsOfFileNamed(fixture("tags-ffmpeg.mov"));
  ASSERT_TRUE(movTags);
  EXPECT_EQ(text(*movTags, "Name"), "Caf\xc3\xa9 \xc3\x9cn\xc3\xaf" "code");
  EXPECT_EQ(text(*movTags, "Year"), "2007");
}

TEST(Metadata, FileWrittenByAtomicParsley) {
  auto d = XMHQTFileInvestigator::metaDataOfFileNamed(fixture("tags-atomicparsley.m4a"));
  ASSERT_TRUE(d);
  EXPECT_EQ(text(*d, "Name"), "AP Title");
  EXPECT_EQ(text(*d, "Artist"), "AP Artist");
  EXPECT_EQ(text(*d, "Album"), "AP Album");
  EXPECT_EQ(text(*d, "Year"), "2001");
  EXPECT_EQ(text(*d, "Genre"), "012") << "gnre: ID3 genre index + 1 as two binary bytes";
  EXPECT_EQ(text(*d, "Track"), "00030a00");
  EXPECT_EQ(text(*d, "Disk"), "000102") << "six-byte disk";
  EXPECT_EQ(text(*d, "CPil"), "0x1");
  EXPECT_EQ(text(*d, "Tempo"), "0x78");
  std::string jpeg = readFile(fixture("image.jpg"));
  ASSERT_TRUE(d->contains("covr"));
  EXPECT_EQ(text(*d, "covr").substr(0, 8), "ffd8ffe0");
  EXPECT_LE(text(*d, "covr").size(), 2 * jpeg.size());
}

TEST(Metadata, OtherContainersThroughTheirTags) {
  for (const char* name : {"tags-v24.mp3", "tags-v23.mp3", "tags-id3.wav", "tags.flac", "tags.ogg"}) {
    auto d = XMHQTFileInvestigator::metaDataOfFileNamed(fixture(name));
    ASSERT_TRUE(d) << name;
    EXPECT_EQ(text(*d, "Artist"), "Tagged Artist") << name;
    EXPECT_EQ(text(*d, "Album"), "Tagged Album") << name;
    EXPECT_EQ(text(*d, "Year"), "2007") << name;
    EXPECT_EQ(text(*d, "Track"), "5/12") << name;
    EXPECT_EQ(text(*d, "Comments"), "A comment") << name;
    auto tags = XMHQTFileInvestigator::id3TagsOfFileNamed(fixture(name));
    ASSERT_TRUE(tags) << name;
    EXPECT_EQ(text(*tags, "Track Number"), "5/12") << name;
    EXPECT_EQ(text(*tags, "Artist"), "Tagged Artist") << name;
  }
  EXPECT_EQ(text(*XMHQTFileInvestigator::metaDataOfFileNamed(fixture("tags-v24.mp3")), "Name"), "T\xc3\xaftle 2.4");
  EXPECT_EQ(text(*XMHQTFileInvestigator::metaDataOfFileNamed(fixture("tags-v23.mp3")), "Name"), "T\xc3\xaftle 2.3");
  EXPECT_EQ(text(*XMHQTFileInvestigator::metaDataOfFileNamed(fixture("tags-v23.mp3")), "Part Of Set"), "1/2");
}

// Cut and corrupted copies of every metadata fixture probe without a crash (run under
// AddressSanitizer by the asan build); what a damaged copy still reports is its own business.
TEST(Robustness, MetadataAndChaptersOfDamagedCopies) {
  TempDir dir;
  LogCapture quiet;
  for (const char* name : {"tags-ffmpeg.m4a", "tags-ffmpeg.mov", "tags-atomicparsley.m4a", "chapters.mp4",
                           "tags-v24.mp3", "tags-v23.mp3", "tags-id3.wav", "chapters.mkv", "tags.flac"}) {
    std::string bytes = readFile(fixture(name));
    ASSERT_FALSE(bytes.empty()) << name;
    std::string ext = std::filesystem::path(name).extension().string();
    std::vector<std::string> copies;
    for (size_t cut : {size_t(10), size_t(64), size_t(700), bytes.size() / 5, bytes.size() / 2, bytes.size() * 9 / 10,
                       bytes.size() - 20, bytes.size() - 1})
      copies.push_back(bytes.substr(0, std::min(cut, bytes.size())));
    // Damage the metadata and table regions at the end (moov written last) and the tag at the start.
    for (size_t stride : {size_t(7), size_t(29), size_t(101)}) {
      std::string c = bytes;
      size_t from = c.size() > 6000 ? c.size() - 6000 : 0;
      for (size_t i = from; i < c.size(); i += stride) c[i] = static_cast<char>(c[i] ^ 0x5A);
      for (size_t i = 10; i < std::min<size_t>(c.size(), 3000); i += stride) c[i] = static_cast<char>(c[i] ^ 0x81);
      copies.push_back(c);
    }
    int n = 0;
    for (const std::string& copy : copies) {
      std::string path = dir.file("copy" + std::to_string(n++) + ext);
      writeFile(path, copy);
      if (auto props = XMHQTFileInvestigator::propertiesOfFileNamed(path)) {
        (void)XMHQTFileInvestigator::id3TagsOfFileNamed(path);
        if (const auto* chapters = props->find("Chapters")) {
          EXPECT_LE(chapters->array().size(), 100000u);
        }
      }
    }
  }
}
