#pragma once
// Colour spaces as the composition host hands them to plug-ins (CGColorSpaceRef): shared,
// immutable, known by name. Plug-ins pass them on; nothing here converts colours.
#include <memory>
#include <string>

namespace platform::composition {

struct CGColorSpace {
  std::string name;
};
using CGColorSpaceRef = std::shared_ptr<const CGColorSpace>;

inline constexpr const char* kCGColorSpaceSRGB = "kCGColorSpaceSRGB";
inline constexpr const char* kCGColorSpaceGenericRGB = "kCGColorSpaceGenericRGB";
inline constexpr const char* kCGColorSpaceGenericGray = "kCGColorSpaceGenericGray";

// One of the names above; null for any other.
CGColorSpaceRef CGColorSpaceCreateWithName(const std::string& name);

}  // namespace platform::composition
