#pragma once
// Durations of a fragmented movie (moov/mvex, then moof fragments): the movie header only covers
// the samples in the movie box itself, often none.
#include <vector>

#include "Box.h"
#include "platform/media/MovieDescription.h"

namespace platform::media::isobmff {

// Extends the movie's and its tracks' durations to what the fragments hold: the movie extends
// header's fragment duration (mehd) when present, otherwise the sample durations of every
// track fragment in the top-level moof boxes. A movie without mvex is left as it is. `out`
// holds the movie header and tracks already read; durations only ever grow.
void applyFragmentDurations(const FileReader& file, const Box& moov, const std::vector<Box>& topLevel,
                            MovieDescription& out);

}  // namespace platform::media::isobmff
