// Picture packets through libavformat, for every container but the QuickTime family's simple
// layouts (those are read by the box reader and decoded by the codec module).
#include <cstring>

#include "FFmpegInternal.h"
#include "FrameDecoder.h"

extern "C" {
#include <libavutil/display.h>
}

namespace platform::media::ffmpeg_internal {
namespace {

struct FormatCloser {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};

// Clockwise quarter turns a player applies to show the stream upright.
int quarterTurns(const AVStream* st) {
  const uint8_t* matrix = av_stream_get_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
  if (!matrix) return 0;
  double ccw = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
  if (std::isnan(ccw)) return 0;
  long turns = std::lround(-ccw / 90.0);
  return static_cast<int>(((turns % 4) + 4) % 4);
}

class FormatReader final : public PacketReader {
 public:
  // Opens the file (or takes over one already probed) and picks its largest picture stream that
  // isn't cover art.
  bool open(const std::string& path, AVFormatContext* probed) {
    const bool alreadyProbed = probed != nullptr;
    if (probed) {
      probed->interrupt_callback.opaque = &deadline_;
      deadline_.restart();
    }
    AVFormatContext* raw = probed ? probed : openContainer(path, deadline_);
    if (!raw) return false;
    fmt_.reset(raw);
    // The QuickTime family carries full codec parameters in its headers, and its presentation
    // starts at time 0 with edit lists applied by the demuxer. Other containers need probing and
    // may start later (transport streams).
    const bool movFamily = std::strstr(fmt_->iformat->name, "mov") != nullptr;
    bool needProbe = !movFamily && !alreadyProbed;
    for (unsigned i = 0; i < fmt_->nb_streams && !needProbe; ++i) {
      const AVCodecParameters* p = fmt_->streams[i]->codecpar;
      if (p->codec_type == AVMEDIA_TYPE_VIDEO && (p->width <= 0 || p->height <= 0) && !alreadyProbed) needProbe = true;
    }
    if (needProbe && avformat_find_stream_info(fmt_.get(), nullptr) < 0) return false;
    if (!movFamily && fmt_->start_time != AV_NOPTS_VALUE) originMicros_ = fmt_->start_time;

    int64_t bestArea = 0;
    for (unsigned i = 0; i < fmt_->nb_streams; ++i) {
      AVStream* st = fmt_->streams[i];
      const AVCodecParameters* p = st->codecpar;
      if (p->codec_type != AVMEDIA_TYPE_VIDEO || (st->disposition & AV_DISPOSITION_ATTACHED_PIC)) continue;
      if (!avcodec_find_decoder(p->codec_id)) continue;
      int64_t area = int64_t(p->width) * p->height;
      if (!stream_ || area > bestArea) {
        stream_ = st;
        bestArea = area;
      }
    }
    if (!stream_) return false;
    for (unsigned i = 0; i < fmt_->nb_streams; ++i)
      fmt_->streams[i]->discard = fmt_->streams[i] == stream_ ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    return true;
  }

  const AVStream& stream() const { return *stream_; }

  bool seek(Seek how, int64_t timestamp) override {
    switch (how) {
      case Seek::Before:
        return av_seek_frame(fmt_.get(), stream_->index, timestamp, AVSEEK_FLAG_BACKWARD) >= 0;
      case Seek::StartByTimestamp: {
        const int64_t first = stream_->start_time != AV_NOPTS_VALUE ? stream_->start_time : 0;
        return av_seek_frame(fmt_.get(), stream_->index, first, AVSEEK_FLAG_BACKWARD) >= 0;
      }
      case Seek::StartByByte:
        if (fmt_->iformat->flags & AVFMT_NO_BYTE_SEEK) return false;
        return av_seek_frame(fmt_.get(), stream_->index, 0, AVSEEK_FLAG_BYTE) >= 0;
    }
    return false;
  }

  bool read(AVPacket* packet) override {
    while (av_read_frame(fmt_.get(), packet) >= 0) {
      if (packet->stream_index == stream_->index) return true;
      av_packet_unref(packet);
    }
    return false;
  }

  AVRational timeBase() const override { return stream_->time_base; }

  int64_t streamTime(double seconds) const override {
    const AVRational tb = stream_->time_base;
    return av_rescale_q(originMicros_, AV_TIME_BASE_Q, tb) + static_cast<int64_t>(std::llround(seconds * tb.den / tb.num));
  }

  AVRational containerPixelAspect() const override {
    return av_guess_sample_aspect_ratio(fmt_.get(), stream_, nullptr);
  }

  void beginRequest() override { deadline_.restart(); }

 private:
  Deadline deadline_;  // declared first: the context's interrupt callback reads it until the end
  std::unique_ptr<AVFormatContext, FormatCloser> fmt_;
  AVStream* stream_ = nullptr;
  int64_t originMicros_ = 0;
};

}  // namespace

std::unique_ptr<FrameSource> openFrameSource(const std::string& path, AVFormatContext* probed) {
  auto reader = std::make_unique<FormatReader>();
  if (!reader->open(path, probed)) return nullptr;
  const AVStream& stream = reader->stream();
  const int turns = quarterTurns(&stream);
  const AVCodecParameters& parameters = *stream.codecpar;
  return FrameDecoder::open(std::move(reader), parameters, turns);
}

}  // namespace platform::media::ffmpeg_internal
