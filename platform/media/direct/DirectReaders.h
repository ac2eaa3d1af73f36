#pragma once
// Readers of the common audio containers and of Matroska/WebM that fill a movie description
// without loading FFmpeg, with the same results the FFmpeg module gives: the same duration
// arithmetic, the same tag dictionary (keys, values and order) and the same chapters. A reader
// that meets anything it is not sure FFmpeg reads the same way declines, and FFmpeg reads the
// file instead.
#include "platform/media/MovieDescription.h"
#include "platform/media/isobmff/FileReader.h"

namespace platform::media {

enum class DirectRead {
  NotRecognised,  // no container these readers know
  Declined,       // recognised, but not read with certainty: leave it to FFmpeg
  Read,           // `out` is filled (family FFmpeg: pictures still go through libavformat)
};

// Reads `file` with the reader its first bytes call for. Results are kept for the last file, so
// that the open test and the read that follows parse it once.
DirectRead readDirectly(const isobmff::FileReader& file, MovieDescription& out);

// On by default; off sends every file to FFmpeg (tests compare the two).
void setDirectReadersEnabled(bool enabled);
bool directReadersEnabled();

}  // namespace platform::media
