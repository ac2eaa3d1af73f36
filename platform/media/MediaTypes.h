#pragma once
// Media types of tracks, as four-character handler codes.
#include <cstdint>
#include <string>

#include "platform/foundation/FourCharCode.h"

namespace platform::media {

using OSType = uint32_t;
using platform::fourCharCode;
// "vide" for 'vide': the code's four bytes as text.
std::string fourCCString(OSType code);

inline const std::string QTMediaTypeVideo = "vide";
inline const std::string QTMediaTypeSound = "soun";
inline const std::string QTMediaTypeText = "text";
inline const std::string QTMediaTypeSubtitle = "sbtl";
inline const std::string QTMediaTypeClosedCaption = "clcp";
inline const std::string QTMediaTypeTimeCode = "tmcd";
inline const std::string QTMediaTypeMPEG = "MPEG";
inline const std::string QTMediaTypeMuxed = "muxx";
inline const std::string QTMediaTypeSprite = "sprt";
inline const std::string QTMediaTypeQuartzComposer = "qtz ";
inline const std::string QTMediaTypeStream = "strm";
inline const std::string QTMediaTypeHint = "hint";
inline const std::string QTMediaTypeMetadata = "meta";

}  // namespace platform::media
