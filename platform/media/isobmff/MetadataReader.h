#pragma once
// Metadata of a QuickTime / ISO base media movie box: iTunes-style item lists (udta/meta/ilst),
// keyed metadata (meta with keys, "mdta" keys) and classic user data entries (udta children).
#include "Box.h"
#include "platform/media/MovieDescription.h"

namespace platform::media::isobmff {

// Storage and key formats of the items delivered.
constexpr OSType kStorageItemList = fourCharCode("itms");
constexpr OSType kStorageKeyed = fourCharCode("mdta");
constexpr OSType kStorageUserData = fourCharCode("udta");
constexpr OSType kKeyFormatShort = fourCharCode("itsk");
constexpr OSType kKeyFormatLong = fourCharCode("itlk");
constexpr OSType kKeyFormatUserData = fourCharCode("udta");

// Appends the items and user data entries found under `moov` (in container order) to `out`.
void readMovieMetadata(const FileReader& file, const Box& moov, MovieDescription& out);

// Text records of a classic 0xA9 user data entry: (16-bit size, 16-bit language, text)...
// Mac language codes (below 0x400) carry Mac Roman text, packed ISO-639 codes UTF-8.
bool isMacLanguageCode(uint16_t language);

}  // namespace platform::media::isobmff
