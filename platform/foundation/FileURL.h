#pragma once
// File URLs and percent escapes in the manner of the platform's URL and string methods.
#include <string>

namespace platform {

// "file://" + the absolute path (relative paths are taken from the current folder), with every
// byte outside the URL path characters percent-escaped; a folder gets a trailing "/".
std::string fileURLString(const std::string& path);

// Percent-escapes (UTF-8 bytes, upper-case hex) every byte that is not a legal URL character:
// controls, space, '"', '%', '<', '>', '[', '\', ']', '^', '`', '{', '|', '}', DEL and non-ASCII.
std::string addingPercentEscapes(const std::string& text);

}  // namespace platform
