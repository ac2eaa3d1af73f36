#pragma once
// The ID3v1 genre list (with the Winamp extensions every tag reader knows) and the genre
// references of ID3v2 TCON frames.
#include <optional>
#include <string>

namespace platform::media::id3 {

struct Frame;

// Name of an ID3v1 genre number; nullptr beyond the list (255 means "none").
const char* genreName(unsigned number);

// One TCON value with its references resolved: "(18)" and "18" become "Techno", "(RX)" and
// "(CR)" become "Remix" and "Cover", "(4)Eurodisco" keeps its refinement "Eurodisco", "((text"
// is the text "(text". Anything else is returned as it is.
std::string resolveGenre(const std::string& value);

// Text of a TCON frame with every value resolved, values joined with "/" as frameText joins them.
std::optional<std::string> genreText(const Frame& frame);

}  // namespace platform::media::id3
