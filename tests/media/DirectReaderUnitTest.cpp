// The parts of the readers that spare FFmpeg whose faults the whole-file comparison might not
// show on the fixtures at hand: FFmpeg's dictionary order, Vorbis comment rules, the EBML
// reader's bounds, and the files each reader must leave to FFmpeg.
#include <gtest/gtest.h>

#include "platform/media/direct/DirectReaders.h"
#include "platform/media/direct/FFmpegDictionary.h"
#include "platform/media/direct/VorbisComment.h"
#include "platform/media/matroska/EbmlReader.h"
#include "tests/support/BoxWriter.h"
#include "tests/support/ChunkWriter.h"
#include "tests/support/TestSupport.h"

using namespace testsupport;
namespace media = platform::media;
using media::direct::FFmpegDictionary;

namespace {

std::string keys(const FFmpegDictionary& d) {
  std::string out;
  for (const auto& [k, v] : d.entries()) out += k + "=" + v + ";";
  return out;
}

std::string vorbisComment(const std::vector<std::string>& entries, uint32_t claimed = 0) {
  std::string b = le32(6) + "vendor" + le32(claimed ? claimed : static_cast<uint32_t>(entries.size()));
  for (const std::string& e : entries) b += le32(static_cast<uint32_t>(e.size())) + e;
  return b;
}

media::DirectRead readBytes(const std::string& bytes, const std::string& name) {
  TempDir dir;
  std::string path = dir.file(name);
  writeFile(path, bytes);
  media::setDirectReadersEnabled(true);  // forgets the last file
  media::isobmff::FileReader file(path);
  media::MovieDescription d;
  return media::readDirectly(file, d);
}

}  // namespace

TEST(FFmpegDictionary, ReplacingMovesTheLastEntryIntoThePlaceAndAppends) {
  FFmpegDictionary d;
  d.set("title", "a");
  d.set("artist", "b");
  d.set("date", "c");
  d.set("TITLE", "d");  // keys compare without case
  EXPECT_EQ(keys(d), "date=c;artist=b;TITLE=d;");
  d.append("Artist", "e");
  EXPECT_EQ(keys(d), "date=c;TITLE=d;Artist=b;e;");
  d.remove("date");
  EXPECT_EQ(keys(d), "Artist=b;e;TITLE=d;");
  d.setIfAbsent("title", "x");
  d.setIfAbsent("year", "y");
  EXPECT_EQ(keys(d), "Artist=b;e;TITLE=d;year=y;");
  d.convert({{"YEAR", "date"}, {"title", "name"}});
  EXPECT_EQ(keys(d), "Artist=b;e;name=d;date=y;");
}

TEST(VorbisComments, AsFFmpegReadsThem) {
  FFmpegDictionary tags;
  media::direct::CommentChapters chapters;
  std::string block = vorbisComment({"title=One", "Title=Two", "ALBUMARTIST=Band", "DESCRIPTION=Said", "COMMENT=Also",
                                     "empty=", "=novalue", "noequals", std::string("ZERO=cut\0tail", 13),
                                     "METADATA_BLOCK_PICTURE=AAAA", "CHAPTER002=00:00:05.250", "CHAPTER001=00:01:00.000",
                                     "CHAPTER002NAME=Second", "CHAPTER007NAME=Orphan", "CHAPTER003=bad",
                                     "CHAPTER002=00:00:06.000"});
  ASSERT_TRUE(media::direct::readVorbisComment(reinterpret_cast<const uint8_t*>(block.data()), block.size(), tags,
                                               chapters));
  EXPECT_EQ(*tags.find("title"), "One;Two") << "repeated names keep every value";
  EXPECT_EQ(*tags.find("album_artist"), "Band");
  EXPECT_EQ(*tags.find("comment"), "Also") << "DESCRIPTION is renamed comment, and a later COMMENT replaces it";
  EXPECT_EQ(*tags.find("zero"), "cut");
  EXPECT_FALSE(tags.find("empty"));
  EXPECT_FALSE(tags.find("METADATA_BLOCK_PICTURE"));
  EXPECT_EQ(*tags.find("CHAPTER007NAME"), "Orphan") << "a name without its chapter is a tag";
  EXPECT_EQ(*tags.find("CHAPTER003"), "bad");
  ASSERT_EQ(chapters.chapters.size(), 2u);
  EXPECT_EQ(chapters.chapters[0].number, 2);
  EXPECT_EQ(chapters.chapters[0].startMs, 6000) << "a repeated number, once they stop rising, moves its chapter";
  EXPECT_EQ(chapters.chapters[0].title, "Second");
  EXPECT_EQ(chapters.chapters[1].startMs, 60000);

  // A list cut short keeps what came before the cut; a vendor string beyond the block fails.
  FFmpegDictionary cut;
  std::string shortBlock = vorbisComment({"ARTIST=Kept", "TITLE=Lost"}).substr(0, 34);
  EXPECT_TRUE(media::direct::readVorbisComment(reinterpret_cast<const uint8_t*>(shortBlock.data()), shortBlock.size(),
                                               cut, chapters));
  EXPECT_EQ(keys(cut), "ARTIST=Kept;");
  std::string badVendor = le32(1000) + "v" + le32(0);
  EXPECT_FALSE(media::direct::readVorbisComment(reinterpret_cast<const uint8_t*>(badVendor.data()), badVendor.size(),
                                                cut, chapters));
}

TEST(EbmlReader, SizesAreCheckedAgainstParentAndFile) {
  TempDir dir;
  std::string path = dir.file("e.mkv");
  // A master (ID 0x1A45DFA3, size 10) whose one child claims 9 bytes where 7 are left.
  std::string child = std::string("\x42\x82", 2) + "\x89" + "webm";
  std::string bytes = std::string("\x1A\x45\xDF\xA3", 4) + "\x8A" + child + std::string("xyz", 3) + "\x86" + "abc";
  writeFile(path, bytes);
  media::isobmff::FileReader file(path);
  media::matroska::EbmlReader r(file);
  auto master = r.elementAt(0, file.size());
  ASSERT_TRUE(master);
  EXPECT_EQ(master->size, 10u);
  int seen = 0;
  EXPECT_FALSE(r.children(master->dataOffset, master->end(), [&](const media::matroska::Element&) {
    ++seen;
    return true;
  })) << "a child that overruns its parent is damage, although it fits in the file";
  EXPECT_EQ(seen, 0);
  EXPECT_FALSE(r.elementAt(1, file.size())) << "not an element start";
  // Unknown sizes only where allowed; floats of 4 or 8 bytes only.
  writeFile(path, std::string("\x18\x53\x80\x67\x01\xff\xff\xff\xff\xff\xff\xff", 12) + std::string("\x44\x89\x83\0\0\0", 6));
  media::isobmff::FileReader f2(path);
  media::matroska::EbmlReader r2(f2);
  EXPECT_FALSE(r2.elementAt(0, f2.size()));
  auto segment = r2.elementAt(0, f2.size(), true);
  ASSERT_TRUE(segment);
  EXPECT_EQ(segment->size, media::matroska::kUnknownSize);
  auto duration = r2.elementAt(12, f2.size());
  ASSERT_TRUE(duration);
  EXPECT_FALSE(r2.floatingPoint(*duration)) << "a 3-byte float";
}

TEST(DirectReaders, LeaveToFFmpegWhatTheyAreNotSureOf) {
  // A data chunk running past the end of the file: FFmpeg then estimates the length.
  std::string wav = wavFile(4410, 44100, {});
  std::string cutWav = wav.substr(0, wav.size() - 100);
  EXPECT_EQ(readBytes(wav, "whole.wav"), media::DirectRead::Read);
  EXPECT_EQ(readBytes(cutWav, "cut.wav"), media::DirectRead::Declined);
  // A cue chunk: FFmpeg makes chapters of it.
  EXPECT_EQ(readBytes(wavFile(4410, 44100, riffChunk("cue ", le32(0))), "cue.wav"), media::DirectRead::Declined);
  // AIFF-C with compression; plain AIFF.
  EXPECT_EQ(readBytes(aiffFile(4410, 44100, {}), "plain.aiff"), media::DirectRead::Read);
  std::string aifc = aiffFile(4410, 44100, {});
  aifc.replace(8, 4, "AIFC");
  EXPECT_EQ(readBytes(aifc, "short-comm.aifc"), media::DirectRead::Read) << "a COMM chunk without a compression type";
  // Two ID3v2 tags before MPEG audio: FFmpeg reads both, our reader one.
  std::string tag = id3Tag(3, id3Frame(3, "TIT2", std::string("\0T", 2)));
  EXPECT_EQ(readBytes(mp3WithTag(tag), "one-tag.mp3"), media::DirectRead::Read);
  EXPECT_EQ(readBytes(mp3WithTag(tag + tag), "two-tags.mp3"), media::DirectRead::Declined);
  // A tag whose only frame is a picture: whether FFmpeg then reads the ID3v1 tag is not ours to say.
  std::string pictureOnly = id3Tag(3, id3Frame(3, "APIC", std::string("\0image/png\0\x03\0\x89PNG", 16)));
  EXPECT_EQ(readBytes(mp3WithTag(pictureOnly), "picture-only.mp3"), media::DirectRead::Declined);
  // Not a container these readers know.
  EXPECT_EQ(readBytes("plain text, not audio", "text.mp3"), media::DirectRead::NotRecognised);
  if (corpusDir().empty()) GTEST_SKIP() << "third-party corpus not present (../shared/corpus)";
  EXPECT_EQ(readBytes(readFile(corpusDir() + "/taglib/multiplex.ogg"), "multiplex.ogg"), media::DirectRead::Declined)
      << "several logical streams";
}
