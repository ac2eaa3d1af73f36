#pragma once
// Maps tags that are not QuickTime metadata onto the movie description's metadata items, user
// data entries and chapter track, so that one reader of that model serves every container.
//
// ID3v2 frames:
//   TIT2 -> 0xA9 "nam", TPE1 -> 0xA9 "ART", TALB -> 0xA9 "alb", TRCK -> 0xA9 "trk",
//   TYER and TDRC -> 0xA9 "day", TCON -> 0xA9 "gen", TCOM -> 0xA9 "com", TCOP -> 0xA9 "cpy",
//   TEXT -> 0xA9 "wrt", TENC -> 0xA9 "enc", TSSE -> 0xA9 "too", USLT -> 0xA9 "lyr"
//     (UTF-8 text items, data type 1, and 0xA9 user data entries of the same type);
//   TCON -> 0xA9 "gen" with ID3v1 genre references resolved ("(18)" and "18" -> "Techno");
//   COMM without description (or described as a plain comment), and TXXX described "comment"
//     -> "comm"; other COMM and TXXX -> their description as key;
//   APIC -> "covr" (data type 13 JPEG, 14 PNG, else 0); PCNT -> "pcnt" (unsigned integer, 22);
//   every other text (T***) or URL (W***) frame -> its lower-cased frame ID ("tpos", "tpub",
//   "tpe2", ...), UTF-8 text. Other binary frames (PRIV, GEOB, ...) are not reported.
// FFmpeg tags (keys compared lower-cased):
//   title, artist, album, date/year, genre, composer, comment, copyright, track, encoder,
//   encoded_by, lyrics, performer -> the 0xA9 keys above ("cmt", "prf" for the last two new ones);
//   album_artist -> "tpe2", disc -> "tpos", publisher -> "tpub", description -> "desc",
//   show -> "tvsh"; other tags are not reported (container bookkeeping such as major_brand).
// A file with an ID3v2 tag and tags of its own container (RIFF INFO, AIFF text chunks, ...) gets
// both, the ID3 value winning per label: the container's tags come first, without the entries
// FFmpeg made from the ID3 tag itself, then the ID3 frames.
// FFmpeg chapters become a disabled text track of one sample per chapter (16-bit length, UTF-8
// title), referenced by "chap" from the first enabled track.
#include <optional>
#include <set>
#include <string>

#include "platform/media/MovieDescription.h"
#include "platform/media/MediaErrors.h"
#include "platform/media/MediaTypes.h"
#include "platform/media/id3/Id3Reader.h"

namespace platform::media {

void addId3Tag(const id3::Tag& tag, MovieDescription& out);
// The container's tags (out.containerTags), except those whose lower-cased key is in `exclude`.
void addContainerTags(MovieDescription& out, const std::set<std::string>& exclude);
// The keys (lower-cased) under which FFmpeg reports the frames of an ID3v2 tag.
std::set<std::string> containerKeysOfId3Tag(const id3::Tag& tag);
// The container's tags merged with the file's ID3v2 tag, when it has one (ID3 winning per label).
void addTags(const std::optional<id3::Tag>& tag, MovieDescription& out);
void addContainerChapters(MovieDescription& out);

}  // namespace platform::media
