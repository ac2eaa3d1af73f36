#pragma once
// What a container backend reports about a movie: plain data, filled by the box reader or by the
// FFmpeg module, shared by the low-level movie and the movie object.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::media {

enum class ContainerFamily {
  QuickTime,  // MOV / MP4 / M4A / 3GP ..., read by our own box reader
  FFmpeg,     // everything else, read through libavformat
};

// One metadata item in container order: key bytes in file order, the key's format
// ("itsk", "itlk", "mdta", "udta", "ID32", "ffmt"), the value bytes and the well-known data type.
struct MetadataItemDescription {
  uint32_t storageFormat = 0;  // "itms" item list, "mdta" keyed, "udta" classic user data, "ID32", "ffmt"
  uint32_t keyFormat = 0;
  std::vector<uint8_t> key;
  std::vector<uint8_t> value;
  uint32_t dataType = 0;
};

// A user data entry (a child of moov/udta, or a tag mapped onto one). For 0xA9 types the text is
// that of the first text record; `utf8` tells how it is encoded (otherwise Mac Roman).
struct UserDataEntryDescription {
  uint32_t type = 0;
  std::vector<uint8_t> text;
  uint16_t language = 0;
  bool utf8 = false;
  bool isText = false;  // 0xA9 entry whose text records could be read
};

// One edit of a track's edit list: a stretch of track time (movie scale) showing media from
// `mediaTime` (media scale), or nothing when mediaTime is -1.
struct EditSegment {
  int64_t trackDuration = 0;
  int64_t mediaTime = 0;
  int32_t rate = 0x10000;  // 16.16
};

// Sample tables of a track, decoded; sizes and counts bounded by the boxes they came from.
struct SampleTable {
  struct TimeToSample {
    uint32_t count = 0;
    uint32_t delta = 0;
  };
  struct SampleToChunk {
    uint32_t firstChunk = 0;
    uint32_t samplesPerChunk = 0;
  };
  std::vector<TimeToSample> timeToSample;
  std::vector<SampleToChunk> sampleToChunk;
  uint32_t sampleCount = 0;
  uint32_t constantSize = 0;       // every sample this size when not 0
  std::vector<uint32_t> sizes;     // per sample otherwise
  std::vector<uint64_t> chunkOffsets;
  struct CompositionOffset {
    uint32_t count = 0;
    int32_t offset = 0;  // presentation minus decode time
  };
  std::vector<CompositionOffset> compositionOffsets;  // ctts; empty when absent
  bool hasSyncTable = false;         // stss present: only the samples it lists are sync samples
  std::vector<uint32_t> syncSamples;  // 1-based sample numbers
  std::string path;                // file the chunk offsets point into
  std::vector<std::vector<uint8_t>> inlineSamples;  // samples held in memory (tracks made from tags)
  // Lookup indexes (indexSampleTable): start time and first sample of each timeToSample entry,
  // first sample of each sampleToChunk run, and the running sum of `sizes`.
  std::vector<int64_t> entryStart;
  std::vector<uint64_t> entryFirstSample;
  std::vector<uint64_t> runFirstSample;
  std::vector<uint64_t> sizeBefore;
};

// Fills the lookup indexes of a table, so that every lookup is a binary search.
void indexSampleTable(SampleTable& table);
// File offset and size of sample `index` (0-based) of an indexed table; false when the tables
// don't reach it.
bool sampleLocation(const SampleTable& table, uint64_t index, uint64_t& offset, uint64_t& size);

// A chapter as a non-QuickTime container reports it, in microseconds.
struct ChapterDescription {
  int64_t start = 0;
  int64_t end = 0;
  std::string title;
};

struct TrackDescription {
  uint32_t trackID = 0;
  std::string mediaType;     // "vide", "soun", "text", ... (see MediaTypes.h)
  bool enabled = true;
  int64_t duration = 0;      // in the movie's time scale
  uint32_t mediaTimeScale = 0;
  int64_t mediaDuration = 0; // in the media time scale
  double width = 0;          // presentation size in points (tkhd), 0 for audio
  double height = 0;
  std::string codec;         // sample description format or codec name, for information
  int streamIndex = -1;      // FFmpeg stream index; -1 for the box reader
  int32_t movieTimeScale = 0;             // the scale of `duration` and of edit durations
  std::vector<uint32_t> chapterTrackIDs;  // tref/chap targets
  bool hasEditList = false;
  std::vector<EditSegment> edits;
  std::shared_ptr<const SampleTable> samples;  // read for chapter tracks only
};

struct MovieDescription {
  ContainerFamily family = ContainerFamily::QuickTime;
  std::string formatName;     // major brand ("isom", "qt  ") or FFmpeg demuxer name
  int64_t duration = 0;       // in timeScale units
  int32_t timeScale = 0;
  std::vector<TrackDescription> tracks;  // in container order; track index = position + 1
  std::vector<MetadataItemDescription> metadata;  // in container order
  std::vector<UserDataEntryDescription> userData;  // in container order
  // Raw tags and chapters of a non-QuickTime container (FFmpeg), mapped onto the above by the
  // media layer.
  std::vector<std::pair<std::string, std::string>> containerTags;
  std::vector<ChapterDescription> containerChapters;
};

}  // namespace platform::media
