// The ID3v2 reader: versions, unsynchronisation, extended headers, text encodings, damage.
#include <gtest/gtest.h>

#include "XMHQTFileInvestigator.h"
#include "platform/media/id3/Id3Reader.h"
#include "tests/support/BoxWriter.h"
#include "tests/support/TestSupport.h"

using namespace testsupport;
namespace id3 = platform::media::id3;

namespace {

std::optional<id3::Tag> parse(const std::string& bytes) {
  return id3::parseTag(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string textOf(const id3::Tag& tag, const std::string& id) {
  for (const auto& f : tag.frames)
    if (f.id == id) return id3::frameText(f).value_or("<no text>");
  return "<absent>";
}

}  // namespace

TEST(Id3, TextEncodingsAndVersions) {
  std::string frames = id3Frame(3, "TIT2", std::string("\x00" "Caf\xe9", 5)) +
                       id3Frame(3, "TPE1", std::string("\x01\xff\xfeH\x00i\x00", 7)) +
                       id3Frame(3, "TALB", std::string("\x02\x00O\x00k", 5)) + id3Frame(3, "TYER", "\x03" "2007");
  auto tag = parse(id3Tag(3, frames));
  ASSERT_TRUE(tag);
  EXPECT_EQ(textOf(*tag, "TIT2"), "Caf\xc3\xa9");
  EXPECT_EQ(textOf(*tag, "TPE1"), "Hi");
  EXPECT_EQ(textOf(*tag, "TALB"), "Ok");
  EXPECT_EQ(textOf(*tag, "TYER"), "2007");

  auto v22 = parse(id3Tag(2, id3Frame(2, "TT2", std::string("\x00Old", 4)) + id3Frame(2, "TRK", std::string("\x00" "7", 2))));
  ASSERT_TRUE(v22);
  EXPECT_EQ(textOf(*v22, "TIT2"), "Old");
  EXPECT_EQ(textOf(*v22, "TRCK"), "7");

  auto v24 = parse(id3Tag(4, id3Frame(4, "TPE1", std::string("\x03" "A\0B", 4))));
  ASSERT_TRUE(v24);
  EXPECT_EQ(textOf(*v24, "TPE1"), "A/B") << "2.4 lists several values";
}

TEST(Id3, UnsynchronisationAndExtendedHeaders) {
  // 2.3: the whole tag is unsynchronised (FF 00 -> FF) and has a 6-byte extended header.
  std::string raw = id3Frame(3, "TIT2", std::string("\x00\xffx", 3));
  raw.replace(raw.find('\xff'), 1, std::string("\xff\x00", 2));
  std::string v23 = id3Tag(3, be32(6) + std::string(6, '\0') + raw, 0xC0);
  auto tag = parse(v23);
  ASSERT_TRUE(tag);
  ASSERT_EQ(tag->frames.size(), 1u);
  EXPECT_EQ(tag->frames[0].data, (std::vector<uint8_t>{0x00, 0xff, 'x'}));

  // 2.4: unsynchronisation per frame (flag 0x0002), a data length indicator (0x0001) and a
  // syncsafe extended header that counts itself.
  std::string content = syncsafe32(3) + std::string("\x00\xff\x00y", 4);
  std::string v24 = id3Tag(4, syncsafe32(6) + std::string("\x01\x00", 2) + id3Frame(4, "TIT2", content, 0x0003), 0x40);
  tag = parse(v24);
  ASSERT_TRUE(tag);
  ASSERT_EQ(tag->frames.size(), 1u);
  EXPECT_EQ(tag->frames[0].data, (std::vector<uint8_t>{0x00, 0xff, 'y'}));
}

TEST(Id3, DamagedTagsKeepWhatCameBefore) {
  std::string good = id3Frame(3, "TIT2", std::string("\x00Good", 5));
  std::string tooLong = std::string("TPE1") + be32(100000) + std::string(2, '\0') + "x";
  auto tag = parse(id3Tag(3, good + tooLong));
  ASSERT_TRUE(tag);
  EXPECT_EQ(tag->frames.size(), 1u);
  tag = parse(id3Tag(3, good + std::string("t!#@") + be32(1) + std::string(3, '\0')));
  ASSERT_TRUE(tag);
  EXPECT_EQ(tag->frames.size(), 1u) << "invalid frame ID";
  // A tag that claims more bytes than there are is read as far as it goes.
  std::string cut = id3Tag(3, good + good);
  tag = parse(cut.substr(0, cut.size() - 3));
  ASSERT_TRUE(tag);
  EXPECT_EQ(tag->frames.size(), 1u);
  EXPECT_FALSE(parse("ID3\x05\0\0\0\0\0\0"));
  EXPECT_FALSE(parse("ID3\x03\0\0\x80\0\0\0")) << "size bytes are syncsafe";
  EXPECT_FALSE(parse("ID"));
  // Compressed and encrypted frames are skipped, not misread.
  tag = parse(id3Tag(3, id3Frame(3, "TALB", "\x00zz", 0x0080) + good));
  ASSERT_TRUE(tag);
  ASSERT_EQ(tag->frames.size(), 1u);
  EXPECT_EQ(tag->frames[0].id, "TIT2");
}

TEST(Id3, FramesReachTheLabelsAndTheTagTable) {
  std::string frames = id3Frame(3, "TIT2", std::string("\x00Title", 6)) + id3Frame(3, "TRCK", std::string("\x00" "3/9", 4)) +
                       id3Frame(3, "TPOS", std::string("\x00" "1/2", 4)) + id3Frame(3, "TPUB", std::string("\x00Label", 6)) +
                       id3Frame(3, "TPE2", std::string("\x00" "Band", 5)) + id3Frame(3, "PCNT", std::string("\x00\x00\x01\x00", 4)) +
                       id3Frame(3, "COMM", std::string("\x00" "eng" "\0Said", 9)) +
                       id3Frame(3, "TXXX", std::string("\x01\xff\xfe" "c\0o\0m\0m\0e\0n\0t\0\0\0\xff\xfeY\0o\0", 25)) +
                       id3Frame(3, "APIC", std::string("\x00image/jpeg\0\x03\0\xff\xd8", 16)) +
                       id3Frame(3, "PRIV", "owner\0data");
  TempDir dir;
  std::string path = dir.file("tagged.mp3");
  writeFile(path, mp3WithTag(id3Tag(3, frames)));
  auto d = XMHQTFileInvestigator::metaDataOfFileNamed(path);
  ASSERT_TRUE(d);
  auto text = [&](const char* k) { return d->find(k) ? d->find(k)->string() : "<absent>"; };
  EXPECT_EQ(text("Name"), "Title");
  EXPECT_EQ(text("Track"), "3/9");
  EXPECT_EQ(text("Part Of Set"), "1/2");
  EXPECT_EQ(text("Publisher"), "Label");
  EXPECT_EQ(text("InvolvedPersons1"), "Band");
  EXPECT_EQ(text("Play Count"), "0x0100") << "precision of four digits for four bytes";
  EXPECT_EQ(text("Comments"), "Yo") << "TXXX comment (UTF-16 with BOM) comes after COMM";
  EXPECT_EQ(text("covr"), "ffd8");
  EXPECT_FALSE(d->contains("priv"));
  auto tags = XMHQTFileInvestigator::id3TagsOfFileNamed(path);
  ASSERT_TRUE(tags);
  EXPECT_EQ(tags->find("Name")->string(), "Title");
  EXPECT_EQ(tags->find("Track Number")->string(), "3/9");
}
