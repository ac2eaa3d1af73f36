// The module itself: built as a shared object that links FFmpeg.
#include "FFmpegModule.h"
#include "FFmpegInternal.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

#include <algorithm>
#include <chrono>
#include <mutex>
#include <set>
#include <sstream>

namespace platform::media {

namespace ffmpeg_internal {

static int interruptCallback(void* opaque) {
  auto* d = static_cast<Deadline*>(opaque);
  return std::chrono::steady_clock::now() > d->end ? 1 : 0;
}

// Opens a file with the whitelists in force; nullptr on failure.
AVFormatContext* openContainer(const std::string& path, Deadline& deadline) {
  AVFormatContext* ctx = avformat_alloc_context();
  if (!ctx) return nullptr;
  deadline.restart();
  ctx->interrupt_callback.callback = interruptCallback;
  ctx->interrupt_callback.opaque = &deadline;
  AVDictionary* opts = nullptr;
  av_dict_set(&opts, "protocol_whitelist", kProtocolWhitelist, 0);
  av_dict_set(&opts, "format_whitelist", kContainerWhitelist, 0);
  std::string url = "file:" + path;
  int rc = avformat_open_input(&ctx, url.c_str(), nullptr, &opts);
  av_dict_free(&opts);
  if (rc < 0) return nullptr;  // avformat_open_input frees the context on failure
  return ctx;
}

}  // namespace ffmpeg_internal

namespace {
using namespace ffmpeg_internal;

bool isMovieStream(const AVStream* s) {
  if (s->disposition & AV_DISPOSITION_ATTACHED_PIC) return false;
  return s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO || s->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
}

// The container's tags (the first audio stream's when the container has none, as in Ogg) and its
// chapters in microseconds, for the media layer to map.
void readTagsAndChapters(const AVFormatContext* ctx, MovieDescription& out) {
  const AVDictionary* tags = ctx->metadata;
  if (av_dict_count(tags) == 0) {
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
      if (ctx->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
        tags = ctx->streams[i]->metadata;
        break;
      }
    }
  }
  const AVDictionaryEntry* e = nullptr;
  while ((e = av_dict_get(tags, "", e, AV_DICT_IGNORE_SUFFIX)))
    out.containerTags.emplace_back(e->key ? e->key : "", e->value ? e->value : "");
  for (unsigned i = 0; i < ctx->nb_chapters; ++i) {
    const AVChapter* c = ctx->chapters[i];
    if (c->time_base.num <= 0 || c->time_base.den <= 0) continue;
    ChapterDescription chapter;
    chapter.start = av_rescale_q(c->start, c->time_base, AVRational{1, 1000000});
    chapter.end = av_rescale_q(c->end, c->time_base, AVRational{1, 1000000});
    if (const AVDictionaryEntry* t = av_dict_get(c->metadata, "title", nullptr, 0)) chapter.title = t->value;
    out.containerChapters.push_back(std::move(chapter));
  }
}

class Module final : public FFmpegModule {
 public:
  Module() { av_log_set_level(AV_LOG_QUIET); }

  ~Module() override {
    dropCached();
    dropProbed();
  }

  // The open test usually comes straight before the read of the same file: the context it opened
  // is kept for that read rather than opened twice.
  bool canOpen(const std::string& path) override {
    std::lock_guard<std::mutex> lock(mutex_);
    dropCached();
    AVFormatContext* ctx = openContainer(path, cachedDeadline_);
    if (!ctx) return false;
    cached_ = ctx;
    cachedPath_ = path;
    return true;
  }

  OSStatus readMovie(const std::string& path, MovieDescription& out) override {
    std::lock_guard<std::mutex> lock(mutex_);
    out = MovieDescription();
    out.family = ContainerFamily::FFmpeg;
    Deadline deadline;
    AVFormatContext* ctx = nullptr;
    if (cached_ && cachedPath_ == path) {
      ctx = cached_;
      cached_ = nullptr;
      cachedPath_.clear();
      deadline = cachedDeadline_;
      ctx->interrupt_callback.opaque = &deadline;
    } else {
      dropCached();
      ctx = openContainer(path, deadline);
    }
    if (!ctx) return couldNotResolveDataRef;
    if (avformat_find_stream_info(ctx, nullptr) < 0) {
      avformat_close_input(&ctx);
      return invalidMovie;
    }
    out.formatName = ctx->iformat->name;
    out.timeScale = AV_TIME_BASE;
    int64_t duration = ctx->duration;
    bool anyMovieStream = false;
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
      const AVStream* s = ctx->streams[i];
      const AVCodecParameters* par = s->codecpar;
      TrackDescription t;
      t.trackID = static_cast<uint32_t>(s->id > 0 ? s->id : static_cast<int>(i) + 1);
      t.streamIndex = static_cast<int>(i);
      switch (par->codec_type) {
        case AVMEDIA_TYPE_VIDEO:
          if (s->disposition & AV_DISPOSITION_ATTACHED_PIC) continue;  // cover art, not a track
          t.mediaType = QTMediaTypeVideo;
          break;
        case AVMEDIA_TYPE_AUDIO:
          t.mediaType = QTMediaTypeSound;
          break;
        case AVMEDIA_TYPE_SUBTITLE:
          t.mediaType = QTMediaTypeSubtitle;
          break;
        case AVMEDIA_TYPE_DATA:
          t.mediaType = QTMediaTypeMetadata;
          break;
        default:
          continue;
      }
      anyMovieStream = anyMovieStream || isMovieStream(s);
      t.mediaTimeScale = s->time_base.num == 1 && s->time_base.den > 0 ? static_cast<uint32_t>(s->time_base.den) : 0;
      if (s->duration != AV_NOPTS_VALUE && s->duration > 0) {
        t.mediaDuration = s->duration;
        t.duration = av_rescale_q(s->duration, s->time_base, AVRational{1, AV_TIME_BASE});
      }
      if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
        double sar = par->sample_aspect_ratio.num > 0 && par->sample_aspect_ratio.den > 0
                         ? av_q2d(par->sample_aspect_ratio)
                         : 1.0;
        t.width = par->width * sar;
        t.height = par->height;
      }
      const char* codec = avcodec_get_name(par->codec_id);
      t.codec = codec ? codec : "";
      out.tracks.push_back(t);
    }
    if (duration == AV_NOPTS_VALUE || duration < 0) {
      duration = 0;
      for (const auto& t : out.tracks) duration = std::max(duration, t.duration);
    }
    out.duration = duration;
    readTagsAndChapters(ctx, out);
    if (!anyMovieStream) {
      avformat_close_input(&ctx);
      return notAMovieErr;
    }
    // A movie's pictures are usually wanted next: keep the probed context for them.
    dropProbed();
    probed_ = ctx;
    probedPath_ = path;
    return noErr;
  }

  std::unique_ptr<FrameSource> openFrameSource(const std::string& path) override {
    std::lock_guard<std::mutex> lock(mutex_);
    AVFormatContext* probed = nullptr;
    if (probed_ && probedPath_ == path) std::swap(probed, probed_);
    dropProbed();
    return ffmpeg_internal::openFrameSource(path, probed);
  }

  void dropCached() {
    if (cached_) avformat_close_input(&cached_);
    cached_ = nullptr;
    cachedPath_.clear();
  }

  void dropProbed() {
    if (probed_) avformat_close_input(&probed_);
    probed_ = nullptr;
    probedPath_.clear();
  }

  std::vector<std::string> fileExtensions() override {
    // Demuxers that recognise files by content alone declare no extensions; name theirs here.
    std::set<std::string> exts = {"wav", "wave", "bwf", "w64", "rf64", "ts", "m2ts", "mts", "mpg", "mpeg", "vob",
                                  "wma", "wmv", "asf", "rm", "ra", "rmvb", "flv", "ogg", "oga", "ogv", "opus",
                                  "spx", "mka", "mkv", "webm", "avi", "caf", "mxf", "dv", "mp3", "aac", "ac3",
                                  "aif", "aiff", "aifc", "wv", "au", "snd", "amr", "awb", "dsf", "voc", "ivf"};
    std::set<std::string> allowed;
    {
      std::stringstream ss(kContainerWhitelist);
      std::string name;
      while (std::getline(ss, name, ',')) allowed.insert(name);
    }
    void* it = nullptr;
    while (const AVInputFormat* f = av_demuxer_iterate(&it)) {
      if (!f->extensions) continue;
      std::stringstream names(f->name);
      std::string n;
      bool ok = false;
      while (std::getline(names, n, ','))
        if (allowed.count(n)) ok = true;
      if (!ok) continue;
      std::stringstream es(f->extensions);
      std::string e;
      while (std::getline(es, e, ',')) {
        std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return std::tolower(c); });
        if (!e.empty()) exts.insert(e);
      }
    }
    return {exts.begin(), exts.end()};
  }

 private:
  std::mutex mutex_;
  AVFormatContext* cached_ = nullptr;
  std::string cachedPath_;
  Deadline cachedDeadline_;
  AVFormatContext* probed_ = nullptr;  // read by readMovie, streams probed
  std::string probedPath_;
};

}  // namespace
}  // namespace platform::media

extern "C" __attribute__((visibility("default"))) platform::media::FFmpegModule* mt_media_ffmpeg_module() {
  static platform::media::Module module;
  return &module;
}
