#include "VorbisComment.h"

#include <cctype>
#include <cstring>
#include <string>

namespace platform::media::direct {
namespace {

uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// One scanf "%Nd" conversion: blanks, a sign, then 1..width digits. Advances `pos`.
bool scanInt(const std::string& s, size_t& pos, int width, int& value) {
  while (pos < s.size() && std::isspace(static_cast<unsigned char>(s[pos]))) ++pos;
  bool negative = false;
  size_t start = pos;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-') && width > 1) {
    negative = s[pos] == '-';
    ++pos;
  }
  size_t digitsStart = pos;
  long v = 0;
  while (pos < s.size() && static_cast<int>(pos - start) < width && std::isdigit(static_cast<unsigned char>(s[pos])))
    v = v * 10 + (s[pos++] - '0');
  if (pos == digitsStart) return false;
  value = static_cast<int>(negative ? -v : v);
  return true;
}

bool literal(const std::string& s, size_t& pos, char c) {
  if (pos < s.size() && s[pos] == c) return ++pos, true;
  return false;
}

// FFmpeg's reading of "CHAPTERnnn=hh:mm:ss.mmm" and "CHAPTERnnnNAME=title"; false when the
// comment is not one (it then goes to the tags).
bool chapterComment(const std::string& key, const std::string& value, CommentChapters& out) {
  if (key.size() < 9 || key.compare(0, 7, "CHAPTER") != 0) return false;
  size_t pos = 7;
  int number = 0;
  if (!scanInt(key, pos, 3, number)) return false;
  auto find = [&]() -> CommentChapters::Chapter* {
    for (auto& c : out.chapters)
      if (c.number == number) return &c;
    return nullptr;
  };
  if (key.size() <= 10) {
    int h = 0, m = 0, s = 0, ms = 0;
    size_t p = 0;
    if (!(scanInt(value, p, 2, h) && literal(value, p, ':') && scanInt(value, p, 2, m) && literal(value, p, ':') &&
          scanInt(value, p, 2, s) && literal(value, p, '.') && scanInt(value, p, 3, ms)))
      return false;
    int64_t start = ms + 1000 * (int64_t(s) + 60 * (int64_t(m) + 60 * int64_t(h)));
    // Numbers are looked up once they stop rising (avpriv_new_chapter).
    CommentChapters::Chapter* c = nullptr;
    if (out.chapters.empty()) {
      out.monotonic = true;
    } else if (!out.monotonic || out.chapters.back().number >= number) {
      out.monotonic = false;
      c = find();
    }
    if (!c) {
      out.chapters.push_back({number, start, false, {}});
    } else {
      c->startMs = start;
    }
    return true;
  }
  if (key.compare(key.size() - 4, 4, "NAME") == 0) {
    CommentChapters::Chapter* c = find();
    if (!c) return false;
    c->hasTitle = true;
    c->title = value;
    return true;
  }
  return false;
}

}  // namespace

std::vector<ChapterDescription> CommentChapters::descriptions() const {
  std::vector<ChapterDescription> out;
  for (const Chapter& c : chapters) {
    ChapterDescription d;
    d.start = c.startMs * 1000;
    d.end = d.start;
    d.title = c.title;
    out.push_back(std::move(d));
  }
  return out;
}

bool readVorbisComment(const uint8_t* data, size_t size, FFmpegDictionary& tags, CommentChapters& chapters) {
  if (size < 8 || size > INT32_MAX) return false;
  const uint8_t* p = data;
  const uint8_t* end = data + size;
  int32_t vendor = static_cast<int32_t>(le32(p));
  p += 4;
  if (vendor < 0 || end - p - 4 < vendor) return false;
  p += vendor;
  uint32_t n = le32(p);
  p += 4;
  while (end - p >= 4 && n > 0) {
    int32_t s = static_cast<int32_t>(le32(p));
    p += 4;
    if (s < 0 || end - p < s) break;
    const uint8_t* t = p;
    p += s;
    --n;
    const void* eq = std::memchr(t, '=', static_cast<size_t>(s));
    if (!eq) continue;
    size_t tl = static_cast<size_t>(static_cast<const uint8_t*>(eq) - t);
    size_t vl = static_cast<size_t>(s) - tl - 1;
    if (!tl || !vl) continue;
    // Both end at a zero byte, as C strings do.
    std::string key(reinterpret_cast<const char*>(t), strnlen(reinterpret_cast<const char*>(t), tl));
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const char* v = static_cast<const char*>(eq) + 1;
    std::string value(v, strnlen(v, vl));
    if (key == "METADATA_BLOCK_PICTURE") continue;  // cover art: a picture, not a tag
    if (chapterComment(key, value, chapters)) continue;
    tags.append(key, value);  // repeated names keep every value, joined with ";"
  }
  tags.convert({{"ALBUMARTIST", "album_artist"}, {"TRACKNUMBER", "track"}, {"DISCNUMBER", "disc"},
                {"DESCRIPTION", "comment"}});
  return true;
}

}  // namespace platform::media::direct
