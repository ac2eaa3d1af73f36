#pragma once
// Frame-accurate picture decoding over any source of packets: seek to the keyframe before the
// wanted time, decode up to it, convert with swscale, then apply the stream's rotation. Shared by
// both modules; never included outside them.
extern "C" {
#include <libavcodec/avcodec.h>
}

#include <memory>

#include "FFmpegModule.h"

struct SwsContext;

namespace platform::media::ffmpeg_internal {

// The packets of one picture stream.
class PacketReader {
 public:
  virtual ~PacketReader() = default;
  enum class Seek {
    Before,            // the last keyframe at or before a timestamp
    StartByTimestamp,  // the first keyframe, found by timestamp
    StartByByte,       // the first keyframe, found by byte position (false where not possible)
  };
  virtual bool seek(Seek how, int64_t timestamp) = 0;
  // The next packet, in decode order; false at the end or on a read error.
  virtual bool read(AVPacket* packet) = 0;
  // Timestamps of packets and frames are in this base.
  virtual AVRational timeBase() const = 0;
  // The timestamp of the picture shown at `seconds` of movie time.
  virtual int64_t streamTime(double seconds) const = 0;
  // Pixel aspect the container gives for pictures that carry none; 0/1 when unknown.
  virtual AVRational containerPixelAspect() const = 0;
  // Called before each frame request; sources with blocking reads restart their time limit.
  virtual void beginRequest() {}
  // The timestamp of the picture shown at `timestamp` (the last one starting at or before it)
  // when the reader knows every picture's timestamp; AV_NOPTS_VALUE otherwise. Decoding then
  // stops feeding packets once that picture's packet is in.
  virtual int64_t shownTimestamp(int64_t /*timestamp*/) const { return AV_NOPTS_VALUE; }
};

class FrameDecoder final : public FrameSource {
 public:
  // Opens a decoder for the stream the reader delivers; nullptr when it can't be decoded.
  static std::unique_ptr<FrameDecoder> open(std::unique_ptr<PacketReader> reader, const AVCodecParameters& parameters,
                                            int quarterTurns);
  ~FrameDecoder() override;

  int displayWidth() const override { return displayWidth_; }
  int displayHeight() const override { return displayHeight_; }
  bool frameAtTime(double seconds, RGBAFrame& out, int fitWidth, int fitHeight) override;

 private:
  struct CodecCloser {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
  };
  struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
  };
  struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
  };
  using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

  FrameDecoder() = default;
  FramePtr decodeUpTo(int64_t target, int64_t shown, bool acceptLate, bool& landedLate);
  void computeDisplaySize(int w, int h, AVRational sar);
  bool convert(const AVFrame& frame, RGBAFrame& out, int fitWidth, int fitHeight);

  std::unique_ptr<PacketReader> reader_;
  std::unique_ptr<AVCodecContext, CodecCloser> codec_;
  std::unique_ptr<AVPacket, PacketFree> packet_;
  SwsContext* sws_ = nullptr;
  int turns_ = 0;
  int pictureWidth_ = 0, pictureHeight_ = 0;  // before rotation
  int displayWidth_ = 0, displayHeight_ = 0;  // as delivered
};

}  // namespace platform::media::ffmpeg_internal
