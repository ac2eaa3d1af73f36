// auhost: loads an audio-unit plug-in, plays a WAV file through it slice by slice, prints the
// spectrum property after every K slices and checks that the audio came through unchanged.
//
//   auhost PLUGIN.so AUDIO.wav [--slice N] [--every K]
//
// A plug-in named without a folder that is not in the current folder is looked up where the
// suite installs its plug-ins (../lib/mediatools from this program).
//
// Exit status: 0 when the audio came through bit-exact, 1 when it did not or rendering failed,
// 2 for a usage error, 3 when the file or the plug-in cannot be used.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/InstallLayout.h"
#include "spectrum_au/frame/ComponentCalls.h"
#include "spectrum_au/host/WavReader.h"

namespace {

constexpr AudioUnitPropertyID kSpectrumProperty = 65536;
const char* const kEntryNames[] = {"OrrinthAUEntry", "XACfftAUEntry"};

struct Source {
  const WavAudio* audio = nullptr;
  size_t position = 0;
};

// Input callback: copies the next slice of the file into the unit's input buffers.
OSStatus provideInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                      AudioBufferList* ioData) {
  auto* source = static_cast<Source*>(refCon);
  AudioBuffer* buffers = ioData->mBuffers;
  for (UInt32 c = 0; c < ioData->mNumberBuffers; ++c) {
    const float* from = source->audio->samples[c].data() + source->position;
    if (buffers[c].mData)
      std::memcpy(buffers[c].mData, from, frames * sizeof(float));
    else
      buffers[c].mData = const_cast<float*>(from);
    buffers[c].mDataByteSize = UInt32(frames * sizeof(float));
  }
  return noErr;
}

bool parseCount(const char* text, unsigned long& value) {
  char* end = nullptr;
  const unsigned long parsed = std::strtoul(text, &end, 10);
  if (!*text || *end || text[0] == '-' || parsed == 0 || parsed > (1ul << 20)) return false;
  value = parsed;
  return true;
}

const char* const kUsage =
    "usage: %s PLUGIN.so AUDIO.wav [--slice N] [--every K]\n"
    "Plays a WAV file through a spectrum analyser plug-in slice by slice, prints its 16 band values\n"
    "(0 to 1, low to high) on one line after every K slices, and checks that the audio came through\n"
    "unchanged.\n"
    "  PLUGIN.so    the plug-in: a path, or the name of an installed one (OrrinthAU.so for auhost,\n"
    "               fftanalyser.so for auhost32)\n"
    "  AUDIO.wav    16/24/32-bit integer or 32-bit float PCM, one or more channels\n"
    "  --slice N    frames per render call (default 512)\n"
    "  --every K    read the spectrum after every K slices (default 1)\n"
    "  --help       this text; --version: the version\n"
    "Exit status: 0 the audio came through bit-exact, 1 it did not or rendering failed, 2 usage\n"
    "error, 3 the file or the plug-in cannot be used.\n";

const char* gProgramName = "auhost";

int usage() {
  std::fprintf(stderr, kUsage, gProgramName);
  return 2;
}

// A name without a folder: the current folder's file of that name, else the installed plug-in.
std::string pluginPathFor(const std::string& argument) {
  if (argument.find('/') != std::string::npos) return argument;
  if (FILE* here = std::fopen(argument.c_str(), "rb")) {
    std::fclose(here);
    return "./" + argument;
  }
  if (auto installed = platform::findModule(argument)) return *installed;
  return argument;
}

int fail(int status, const char* what, OSStatus error) {
  std::fprintf(stderr, "auhost: %s failed (status %d)\n", what, int(error));
  return status;
}

struct ModuleCloser {
  void operator()(void* handle) const { dlclose(handle); }
};

struct UnitCloser {
  void operator()(ComponentInstanceRecord* unit) const { CloseComponent(unit); }
};

// Reads the spectrum property and prints its values on one line.
OSStatus printSpectrum(AudioUnit unit) {
  CFArrayRef spectrum = nullptr;
  UInt32 size = sizeof spectrum;
  const OSStatus result = AudioUnitGetProperty(unit, kSpectrumProperty, kAudioUnitScope_Global, 0, &spectrum, &size);
  if (result != noErr) return result;
  if (!spectrum || size != sizeof spectrum) return kAudioUnitErr_InvalidPropertyValue;
  std::string line;
  for (CFIndex i = 0; i < CFArrayGetCount(spectrum); ++i) {
    float value = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(CFArrayGetValueAtIndex(spectrum, i)), kCFNumberFloatType, &value);
    char text[32];
    std::snprintf(text, sizeof text, i ? " %.6f" : "%.6f", double(value));
    line += text;
  }
  CFRelease(spectrum);
  std::printf("%s\n", line.c_str());
  return noErr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 0 && std::strstr(argv[0], "auhost32")) gProgramName = "auhost32";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::printf(kUsage, gProgramName);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("%s %s (mediatools %s)\n", gProgramName, platform::suiteVersion(), platform::suiteVersion());
      return 0;
    }
  }
  if (argc < 3) return usage();
  const std::string pluginPath = pluginPathFor(argv[1]);
  const std::string audioPath = argv[2];
  unsigned long slice = 512, every = 1;
  for (int i = 3; i < argc; ++i) {
    if (i + 1 >= argc) return usage();
    if (std::strcmp(argv[i], "--slice") == 0) {
      if (!parseCount(argv[++i], slice)) return usage();
    } else if (std::strcmp(argv[i], "--every") == 0) {
      if (!parseCount(argv[++i], every)) return usage();
    } else {
      return usage();
    }
  }

  WavAudio audio;
  std::string error;
  if (!readWav(audioPath, audio, error)) {
    std::fprintf(stderr, "auhost: %s\n", error.c_str());
    return 3;
  }

  std::unique_ptr<void, ModuleCloser> module(dlopen(pluginPath.c_str(), RTLD_NOW | RTLD_LOCAL));
  if (!module) {
    std::fprintf(stderr, "auhost: cannot load '%s': %s\n", pluginPath.c_str(), dlerror());
    return 3;
  }
  ComponentRoutine entry = nullptr;
  for (const char* name : kEntryNames) {
    if (void* symbol = dlsym(module.get(), name)) {
      entry = reinterpret_cast<ComponentRoutine>(symbol);
      break;
    }
  }
  if (!entry) {
    std::fprintf(stderr, "auhost: '%s' has no OrrinthAUEntry or XACfftAUEntry\n", pluginPath.c_str());
    return 3;
  }

  ComponentInstance instance = nullptr;
  if (const OSStatus result = OpenComponentWithEntry(entry, &instance); result != noErr)
    return fail(3, "opening the unit", result);
  std::unique_ptr<ComponentInstanceRecord, UnitCloser> unit(instance);

  AudioStreamBasicDescription format{};
  format.mSampleRate = audio.sampleRate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved;
  format.mBytesPerPacket = format.mBytesPerFrame = sizeof(float);
  format.mFramesPerPacket = 1;
  format.mChannelsPerFrame = audio.channels;
  format.mBitsPerChannel = 32;
  for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output})
    if (const OSStatus result = AudioUnitSetProperty(unit.get(), kAudioUnitProperty_StreamFormat, scope, 0, &format, sizeof format);
        result != noErr)
      return fail(3, "setting the stream format", result);
  const UInt32 maxFrames = UInt32(slice);
  if (const OSStatus result = AudioUnitSetProperty(unit.get(), kAudioUnitProperty_MaximumFramesPerSlice,
                                                   kAudioUnitScope_Global, 0, &maxFrames, sizeof maxFrames);
      result != noErr)
    return fail(3, "setting the slice size", result);
  Source source{&audio, 0};
  AURenderCallbackStruct callback{provideInput, &source};
  if (const OSStatus result = AudioUnitSetProperty(unit.get(), kAudioUnitProperty_SetRenderCallback,
                                                   kAudioUnitScope_Input, 0, &callback, sizeof callback);
      result != noErr)
    return fail(3, "setting the input callback", result);
  if (const OSStatus result = AudioUnitInitialize(unit.get()); result != noErr)
    return fail(3, "initialising the unit", result);

  // Output goes to buffers of our own, filled with a pattern no audio file holds.
  const size_t frames = audio.frameCount();
  std::vector<std::vector<float>> output(audio.channels, std::vector<float>(frames, std::numeric_limits<float>::quiet_NaN()));
  std::vector<std::byte> listBytes(sizeof(AudioBufferList) + sizeof(AudioBuffer) * (audio.channels - 1));
  auto* list = reinterpret_cast<AudioBufferList*>(listBytes.data());

  unsigned long slices = 0;
  for (size_t position = 0; position < frames; position += slice) {
    const UInt32 count = UInt32(frames - position < slice ? frames - position : slice);
    list->mNumberBuffers = audio.channels;
    AudioBuffer* buffers = list->mBuffers;
    for (UInt32 c = 0; c < audio.channels; ++c)
      buffers[c] = AudioBuffer{1, UInt32(count * sizeof(float)), output[c].data() + position};
    AudioTimeStamp timeStamp{};
    timeStamp.mSampleTime = double(position);
    timeStamp.mFlags = kAudioTimeStampSampleTimeValid;
    AudioUnitRenderActionFlags flags = 0;
    source.position = position;
    if (const OSStatus result = AudioUnitRender(unit.get(), &flags, &timeStamp, 0, count, list); result != noErr)
      return fail(1, "rendering", result);
    if (++slices % every == 0)
      if (const OSStatus result = printSpectrum(unit.get()); result != noErr) return fail(1, "reading the spectrum", result);
  }
  AudioUnitUninitialize(unit.get());
  unit.reset();
  module.reset();
  std::fflush(stdout);

  for (UInt32 c = 0; c < audio.channels; ++c) {
    if (std::memcmp(output[c].data(), audio.samples[c].data(), frames * sizeof(float)) != 0) {
      size_t f = 0;
      while (f < frames && std::memcmp(&output[c][f], &audio.samples[c][f], sizeof(float)) == 0) ++f;
      std::fprintf(stderr, "auhost: the audio did not come through unchanged (channel %u, frame %zu)\n", unsigned(c), f);
      return 1;
    }
  }
  return 0;
}
