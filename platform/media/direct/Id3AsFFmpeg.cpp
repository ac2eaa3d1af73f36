// ID3v2 tags as FFmpeg reads them, where that differs from our own reading and shows in the
// results: its string decoding and its chapters.
#include <cstring>

#include "Readers.h"
#include "platform/media/TextEncoding.h"
#include "platform/media/id3/Id3Reader.h"

namespace platform::media::direct {

// The first string of an ID3 text, decoded as FFmpeg decodes it; nullopt where FFmpeg fails
// (UTF-16 without byte-order mark, unknown encodings) or where it might read it differently.
std::optional<std::string> ffmpegId3String(const std::vector<uint8_t>& d, size_t& pos, uint8_t encoding) {
  if (pos > d.size()) return std::nullopt;
  const uint8_t* p = d.data() + pos;
  const size_t left = d.size() - pos;
  if (encoding == 0 || encoding == 3) {
    std::string raw = textUpToZero(p, left);
    pos += std::min(left, raw.size() + 1);
    return encoding == 0 ? latin1ToUtf8(reinterpret_cast<const uint8_t*>(raw.data()), raw.size()) : raw;
  }
  if (encoding != 1 && encoding != 2) return std::nullopt;
  size_t at = 0;
  bool big = true;
  if (encoding == 1) {
    if (left < 2 || !((p[0] == 0xff && p[1] == 0xfe) || (p[0] == 0xfe && p[1] == 0xff))) return std::nullopt;
    big = p[0] == 0xfe;
    at = 2;
  }
  size_t end = at;
  while (end + 1 < left && (p[end] | p[end + 1])) {
    const unsigned unit = big ? (p[end] << 8 | p[end + 1]) : (p[end + 1] << 8 | p[end]);
    if (unit >= 0xd800 && unit < 0xe000) return std::nullopt;
    end += 2;
  }
  std::string s = utf16ToUtf8(p + at, end - at, big);
  pos += std::min(left, end + 2);
  return s;
}

// CHAP frames as FFmpeg turns them into chapters: element ID, start and end in milliseconds, the
// title from the first non-empty TIT2 sub-frame (sub-frame sizes read as plain 32-bit numbers),
// else the element ID. False when a chapter can't be read the same way with certainty.
bool id3Chapters(const id3::Tag& tag, std::vector<ChapterDescription>& out) {
  for (const id3::Frame& f : tag.frames) {
    if (f.id != "CHAP") continue;
    const std::vector<uint8_t>& d = f.data;
    size_t pos = 0;
    auto element = ffmpegId3String(d, pos, 0);
    if (!element) return false;
    if (d.size() - pos < 16) continue;  // FFmpeg drops the chapter
    ChapterDescription c;
    c.start = int64_t(be32(d.data() + pos)) * 1000;
    c.end = int64_t(be32(d.data() + pos + 4)) * 1000;
    pos += 16;
    std::optional<std::string> title;
    while (d.size() - pos > 10) {
      const uint8_t* h = d.data() + pos;
      const uint32_t size = be32(h + 4);
      pos += 10;
      if (size > d.size() - pos || size > INT32_MAX) break;
      if (!title && h[0] == 'T' && std::memcmp(h, "TIT2", 4) == 0 && size >= 1) {
        std::vector<uint8_t> text(d.begin() + static_cast<long>(pos + 1), d.begin() + static_cast<long>(pos + size));
        size_t at = 0;
        auto s = ffmpegId3String(text, at, d[pos]);
        if (!s) return false;
        if (!s->empty()) title = *s;
      }
      pos += size;
    }
    c.title = title.value_or(*element);
    out.push_back(std::move(c));
  }
  return true;
}

bool plainId3Chunk(const FileReader& file, std::vector<ChapterDescription>& chapters) {
  std::optional<id3::Tag> tag = id3::readTag(file);
  if (!tag) return true;
  return tag->complete && (tag->version < 3 || id3Chapters(*tag, chapters));
}

}  // namespace platform::media::direct
