#pragma once
// Drives a spectrum analyser unit in-process: stream format, initialise, render slices of
// given samples through the frame's render call, read the spectrum property.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "spectrum_au/FftAnalyserAU.h"

namespace spectrumtest {

inline std::vector<float> tone(double bin, size_t frames, double amplitude = 0.5, double phase = 0.0) {
  std::vector<float> samples(frames);
  for (size_t n = 0; n < frames; ++n)
    samples[n] = float(amplitude * std::sin(2.0 * M_PI * bin * double(n) / 512.0 + phase));
  return samples;
}

template <class Unit>
class UnitHarness {
 public:
  UnitHarness() {
    record_.description = {kAudioUnitType_Effect, FourCC("test"), FourCC("Test"), 0, 0};
    unit_ = std::make_unique<Unit>(&record_);
    unit_->PostConstructor();
    record_.storage = static_cast<AUBase*>(unit_.get());
  }

  Unit& unit() { return *unit_; }

  OSStatus setFormat(double sampleRate, UInt32 channels) {
    const AudioStreamBasicDescription format = AUIOElement::CanonicalFormat(sampleRate, channels);
    for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output}) {
      const OSStatus result = unit_->DispatchSetProperty(kAudioUnitProperty_StreamFormat, scope, 0, &format, sizeof format);
      if (result != noErr) return result;
    }
    return noErr;
  }

  OSStatus initialize(double sampleRate, UInt32 channels, UInt32 maxFrames = 1156) {
    if (OSStatus result = setFormat(sampleRate, channels); result != noErr) return result;
    unit_->DispatchSetProperty(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &maxFrames,
                               sizeof maxFrames);
    AURenderCallbackStruct callback{&UnitHarness::provide, this};
    unit_->DispatchSetProperty(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback,
                               sizeof callback);
    return unit_->DoInitialize();
  }

  // Renders one slice whose channels hold the given samples; the output lands in output().
  OSStatus render(const std::vector<std::vector<float>>& channels, AudioUnitRenderActionFlags* flags = nullptr) {
    input_ = channels;
    const UInt32 frames = UInt32(channels.at(0).size());
    output_.assign(channels.size(), std::vector<float>(frames, -123.0f));
    listBytes_.assign(sizeof(AudioBufferList) + sizeof(AudioBuffer) * channels.size(), std::byte{0});
    auto* list = reinterpret_cast<AudioBufferList*>(listBytes_.data());
    list->mNumberBuffers = UInt32(channels.size());
    AudioBuffer* buffers = list->mBuffers;
    for (size_t c = 0; c < channels.size(); ++c)
      buffers[c] = AudioBuffer{1, UInt32(frames * sizeof(float)), output_[c].data()};
    AudioTimeStamp timeStamp{};
    AudioUnitRenderActionFlags localFlags = 0;
    return unit_->DoRender(flags ? flags : &localFlags, &timeStamp, 0, frames, list);
  }

  std::vector<float> spectrum() {
    CFArrayRef array = nullptr;
    UInt32 size = sizeof array;
    EXPECT_EQ(unit_->DispatchGetProperty(kProperty_Spectrum, kAudioUnitScope_Global, 0, &array, &size), noErr);
    EXPECT_EQ(size, sizeof(void*));
    std::vector<float> values;
    if (!array) return values;
    for (CFIndex i = 0; i < CFArrayGetCount(array); ++i) {
      auto number = static_cast<CFNumberRef>(CFArrayGetValueAtIndex(array, i));
      EXPECT_EQ(CFNumberGetType(number), kCFNumberFloatType);
      float value = -1;
      CFNumberGetValue(number, kCFNumberFloatType, &value);
      values.push_back(value);
    }
    EXPECT_EQ(CFGetRetainCount(array), 1);  // the reader holds the only reference
    CFRelease(array);
    return values;
  }

  const std::vector<std::vector<float>>& output() const { return output_; }

 private:
  static OSStatus provide(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                          AudioBufferList* ioData) {
    auto* self = static_cast<UnitHarness*>(refCon);
    AudioBuffer* buffers = ioData->mBuffers;
    for (UInt32 c = 0; c < ioData->mNumberBuffers; ++c)
      std::memcpy(buffers[c].mData, self->input_.at(c).data(), frames * sizeof(float));
    return noErr;
  }

  ComponentInstanceRecord record_{};
  std::unique_ptr<Unit> unit_;
  std::vector<std::vector<float>> input_, output_;
  std::vector<std::byte> listBytes_;
};

}  // namespace spectrumtest
