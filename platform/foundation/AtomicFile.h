#pragma once
// Whole-file reads and atomic writes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Writes to a temporary file in the destination's folder, flushes it to disk and renames it over
// the destination, so readers see the old file or the complete new one. False on any failure,
// leaving no temporary file behind.
bool writeFileAtomically(const std::string& path, std::string_view bytes);

// Reads a regular file whole; nullopt when it can't be read or is larger than maxBytes.
std::optional<std::string> readWholeFile(const std::string& path, size_t maxBytes = size_t(1) << 30);

}  // namespace platform
