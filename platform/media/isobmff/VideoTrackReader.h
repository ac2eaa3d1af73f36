#pragma once
// The main picture track of a QuickTime-family file, laid out for decoding without a demuxer.
#include <optional>

#include "FileReader.h"
#include "platform/media/VideoSampleTrack.h"

namespace platform::media::isobmff {

// The picture track with the largest coded size. nullopt when there is none, or when it is laid
// out in a way only a full demuxer handles: fragments, several sample descriptions, edit lists
// beyond a leading gap and one edit at normal rate, a format other than H.264, HEVC and Motion
// JPEG, or sample tables that don't reach every sample. Samples from the first one the file
// doesn't hold (a cut file) on are left out.
std::optional<VideoSampleTrack> readVideoSampleTrack(const FileReader& file);

}  // namespace platform::media::isobmff
