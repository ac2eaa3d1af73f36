#pragma once
// What a container backend reports about a movie: plain data, filled by the box reader or by the
// FFmpeg module, shared by the low-level movie and the movie object.
#include <cstdint>
#include <string>
#include <vector>

namespace platform::media {

enum class ContainerFamily {
  QuickTime,  // MOV / MP4 / M4A / 3GP ..., read by our own box reader
  FFmpeg,     // everything else, read through libavformat
};

struct TrackDescription {
  uint32_t trackID = 0;
  std::string mediaType;     // "vide", "soun", "text", ... (see QTTime.h)
  bool enabled = true;
  int64_t duration = 0;      // in the movie's time scale
  uint32_t mediaTimeScale = 0;
  int64_t mediaDuration = 0; // in the media time scale
  double width = 0;          // presentation size in points (tkhd), 0 for audio
  double height = 0;
  std::string codec;         // sample description format or codec name, for information
  int streamIndex = -1;      // FFmpeg stream index; -1 for the box reader
};

struct MovieDescription {
  ContainerFamily family = ContainerFamily::QuickTime;
  std::string formatName;     // major brand ("isom", "qt  ") or FFmpeg demuxer name
  int64_t duration = 0;       // in timeScale units
  int32_t timeScale = 0;
  std::vector<TrackDescription> tracks;  // in container order; track index = position + 1
};

}  // namespace platform::media
