#pragma once
// Conversions between the framework's public image and the graphics layer's (internal).
#include "platform/graphics/Image.h"
#include "quarn/QuarnImage.h"

QuarnImage quarnImageFromPlatform(const platform::Image& image);
platform::Image platformImageFromQuarn(const QuarnImage& image);
