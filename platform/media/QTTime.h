#pragma once
// Time records of the media layer: a signed 64-bit value in units of a 32-bit scale per second.
#include <cstdint>
#include <string>

#include "platform/foundation/FourCharCode.h"

namespace platform::media {

using OSStatus = int32_t;
using OSErr = int16_t;
using OSType = uint32_t;

constexpr OSStatus noErr = 0;
constexpr OSStatus paramErr = -50;
constexpr OSStatus couldNotResolveDataRef = -2000;
constexpr OSStatus cantFindHandler = -2003;
constexpr OSStatus invalidMovie = -2010;
constexpr OSStatus badImageDescription = -2020;
constexpr OSStatus notAMovieErr = -2048;  // file is readable but holds no playable movie

struct QTTime {
  int64_t timeValue = 0;
  int32_t timeScale = 0;
  int32_t flags = 0;
};

constexpr int32_t kQTTimeIsIndefinite = 1;

using platform::fourCharCode;
std::string fourCCString(OSType code);

// Media types of tracks, as four-character handler codes.
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
