// Decoding and analysis: ExtAudioFile hands interleaved float frames, which are cut into
// analyser slices (the last one padded with silence, so every transform sees a full slice).
#include <algorithm>
#include <memory>

#include "platform/audio/ExtAudioFile.h"
#include "sonogram/Sonogram.h"
#include "spectrum_au/host/SpectrumAnalyserUnit.h"

namespace {

// What went wrong, in words where the status is one a user can act on.
std::string statusText(const std::string& what, platform::OSStatus status) {
  switch (status) {
    case platform::fnfErr: return what + ": no such file";
    case platform::permErr: return what + ": no permission to read it";
    case platform::kAudioFileUnsupportedFileTypeError: return what + ": not a kind of audio file this program reads";
    case platform::kAudioFileInvalidFileError: return what + ": the file is damaged";
    default: break;
  }
  // Four-character codes read as their characters, most significant first ('typ?').
  std::string code;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = char((uint32_t(status) >> shift) & 0xff);
    if (c < 0x20 || c > 0x7e) return what + " (status " + std::to_string(int(status)) + ")";
    code += c;
  }
  return what + " (status '" + code + "')";
}

}  // namespace

std::optional<SonogramAnalysis> analyseAudioFile(const std::string& audioPath, const std::string& analyserPath,
                                                 std::string& error, const SonogramProgress& progress) {
  std::unique_ptr<platform::ExtAudioFile> file;
  if (const platform::OSStatus status = platform::ExtAudioFile::open(audioPath, file); status != 0 || !file) {
    error = statusText("cannot open '" + audioPath + "' as audio", status);
    return std::nullopt;
  }
  platform::AudioStreamBasicDescription fileFormat;
  int64_t reportedFrames = 0;
  if (const platform::OSStatus status = file->getFileDataFormat(fileFormat); status != 0) {
    error = statusText("cannot read the format of '" + audioPath + "'", status);
    return std::nullopt;
  }
  file->getFileLengthFrames(reportedFrames);
  if (!(fileFormat.mSampleRate > 0) || fileFormat.mChannelsPerFrame == 0) {
    error = "'" + audioPath + "' has no usable audio stream";
    return std::nullopt;
  }

  SonogramAnalysis analysis;
  analysis.sampleRate = fileFormat.mSampleRate;
  analysis.channels = fileFormat.mChannelsPerFrame >= 2 ? 2 : 1;
  const unsigned channels = analysis.channels;

  platform::AudioStreamBasicDescription client{};
  client.mSampleRate = fileFormat.mSampleRate;
  client.mFormatID = platform::kAudioFormatLinearPCM;
  client.mFormatFlags = platform::kAudioFormatFlagIsFloat | platform::kAudioFormatFlagIsPacked;
  client.mBytesPerPacket = client.mBytesPerFrame = uint32_t(sizeof(float) * channels);
  client.mFramesPerPacket = 1;
  client.mChannelsPerFrame = channels;
  client.mBitsPerChannel = 32;
  if (const platform::OSStatus status = file->setClientDataFormat(client); status != 0) {
    error = statusText("cannot decode '" + audioPath + "'", status);
    return std::nullopt;
  }

  auto unit = SpectrumAnalyserUnit::open(analyserPath, fileFormat.mSampleRate, channels, kSonogramSlice, error);
  if (!unit) return std::nullopt;

  const uint64_t expectedSlices = reportedFrames > 0 ? (uint64_t(reportedFrames) + kSonogramSlice - 1) / kSonogramSlice : 0;
  SpectrumTimeline timeline(expectedSlices, kSonogramColumns);

  // One slice, deinterleaved; the decoder's chunks are cut into slices as they come.
  std::vector<std::vector<float>> slice(channels, std::vector<float>(kSonogramSlice));
  const float* sliceChannels[2] = {slice[0].data(), slice[channels - 1].data()};
  unsigned filled = 0;
  uint64_t sliceIndex = 0;
  SpectrumTimeline::Spectrum spectrum{};
  auto playSlice = [&]() -> bool {
    if (!unit->render(sliceChannels, kSonogramSlice, error)) return false;
    if (timeline.wantsReadAfter(sliceIndex)) {
      if (!unit->readSpectrum(spectrum, error)) return false;
      timeline.record(sliceIndex, spectrum);
    }
    ++sliceIndex;
    if (progress && expectedSlices && sliceIndex % 256 == 0)
      progress(std::min(1.0, double(sliceIndex) / double(expectedSlices)));
    return true;
  };

  constexpr uint32_t kChunk = 8192;
  std::vector<float> chunk(size_t(kChunk) * channels);
  while (true) {
    uint32_t frames = kChunk;
    if (const platform::OSStatus status = file->read(frames, chunk.data()); status != 0) {
      error = statusText("decoding '" + audioPath + "' failed", status);
      return std::nullopt;
    }
    if (frames == 0) break;
    analysis.frames += frames;
    for (uint32_t f = 0; f < frames;) {
      const uint32_t n = std::min(frames - f, kSonogramSlice - filled);
      const float* from = chunk.data() + size_t(f) * channels;
      for (unsigned c = 0; c < channels; ++c) {
        float* to = slice[c].data() + filled;
        for (uint32_t i = 0; i < n; ++i) to[i] = from[size_t(i) * channels + c];
      }
      f += n;
      filled += n;
      if (filled == kSonogramSlice) {
        if (!playSlice()) return std::nullopt;
        filled = 0;
      }
    }
  }
  if (analysis.frames == 0) {
    error = "'" + audioPath + "' holds no audio";
    return std::nullopt;
  }
  if (filled > 0) {
    for (auto& channel : slice) std::fill(channel.begin() + filled, channel.end(), 0.0f);
    if (!playSlice()) return std::nullopt;
  }
  if (progress) progress(1.0);
  analysis.columns = timeline.columnSpectra(analysis.frames, kSonogramSlice, kSonogramColumns);
  return analysis;
}
