#pragma once
// The FFmpeg backend lives in modules of its own, loaded on first need, so that programs that
// only read QuickTime-family files never pay for loading FFmpeg's libraries.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/media/MovieDescription.h"
#include "platform/media/MediaErrors.h"
#include "platform/media/MediaTypes.h"
#include "platform/media/QTTime.h"
#include "platform/media/VideoSampleTrack.h"

namespace platform::media {

// A decoded picture: 8-bit RGBA, rows top-down, tightly packed (width * 4 bytes a row).
struct RGBAFrame {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
};

// Decodes pictures of a file's main video stream, frame-accurately, as a player shows them:
// non-square pixels widened to square ones and rotation metadata applied. Not thread-safe.
class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // Size of the pictures frameAtTime delivers.
  virtual int displayWidth() const = 0;
  virtual int displayHeight() const = 0;
  // The frame shown at `seconds` of movie time (0 = the start of the presentation, edit lists and
  // the container's start time applied): the last frame that starts at or before that time, or
  // the first frame when the time lies before it. False when nothing can be decoded.
  // With a box (fitWidth and fitHeight both positive), a picture larger than the box is
  // delivered shrunk to fit it, aspect ratio kept; smaller ones are delivered as they are.
  virtual bool frameAtTime(double seconds, RGBAFrame& out, int fitWidth = 0, int fitHeight = 0) = 0;
};

class FFmpegModule {
 public:
  virtual ~FFmpegModule() = default;
  // True when FFmpeg recognises the file as one of the media containers we accept.
  virtual bool canOpen(const std::string& path) = 0;
  // Reads the container's streams; notAMovieErr when it has no audio or video stream.
  virtual OSStatus readMovie(const std::string& path, MovieDescription& out) = 0;
  // File extensions of the accepted containers, lower-case.
  virtual std::vector<std::string> fileExtensions() = 0;
  // Opens the file's main video stream for decoding; nullptr when it has none or it can't be
  // decoded.
  virtual std::unique_ptr<FrameSource> openFrameSource(const std::string& path) = 0;
};

// The codec module: FFmpeg's decoders without its container library, whose many dependencies
// cost a program tens of milliseconds to load. Decodes tracks the box reader has laid out.
class CodecModule {
 public:
  virtual ~CodecModule() = default;
  // nullptr when the track's format can't be decoded.
  virtual std::unique_ptr<FrameSource> openSampleTrack(const VideoSampleTrack& track) = 0;
};

// Load a module (once each); nullptr when it can't be found or loaded, after one log line.
FFmpegModule* ffmpegModule();
CodecModule* codecModule();

}  // namespace platform::media

// The modules' exported entries.
extern "C" platform::media::FFmpegModule* mt_media_ffmpeg_module();
extern "C" platform::media::CodecModule* mt_media_codec_module();
