#include "Id3Genres.h"

#include <cctype>
#include <iterator>

#include "Id3Reader.h"

namespace platform::media::id3 {
namespace {

const char* const kGenres[] = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal",
    "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip",
    "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop",
    "Instrumental Rock", "Ethnic", "Gothic", "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk",
    "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk",
    "Jungle", "Native American", "Cabaret", "New Wave", "Psychedelic", "Rave", "Showtunes", "Trailer", "Lo-Fi",
    "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk",
    "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebop", "Latin", "Revival", "Celtic", "Bluegrass",
    "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock",
    "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson", "Opera",
    "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire", "Slow Jam", "Club",
    "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock",
    "Drum Solo", "A Cappella", "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House",
    "Hardcore Techno", "Terror", "Indie", "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta Rap",
    "Heavy Metal", "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
    "Thrash Metal", "Anime", "Jpop", "Synthpop", "Abstract", "Art Rock", "Baroque", "Bhangra", "Big Beat",
    "Breakbeat", "Chillout", "Downtempo", "Dub", "EBM", "Eclectic", "Electro", "Electroclash", "Emo",
    "Experimental", "Garage", "Global", "IDM", "Illbient", "Industro-Goth", "Jam Band", "Krautrock",
    "Leftfield", "Lounge", "Math Rock", "New Romantic", "Nu-Breakz", "Post-Punk", "Post-Rock", "Psytrance",
    "Shoegaze", "Space Rock", "Trop Rock", "World Music", "Neoclassical", "Audiobook", "Audio Theatre",
    "Neue Deutsche Welle", "Podcast", "Indie Rock", "G-Funk", "Dubstep", "Garage Rock", "Psybient"};
static_assert(std::size(kGenres) == 192);

// The genre number of a run of 1 to 3 digits; nullopt when it isn't one or names no genre.
std::optional<unsigned> number(const std::string& digits) {
  if (digits.empty() || digits.size() > 3) return std::nullopt;
  unsigned n = 0;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    n = n * 10 + static_cast<unsigned>(c - '0');
  }
  if (!genreName(n)) return std::nullopt;
  return n;
}

}  // namespace

const char* genreName(unsigned n) { return n < std::size(kGenres) ? kGenres[n] : nullptr; }

std::string resolveGenre(const std::string& value) {
  if (auto n = number(value)) return genreName(*n);
  // "(n)" references, then an optional refinement; "((" starts literal text.
  std::string names;
  size_t pos = 0;
  while (pos < value.size() && value[pos] == '(') {
    if (pos + 1 < value.size() && value[pos + 1] == '(') break;
    size_t close = value.find(')', pos);
    if (close == std::string::npos) return value;
    std::string ref = value.substr(pos + 1, close - pos - 1);
    std::string name;
    if (ref == "RX") name = "Remix";
    else if (ref == "CR") name = "Cover";
    else if (auto n = number(ref)) name = genreName(*n);
    else return value;
    if (!names.empty()) names += '/';
    names += name;
    pos = close + 1;
  }
  std::string rest = value.substr(pos);
  if (rest.size() >= 2 && rest[0] == '(' && rest[1] == '(') rest.erase(0, 1);
  if (!rest.empty()) return rest;
  return names.empty() ? value : names;
}

std::optional<std::string> genreText(const Frame& frame) {
  std::optional<std::vector<std::string>> values = frameValues(frame);
  if (!values) return std::nullopt;
  std::string out = resolveGenre(values->front());
  for (size_t i = 1; i < values->size(); ++i)
    if (!(*values)[i].empty()) {
      out += '/';
      out += resolveGenre((*values)[i]);
    }
  return out;
}

}  // namespace platform::media::id3
