#pragma once
// Status codes of the media layer.
#include "platform/foundation/OSStatus.h"

namespace platform::media {

using platform::OSErr;
using platform::OSStatus;
using platform::noErr;
using platform::paramErr;

constexpr OSStatus couldNotResolveDataRef = -2000;
constexpr OSStatus cantFindHandler = -2003;
constexpr OSStatus invalidMovie = -2010;
constexpr OSStatus badImageDescription = -2020;
constexpr OSStatus notAMovieErr = -2048;  // file is readable but holds no playable movie

}  // namespace platform::media
