#include "platform/composition/ColorSpace.h"

namespace platform::composition {

CGColorSpaceRef CGColorSpaceCreateWithName(const std::string& name) {
  for (const char* known : {kCGColorSpaceSRGB, kCGColorSpaceGenericRGB, kCGColorSpaceGenericGray})
    if (name == known) return std::make_shared<const CGColorSpace>(CGColorSpace{name});
  return nullptr;
}

}  // namespace platform::composition
