#pragma once
// One fuzz input through the box reader, the ID3 reader, the readers that spare FFmpeg, and the
// metadata, tag and chapter readers that sit on them. Shared by the libFuzzer target and the plain smoke driver.
#include <cstddef>
#include <cstdint>

namespace platform::media {
class Movie;
}

namespace fuzz {

// Called on every movie read, when set: the smoke driver runs the investigator's readers here.
extern void (*investigateHook)(const platform::media::Movie&);

// Silences log lines (once per process).
void initialise();
int runContainerInput(const uint8_t* data, size_t size);

}  // namespace fuzz
