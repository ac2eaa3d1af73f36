// Matroska and WebM: Segment Info, Tracks, Chapters and Tags, found before the first cluster or
// through the seek head, and reported as FFmpeg's demuxer reports them: the length from Info's
// duration, the title and muxing application as tags, global tags under their names (with the
// target type and language where FFmpeg adds them), chapters from the first display of each
// top-level atom with a tag-given title winning.
#include <cmath>
#include <map>
#include <set>

#include "EbmlReader.h"
#include "platform/media/MediaTypes.h"
#include "platform/media/direct/Readers.h"

namespace platform::media {
namespace matroska {
namespace {

enum : uint32_t {
  kEbml = 0x1A45DFA3, kEbmlReadVersion = 0x42F7, kEbmlMaxIdLength = 0x42F2, kEbmlMaxSizeLength = 0x42F3,
  kDocType = 0x4282, kDocTypeReadVersion = 0x4285,
  kSegment = 0x18538067, kSeekHead = 0x114D9B74, kSeek = 0x4DBB, kSeekId = 0x53AB, kSeekPosition = 0x53AC,
  kInfo = 0x1549A966, kTimestampScale = 0x2AD7B1, kDuration = 0x4489, kTitle = 0x7BA9, kMuxingApp = 0x4D80,
  kDateUtc = 0x4461,
  kTracks = 0x1654AE6B, kTrackEntry = 0xAE, kTrackNumber = 0xD7, kTrackUid = 0x73C5, kTrackType = 0x83,
  kCodecId = 0x86, kContentEncodings = 0x6D80, kVideo = 0xE0, kPixelWidth = 0xB0, kPixelHeight = 0xBA,
  kCluster = 0x1F43B675, kCues = 0x1C53BB6B, kAttachments = 0x1941A469,
  kChapters = 0x1043A770, kEditionEntry = 0x45B9, kChapterAtom = 0xB6, kChapterUid = 0x73C4,
  kChapterTimeStart = 0x91, kChapterTimeEnd = 0x92, kChapterDisplay = 0x80, kChapString = 0x85,
  kTags = 0x1254C367, kTag = 0x7373, kTargets = 0x63C0, kTargetType = 0x63CA, kTagTrackUid = 0x63C5,
  kTagChapterUid = 0x63C4, kTagAttachmentUid = 0x63C6, kSimpleTag = 0x67C8, kTagName = 0x45A3,
  kTagLanguage = 0x447A, kTagDefault = 0x4484, kTagDefaultBug = 0x44B4, kTagString = 0x4487,
};

constexpr int kMaxTagDepth = 8;

struct SimpleTag {
  std::optional<std::string> name;
  std::string language = "und";
  uint64_t isDefault = 1;
  std::optional<std::string> value;
  std::vector<SimpleTag> children;
};

struct Tag {
  std::optional<std::string> targetType;
  uint64_t trackUid = 0, chapterUid = 0, attachmentUid = 0;
  std::vector<SimpleTag> simpleTags;
};

struct Chapter {
  uint64_t uid = 0;
  std::optional<uint64_t> start;
  std::optional<uint64_t> end;
  std::optional<std::string> title;
};

struct Track {
  uint64_t number = 0, uid = 0, type = 0;
  bool hasCodec = false;
  double width = 0, height = 0;
};

// What the demuxer gathers; false from a parse function means "not sure": leave it to FFmpeg.
struct Segment {
  explicit Segment(const EbmlReader& reader) : r(reader) {}
  const EbmlReader& r;
  uint64_t timestampScale = 1000000;
  std::optional<double> duration;
  std::optional<std::string> title, muxingApp;
  bool hasDate = false;
  std::vector<Track> tracks;
  std::vector<Chapter> chapters;
  std::vector<Tag> tags;
  std::set<uint32_t> seen;  // level-1 elements read once each
  std::vector<std::pair<uint32_t, uint64_t>> seekEntries;

  bool readInfo(const Element& e) {
    return r.children(e.dataOffset, e.end(), [&](const Element& c) {
      if (c.id == kTimestampScale) {
        auto v = r.unsignedInteger(c);
        if (!v || !*v) return false;
        timestampScale = *v;
      } else if (c.id == kDuration) {
        duration = r.floatingPoint(c);
        if (!duration) return false;
      } else if (c.id == kTitle) {
        title = r.string(c);
        if (!title) return false;
      } else if (c.id == kMuxingApp) {
        muxingApp = r.string(c);
        if (!muxingApp) return false;
      } else if (c.id == kDateUtc) {
        hasDate = c.size == 8;
      }
      return true;
    }) && duration;
  }

  bool readTracks(const Element& e) {
    bool ok = true;
    bool walked = r.children(e.dataOffset, e.end(), [&](const Element& c) {
      if (c.id != kTrackEntry) return true;
      Track t;
      ok = r.children(c.dataOffset, c.end(), [&](const Element& f) {
        if (f.id == kTrackNumber) t.number = r.unsignedInteger(f).value_or(0);
        else if (f.id == kTrackUid) t.uid = r.unsignedInteger(f).value_or(0);
        else if (f.id == kTrackType) t.type = r.unsignedInteger(f).value_or(0);
        else if (f.id == kCodecId) t.hasCodec = r.string(f).value_or("").size() > 0;
        else if (f.id == kContentEncodings) return ok = false;
        else if (f.id == kVideo) {
          r.children(f.dataOffset, f.end(), [&](const Element& v) {
            if (v.id == kPixelWidth) t.width = static_cast<double>(r.unsignedInteger(v).value_or(0));
            if (v.id == kPixelHeight) t.height = static_cast<double>(r.unsignedInteger(v).value_or(0));
            return true;
          });
        }
        return true;
      }) && ok;
      // Track types FFmpeg may treat otherwise than as it says (buttons, logos, metadata).
      if (t.type != 1 && t.type != 2 && t.type != 0x11) ok = false;
      tracks.push_back(t);
      return ok;
    });
    return walked && ok;
  }

  bool readChapters(const Element& e) {
    bool ok = true;
    bool walked = r.children(e.dataOffset, e.end(), [&](const Element& edition) {
      if (edition.id != kEditionEntry) return true;
      ok = r.children(edition.dataOffset, edition.end(), [&](const Element& atom) {
        if (atom.id != kChapterAtom) return true;
        Chapter c;
        bool atomOk = r.children(atom.dataOffset, atom.end(), [&](const Element& f) {
          if (f.id == kChapterUid) c.uid = r.unsignedInteger(f).value_or(0);
          else if (f.id == kChapterTimeStart) c.start = r.unsignedInteger(f);
          else if (f.id == kChapterTimeEnd) c.end = r.unsignedInteger(f);
          else if (f.id == kChapterDisplay) {
            return r.children(f.dataOffset, f.end(), [&](const Element& d) {
              if (d.id == kChapString) c.title = r.string(d);  // a later display replaces the title
              return true;
            });
          }
          return true;
        });
        chapters.push_back(std::move(c));
        return atomOk;
      }) && ok;
      return ok;
    });
    return walked && ok;
  }

  bool readSimpleTag(const Element& e, SimpleTag& out, int depth) {
    if (depth > kMaxTagDepth) return false;
    return r.children(e.dataOffset, e.end(), [&](const Element& f) {
      if (f.id == kTagName) out.name = r.string(f);
      else if (f.id == kTagLanguage) out.language = r.string(f).value_or("und");
      else if (f.id == kTagDefault || f.id == kTagDefaultBug) out.isDefault = r.unsignedInteger(f).value_or(1);
      else if (f.id == kTagString) out.value = r.string(f);
      else if (f.id == kSimpleTag) {
        out.children.emplace_back();
        return readSimpleTag(f, out.children.back(), depth + 1);
      }
      return true;
    });
  }

  bool readTags(const Element& e) {
    bool ok = true;
    bool walked = r.children(e.dataOffset, e.end(), [&](const Element& t) {
      if (t.id != kTag) return true;
      Tag tag;
      ok = r.children(t.dataOffset, t.end(), [&](const Element& f) {
        if (f.id == kTargets) {
          return r.children(f.dataOffset, f.end(), [&](const Element& g) {
            if (g.id == kTargetType) tag.targetType = r.string(g);
            else if (g.id == kTagTrackUid) tag.trackUid = r.unsignedInteger(g).value_or(0);
            else if (g.id == kTagChapterUid) tag.chapterUid = r.unsignedInteger(g).value_or(0);
            else if (g.id == kTagAttachmentUid) tag.attachmentUid = r.unsignedInteger(g).value_or(0);
            return true;
          });
        }
        if (f.id == kSimpleTag) {
          tag.simpleTags.emplace_back();
          return readSimpleTag(f, tag.simpleTags.back(), 1);
        }
        return true;
      });
      tags.push_back(std::move(tag));
      return ok;
    });
    return walked && ok;
  }

  bool readSeekHead(const Element& e) {
    return r.children(e.dataOffset, e.end(), [&](const Element& s) {
      if (s.id != kSeek) return true;
      uint32_t id = 0;
      std::optional<uint64_t> position;
      bool ok = r.children(s.dataOffset, s.end(), [&](const Element& f) {
        if (f.id == kSeekId) {
          auto b = r.bytes(f, 4);
          if (!b) return false;
          for (uint8_t x : *b) id = id << 8 | x;
        } else if (f.id == kSeekPosition) {
          position = r.unsignedInteger(f);
        }
        return true;
      });
      if (ok && position) seekEntries.emplace_back(id, *position);
      return ok;
    });
  }

  // A level-1 element; false when it makes the file one to leave to FFmpeg.
  bool readLevel1(const Element& e) {
    switch (e.id) {
      case kInfo:
      case kTracks:
        if (seen.count(e.id)) return false;  // a second one: FFmpeg's handling is not ours
        seen.insert(e.id);
        return e.id == kInfo ? readInfo(e) : readTracks(e);
      case kChapters: return readChapters(e);
      case kTags: return readTags(e);
      case kSeekHead: return readSeekHead(e);
      default: return true;
    }
  }
};

// FFmpeg's key of a simple tag: the parent's key and "/", its name, and "-" and its language
// when that is not "und"; the default-language form first. A tag without a value removes its key.
void convertTags(const std::vector<SimpleTag>& tags, direct::FFmpegDictionary& dict, const std::optional<std::string>& prefix) {
  for (const SimpleTag& t : tags) {
    if (!t.name) continue;
    const bool hasLanguage = t.language != "und";
    std::string key = prefix ? *prefix + "/" + *t.name : *t.name;
    auto put = [&](const std::string& k) {
      if (t.value) dict.set(k, *t.value);
      else dict.remove(k);
      if (!t.children.empty()) convertTags(t.children, dict, k);
    };
    if (t.isDefault || !hasLanguage) put(key);
    if (hasLanguage) put(key + "-" + t.language);
  }
  dict.convert({{"LEAD_PERFORMER", "performer"}, {"PART_NUMBER", "track"}});
}

}  // namespace
}  // namespace matroska

namespace direct {

DirectRead readMatroska(const FileReader& file, MovieDescription& out) {
  using namespace matroska;
  EbmlReader r(file);
  // The EBML header: a Matroska or WebM document FFmpeg can read.
  std::optional<Element> head = r.elementAt(0, file.size());
  if (!head || head->id != kEbml) return DirectRead::Declined;
  std::string docType;
  uint64_t readVersion = 1, maxId = 4, maxSize = 8, docReadVersion = 1;
  if (!r.children(head->dataOffset, head->end(), [&](const Element& e) {
        if (e.id == kDocType) docType = r.string(e).value_or("");
        else if (e.id == kEbmlReadVersion) readVersion = r.unsignedInteger(e).value_or(99);
        else if (e.id == kEbmlMaxIdLength) maxId = r.unsignedInteger(e).value_or(99);
        else if (e.id == kEbmlMaxSizeLength) maxSize = r.unsignedInteger(e).value_or(99);
        else if (e.id == kDocTypeReadVersion) docReadVersion = r.unsignedInteger(e).value_or(99);
        return true;
      }))
    return DirectRead::Declined;
  if ((docType != "matroska" && docType != "webm") || readVersion > 1 || maxId > 4 || maxSize > 8 || docReadVersion > 3)
    return DirectRead::Declined;

  std::optional<Element> segment = r.elementAt(head->end(), file.size(), true);
  if (!segment || segment->id != kSegment) return DirectRead::Declined;
  const uint64_t segmentEnd = std::min(segment->end(), file.size());
  Segment s(r);
  // Level-1 elements up to the first cluster, then those the seek head points to.
  bool reachedCluster = false, ok = true;
  std::set<uint64_t> parsedAt;
  for (uint64_t pos = segment->dataOffset; ok && pos < segmentEnd;) {
    std::optional<Element> e = r.elementAt(pos, segmentEnd, true);
    if (!e) return DirectRead::Declined;
    if (e->id == kCluster) {
      reachedCluster = true;
      break;
    }
    if (e->size == kUnknownSize) return DirectRead::Declined;
    parsedAt.insert(e->offset);
    ok = s.readLevel1(*e);
    pos = e->end();
  }
  if (!ok || !reachedCluster) return DirectRead::Declined;
  for (size_t i = 0; i < s.seekEntries.size(); ++i) {
    const auto [id, relative] = s.seekEntries[i];
    if (id == kSeekHead) return DirectRead::Declined;
    if (id != kInfo && id != kTracks && id != kChapters && id != kTags && id != kAttachments) continue;
    const uint64_t at = segment->dataOffset + relative;
    if (relative > segmentEnd || parsedAt.count(at)) continue;
    std::optional<Element> e = r.elementAt(at, segmentEnd);
    if (!e || e->id != id) return DirectRead::Declined;
    parsedAt.insert(at);
    if (!s.readLevel1(*e)) return DirectRead::Declined;
  }
  if (!s.duration || *s.duration == 0 || !std::isfinite(*s.duration)) return DirectRead::Declined;

  MovieDescription d;
  d.family = ContainerFamily::FFmpeg;
  d.formatName = "matroska,webm";
  d.timeScale = 1000000;
  const double us = *s.duration * static_cast<double>(s.timestampScale) * 1000 / 1000000;
  if (!(us >= 0 && us < 9.2e18)) return DirectRead::Declined;
  d.duration = static_cast<int64_t>(us);
  bool anyMovieStream = false;
  std::map<uint64_t, size_t> trackByUid;
  for (const Track& t : s.tracks) {
    if (!t.hasCodec) continue;
    TrackDescription td;
    td.streamIndex = static_cast<int>(d.tracks.size());
    td.trackID = static_cast<int>(t.number) > 0 ? static_cast<uint32_t>(static_cast<int>(t.number))
                                                : static_cast<uint32_t>(td.streamIndex + 1);
    td.mediaType = t.type == 1 ? QTMediaTypeVideo : t.type == 2 ? QTMediaTypeSound : QTMediaTypeSubtitle;
    td.mediaTimeScale = 1000;
    td.width = t.width;
    td.height = t.height;
    anyMovieStream = anyMovieStream || t.type == 1 || t.type == 2;
    trackByUid[t.uid] = d.tracks.size();
    d.tracks.push_back(std::move(td));
  }
  if (!anyMovieStream) return DirectRead::Declined;

  // Chapters: atoms with an ID and a start, each starting after the one before (the first may
  // share 0 with the next).
  std::vector<const Chapter*> made;
  std::vector<FFmpegDictionary> chapterTags;
  uint64_t maxStart = 0;
  for (const Chapter& c : s.chapters) {
    if (!c.start || !c.uid || !(maxStart == 0 || *c.start > maxStart)) continue;
    made.push_back(&c);
    chapterTags.emplace_back();
    if (c.title) chapterTags.back().set("title", *c.title);
    maxStart = *c.start;
  }

  FFmpegDictionary global;
  if (s.title) global.set("title", *s.title);
  if (s.muxingApp) global.set("encoder", *s.muxingApp);
  if (s.hasDate) global.set("creation_time", "");
  for (const Tag& t : s.tags) {
    if (t.attachmentUid) continue;
    if (t.chapterUid) {
      for (size_t i = 0; i < made.size(); ++i)
        if (made[i]->uid == t.chapterUid) convertTags(t.simpleTags, chapterTags[i], std::nullopt);
    } else if (t.trackUid) {
      continue;  // a stream's tags: reported only when the file has none of its own, checked below
    } else {
      convertTags(t.simpleTags, global, t.targetType);
    }
  }
  // Without file-level tags FFmpeg's first audio stream speaks for the file: left to FFmpeg.
  if (global.empty()) return DirectRead::Declined;
  for (size_t i = 0; i < made.size(); ++i) {
    ChapterDescription c;
    c.start = rescale(static_cast<int64_t>(std::min<uint64_t>(*made[i]->start, INT64_MAX / 2)), 1, 1000);
    c.end = made[i]->end ? rescale(static_cast<int64_t>(std::min<uint64_t>(*made[i]->end, INT64_MAX / 2)), 1, 1000) : c.start;
    if (const std::string* title = chapterTags[i].find("title")) c.title = *title;
    d.containerChapters.push_back(std::move(c));
  }
  d.containerTags = global.entries();
  out = std::move(d);
  return DirectRead::Read;
}

}  // namespace direct
}  // namespace platform::media
