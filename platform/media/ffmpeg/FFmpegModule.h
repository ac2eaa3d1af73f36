#pragma once
// The FFmpeg backend lives in a module of its own, loaded on first need, so that programs that
// only read QuickTime-family files never pay for loading FFmpeg's libraries.
#include <string>

#include "platform/media/MovieDescription.h"
#include "platform/media/QTTime.h"

namespace platform::media {

class FFmpegModule {
 public:
  virtual ~FFmpegModule() = default;
  // True when FFmpeg recognises the file as one of the media containers we accept.
  virtual bool canOpen(const std::string& path) = 0;
  // Reads the container's streams; notAMovieErr when it has no audio or video stream.
  virtual OSStatus readMovie(const std::string& path, MovieDescription& out) = 0;
  // File extensions of the accepted containers, lower-case.
  virtual std::vector<std::string> fileExtensions() = 0;
};

// Loads the module (once); nullptr when it can't be found or loaded, after one log line.
FFmpegModule* ffmpegModule();

}  // namespace platform::media

// The module's one exported entry.
extern "C" platform::media::FFmpegModule* mt_media_ffmpeg_module();
