// How tags reach the metadata labels: an ID3v2 tag merged with the container's own tags,
// described comment frames, and ID3 genre references.
#include <gtest/gtest.h>

#include "XMHQTFileInvestigator.h"
#include "platform/media/id3/Id3Genres.h"
#include "tests/support/BoxWriter.h"
#include "tests/support/ChunkWriter.h"
#include "tests/support/TestSupport.h"

using namespace testsupport;
namespace id3 = platform::media::id3;

namespace {

// ID3v2.3 text frame in ISO-8859-1.
std::string text3(const std::string& id, const std::string& text) { return id3Frame(3, id, '\0' + text); }
// ID3v2.3 comment frame: encoding, language, description, text.
std::string comment3(const std::string& description, const std::string& text) {
  return id3Frame(3, "COMM", std::string("\0eng", 4) + description + '\0' + text);
}

std::map<std::string, std::string> labelsOf(const std::string& bytes, const std::string& name) {
  TempDir dir;
  std::string path = dir.file(name);
  writeFile(path, bytes);
  std::map<std::string, std::string> out;
  auto d = XMHQTFileInvestigator::propertiesOfFileNamed(path);
  EXPECT_TRUE(d) << name;
  if (!d) return out;
  for (const auto& [k, v] : d->entries())
    if (v.isString()) out[k] = v.string();
  return out;
}

}  // namespace

TEST(TagMerge, AiffTextChunksBesideAnId3Chunk) {
  auto labels = labelsOf(aiffFile(4410, 44100,
                                  iffChunk("NAME", "Chunk Name") + iffChunk("(c) ", "Chunk Copyright") +
                                      iffChunk("ID3 ", id3Tag(3, text3("TPE1", "Id3 Artist")))),
                         "tagged.aiff");
  EXPECT_EQ(labels["Name"], "Chunk Name") << "the ID3 chunk must not hide the NAME chunk";
  EXPECT_EQ(labels["Copyright"], "Chunk Copyright");
  EXPECT_EQ(labels["Artist"], "Id3 Artist");

  labels = labelsOf(aiffFile(4410, 44100,
                             iffChunk("NAME", "Chunk Name") + iffChunk("ID3 ", id3Tag(3, text3("TIT2", "Id3 Name")))),
                    "both.aiff");
  EXPECT_EQ(labels["Name"], "Id3 Name") << "ID3 wins per label";
}

TEST(TagMerge, WavWithId3AndInfoReportsBothSets) {
  std::string info = infoList({{"INAM", "Info Name"}, {"IPRD", "Info Album"}, {"ICMT", "Info comment"}});
  std::string tag = id3Tag(3, text3("TIT2", "Id3 Name") + text3("TPE1", "Id3 Artist") + text3("TPE3", "Conductor"));
  auto labels = labelsOf(wavFile(4410, 44100, info, riffChunk("id3 ", tag)), "tagged.wav");
  EXPECT_EQ(labels["Name"], "Id3 Name");
  EXPECT_EQ(labels["Artist"], "Id3 Artist");
  EXPECT_EQ(labels["Album"], "Info Album");
  EXPECT_EQ(labels["Comments"], "Info comment");
  EXPECT_EQ(labels["InvolvedPersons2"], "Conductor");
  EXPECT_EQ(labels.count("Performer"), 0u) << "FFmpeg's own name for the ID3 TPE3 frame is not a second label";
}

TEST(TagMerge, CorpusWavWithDuplicateTags) {
  if (corpusDir().empty()) GTEST_SKIP() << "third-party corpus not present (../shared/corpus)";
  auto d = XMHQTFileInvestigator::propertiesOfFileNamed(corpusDir() + "/taglib/duplicate_tags.wav");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->find("Name")->string(), "Title1") << "the ID3 chunk's title wins over RIFF INFO's Title2";
  EXPECT_EQ(d->find("Artist")->string(), "Artist1");
}

TEST(Id3Comments, DescribedCommentsNeverOverwriteTheComment) {
  std::string tag = id3Tag(3, comment3("", "The comment") + comment3("iTunPGAP", "1") +
                                  comment3("iTunNORM", " 00000100 00000200") + comment3("Note", "A note"));
  auto labels = labelsOf(mp3WithTag(tag), "comments.mp3");
  EXPECT_EQ(labels["Comments"], "The comment");
  EXPECT_EQ(labels["Note"], "A note") << "a described comment goes by its description, as user text does";
  EXPECT_EQ(labels.count("iTunPGAP"), 0u) << "longer descriptions are no label";

  if (corpusDir().empty()) GTEST_SKIP() << "third-party corpus not present (../shared/corpus)";
  auto d = XMHQTFileInvestigator::propertiesOfFileNamed(corpusDir() + "/taglib/itunes10.mp3");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->find("Comments")->string(), "Comments") << "iTunes writes iTunPGAP \"1\" after the comment";
}

TEST(Id3Genres, ReferencesBecomeNames) {
  EXPECT_EQ(id3::resolveGenre("(18)"), "Techno");
  EXPECT_EQ(id3::resolveGenre("13"), "Pop");
  EXPECT_EQ(id3::resolveGenre("0"), "Blues");
  EXPECT_EQ(id3::resolveGenre("191"), "Psybient");
  EXPECT_EQ(id3::resolveGenre("192"), "192") << "beyond the list";
  EXPECT_EQ(id3::resolveGenre("(4)Eurodisco"), "Eurodisco") << "a refinement names the genre more closely";
  EXPECT_EQ(id3::resolveGenre("(17)(18)"), "Rock/Techno");
  EXPECT_EQ(id3::resolveGenre("(RX)(CR)"), "Remix/Cover");
  EXPECT_EQ(id3::resolveGenre("((Live)"), "(Live)");
  EXPECT_EQ(id3::resolveGenre("(300)"), "(300)");
  EXPECT_EQ(id3::resolveGenre("(18"), "(18");
  EXPECT_EQ(id3::resolveGenre("Rock"), "Rock");
  EXPECT_EQ(id3::resolveGenre("80s Rock"), "80s Rock");
  EXPECT_EQ(id3::resolveGenre(""), "");

  // Through a file: an ID3v2.4 list of two numeric genres.
  std::string tag = id3Tag(4, id3Frame(4, "TCON", std::string("\x03" "17\0" "26", 6)));
  EXPECT_EQ(labelsOf(mp3WithTag(tag), "genre.mp3")["Genre"], "Rock/Ambient");
}
