#pragma once
// Conversions of the text encodings found in media containers to UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::media {

// Each byte as one Mac Roman character.
std::string macRomanToUtf8(const uint8_t* bytes, size_t count);
// Each byte as one ISO-8859-1 character.
std::string latin1ToUtf8(const uint8_t* bytes, size_t count);
// UTF-16 code units (an odd last byte is dropped); unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(const uint8_t* bytes, size_t count, bool bigEndian);

}  // namespace platform::media
