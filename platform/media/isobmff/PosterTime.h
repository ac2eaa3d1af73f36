#pragma once
// The poster time of a QuickTime / ISO base media movie header.
#include <cstdint>
#include <optional>

#include "FileReader.h"

namespace platform::media::isobmff {

// The movie header's poster time in the movie's time scale; nullopt without a readable header.
std::optional<int64_t> readPosterTime(const FileReader& file);

}  // namespace platform::media::isobmff
