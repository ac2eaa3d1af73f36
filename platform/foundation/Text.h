#pragma once
// Text encoding helpers.
#include <string>
#include <string_view>

namespace platform {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);

// Text that an XML 1.0 document can carry: bytes that are not UTF-8 and characters XML forbids
// (controls other than tab, line feed and carriage return; U+FFFE, U+FFFF) become U+FFFD.
std::string xmlSafeText(std::string_view text);

}  // namespace platform
