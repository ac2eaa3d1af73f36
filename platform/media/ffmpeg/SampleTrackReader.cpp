// The codec module: picture packets read straight from the sample tables the box reader laid out,
// decoded without libavformat.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "FrameDecoder.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace platform::media {
namespace ffmpeg_internal {
namespace {

constexpr uint32_t kMaxSampleBytes = 1u << 28;

AVCodecID codecFor(uint32_t format) {
  if (format == fourCharCode("avc1") || format == fourCharCode("avc3")) return AV_CODEC_ID_H264;
  if (format == fourCharCode("hvc1") || format == fourCharCode("hev1")) return AV_CODEC_ID_HEVC;
  if (format == fourCharCode("jpeg")) return AV_CODEC_ID_MJPEG;
  return AV_CODEC_ID_NONE;
}

class SampleTrackReader final : public PacketReader {
 public:
  explicit SampleTrackReader(const VideoSampleTrack& track) : track_(track) {
    presentTimes_.reserve(track_.samples.size());
    for (size_t i = 0; i < track_.samples.size(); ++i) {
      if (track_.samples[i].sync) syncSamples_.push_back(i);
      presentTimes_.push_back(track_.samples[i].presentTime);
    }
    std::sort(presentTimes_.begin(), presentTimes_.end());
  }
  ~SampleTrackReader() override {
    if (fd_ >= 0) ::close(fd_);
  }

  bool open() {
    if (syncSamples_.empty() || track_.mediaTimeScale == 0 ||
        track_.mediaTimeScale > uint32_t(std::numeric_limits<int>::max()))
      return false;
    fd_ = ::open(track_.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd_ < 0 || fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    fileSize_ = static_cast<uint64_t>(st.st_size);
    return true;
  }

  bool seek(Seek how, int64_t timestamp) override {
    if (how == Seek::StartByByte) return false;  // the timestamp start is already the first keyframe
    size_t start = syncSamples_.front();
    if (how == Seek::Before) {
      bool found = false;
      for (size_t i : syncSamples_) {
        if (track_.samples[i].presentTime <= timestamp) {
          start = i;
          found = true;
        }
      }
      if (!found) return false;
    }
    next_ = start;
    return true;
  }

  bool read(AVPacket* packet) override {
    while (next_ < track_.samples.size()) {
      const size_t index = next_++;
      const VideoSample& s = track_.samples[index];
      // Samples the file doesn't hold (a cut file) end the stream; empty ones are skipped.
      if (s.offset > fileSize_ || s.size > fileSize_ - s.offset || s.size > kMaxSampleBytes) return false;
      if (s.size == 0) continue;
      if (av_new_packet(packet, static_cast<int>(s.size)) < 0) return false;
      if (!readFully(s.offset, packet->data, s.size)) {
        av_packet_unref(packet);
        return false;
      }
      packet->dts = s.decodeTime;
      packet->pts = s.presentTime;
      const int64_t nextDecode = index + 1 < track_.samples.size() ? track_.samples[index + 1].decodeTime : s.decodeTime;
      packet->duration = std::max<int64_t>(nextDecode - s.decodeTime, 0);
      if (s.sync) packet->flags |= AV_PKT_FLAG_KEY;
      return true;
    }
    return false;
  }

  AVRational timeBase() const override { return {1, static_cast<int>(track_.mediaTimeScale)}; }

  int64_t streamTime(double seconds) const override {
    const double media = std::clamp((seconds - track_.leadSeconds) * track_.mediaTimeScale, -4.0e18, 4.0e18);
    const __int128 t = static_cast<__int128>(std::llround(media)) + track_.mediaStart;
    return static_cast<int64_t>(std::clamp<__int128>(t, INT64_MIN, INT64_MAX));
  }

  int64_t shownTimestamp(int64_t timestamp) const override {
    auto after = std::upper_bound(presentTimes_.begin(), presentTimes_.end(), timestamp);
    return after == presentTimes_.begin() ? AV_NOPTS_VALUE : *(after - 1);
  }

  AVRational containerPixelAspect() const override {
    if (track_.pixelAspectH == 0 || track_.pixelAspectV == 0) return {0, 1};
    AVRational r;
    av_reduce(&r.num, &r.den, track_.pixelAspectH, track_.pixelAspectV, std::numeric_limits<int>::max());
    return r;
  }

 private:
  bool readFully(uint64_t offset, uint8_t* out, size_t length) {
    while (length > 0) {
      ssize_t n = ::pread(fd_, out, length, static_cast<off_t>(offset));
      if (n <= 0) return false;
      out += n;
      offset += static_cast<uint64_t>(n);
      length -= static_cast<size_t>(n);
    }
    return true;
  }

  const VideoSampleTrack track_;
  std::vector<size_t> syncSamples_;
  std::vector<int64_t> presentTimes_;  // sorted
  int fd_ = -1;
  uint64_t fileSize_ = 0;
  size_t next_ = 0;
};

struct ParametersFree {
  void operator()(AVCodecParameters* p) const { avcodec_parameters_free(&p); }
};

class Module final : public CodecModule {
 public:
  Module() { av_log_set_level(AV_LOG_QUIET); }

  std::unique_ptr<FrameSource> openSampleTrack(const VideoSampleTrack& track) override {
    const AVCodecID codec = codecFor(track.format);
    if (codec == AV_CODEC_ID_NONE || track.config.size() > (1u << 20)) return nullptr;
    auto reader = std::make_unique<SampleTrackReader>(track);
    if (!reader->open()) return nullptr;
    std::unique_ptr<AVCodecParameters, ParametersFree> parameters(avcodec_parameters_alloc());
    if (!parameters) return nullptr;
    parameters->codec_type = AVMEDIA_TYPE_VIDEO;
    parameters->codec_id = codec;
    parameters->width = track.width;
    parameters->height = track.height;
    if (!track.config.empty()) {
      parameters->extradata = static_cast<uint8_t*>(av_mallocz(track.config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
      if (!parameters->extradata) return nullptr;
      std::copy(track.config.begin(), track.config.end(), parameters->extradata);
      parameters->extradata_size = static_cast<int>(track.config.size());
    }
    return FrameDecoder::open(std::move(reader), *parameters, track.quarterTurns);
  }
};

}  // namespace
}  // namespace ffmpeg_internal
}  // namespace platform::media

extern "C" __attribute__((visibility("default"))) platform::media::CodecModule* mt_media_codec_module() {
  static platform::media::ffmpeg_internal::Module module;
  return &module;
}
