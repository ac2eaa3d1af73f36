#pragma once
// Random (version 4) UUIDs in their standard text form, as NSProcessInfo/CFUUID give them.
#include <string>

namespace platform {

// 36 characters: 8-4-4-4-12 upper-case hexadecimal digits; a different value on every call.
std::string newUuidString();

}  // namespace platform
