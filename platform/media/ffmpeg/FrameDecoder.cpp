// Frame-accurate picture decoding over a packet reader.
#include "FrameDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace platform::media::ffmpeg_internal {
namespace {

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

}  // namespace

std::unique_ptr<FrameDecoder> FrameDecoder::open(std::unique_ptr<PacketReader> reader,
                                                 const AVCodecParameters& parameters, int quarterTurns) {
  const AVCodec* codec = avcodec_find_decoder(parameters.codec_id);
  if (!codec || !reader) return nullptr;
  std::unique_ptr<FrameDecoder> d(new FrameDecoder());
  d->codec_.reset(avcodec_alloc_context3(codec));
  if (!d->codec_ || avcodec_parameters_to_context(d->codec_.get(), &parameters) < 0) return nullptr;
  d->codec_->pkt_timebase = reader->timeBase();
  d->codec_->thread_count = 0;
  d->codec_->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  if (avcodec_open2(d->codec_.get(), codec, nullptr) < 0) return nullptr;
  d->packet_.reset(av_packet_alloc());
  if (!d->packet_) return nullptr;
  d->turns_ = quarterTurns;
  d->reader_ = std::move(reader);
  AVRational sar = d->reader_->containerPixelAspect();
  if (sar.num <= 0 || sar.den <= 0) sar = parameters.sample_aspect_ratio;
  d->computeDisplaySize(parameters.width, parameters.height, sar);
  if (d->displayWidth_ <= 0 || d->displayHeight_ <= 0) return nullptr;
  return d;
}

FrameDecoder::~FrameDecoder() {
  if (sws_) sws_freeContext(sws_);
}

bool FrameDecoder::frameAtTime(double seconds, RGBAFrame& out, int fitWidth, int fitHeight) {
  if (!std::isfinite(seconds)) return false;
  seconds = std::clamp(seconds, -1e9, 1e9);  // keeps the timestamp arithmetic in range
  reader_->beginRequest();
  const AVRational tb = reader_->timeBase();
  const int64_t target = reader_->streamTime(seconds);
  const int64_t shown = reader_->shownTimestamp(target);
  // Seek to the keyframe before the target; when the seek lands after it (some demuxers seek
  // by decode time), step further back. The last two attempts start from the beginning (by
  // timestamp, and by byte where the container allows it, since a timestamp search may land
  // past the first keyframe).
  const int64_t second = av_rescale_q(AV_TIME_BASE, AV_TIME_BASE_Q, tb);
  using Seek = PacketReader::Seek;
  const std::pair<Seek, int64_t> attempts[] = {{Seek::Before, target},
                                               {Seek::Before, target - second},
                                               {Seek::Before, target - 8 * second},
                                               {Seek::StartByTimestamp, 0},
                                               {Seek::StartByByte, 0}};
  for (const auto& [how, timestamp] : attempts) {
    const bool fromStart = how != Seek::Before;
    if (!reader_->seek(how, timestamp)) {
      if (how == Seek::StartByByte) break;
      continue;
    }
    avcodec_flush_buffers(codec_.get());
    bool landedLate = false;
    FramePtr frame = decodeUpTo(target, shown, fromStart, landedLate);
    // Nothing decodable after the seek (it landed between keyframes, or late): go further back.
    if ((landedLate && !fromStart) || !frame) continue;
    return convert(*frame, out, fitWidth, fitHeight);
  }
  return false;
}

// Decodes from the current position; returns the last frame starting at or before target.
// When the first frame already starts after the target, sets landedLate and returns it. Once
// the packet of the picture shown at the target (when known) is in, the decoder is drained
// rather than fed the packets its reordering and threads would otherwise wait for.
FrameDecoder::FramePtr FrameDecoder::decodeUpTo(int64_t target, int64_t shown, bool acceptLate, bool& landedLate) {
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
    // Feed the decoder the next packet.
    if (!reader_->read(packet_.get())) {
      avcodec_send_packet(codec_.get(), nullptr);
      draining = true;
      continue;
    }
    // A picture nothing refers to and that ends before the target can't be the one shown there:
    // leave it undecoded.
    const AVPacket& p = *packet_;
    const bool endsBefore = p.pts != AV_NOPTS_VALUE && p.duration > 0 && p.pts + p.duration <= target;
    codec_->skip_frame = endsBefore ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
    avcodec_send_packet(codec_.get(), packet_.get());  // a bad packet is skipped; the decoder resynchronises
    const bool lastNeeded = shown != AV_NOPTS_VALUE && p.pts == shown;
    av_packet_unref(packet_.get());
    if (lastNeeded) {
      avcodec_send_packet(codec_.get(), nullptr);
      draining = true;
    }
  }
}

void FrameDecoder::computeDisplaySize(int w, int h, AVRational sar) {
  double ratio = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
  if (ratio < 0.1 || ratio > 10) ratio = 1.0;
  pictureWidth_ = std::max(1, static_cast<int>(std::lround(w * ratio)));
  pictureHeight_ = h;
  if (w <= 0 || h <= 0) pictureWidth_ = pictureHeight_ = 0;
  bool swap = turns_ % 2 == 1;
  displayWidth_ = swap ? pictureHeight_ : pictureWidth_;
  displayHeight_ = swap ? pictureWidth_ : pictureHeight_;
}

bool FrameDecoder::convert(const AVFrame& frame, RGBAFrame& out, int fitWidth, int fitHeight) {
  if (frame.width <= 0 || frame.height <= 0) return false;
  AVRational sar = frame.sample_aspect_ratio;
  if (sar.num <= 0 || sar.den <= 0) sar = reader_->containerPixelAspect();
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

}  // namespace platform::media::ffmpeg_internal
