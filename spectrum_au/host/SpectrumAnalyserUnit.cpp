#include "spectrum_au/host/SpectrumAnalyserUnit.h"

#include <dlfcn.h>

#include <cstring>

#include "spectrum_au/frame/ComponentCalls.h"

namespace {

constexpr AudioUnitPropertyID kSpectrumProperty = 65536;
const char* const kEntryNames[] = {"OrrinthAUEntry", "XACfftAUEntry"};

std::string statusText(const char* what, OSStatus status) {
  return std::string(what) + " failed (status " + std::to_string(int(status)) + ")";
}

}  // namespace

struct SpectrumAnalyserUnit::State {
  void* module = nullptr;
  AudioUnit unit = nullptr;
  bool initialized = false;
  unsigned channels = 0;
  unsigned maxFrames = 0;
  const float* const* input = nullptr;  // the slice being rendered
  std::vector<std::vector<float>> output;  // made on the first render that brings no buffers
  std::vector<std::byte> listBytes;

  ~State() {
    if (unit) {
      if (initialized) AudioUnitUninitialize(unit);
      CloseComponent(unit);
    }
    if (module) dlclose(module);
  }

  static OSStatus provideInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32,
                               UInt32 frames, AudioBufferList* ioData) {
    auto* state = static_cast<State*>(refCon);
    for (UInt32 c = 0; c < ioData->mNumberBuffers && c < state->channels; ++c) {
      AudioBuffer& buffer = ioData->mBuffers[c];
      if (buffer.mData)
        std::memcpy(buffer.mData, state->input[c], frames * sizeof(float));
      else
        buffer.mData = const_cast<float*>(state->input[c]);
      buffer.mDataByteSize = UInt32(frames * sizeof(float));
    }
    return noErr;
  }
};

SpectrumAnalyserUnit::SpectrumAnalyserUnit(std::unique_ptr<State> state)
    : state_(std::move(state)), channels_(state_->channels) {}

SpectrumAnalyserUnit::~SpectrumAnalyserUnit() = default;

std::unique_ptr<SpectrumAnalyserUnit> SpectrumAnalyserUnit::open(const std::string& modulePath, double sampleRate,
                                                                 unsigned channels, unsigned maxFrames,
                                                                 std::string& error) {
  if (channels < 1 || maxFrames == 0 || !(sampleRate > 0)) {
    error = "the analyser takes at least one channel at a positive sample rate";
    return nullptr;
  }
  auto state = std::make_unique<State>();
  state->channels = channels;
  state->module = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!state->module) {
    const char* reason = dlerror();
    error = "cannot load '" + modulePath + "': " + (reason ? reason : "unknown error");
    return nullptr;
  }
  ComponentRoutine entry = nullptr;
  for (const char* name : kEntryNames)
    if (void* symbol = dlsym(state->module, name)) {
      entry = reinterpret_cast<ComponentRoutine>(symbol);
      break;
    }
  if (!entry) {
    error = "'" + modulePath + "' has no OrrinthAUEntry or XACfftAUEntry";
    return nullptr;
  }
  if (const OSStatus status = OpenComponentWithEntry(entry, &state->unit); status != noErr) {
    error = statusText("opening the analyser", status);
    return nullptr;
  }

  AudioStreamBasicDescription format{};
  format.mSampleRate = sampleRate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved;
  format.mBytesPerPacket = format.mBytesPerFrame = sizeof(float);
  format.mFramesPerPacket = 1;
  format.mChannelsPerFrame = channels;
  format.mBitsPerChannel = 32;
  for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output})
    if (const OSStatus status =
            AudioUnitSetProperty(state->unit, kAudioUnitProperty_StreamFormat, scope, 0, &format, sizeof format);
        status != noErr) {
      error = statusText("setting the analyser's stream format", status);
      return nullptr;
    }
  const UInt32 frames = maxFrames;
  if (const OSStatus status = AudioUnitSetProperty(state->unit, kAudioUnitProperty_MaximumFramesPerSlice,
                                                   kAudioUnitScope_Global, 0, &frames, sizeof frames);
      status != noErr) {
    error = statusText("setting the analyser's slice size", status);
    return nullptr;
  }
  AURenderCallbackStruct callback{&State::provideInput, state.get()};
  if (const OSStatus status = AudioUnitSetProperty(state->unit, kAudioUnitProperty_SetRenderCallback,
                                                   kAudioUnitScope_Input, 0, &callback, sizeof callback);
      status != noErr) {
    error = statusText("setting the analyser's input", status);
    return nullptr;
  }
  if (const OSStatus status = AudioUnitInitialize(state->unit); status != noErr) {
    error = statusText("initialising the analyser", status);
    return nullptr;
  }
  state->initialized = true;
  state->maxFrames = maxFrames;
  state->listBytes.resize(sizeof(AudioBufferList) + sizeof(AudioBuffer) * (channels - 1));
  return std::unique_ptr<SpectrumAnalyserUnit>(new SpectrumAnalyserUnit(std::move(state)));
}

bool SpectrumAnalyserUnit::render(const float* const* input, unsigned frames, std::string& error,
                                  float* const* output, double sampleTime) {
  State& s = *state_;
  if (frames == 0 || frames > s.maxFrames) {
    error = "a slice of " + std::to_string(frames) + " frames does not fit the analyser";
    return false;
  }
  if (!output && s.output.empty()) s.output.assign(s.channels, std::vector<float>(s.maxFrames));
  s.input = input;
  auto* list = reinterpret_cast<AudioBufferList*>(s.listBytes.data());
  list->mNumberBuffers = s.channels;
  AudioBuffer* buffers = list->mBuffers;
  for (unsigned c = 0; c < s.channels; ++c)
    buffers[c] = AudioBuffer{1, UInt32(frames * sizeof(float)), output ? output[c] : s.output[c].data()};
  AudioTimeStamp timeStamp{};
  timeStamp.mSampleTime = sampleTime;
  timeStamp.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  const OSStatus status = AudioUnitRender(s.unit, &flags, &timeStamp, 0, frames, list);
  s.input = nullptr;
  if (status != noErr) {
    error = statusText("rendering through the analyser", status);
    return false;
  }
  return true;
}

bool SpectrumAnalyserUnit::readSpectrum(Spectrum& out, std::string& error) {
  CFArrayRef spectrum = nullptr;
  UInt32 size = sizeof spectrum;
  const OSStatus status =
      AudioUnitGetProperty(state_->unit, kSpectrumProperty, kAudioUnitScope_Global, 0, &spectrum, &size);
  if (status != noErr) {
    error = statusText("reading the spectrum", status);
    return false;
  }
  if (!spectrum || size != sizeof spectrum) {
    if (spectrum) CFRelease(spectrum);
    error = "the analyser returned no spectrum";
    return false;
  }
  out.fill(0);
  const CFIndex count = CFArrayGetCount(spectrum);
  for (CFIndex i = 0; i < count && i < kBands; ++i) {
    float value = 0;
    if (auto number = static_cast<CFNumberRef>(CFArrayGetValueAtIndex(spectrum, i)))
      CFNumberGetValue(number, kCFNumberFloatType, &value);
    out[size_t(i)] = value;
  }
  CFRelease(spectrum);
  return true;
}
