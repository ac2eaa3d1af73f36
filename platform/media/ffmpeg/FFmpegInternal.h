#pragma once
// Shared by the module's source files; never included outside the module.
extern "C" {
#include <libavformat/avformat.h>
}

#include <chrono>
#include <memory>
#include <string>

#include "ContainerWhitelist.h"
#include "FFmpegModule.h"

namespace platform::media::ffmpeg_internal {

constexpr double kOpenTimeLimitSeconds = 30;

// Interrupts blocking reads once `end` has passed; reset it before each long operation.
struct Deadline {
  std::chrono::steady_clock::time_point end;
  void restart(double seconds = kOpenTimeLimitSeconds) {
    end = std::chrono::steady_clock::now() +
          std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
  }
};

// Opens a file with the protocol and container whitelists in force; nullptr on failure. The
// deadline must outlive the context.
AVFormatContext* openContainer(const std::string& path, Deadline& deadline);

// Opens the file's main picture stream; `probed`, when not null, is the file already opened with
// its streams probed, and is taken over (closed on failure).
std::unique_ptr<FrameSource> openFrameSource(const std::string& path, AVFormatContext* probed = nullptr);

}  // namespace platform::media::ffmpeg_internal
