#pragma once
// The container readers behind readDirectly, and what they share. Internal to the media layer.
#include <cstdint>
#include <string>

#include "DirectReaders.h"
#include "FFmpegDictionary.h"
#include "VorbisComment.h"
#include "platform/media/id3/Id3Reader.h"

namespace platform::media::direct {

using isobmff::FileReader;

// Drops what readDirectly keeps of the last file.
void forgetLastRead();

// `start`: where the container begins (after ID3v2 tags at the front of the file).
DirectRead readFlac(const FileReader& file, uint64_t start, MovieDescription& out);
DirectRead readMp3(const FileReader& file, uint64_t start, MovieDescription& out);
DirectRead readWav(const FileReader& file, MovieDescription& out);
DirectRead readAiff(const FileReader& file, MovieDescription& out);
DirectRead readOgg(const FileReader& file, MovieDescription& out);
DirectRead readMatroska(const FileReader& file, MovieDescription& out);

// a * b / c rounded to nearest, halves away from zero (av_rescale); c > 0, a, b >= 0.
int64_t rescale(int64_t a, int64_t b, int64_t c);

// Fills `out` with one audio stream, FFmpeg's way: duration in microseconds, the format's tags
// and chapters for the media layer to map.
void describeAudioFile(MovieDescription& out, const char* formatName, int64_t durationMicroseconds,
                       uint32_t streamTimeScale, const FFmpegDictionary& tags,
                       std::vector<ChapterDescription> chapters = {});

// Offset of the first byte after the ID3v2 tags at `offset` (itself when there are none); false
// when a tag runs past the end of the file.
bool skipId3v2Tags(const FileReader& file, uint64_t& offset);

// True when the file has no ID3v2 tag (at its start or in a RIFF/IFF chunk), or one that our
// reader reads completely: the tags FFmpeg makes from it are then exactly those the media layer
// leaves out when it merges our own reading of the tag. Its CHAP frames go to `chapters`.
bool plainId3Chunk(const FileReader& file, std::vector<ChapterDescription>& chapters);

// The first string of an ID3 text as FFmpeg decodes it, from `pos` (moved past it); nullopt
// where FFmpeg fails (UTF-16 without byte-order mark, unknown encodings) or might differ.
std::optional<std::string> ffmpegId3String(const std::vector<uint8_t>& data, size_t& pos, uint8_t encoding);
// CHAP frames as FFmpeg turns them into chapters; false when one can't be read with certainty.
bool id3Chapters(const id3::Tag& tag, std::vector<ChapterDescription>& out);

// The bytes up to the first zero byte (a C string of at most n bytes); empty for n = 0.
std::string textUpToZero(const uint8_t* p, size_t n);

uint16_t be16(const uint8_t* p);
uint32_t be24(const uint8_t* p);
uint32_t be32(const uint8_t* p);
uint64_t be64(const uint8_t* p);
uint16_t le16(const uint8_t* p);
uint32_t le32(const uint8_t* p);
uint64_t le64(const uint8_t* p);

}  // namespace platform::media::direct
