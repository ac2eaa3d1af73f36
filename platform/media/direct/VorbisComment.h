#pragma once
// Vorbis comments (FLAC, Ogg Vorbis, Ogg Opus) read into tags and chapters as FFmpeg reads them:
// names upper-cased, empty names and values skipped, the values of a repeated name joined with ";", values up to their first zero byte, the
// CHAPTERnnn / CHAPTERnnnNAME pairs as chapters, pictures left out, a few names renamed
// (ALBUMARTIST, TRACKNUMBER, DISCNUMBER, DESCRIPTION).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FFmpegDictionary.h"
#include "platform/media/MovieDescription.h"

namespace platform::media::direct {

// Chapters in the order FFmpeg creates them; a repeated number updates its chapter.
struct CommentChapters {
  struct Chapter {
    int number = 0;
    int64_t startMs = 0;
    bool hasTitle = false;
    std::string title;
  };
  std::vector<Chapter> chapters;
  bool monotonic = true;
  // As ChapterDescriptions (microseconds), for the media layer.
  std::vector<ChapterDescription> descriptions() const;
};

// Parses one comment block (vendor string, count, entries) into `tags` and `chapters`. False
// when the block is malformed the way FFmpeg refuses it (shorter than 8 bytes, vendor string
// beyond the block); a list cut short keeps the entries before the cut, as FFmpeg does.
bool readVorbisComment(const uint8_t* data, size_t size, FFmpegDictionary& tags, CommentChapters& chapters);

}  // namespace platform::media::direct
