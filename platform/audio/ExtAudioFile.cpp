#include "ExtAudioFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include "platform/media/ffmpeg/ContainerWhitelist.h"

namespace platform {

namespace {
constexpr size_t kMaxAllocationBytes = size_t(256) << 20;
}  // namespace

struct ExtAudioFile::State {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  SwrContext* swr = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int stream = -1;

  bool clientSet = false;
  int clientChannels = 2;
  int clientRate = 0;
  // The converter is made for the first decoded frame and again when the input changes.
  AVChannelLayout swrInLayout{};
  int swrInFormat = -1;
  int swrInRate = 0;

  std::vector<float> pending;  // converted frames not yet handed out
  size_t pendingStart = 0;     // in frames
  size_t pendingFrames = 0;
  bool demuxEnded = false;
  bool decoderEnded = false;
  bool finished = false;

  ~State() {
    swr_free(&swr);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    if (format) avformat_close_input(&format);
    av_channel_layout_uninit(&swrInLayout);
  }

  bool makeConverter(const AVFrame* f);
  OSStatus convert(const AVFrame* f);
  OSStatus fill();
};

namespace {

uint32_t formatIdFor(AVCodecID id) {
  const AVCodecDescriptor* d = avcodec_descriptor_get(id);
  if (d && std::strncmp(d->name, "pcm_", 4) == 0) return kAudioFormatLinearPCM;
  switch (id) {
    case AV_CODEC_ID_MP3:
      return fourCharCode(".mp3");
    case AV_CODEC_ID_MP2:
      return fourCharCode(".mp2");
    case AV_CODEC_ID_AAC:
      return fourCharCode("aac ");
    case AV_CODEC_ID_ALAC:
      return fourCharCode("alac");
    case AV_CODEC_ID_FLAC:
      return fourCharCode("flac");
    case AV_CODEC_ID_OPUS:
      return fourCharCode("opus");
    case AV_CODEC_ID_AC3:
      return fourCharCode("ac-3");
    case AV_CODEC_ID_VORBIS:
      return fourCharCode("vorb");
    default:
      return 0;
  }
}

// Only regular files are read, as the media layer reads them: opening a FIFO or a device would
// block or never end. The test opens without blocking and looks at what was opened.
OSStatus checkRegularFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return fnfErr;
    if (errno == EACCES) return permErr;
    return kAudioFileUnsupportedFileTypeError;
  }
  struct stat st {};
  const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  ::close(fd);
  return regular ? noErr : kAudioFileUnsupportedFileTypeError;
}

}  // namespace

std::string statusChars(OSStatus status) {
  char bytes[4];
  std::memcpy(bytes, &status, 4);
  size_t n = 0;
  while (n < 4 && bytes[n] != 0) ++n;
  return std::string(bytes, n);
}

ExtAudioFile::ExtAudioFile(std::unique_ptr<State> state) : state_(std::move(state)) {}
ExtAudioFile::~ExtAudioFile() = default;

OSStatus ExtAudioFile::open(const std::string& path, std::unique_ptr<ExtAudioFile>& file) {
  file.reset();
  // Problems are reported through the status codes; FFmpeg's own messages stay quiet.
  static std::once_flag quiet;
  std::call_once(quiet, [] {
    av_log_set_level(AV_LOG_QUIET);
    // No single allocation of an audio reader is this large; a demuxer asking for one is indexing
    // what a damaged file claims (millions of samples in a few kilobytes), and fails instead.
    av_max_alloc(kMaxAllocationBytes);
  });
  if (OSStatus st = checkRegularFile(path); st != noErr) return st;
  auto s = std::make_unique<State>();
  // The path is a file name, never a URL or protocol ("concat:", "http:"), and only the media
  // containers the media layer accepts are opened: no playlists or lists naming other files.
  AVDictionary* opts = nullptr;
  av_dict_set(&opts, "protocol_whitelist", media::kProtocolWhitelist, 0);
  av_dict_set(&opts, "format_whitelist", media::kContainerWhitelist, 0);
  const std::string url = "file:" + path;
  int rc = avformat_open_input(&s->format, url.c_str(), nullptr, &opts);
  av_dict_free(&opts);
  if (rc < 0) {
    s->format = nullptr;
    if (rc == AVERROR(ENOENT) || rc == AVERROR(ENOTDIR)) return fnfErr;
    if (rc == AVERROR(EACCES)) return permErr;
    return kAudioFileUnsupportedFileTypeError;
  }
  if (avformat_find_stream_info(s->format, nullptr) < 0) return kAudioFileInvalidFileError;
  const AVCodec* decoder = nullptr;
  s->stream = av_find_best_stream(s->format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (s->stream < 0 || !decoder) return kAudioFileUnsupportedFileTypeError;
  AVStream* st = s->format->streams[s->stream];
  if (st->codecpar->sample_rate <= 0 || st->codecpar->ch_layout.nb_channels <= 0)
    return kAudioFileInvalidFileError;
  for (unsigned i = 0; i < s->format->nb_streams; ++i)
    if (static_cast<int>(i) != s->stream) s->format->streams[i]->discard = AVDISCARD_ALL;

  s->codec = avcodec_alloc_context3(decoder);
  if (!s->codec || avcodec_parameters_to_context(s->codec, st->codecpar) < 0) return kAudioFileUnspecifiedError;
  s->codec->pkt_timebase = st->time_base;
  if (avcodec_open2(s->codec, decoder, nullptr) < 0) return kAudioFileUnsupportedFileTypeError;
  s->packet = av_packet_alloc();
  s->frame = av_frame_alloc();
  if (!s->packet || !s->frame) return kAudioFileUnspecifiedError;
  s->clientRate = st->codecpar->sample_rate;
  file.reset(new ExtAudioFile(std::move(s)));
  return noErr;
}

OSStatus ExtAudioFile::getFileLengthFrames(int64_t& frames) const {
  const AVStream* st = state_->format->streams[state_->stream];
  int rate = st->codecpar->sample_rate;
  frames = 0;
  if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
    frames = av_rescale_q(st->duration, st->time_base, AVRational{1, rate});
  else if (state_->format->duration != AV_NOPTS_VALUE && state_->format->duration > 0)
    frames = av_rescale(state_->format->duration, rate, AV_TIME_BASE);
  if (frames < 0) frames = 0;
  return noErr;
}

OSStatus ExtAudioFile::getFileDataFormat(AudioStreamBasicDescription& f) const {
  const AVCodecParameters* par = state_->format->streams[state_->stream]->codecpar;
  f = AudioStreamBasicDescription{};
  f.mSampleRate = par->sample_rate;
  f.mChannelsPerFrame = static_cast<uint32_t>(par->ch_layout.nb_channels);
  f.mFormatID = formatIdFor(par->codec_id);
  if (f.mFormatID == kAudioFormatLinearPCM) {
    int bits = av_get_bits_per_sample(par->codec_id);
    const AVCodecDescriptor* d = avcodec_descriptor_get(par->codec_id);
    std::string name = d ? d->name : "";
    f.mFormatFlags = kAudioFormatFlagIsPacked;
    if (name.find("pcm_f") == 0)
      f.mFormatFlags |= kAudioFormatFlagIsFloat;
    else if (name.find("pcm_s") == 0)
      f.mFormatFlags |= kAudioFormatFlagIsSignedInteger;
    if (name.size() > 2 && name.compare(name.size() - 2, 2, "be") == 0) f.mFormatFlags |= kAudioFormatFlagIsBigEndian;
    if (name.find("planar") != std::string::npos) f.mFormatFlags |= kAudioFormatFlagIsNonInterleaved;
    f.mBitsPerChannel = static_cast<uint32_t>(std::max(bits, 0));
    f.mFramesPerPacket = 1;
    f.mBytesPerFrame = f.mBitsPerChannel / 8 * f.mChannelsPerFrame;
    f.mBytesPerPacket = f.mBytesPerFrame;
  } else {
    f.mFramesPerPacket = static_cast<uint32_t>(std::max(par->frame_size, 0));
    f.mBitsPerChannel = static_cast<uint32_t>(std::max(par->bits_per_raw_sample, 0));
  }
  return noErr;
}

OSStatus ExtAudioFile::setClientDataFormat(const AudioStreamBasicDescription& f) {
  bool ok = f.mFormatID == kAudioFormatLinearPCM && (f.mFormatFlags & kAudioFormatFlagIsFloat) &&
            !(f.mFormatFlags & (kAudioFormatFlagIsNonInterleaved | kAudioFormatFlagIsBigEndian)) &&
            f.mBitsPerChannel == 32 && (f.mChannelsPerFrame == 1 || f.mChannelsPerFrame == 2) &&
            f.mBytesPerFrame == 4 * f.mChannelsPerFrame && f.mFramesPerPacket == 1 &&
            f.mBytesPerPacket == f.mBytesPerFrame && f.mSampleRate >= 1 && f.mSampleRate <= 1e6;
  if (!ok) return kAudioConverterErr_FormatNotSupported;
  state_->clientChannels = static_cast<int>(f.mChannelsPerFrame);
  state_->clientRate = static_cast<int>(f.mSampleRate);
  state_->clientSet = true;
  swr_free(&state_->swr);  // remade for the new client format
  state_->swrInFormat = -1;
  return noErr;
}

bool ExtAudioFile::State::makeConverter(const AVFrame* f) {
  swr_free(&swr);
  AVChannelLayout in{};
  if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_check(&f->ch_layout) == 0)
    av_channel_layout_default(&in, f->ch_layout.nb_channels);
  else if (av_channel_layout_copy(&in, &f->ch_layout) < 0)
    return false;
  AVChannelLayout out{};
  av_channel_layout_default(&out, clientChannels);
  int rc = swr_alloc_set_opts2(&swr, &out, AV_SAMPLE_FMT_FLT, clientRate, &in, static_cast<AVSampleFormat>(f->format),
                               f->sample_rate, 0, nullptr);
  bool ok = rc >= 0 && swr;
  if (ok && in.nb_channels == 1 && clientChannels == 2) {
    // Mono goes to both channels at full level (the default matrix would lower it by 3 dB).
    const double matrix[2] = {1.0, 1.0};
    ok = swr_set_matrix(swr, matrix, 1) >= 0;
  }
  ok = ok && swr_init(swr) >= 0;
  av_channel_layout_uninit(&out);
  av_channel_layout_uninit(&in);
  av_channel_layout_uninit(&swrInLayout);
  if (av_channel_layout_copy(&swrInLayout, &f->ch_layout) < 0) ok = false;  // as the frames give it
  swrInFormat = f->format;
  swrInRate = f->sample_rate;
  if (!ok) swr_free(&swr);
  return ok;
}

OSStatus ExtAudioFile::State::convert(const AVFrame* f) {
  bool changed = f && (!swr || f->format != swrInFormat || f->sample_rate != swrInRate ||
                       av_channel_layout_compare(&f->ch_layout, &swrInLayout) != 0);
  if (changed && f->nb_samples > 0) {
    if (f->sample_rate <= 0 || f->ch_layout.nb_channels <= 0 || !makeConverter(f)) return kAudioFileInvalidFileError;
  }
  if (!swr) return noErr;
  int room = swr_get_out_samples(swr, f ? f->nb_samples : 0);
  if (room <= 0) return noErr;
  // Keep unread frames at the front, then append.
  if (pendingStart > 0) {
    std::memmove(pending.data(), pending.data() + pendingStart * clientChannels,
                 pendingFrames * clientChannels * sizeof(float));
    pendingStart = 0;
  }
  size_t need = (pendingFrames + static_cast<size_t>(room)) * clientChannels;
  if (pending.size() < need) pending.resize(need);
  uint8_t* out = reinterpret_cast<uint8_t*>(pending.data() + pendingFrames * clientChannels);
  int got = swr_convert(swr, &out, room, f ? const_cast<const uint8_t**>(f->extended_data) : nullptr,
                        f ? f->nb_samples : 0);
  if (got < 0) return kAudioFileInvalidFileError;
  pendingFrames += static_cast<size_t>(got);
  return noErr;
}

// Decodes until some frames are pending or everything has been delivered.
OSStatus ExtAudioFile::State::fill() {
  int errors = 0;
  while (pendingFrames == 0 && !finished) {
    if (decoderEnded) {
      finished = true;
      if (swr) return convert(nullptr);  // what the resampler still holds
      break;
    }
    int rc = avcodec_receive_frame(codec, frame);
    if (rc == 0) {
      errors = 0;
      OSStatus st = convert(frame);
      av_frame_unref(frame);
      if (st != noErr) return st;
      continue;
    }
    if (rc == AVERROR_EOF) {
      decoderEnded = true;
      continue;
    }
    if (rc != AVERROR(EAGAIN)) {
      // A damaged frame is skipped, as players do; a decoder that only fails gives up.
      if (++errors > 1000) return kAudioFileInvalidFileError;
      continue;
    }
    if (demuxEnded) {
      decoderEnded = true;  // flushed and still asking for input: nothing more will come
      continue;
    }
    rc = av_read_frame(format, packet);
    if (rc < 0) {
      demuxEnded = true;
      avcodec_send_packet(codec, nullptr);
      continue;
    }
    if (packet->stream_index == stream && avcodec_send_packet(codec, packet) < 0 && ++errors > 1000) {
      av_packet_unref(packet);
      return kAudioFileInvalidFileError;
    }
    av_packet_unref(packet);
  }
  return noErr;
}

OSStatus ExtAudioFile::read(uint32_t& ioFrames, float* buffer) {
  State& s = *state_;
  uint32_t wanted = ioFrames;
  ioFrames = 0;
  if (!s.clientSet) return kAudioFileNotOpenError;
  if (!buffer && wanted > 0) return kAudioFileUnspecifiedError;
  const size_t ch = static_cast<size_t>(s.clientChannels);
  uint32_t delivered = 0;
  while (delivered < wanted) {
    if (s.pendingFrames == 0) {
      OSStatus st = s.fill();
      if (st != noErr) {
        ioFrames = delivered;
        return st;
      }
      if (s.pendingFrames == 0) break;
    }
    size_t n = std::min<size_t>(s.pendingFrames, wanted - delivered);
    std::memcpy(buffer + delivered * ch, s.pending.data() + s.pendingStart * ch, n * ch * sizeof(float));
    s.pendingStart += n;
    s.pendingFrames -= n;
    delivered += static_cast<uint32_t>(n);
  }
  ioFrames = delivered;
  return noErr;
}

}  // namespace platform
