#include "Id3Reader.h"

#include <algorithm>
#include <cstring>

#include "platform/media/TextEncoding.h"

namespace platform::media::id3 {
namespace {

constexpr size_t kHeaderSize = 10;
// A tag larger than this is not a real file's.
constexpr uint32_t kMaxTagSize = 64u << 20;

uint32_t syncsafe(const uint8_t* p) {
  return (uint32_t(p[0] & 0x7f) << 21) | (uint32_t(p[1] & 0x7f) << 14) | (uint32_t(p[2] & 0x7f) << 7) | (p[3] & 0x7f);
}
uint32_t be32(const uint8_t* p) { return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]; }
uint32_t be24(const uint8_t* p) { return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2]; }

// Undoes unsynchronisation: every FF 00 becomes FF.
std::vector<uint8_t> resync(const uint8_t* p, size_t n) {
  std::vector<uint8_t> out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    out.push_back(p[i]);
    if (p[i] == 0xff && i + 1 < n && p[i + 1] == 0x00) ++i;
  }
  return out;
}

bool validFrameId(const uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (!((p[i] >= 'A' && p[i] <= 'Z') || (p[i] >= '0' && p[i] <= '9'))) return false;
  return true;
}

// 2.2 frame IDs and their 2.3 names.
std::string upgradeId(const std::string& id) {
  static const char* const kMap[][2] = {
      {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"},
      {"TP4", "TPE4"}, {"TAL", "TALB"}, {"TRK", "TRCK"}, {"TPA", "TPOS"}, {"TYE", "TYER"}, {"TCO", "TCON"},
      {"TCM", "TCOM"}, {"TCR", "TCOP"}, {"TEN", "TENC"}, {"TSS", "TSSE"}, {"TXT", "TEXT"}, {"TPB", "TPUB"},
      {"TBP", "TBPM"}, {"TLA", "TLAN"}, {"TXX", "TXXX"}, {"COM", "COMM"}, {"ULT", "USLT"}, {"PIC", "APIC"},
      {"CNT", "PCNT"}, {"TDA", "TDAT"}, {"TIM", "TIME"}, {"TRD", "TRDA"}, {"TOA", "TOPE"}, {"TOT", "TOAL"},
      {"WXX", "WXXX"}, {"WAR", "WOAR"}};
  for (const auto& m : kMap)
    if (id == m[0]) return m[1];
  return id + " ";
}

// One string of the given ID3 encoding from [pos, end), up to its terminator; pos moves past it.
std::string readString(const std::vector<uint8_t>& d, size_t& pos, uint8_t encoding) {
  size_t end = d.size();
  if (pos >= end) return {};
  bool wide = encoding == 1 || encoding == 2;
  size_t stop = pos;
  if (wide) {
    while (stop + 1 < end && !(d[stop] == 0 && d[stop + 1] == 0)) stop += 2;
    if (stop + 1 >= end) stop = end;
  } else {
    while (stop < end && d[stop] != 0) ++stop;
  }
  const uint8_t* p = d.data() + pos;
  size_t n = stop - pos;
  std::string out;
  switch (encoding) {
    case 0:
      out = latin1ToUtf8(p, n);
      break;
    case 1: {
      bool big = true;  // no byte-order mark: big-endian
      if (n >= 2 && p[0] == 0xff && p[1] == 0xfe) big = false;
      if (n >= 2 && ((p[0] == 0xff && p[1] == 0xfe) || (p[0] == 0xfe && p[1] == 0xff))) p += 2, n -= 2;
      out = utf16ToUtf8(p, n, big);
      break;
    }
    case 2:
      out = utf16ToUtf8(p, n, true);
      break;
    default:
      out.assign(reinterpret_cast<const char*>(p), n);
      break;
  }
  pos = std::min(end, stop + (wide ? 2 : 1));
  return out;
}

void parseFrames(const std::vector<uint8_t>& body, int version, bool unsyncAll, Tag& tag) {
  const size_t idLen = version == 2 ? 3 : 4;
  const size_t headerLen = version == 2 ? 6 : 10;
  size_t pos = 0;
  while (pos < body.size()) {
    if (body[pos] == 0) {  // padding
      tag.complete = tag.complete && std::all_of(body.begin() + static_cast<long>(pos), body.end(),
                                                 [](uint8_t b) { return b == 0; });
      return;
    }
    if (pos + headerLen > body.size()) break;
    const uint8_t* h = body.data() + pos;
    if (!validFrameId(h, idLen)) break;
    uint32_t size = version == 2 ? be24(h + 3) : version == 3 ? be32(h + 4) : syncsafe(h + 4);
    if (size > body.size() - pos - headerLen) break;
    const uint8_t* content = h + headerLen;
    size_t contentSize = size;
    bool skip = false;
    bool unsync = false;
    if (version == 3) {
      uint8_t fmt = h[9];
      if (fmt & 0xC0) skip = true;  // compressed or encrypted
      if (fmt & 0x20) {             // grouping identity
        if (contentSize < 1) skip = true;
        else ++content, --contentSize;
      }
    } else if (version == 4) {
      uint8_t fmt = h[9];
      if (fmt & 0x0C) skip = true;  // compressed or encrypted
      if (!skip && (fmt & 0x40)) {
        if (contentSize < 1) skip = true;
        else ++content, --contentSize;
      }
      if (!skip && (fmt & 0x01)) {  // data length indicator
        if (contentSize < 4) skip = true;
        else content += 4, contentSize -= 4;
      }
      unsync = (fmt & 0x02) || unsyncAll;
    }
    if (skip) tag.complete = false;
    if (!skip) {
      Frame f;
      f.id = version == 2 ? upgradeId(std::string(reinterpret_cast<const char*>(h), 3))
                          : std::string(reinterpret_cast<const char*>(h), 4);
      f.data = unsync ? resync(content, contentSize) : std::vector<uint8_t>(content, content + contentSize);
      tag.frames.push_back(std::move(f));
    }
    pos += headerLen + size;
  }
  if (pos < body.size()) tag.complete = false;
}

}  // namespace

std::optional<Tag> parseTag(const uint8_t* data, size_t size) {
  if (size < kHeaderSize || std::memcmp(data, "ID3", 3) != 0) return std::nullopt;
  int version = data[3];
  uint8_t flags = data[5];
  if (version < 2 || version > 4 || data[4] == 0xff) return std::nullopt;
  for (int i = 6; i < 10; ++i)
    if (data[i] & 0x80) return std::nullopt;
  uint32_t tagSize = syncsafe(data + 6);
  Tag tag;
  tag.version = version;
  // A tag that claims more than it has is read as far as it goes.
  size_t bodySize = std::min<size_t>(tagSize, size - kHeaderSize);
  tag.complete = bodySize == tagSize;
  const uint8_t* body = data + kHeaderSize;
  if (version == 2 && (flags & 0x40)) {  // 2.2 compression: no known scheme; frames unusable
    tag.complete = false;
    return tag;
  }
  std::vector<uint8_t> bytes;
  if ((flags & 0x80) && version < 4) bytes = resync(body, bodySize);
  else bytes.assign(body, body + bodySize);
  size_t start = 0;
  if ((flags & 0x40) && version >= 3) {
    if (bytes.size() < 4) return tag.complete = false, tag;
    // 2.3: the size leaves out its own four bytes; 2.4: syncsafe and includes them.
    uint64_t ext = version == 3 ? uint64_t(be32(bytes.data())) + 4 : syncsafe(bytes.data());
    if (ext > bytes.size()) return tag.complete = false, tag;
    start = static_cast<size_t>(ext);
  }
  bytes.erase(bytes.begin(), bytes.begin() + static_cast<long>(start));
  parseFrames(bytes, version, version == 4 && (flags & 0x80), tag);
  return tag;
}

std::optional<Tag> readTag(const isobmff::FileReader& file) {
  uint8_t h[12];
  if (!file.read(0, h, 12)) return std::nullopt;
  uint64_t offset = 0;
  uint64_t limit = file.size();
  bool found = std::memcmp(h, "ID3", 3) == 0;
  if (!found) {
    bool riff = std::memcmp(h, "RIFF", 4) == 0 || std::memcmp(h, "RIFX", 4) == 0;
    bool form = std::memcmp(h, "FORM", 4) == 0;
    if (!riff && !form) return std::nullopt;
    bool little = std::memcmp(h, "RIFF", 4) == 0;
    uint64_t pos = 12;
    for (int n = 0; n < 100000 && pos + 8 <= file.size(); ++n) {
      uint8_t c[8];
      if (!file.read(pos, c, 8)) break;
      uint64_t size = little ? (uint32_t(c[7]) << 24) | (uint32_t(c[6]) << 16) | (uint32_t(c[5]) << 8) | c[4]
                             : be32(c + 4);
      if (std::memcmp(c, "ID3 ", 4) == 0 || std::memcmp(c, "id3 ", 4) == 0) {
        offset = pos + 8;
        limit = std::min<uint64_t>(file.size(), offset + size);
        found = true;
        break;
      }
      pos += 8 + size + (size & 1);
    }
    if (!found) return std::nullopt;
  }
  uint8_t header[kHeaderSize];
  if (!file.read(offset, header, kHeaderSize) || std::memcmp(header, "ID3", 3) != 0) return std::nullopt;
  uint64_t total = kHeaderSize + uint64_t(syncsafe(header + 6));
  total = std::min<uint64_t>({total, limit - offset, kMaxTagSize});
  std::vector<uint8_t> bytes;
  if (!file.readBytes(offset, static_cast<size_t>(total), bytes)) return std::nullopt;
  return parseTag(bytes.data(), bytes.size());
}

std::optional<std::vector<std::string>> frameValues(const Frame& frame) {
  if (frame.data.size() < 2) return std::nullopt;
  size_t pos = 1;
  std::vector<std::string> values{readString(frame.data, pos, frame.data[0])};
  while (pos < frame.data.size()) values.push_back(readString(frame.data, pos, frame.data[0]));
  return values;
}

std::optional<std::string> frameText(const Frame& frame) {
  std::optional<std::vector<std::string>> values = frameValues(frame);
  if (!values) return std::nullopt;
  // 2.4 lists several values separated by terminators; join them the way 2.3 writers do.
  std::string text = values->front();
  for (size_t i = 1; i < values->size(); ++i)
    if (!(*values)[i].empty()) text += "/" + (*values)[i];
  return text;
}

std::optional<std::pair<std::string, std::string>> userTextFrame(const Frame& frame) {
  if (frame.data.size() < 2) return std::nullopt;
  size_t pos = 1;
  std::string description = readString(frame.data, pos, frame.data[0]);
  std::string value = readString(frame.data, pos, frame.data[0]);
  return std::make_pair(description, value);
}

std::optional<std::pair<std::string, std::string>> commentFrame(const Frame& frame) {
  if (frame.data.size() < 5) return std::nullopt;
  size_t pos = 4;
  std::string description = readString(frame.data, pos, frame.data[0]);
  std::string text = readString(frame.data, pos, frame.data[0]);
  return std::make_pair(description, text);
}

std::optional<std::pair<std::string, std::vector<uint8_t>>> pictureFrame(const Frame& frame, int version) {
  const auto& d = frame.data;
  if (d.size() < 2) return std::nullopt;
  size_t pos = 1;
  std::string mime;
  if (version == 2) {
    if (d.size() < 5) return std::nullopt;
    std::string format(reinterpret_cast<const char*>(d.data() + 1), 3);
    for (auto& c : format) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    mime = format == "jpg" ? "image/jpeg" : "image/" + format;
    pos = 4;
  } else {
    mime = readString(d, pos, 0);
  }
  if (pos >= d.size()) return std::nullopt;
  ++pos;  // picture type
  readString(d, pos, d[0]);  // description
  if (pos > d.size()) return std::nullopt;
  return std::make_pair(mime, std::vector<uint8_t>(d.begin() + static_cast<long>(pos), d.end()));
}

}  // namespace platform::media::id3
