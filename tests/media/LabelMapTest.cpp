// Every entry of the metadata label map, each through a movie of its own: an item under the key,
// as files carry it, must come out under its label and nowhere else.
#include <gtest/gtest.h>

#include "XMHQTFileInvestigator.h"
#include "tests/support/BoxWriter.h"
#include "tests/support/TestSupport.h"

using namespace testsupport;

namespace {

struct Entry {
  const char* key;
  const char* label;
};

// The 38 pairs, in the map's order.
const Entry kLabelMap[] = {
    {"nam", "Name"},
    {"ART", "Artist"},
    {"alb", "Album"},
    {"gen", "Genre"},
    {"day", "Year"},
    {"com", "Composer"},
    {"trk", "Track"},
    {"cmt", "Comments"},
    {"cpy", "Copyright"},
    {"des", "Description"},
    {"prf", "Performer"},
    {"wrt", "Writer"},
    {"com.apple.quicktime.displayname", "Name"},
    {"com.apple.quicktime.album", "Album"},
    {"com.apple.quicktime.artist", "Artist"},
    {"tvsh", "Series"},
    {"tvsn", "Season"},
    {"tves", "Episode"},
    {"trkn", "Track"},
    {"trck", "Track"},
    {"gnre", "Genre"},
    {"cpil", "CPil"},
    {"pgap", "PGap"},
    {"tmpo", "Tempo"},
    {"rtng", "Rating"},
    {"stik", "Stik"},
    {"desc", "Description"},
    {"disk", "Disk"},
    {"enc", "Encoder"},
    {"swr", "Encoder"},
    {"lyr", "Lyrics"},
    {"tpos", "Part Of Set"},
    {"comm", "Comments"},
    {"tpub", "Publisher"},
    {"tpe2", "InvolvedPersons1"},
    {"tpe3", "InvolvedPersons2"},
    {"tpe4", "InvolvedPersons3"},
    {"pcnt", "Play Count"},
};

// The item as a file holds it: three-letter keys behind the byte 0xA9 in the item list,
// four-letter keys as they are, reverse-DNS keys through the keyed ("mdta") form.
std::string metadataFor(const std::string& key, const std::string& value) {
  if (key.size() > 4)
    return keyedMetadata({key}, {{1, box("data", be32(1) + be32(0) + value)}});
  return itunesMetadata({dataItem(key.size() == 3 ? "\xA9" + key : key, 1, value)});
}

}  // namespace

TEST(MetadataLabelMap, EveryKeyComesOutUnderItsLabel) {
  ASSERT_EQ(std::size(kLabelMap), 38u);
  TempDir dir;
  int n = 0;
  for (const Entry& e : kLabelMap) {
    SCOPED_TRACE(e.key);
    const std::string value = std::string("value of ") + e.key;
    const std::string path = dir.file("item" + std::to_string(n++) + ".m4a");
    writeFile(path, ftyp("M4A ") + box("moov", {mvhd(600, 6000), trak(1, "soun"), metadataFor(e.key, value)}));
    auto d = XMHQTFileInvestigator::metaDataOfFileNamed(path);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->keys(), std::vector<std::string>{e.label});
    const auto* v = d->find(e.label);
    ASSERT_TRUE(v && v->isString());
    EXPECT_EQ(v->string(), value);
  }
}
