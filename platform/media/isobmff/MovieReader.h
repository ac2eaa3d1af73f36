#pragma once
// Reads the movie structure of a QuickTime / ISO base media file (MOV, MP4, M4A, 3GP ...):
// brand, movie header, and each track's header, media header and handler.
#include <string>

#include "Box.h"
#include "FileReader.h"
#include "platform/media/MovieDescription.h"
#include "platform/media/MediaErrors.h"

namespace platform::media::isobmff {

enum class Sniff {
  NotIsoBmff,
  Movie,  // a box structure of the movie family
  Image,  // the same box structure carrying a still-image brand (HEIF, AVIF)
};

// Looks at the first box only: cheap enough for an open test.
Sniff sniffFile(const FileReader& file);

// Fills `out` from the file's movie box. noErr, or invalidMovie when there is no readable movie
// header. Damaged boxes inside the movie end that branch of the walk, not the whole read.
OSStatus readMovie(const FileReader& file, MovieDescription& out);

// The first top-level movie box.
std::optional<Box> findMovieBox(const FileReader& file);

// Whether no track's sample tables claim more samples than the file could hold (a byte each),
// in stsz/stz2 or in a run of stsc. A demuxer that indexes every sample a file claims (FFmpeg's
// does) must not be handed one that fails this: a 1 KB file can claim 2^26 samples.
bool sampleCountsFitFile(const FileReader& file);

}  // namespace platform::media::isobmff
