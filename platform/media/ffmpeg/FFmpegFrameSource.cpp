// Frame-accurate picture decoding: seek to the keyframe before the wanted time, decode up to it,
// convert with swscale, then apply the stream's rotation.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "FFmpegInternal.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/display.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace platform::media::ffmpeg_internal {
namespace {

struct FormatCloser {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecCloser {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

// Clockwise quarter turns a player applies to show the stream upright.
int quarterTurns(const AVStream* st) {
  const uint8_t* matrix = av_stream_get_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
  if (!matrix) return 0;
  double ccw = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
  if (std::isnan(ccw)) return 0;
  long turns = std::lround(-ccw / 90.0);
  return static_cast<int>(((turns % 4) + 4) % 4);
}

// Rotates a tightly packed RGBA picture clockwise by quarter turns.
void rotate(RGBAFrame& f, int turns) {
  if (turns == 0) return;
  const int w = f.width, h = f.height;
  std::vector<uint8_t> out(f.pixels.size());
  auto src = reinterpret_cast<const uint32_t*>(f.pixels.data());
  auto dst = reinterpret_cast<uint32_t*>(out.data());
  if (turns == 2) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) dst[size_t(h - 1 - y) * w + (w - 1 - x)] = src[size_t(y) * w + x];
  } else {
    // New picture is h wide and w high.
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        int nx = turns == 1 ? h - 1 - y : y;
        int ny = turns == 1 ? x : w - 1 - x;
        dst[size_t(ny) * h + nx] = src[size_t(y) * w + x];
      }
    f.width = h;
    f.height = w;
  }
  f.pixels.swap(out);
}

class Source final : public FrameSource {
 public:
  bool open(const std::string& path) {
    AVFormatContext* raw = openContainer(path, deadline_);
    if (!raw) return false;
    fmt_.reset(raw);
    // The QuickTime family carries full codec parameters in its headers, and its presentation
    // starts at time 0 with edit lists applied by the demuxer. Other containers need probing and
    // may start later (transport streams).
    const bool movFamily = std::strstr(fmt_->iformat->name, "mov") != nullptr;
    bool needProbe = !movFamily;
    for (unsigned i = 0; i < fmt_->nb_streams && !needProbe; ++i) {
      const AVCodecParameters* p = fmt_->streams[i]->codecpar;
      if (p->codec_type == AVMEDIA_TYPE_VIDEO && (p->width <= 0 || p->height <= 0)) needProbe = true;
    }
    if (needProbe && avformat_find_stream_info(fmt_.get(), nullptr) < 0) return false;
    if (!movFamily && fmt_->start_time != AV_NOPTS_VALUE) originMicros_ = fmt_->start_time;

    // The largest picture stream that isn't cover art.
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

    const AVCodec* codec = avcodec_find_decoder(stream_->codecpar->codec_id);
    codec_.reset(avcodec_alloc_context3(codec));
    if (!codec_ || avcodec_parameters_to_context(codec_.get(), stream_->codecpar) < 0) return false;
    codec_->pkt_timebase = stream_->time_base;
    codec_->thread_count = 0;
    codec_->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(codec_.get(), codec, nullptr) < 0) return false;
    packet_.reset(av_packet_alloc());
    if (!packet_) return false;

    turns_ = quarterTurns(stream_);
    computeDisplaySize(stream_->codecpar->width, stream_->codecpar->height,
                       av_guess_sample_aspect_ratio(fmt_.get(), stream_, nullptr));
    return displayWidth_ > 0 && displayHeight_ > 0;
  }

  ~Source() override {
    if (sws_) sws_freeContext(sws_);
  }

  int displayWidth() const override { return displayWidth_; }
  int displayHeight() const override { return displayHeight_; }

  bool frameAtTime(double seconds, RGBAFrame& out, int fitWidth, int fitHeight) override {
    if (!std::isfinite(seconds)) return false;
    seconds = std::clamp(seconds, -1e9, 1e9);  // keeps the timestamp arithmetic in range
    deadline_.restart();
    const AVRational tb = stream_->time_base;
    const int64_t target =
        av_rescale_q(originMicros_, AV_TIME_BASE_Q, tb) + static_cast<int64_t>(std::llround(seconds * tb.den / tb.num));
    // Seek to the keyframe before the target; when the seek lands after it (some demuxers seek
    // by decode time), step further back.
    const int64_t second = av_rescale_q(AV_TIME_BASE, AV_TIME_BASE_Q, tb);
    // Attempts, from nearest to safest; the last two start from the beginning (by timestamp, and
    // by byte where the container allows it, since a timestamp search may land past the first
    // keyframe).
    constexpr int64_t kStartByTimestamp = -1, kStartByByte = -2;
    for (int64_t back : {int64_t(0), second, 8 * second, kStartByTimestamp, kStartByByte}) {
      const bool fromStart = back < 0;
      int rc;
      if (back == kStartByTimestamp) {
        const int64_t first = stream_->start_time != AV_NOPTS_VALUE ? stream_->start_time : 0;
        rc = av_seek_frame(fmt_.get(), stream_->index, first, AVSEEK_FLAG_BACKWARD);
      } else if (back == kStartByByte) {
        if (fmt_->iformat->flags & AVFMT_NO_BYTE_SEEK) break;
        rc = av_seek_frame(fmt_.get(), stream_->index, 0, AVSEEK_FLAG_BYTE);
      } else {
        rc = av_seek_frame(fmt_.get(), stream_->index, target - back, AVSEEK_FLAG_BACKWARD);
      }
      if (rc < 0) continue;
      avcodec_flush_buffers(codec_.get());
      bool landedLate = false;
      FramePtr frame = decodeUpTo(target, fromStart, landedLate);
      // Nothing decodable after the seek (it landed between keyframes, or late): go further back.
      if ((landedLate && !fromStart) || !frame) continue;
      return convert(*frame, out, fitWidth, fitHeight);
    }
    return false;
  }

 private:
  // Decodes from the current position; returns the last frame starting at or before target.
  // When the first frame already starts after the target, sets landedLate and returns it.
  FramePtr decodeUpTo(int64_t target, bool acceptLate, bool& landedLate) {
    FramePtr best, current(av_frame_alloc());
    if (!current) return nullptr;
    bool draining = false;
    for (;;) {
      int rc = avcodec_receive_frame(codec_.get(), current.get());
      if (rc == 0) {
        // Pictures decoded without their references (after a seek between keyframes) are not shown.
        if (current->flags & AV_FRAME_FLAG_CORRUPT) {
          av_frame_unref(current.get());
          continue;
        }
        int64_t ts = current->best_effort_timestamp;
        if (ts == AV_NOPTS_VALUE) ts = current->pts;
        if (ts != AV_NOPTS_VALUE && ts > target) {
          if (best) return best;
          landedLate = true;
          return acceptLate ? std::move(current) : nullptr;
        }
        best = std::move(current);
        current.reset(av_frame_alloc());
        if (!current) return best;
        continue;
      }
      if (rc == AVERROR_EOF) return best;
      if (rc != AVERROR(EAGAIN)) return best;
      if (draining) return best;
      // Feed the decoder the next packet of our stream.
      for (;;) {
        rc = av_read_frame(fmt_.get(), packet_.get());
        if (rc < 0) {
          avcodec_send_packet(codec_.get(), nullptr);
          draining = true;
          break;
        }
        if (packet_->stream_index != stream_->index) {
          av_packet_unref(packet_.get());
          continue;
        }
        // A picture nothing refers to and that ends before the target can't be the one shown
        // there: leave it undecoded.
        const AVPacket& p = *packet_;
        const bool endsBefore = p.pts != AV_NOPTS_VALUE && p.duration > 0 && p.pts + p.duration <= target;
        codec_->skip_frame = endsBefore ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
        rc = avcodec_send_packet(codec_.get(), packet_.get());
        av_packet_unref(packet_.get());
        break;  // errors in one packet are skipped; the decoder resynchronises
      }
    }
  }

  void computeDisplaySize(int w, int h, AVRational sar) {
    double ratio = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
    if (ratio < 0.1 || ratio > 10) ratio = 1.0;
    pictureWidth_ = std::max(1, static_cast<int>(std::lround(w * ratio)));
    pictureHeight_ = h;
    if (w <= 0 || h <= 0) pictureWidth_ = pictureHeight_ = 0;
    bool swap = turns_ % 2 == 1;
    displayWidth_ = swap ? pictureHeight_ : pictureWidth_;
    displayHeight_ = swap ? pictureWidth_ : pictureHeight_;
  }

  bool convert(const AVFrame& frame, RGBAFrame& out, int fitWidth, int fitHeight) {
    if (frame.width <= 0 || frame.height <= 0) return false;
    AVRational sar = frame.sample_aspect_ratio;
    if (sar.num <= 0 || sar.den <= 0) sar = av_guess_sample_aspect_ratio(fmt_.get(), stream_, nullptr);
    computeDisplaySize(frame.width, frame.height, sar);
    int dw = pictureWidth_, dh = pictureHeight_;
    bool shrinking = false;
    if (fitWidth > 0 && fitHeight > 0) {
      // The box holds the delivered (rotated) picture.
      const double scale = std::min(double(fitWidth) / displayWidth_, double(fitHeight) / displayHeight_);
      if (scale < 1.0) {
        dw = std::max(1, static_cast<int>(std::lround(dw * scale)));
        dh = std::max(1, static_cast<int>(std::lround(dh * scale)));
        shrinking = true;
      }
    }
    if (int64_t(dw) * dh > (int64_t(1) << 27)) return false;
    const auto srcFormat = static_cast<AVPixelFormat>(frame.format);
    sws_ = sws_getCachedContext(sws_, frame.width, frame.height, srcFormat, dw, dh, AV_PIX_FMT_RGBA,
                                shrinking ? SWS_AREA : dw == frame.width ? SWS_POINT : SWS_BICUBIC, nullptr, nullptr,
                                nullptr);
    if (!sws_) return false;
    // Untagged material is taken as players take it: BT.709 from HD sizes up, else BT.601.
    int space = frame.colorspace;
    if (space == AVCOL_SPC_UNSPECIFIED || space == AVCOL_SPC_RGB) space = frame.height >= 720 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    const int fullRange = frame.color_range == AVCOL_RANGE_JPEG ? 1 : 0;
    int* invTable = nullptr;
    int* table = nullptr;
    int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
    if (sws_getColorspaceDetails(sws_, &invTable, &srcRange, &table, &dstRange, &brightness, &contrast, &saturation) >=
        0) {
      sws_setColorspaceDetails(sws_, sws_getCoefficients(space), fullRange, sws_getCoefficients(SWS_CS_DEFAULT), 1,
                               brightness, contrast, saturation);
    }
    out.width = dw;
    out.height = dh;
    out.pixels.assign(size_t(dw) * dh * 4, 0);
    uint8_t* dst[4] = {out.pixels.data(), nullptr, nullptr, nullptr};
    int dstStride[4] = {dw * 4, 0, 0, 0};
    if (sws_scale(sws_, frame.data, frame.linesize, 0, frame.height, dst, dstStride) != dh) return false;
    rotate(out, turns_);
    return true;
  }

  Deadline deadline_;
  std::unique_ptr<AVFormatContext, FormatCloser> fmt_;
  std::unique_ptr<AVCodecContext, CodecCloser> codec_;
  std::unique_ptr<AVPacket, PacketFree> packet_;
  AVStream* stream_ = nullptr;
  SwsContext* sws_ = nullptr;
  int64_t originMicros_ = 0;
  int turns_ = 0;
  int pictureWidth_ = 0, pictureHeight_ = 0;  // before rotation
  int displayWidth_ = 0, displayHeight_ = 0;  // as delivered
};

}  // namespace

std::unique_ptr<FrameSource> openFrameSource(const std::string& path) {
  auto source = std::make_unique<Source>();
  if (!source->open(path)) return nullptr;
  return source;
}

}  // namespace platform::media::ffmpeg_internal
