// Loads the FFmpeg modules beside the running program.
#include "FFmpegModule.h"
#include "platform/media/ModuleLoader.h"

namespace platform::media {

FFmpegModule* ffmpegModule() {
  static FFmpegModule* module = [] {
    using Entry = FFmpegModule* (*)();
    auto entry = reinterpret_cast<Entry>(loadMediaModule("mediatools-ffmpeg.so", "mt_media_ffmpeg_module", "FFmpeg"));
    return entry ? entry() : nullptr;
  }();
  return module;
}

CodecModule* codecModule() {
  static CodecModule* module = [] {
    using Entry = CodecModule* (*)();
    auto entry = reinterpret_cast<Entry>(loadMediaModule("mediatools-codec.so", "mt_media_codec_module", "FFmpeg"));
    return entry ? entry() : nullptr;
  }();
  return module;
}

}  // namespace platform::media
