#include "TagMapping.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <map>

#include "platform/foundation/Text.h"
#include "platform/media/TextEncoding.h"
#include "platform/media/id3/Id3Genres.h"

namespace platform::media {
namespace {

constexpr uint32_t kStorageID3 = fourCharCode("ID32");
constexpr uint32_t kStorageFFmpeg = fourCharCode("ffmt");
constexpr uint32_t kKeyFormatUserData = fourCharCode("udta");
constexpr uint32_t kKeyFormatText = fourCharCode("mdta");

const std::string kCopyright = "\xA9";  // 0xA9, the first byte of classic text keys

std::string lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Text that is not UTF-8 is taken as ISO-8859-1.
std::string asUtf8(const std::string& s) {
  if (isValidUtf8(s)) return s;
  return latin1ToUtf8(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

void addItem(MovieDescription& out, uint32_t storage, const std::string& key, const std::vector<uint8_t>& value,
             uint32_t dataType) {
  MetadataItemDescription it;
  it.storageFormat = storage;
  it.keyFormat = key.size() == 4 && key[0] == kCopyright[0] ? kKeyFormatUserData : kKeyFormatText;
  it.key.assign(key.begin(), key.end());
  it.value = value;
  it.dataType = dataType;
  out.metadata.push_back(std::move(it));
}

void addText(MovieDescription& out, uint32_t storage, const std::string& key, const std::string& text) {
  std::string utf8 = asUtf8(text);
  addItem(out, storage, key, std::vector<uint8_t>(utf8.begin(), utf8.end()), 1);
  if (key.size() == 4 && key[0] == kCopyright[0]) {
    UserDataEntryDescription e;
    e.type = (uint32_t(uint8_t(key[0])) << 24) | (uint32_t(uint8_t(key[1])) << 16) | (uint32_t(uint8_t(key[2])) << 8) |
             uint8_t(key[3]);
    e.text.assign(utf8.begin(), utf8.end());
    e.utf8 = true;
    e.isText = true;
    out.userData.push_back(std::move(e));
  }
}

const std::map<std::string, std::string>& id3TextKeys() {
  static const std::map<std::string, std::string> m = {
      {"TIT2", "\xA9nam"}, {"TPE1", "\xA9" "ART"}, {"TALB", "\xA9" "alb"}, {"TRCK", "\xA9trk"}, {"TYER", "\xA9" "day"},
      {"TDRC", "\xA9" "day"}, {"TCON", "\xA9gen"}, {"TCOM", "\xA9" "com"}, {"TCOP", "\xA9" "cpy"}, {"TEXT", "\xA9wrt"},
      {"TENC", "\xA9" "enc"}, {"TSSE", "\xA9too"}};
  return m;
}

// Comment descriptions that name the comment itself rather than a tagger's private data
// ("iTunNORM", "iTunSMPB", ...).
bool isPlainComment(const std::string& description) {
  const std::string d = lower(description);
  return d.empty() || d == "comment" || d == "comments" || d == "id3v1 comment";
}

// FFmpeg's names for the ID3v2 text frames it renames; other text frames keep their ID.
const std::map<std::string, std::string>& ffmpegId3Names() {
  static const std::map<std::string, std::string> m = {
      {"TALB", "album"},       {"TCOM", "composer"},      {"TCON", "genre"},       {"TCOP", "copyright"},
      {"TENC", "encoded_by"},  {"TIT2", "title"},         {"TLAN", "language"},    {"TPE1", "artist"},
      {"TPE2", "album_artist"}, {"TPE3", "performer"},    {"TPOS", "disc"},        {"TPUB", "publisher"},
      {"TRCK", "track"},       {"TSSE", "encoder"},       {"TCMP", "compilation"}, {"TDRC", "date"},
      {"TDRL", "date"},        {"TDEN", "creation_time"}, {"TSOA", "album-sort"},  {"TSOP", "artist-sort"},
      {"TSOT", "title-sort"},  {"TIT1", "grouping"},      {"TYER", "date"},        {"TDAT", "date"},
      {"TIME", "date"}};
  return m;
}

const std::map<std::string, std::string>& ffmpegKeys() {
  static const std::map<std::string, std::string> m = {
      {"title", "\xA9nam"},      {"artist", "\xA9" "ART"},   {"album", "\xA9" "alb"},  {"date", "\xA9" "day"},
      {"year", "\xA9" "day"},    {"genre", "\xA9gen"},       {"composer", "\xA9" "com"}, {"comment", "\xA9" "cmt"},
      {"copyright", "\xA9" "cpy"}, {"track", "\xA9trk"},     {"tracknumber", "\xA9trk"}, {"encoder", "\xA9too"},
      {"encoded_by", "\xA9" "enc"}, {"lyrics", "\xA9lyr"},   {"performer", "\xA9prf"}, {"album_artist", "tpe2"},
      {"albumartist", "tpe2"},   {"disc", "tpos"},           {"discnumber", "tpos"},   {"publisher", "tpub"},
      {"description", "desc"},   {"show", "tvsh"}};
  return m;
}

}  // namespace

void addId3Tag(const id3::Tag& tag, MovieDescription& out) {
  for (const id3::Frame& f : tag.frames) {
    const std::string id = f.id.size() == 4 && f.id[3] == ' ' ? f.id.substr(0, 3) : f.id;
    if (id == "TCON") {
      if (auto text = id3::genreText(f)) addText(out, kStorageID3, "\xA9gen", *text);
    } else if (auto k = id3TextKeys().find(id); k != id3TextKeys().end()) {
      if (auto text = id3::frameText(f)) addText(out, kStorageID3, k->second, *text);
    } else if (id == "TXXX") {
      if (auto t = id3::userTextFrame(f)) {
        std::string description = lower(t->first);
        addText(out, kStorageID3, description == "comment" ? "comm" : asUtf8(t->first), t->second);
      }
    } else if (id == "COMM") {
      // Taggers keep their own data in described comments: those go by their description, as
      // user text does, and never over the comment.
      if (auto c = id3::commentFrame(f))
        addText(out, kStorageID3, isPlainComment(c->first) ? "comm" : asUtf8(c->first), c->second);
    } else if (id == "USLT") {
      if (auto c = id3::commentFrame(f)) addText(out, kStorageID3, "\xA9lyr", c->second);
    } else if (id == "APIC") {
      if (auto p = id3::pictureFrame(f, tag.version)) {
        std::string mime = lower(p->first);
        uint32_t type = mime == "image/jpeg" || mime == "image/jpg" ? 13 : mime == "image/png" ? 14 : 0;
        addItem(out, kStorageID3, "covr", p->second, type);
      }
    } else if (id == "PCNT") {
      addItem(out, kStorageID3, "pcnt", f.data, 22);
    } else if (!id.empty() && (id[0] == 'T' || id[0] == 'W')) {
      std::optional<std::string> text;
      if (id[0] == 'T') {
        text = id3::frameText(f);
      } else if (id != "WXXX") {
        text = latin1ToUtf8(f.data.data(), std::find(f.data.begin(), f.data.end(), 0) - f.data.begin());
      }
      if (text) addText(out, kStorageID3, lower(id), *text);
    }
  }
}

std::set<std::string> containerKeysOfId3Tag(const id3::Tag& tag) {
  std::set<std::string> keys;
  for (const id3::Frame& f : tag.frames) {
    const std::string id = f.id.size() == 4 && f.id[3] == ' ' ? f.id.substr(0, 3) : f.id;
    if (id == "TXXX") {
      if (auto t = id3::userTextFrame(f)) keys.insert(lower(t->first));
    } else if (id == "COMM") {
      if (auto c = id3::commentFrame(f)) keys.insert(c->first.empty() ? "comment" : lower(c->first));
    } else if (!id.empty() && id[0] == 'T') {
      auto n = ffmpegId3Names().find(id);
      keys.insert(n != ffmpegId3Names().end() ? n->second : lower(id));
    }
  }
  return keys;
}

void addContainerTags(MovieDescription& out, const std::set<std::string>& exclude) {
  for (const auto& [rawKey, value] : out.containerTags) {
    const std::string key = lower(rawKey);
    if (exclude.count(key)) continue;
    auto k = ffmpegKeys().find(key);
    if (k != ffmpegKeys().end()) addText(out, kStorageFFmpeg, k->second, value);
  }
}

void addTags(const std::optional<id3::Tag>& tag, MovieDescription& out) {
  if (tag && !tag->frames.empty()) {
    addContainerTags(out, containerKeysOfId3Tag(*tag));
    addId3Tag(*tag, out);
  } else {
    addContainerTags(out, {});
  }
}

void addContainerChapters(MovieDescription& out) {
  if (out.containerChapters.empty() || out.timeScale <= 0) return;
  std::vector<ChapterDescription> chapters = out.containerChapters;
  std::stable_sort(chapters.begin(), chapters.end(),
                   [](const ChapterDescription& a, const ChapterDescription& b) { return a.start < b.start; });
  constexpr int64_t kMediaScale = 1000;  // milliseconds
  auto toMedia = [&](int64_t us) { return std::max<int64_t>(0, us / 1000); };
  auto table = std::make_shared<SampleTable>();
  for (size_t i = 0; i < chapters.size(); ++i) {
    int64_t start = toMedia(chapters[i].start);
    int64_t end = i + 1 < chapters.size() ? toMedia(chapters[i + 1].start) : std::max(start + 1, toMedia(chapters[i].end));
    uint32_t delta = static_cast<uint32_t>(std::clamp<int64_t>(end - start, 0, UINT32_MAX));
    table->timeToSample.push_back({1, delta});
    std::string title = asUtf8(chapters[i].title).substr(0, 0xffff);
    std::vector<uint8_t> sample = {uint8_t(title.size() >> 8), uint8_t(title.size())};
    sample.insert(sample.end(), title.begin(), title.end());
    table->sizes.push_back(static_cast<uint32_t>(sample.size()));
    table->inlineSamples.push_back(std::move(sample));
  }
  table->sampleCount = static_cast<uint32_t>(table->inlineSamples.size());
  indexSampleTable(*table);

  TrackDescription t;
  uint32_t maxID = 0;
  for (const auto& tr : out.tracks) maxID = std::max(maxID, tr.trackID);
  t.trackID = maxID + 1;
  t.mediaType = "text";
  t.enabled = false;
  t.duration = out.duration;
  t.movieTimeScale = out.timeScale;
  t.mediaTimeScale = kMediaScale;
  t.codec = "chapters";
  // The first chapter may start after 0: an empty edit up to it, then the samples from 0.
  int64_t first = toMedia(chapters.front().start);
  if (first > 0) {
    t.hasEditList = true;
    int64_t firstInMovie = static_cast<int64_t>(static_cast<__int128>(first) * out.timeScale / kMediaScale);
    t.edits.push_back({firstInMovie, -1, 0x10000});
    t.edits.push_back({INT64_MAX / 4, 0, 0x10000});  // to the end of the samples
  }
  t.samples = table;
  for (auto& tr : out.tracks) {
    if (tr.enabled) {
      tr.chapterTrackIDs = {t.trackID};
      break;
    }
  }
  out.tracks.push_back(std::move(t));
}

}  // namespace platform::media
