#pragma once
// An effect with one input and one output element whose audio is processed channel by channel
// by kernels, one per output channel, made through NewKernel.
#include <memory>
#include <vector>

#include "spectrum_au/frame/AUBase.h"

class AUEffectBase;

class AUKernelBase {
 public:
  explicit AUKernelBase(AUEffectBase* inAudioUnit) : mAudioUnit(inAudioUnit) {}
  AUKernelBase(const AUKernelBase&) = delete;
  AUKernelBase& operator=(const AUKernelBase&) = delete;
  virtual ~AUKernelBase() = default;
  virtual void Reset() {}
  // Processes one channel of one slice: inNumChannels is the stride between the channel's
  // samples. ioSilence comes in true when the input is silent and goes out true when the
  // output is.
  virtual void Process(const Float32* inSourceP, Float32* inDestP, UInt32 inFramesToProcess, UInt32 inNumChannels,
                       bool& ioSilence) = 0;

  AUEffectBase* GetAudioUnit() const { return mAudioUnit; }
  UInt32 GetChannelNum() const { return mChannelNum; }
  bool IsLastChannel() const { return mLastChannel; }
  void SetChannelNum(UInt32 channel, bool lastChannel) {
    mChannelNum = channel;
    mLastChannel = lastChannel;
  }

 protected:
  AUEffectBase* mAudioUnit;
  bool mLastChannel = false;
  UInt32 mChannelNum = 0;
};

class AUEffectBase : public AUBase {
 public:
  explicit AUEffectBase(ComponentInstance inInstance, bool inProcessesInPlace = true);
  ~AUEffectBase() override;

  OSStatus Initialize() override;
  void Cleanup() override;
  OSStatus Reset(AudioUnitScope inScope, AudioUnitElement inElement) override;
  OSStatus GetPropertyInfo(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                           UInt32& outDataSize, Boolean& outWritable) override;
  OSStatus GetProperty(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                       void* outData) override;
  OSStatus SetProperty(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                       const void* inData, UInt32 inDataSize) override;
  OSStatus Render(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                  UInt32 inNumberFrames) override;
  bool StreamFormatWritable(AudioUnitScope scope, AudioUnitElement element) override;
  OSStatus ProcessScheduledSlice(void* inUserData, UInt32 inStartFrameInBuffer, UInt32 inSliceFramesToProcess,
                                 UInt32 inTotalBufferFrames) override;

  // ---- Effect operations ----
  virtual std::unique_ptr<AUKernelBase> NewKernel() { return nullptr; }
  virtual OSStatus ProcessBufferLists(AudioUnitRenderActionFlags& ioActionFlags, const AudioBufferList& inBuffer,
                                      AudioBufferList& outBuffer, UInt32 inFramesToProcess);
  virtual bool ShouldBypassEffect() { return mBypassEffect; }
  virtual void SetBypassEffect(bool inFlag) { mBypassEffect = inFlag; }

  // ---- Services ----
  Float64 GetSampleRate() { return Output(0)->GetStreamFormat().mSampleRate; }
  UInt32 GetNumberOfChannels() { return Output(0)->NumberChannels(); }
  // Parameter of the global scope, element 0.
  void SetParameter(AudioUnitParameterID paramID, AudioUnitParameterValue value) {
    Globals()->SetParameter(paramID, value);
  }
  AudioUnitParameterValue GetParameter(AudioUnitParameterID paramID) { return Globals()->GetParameter(paramID); }
  using AUBase::GetParameter;
  using AUBase::SetParameter;
  bool ProcessesInPlace() const { return mProcessesInPlace; }
  void SetProcessesInPlace(bool inProcessesInPlace) { mProcessesInPlace = inProcessesInPlace; }
  size_t KernelCount() const { return mKernelList.size(); }
  AUKernelBase* GetKernel(size_t index) const { return index < mKernelList.size() ? mKernelList[index].get() : nullptr; }

 protected:
  // Makes the kernel list match the output channel count.
  void MaintainKernels();
  std::vector<std::unique_ptr<AUKernelBase>> mKernelList;

 private:
  // Runs the kernels over frames [offset, offset + frames) of the slice.
  void ProcessKernels(bool& ioSilence, const AudioBufferList& inBuffer, AudioBufferList& outBuffer, UInt32 offset,
                      UInt32 frames);

  bool mBypassEffect = false;
  bool mProcessesInPlace;
  bool mSliceSilent = false;  // during one render
};
