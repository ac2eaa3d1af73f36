#pragma once
// One fuzz input through a reader that spares FFmpeg (or through all of them, as the media layer
// picks one), then through the tag and chapter mapping and the investigator's readers.
#include <cstddef>
#include <cstdint>

namespace fuzz {

enum class DirectReader { Any, Flac, Mp3, Wav, Aiff, Ogg, Matroska };

int runDirectInput(DirectReader reader, const uint8_t* data, size_t size);

}  // namespace fuzz
