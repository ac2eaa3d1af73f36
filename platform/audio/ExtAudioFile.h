#pragma once
// ExtAudioFile stand-in on FFmpeg: opens an audio file of any container the media layer accepts
// (regular files only; the first audio stream of a movie too; no playlists, lists of other files
// or protocols), reports its length in frames and its own stream description, and reads it in
// the client format, which must be interleaved 32-bit float linear PCM of one or two channels.
// Mono files are duplicated to both channels; files of more channels are mixed down by
// swresample's default matrix. Status codes are the platform's 32-bit OSStatus values.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/FourCharCode.h"
#include "platform/foundation/OSStatus.h"

namespace platform {

constexpr OSStatus fnfErr = -43;     // no such file
constexpr OSStatus permErr = -54;    // no read permission
constexpr OSStatus kAudioFileUnspecifiedError = OSStatus(fourCharCode("wht?"));
constexpr OSStatus kAudioFileUnsupportedFileTypeError = OSStatus(fourCharCode("typ?"));
constexpr OSStatus kAudioFileInvalidFileError = OSStatus(fourCharCode("dta?"));
constexpr OSStatus kAudioFileNotOpenError = -38;
constexpr OSStatus kAudioConverterErr_FormatNotSupported = OSStatus(fourCharCode("fmt?"));

constexpr uint32_t kAudioFormatLinearPCM = fourCharCode("lpcm");
constexpr uint32_t kAudioFormatFlagIsFloat = 1u << 0;
constexpr uint32_t kAudioFormatFlagIsBigEndian = 1u << 1;
constexpr uint32_t kAudioFormatFlagIsSignedInteger = 1u << 2;
constexpr uint32_t kAudioFormatFlagIsPacked = 1u << 3;
constexpr uint32_t kAudioFormatFlagIsNonInterleaved = 1u << 5;

struct AudioStreamBasicDescription {
  double mSampleRate = 0;
  uint32_t mFormatID = 0;
  uint32_t mFormatFlags = 0;
  uint32_t mBytesPerPacket = 0;
  uint32_t mFramesPerPacket = 0;
  uint32_t mBytesPerFrame = 0;
  uint32_t mChannelsPerFrame = 0;
  uint32_t mBitsPerChannel = 0;
  uint32_t mReserved = 0;
};

class ExtAudioFile {
 public:
  // AudioFileOpen + ExtAudioFileWrapAudioFileID for reading. `file` is null on failure.
  static OSStatus open(const std::string& path, std::unique_ptr<ExtAudioFile>& file);
  ~ExtAudioFile();  // ExtAudioFileDispose + AudioFileClose
  ExtAudioFile(const ExtAudioFile&) = delete;
  ExtAudioFile& operator=(const ExtAudioFile&) = delete;

  // kExtAudioFileProperty_FileLengthFrames: as the container reports it (decoding may deliver
  // slightly fewer or more frames for compressed formats).
  OSStatus getFileLengthFrames(int64_t& frames) const;
  // kExtAudioFileProperty_FileDataFormat.
  OSStatus getFileDataFormat(AudioStreamBasicDescription& format) const;
  // kExtAudioFileProperty_ClientDataFormat: interleaved packed 32-bit native float, 1 or 2
  // channels, any rate (resampled when it differs from the file's); else FormatNotSupported.
  OSStatus setClientDataFormat(const AudioStreamBasicDescription& format);

  // ExtAudioFileRead: up to ioFrames frames into `buffer` (room for ioFrames client frames);
  // ioFrames becomes the number delivered, 0 at the end of the file. Reading before the client
  // format is set is an error.
  OSStatus read(uint32_t& ioFrames, float* buffer);

 private:
  struct State;
  explicit ExtAudioFile(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// A status as "%4.4s" prints it: its four bytes in memory order, up to the first zero byte.
std::string statusChars(OSStatus status);

}  // namespace platform
