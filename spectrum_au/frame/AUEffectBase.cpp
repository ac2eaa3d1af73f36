#include "spectrum_au/frame/AUEffectBase.h"

#include <cstring>

AUEffectBase::AUEffectBase(ComponentInstance inInstance, bool inProcessesInPlace)
    : AUBase(inInstance, 1, 1), mProcessesInPlace(inProcessesInPlace) {}

AUEffectBase::~AUEffectBase() { mKernelList.clear(); }

OSStatus AUEffectBase::Initialize() {
  // Without declared channel configurations, input and output must match and be non-zero.
  const UInt32 inChannels = Input(0)->NumberChannels();
  const UInt32 outChannels = Output(0)->NumberChannels();
  if (SupportedNumChannels(nullptr) == 0 && (inChannels != outChannels || outChannels == 0))
    return kAudioUnitErr_FormatNotSupported;
  MaintainKernels();
  return noErr;
}

void AUEffectBase::MaintainKernels() {
  const UInt32 channels = GetNumberOfChannels();
  while (mKernelList.size() > channels) mKernelList.pop_back();
  while (mKernelList.size() < channels) mKernelList.push_back(NewKernel());
  for (UInt32 i = 0; i < channels; ++i)
    if (mKernelList[i]) mKernelList[i]->SetChannelNum(i, i + 1 == channels);
}

void AUEffectBase::Cleanup() { mKernelList.clear(); }

OSStatus AUEffectBase::Reset(AudioUnitScope inScope, AudioUnitElement inElement) {
  for (auto& kernel : mKernelList)
    if (kernel) kernel->Reset();
  return AUBase::Reset(inScope, inElement);
}

OSStatus AUEffectBase::GetPropertyInfo(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                                       UInt32& outDataSize, Boolean& outWritable) {
  if (inScope == kAudioUnitScope_Global &&
      (inID == kAudioUnitProperty_BypassEffect || inID == kAudioUnitProperty_InPlaceProcessing)) {
    outDataSize = sizeof(UInt32);
    outWritable = true;
    return noErr;
  }
  return AUBase::GetPropertyInfo(inID, inScope, inElement, outDataSize, outWritable);
}

OSStatus AUEffectBase::GetProperty(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                                   void* outData) {
  if (inScope == kAudioUnitScope_Global &&
      (inID == kAudioUnitProperty_BypassEffect || inID == kAudioUnitProperty_InPlaceProcessing)) {
    const UInt32 value = inID == kAudioUnitProperty_BypassEffect ? ShouldBypassEffect() : mProcessesInPlace;
    std::memcpy(outData, &value, sizeof value);
    return noErr;
  }
  return AUBase::GetProperty(inID, inScope, inElement, outData);
}

OSStatus AUEffectBase::SetProperty(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                                   const void* inData, UInt32 inDataSize) {
  if (inScope == kAudioUnitScope_Global &&
      (inID == kAudioUnitProperty_BypassEffect || inID == kAudioUnitProperty_InPlaceProcessing)) {
    if (inDataSize < sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
    UInt32 value;
    std::memcpy(&value, inData, sizeof value);
    if (inID == kAudioUnitProperty_BypassEffect) {
      const bool bypass = value != 0;
      if (bypass != ShouldBypassEffect()) {
        // Coming out of bypass, the kernels start from a clean state.
        if (!bypass && IsInitialized()) Reset(kAudioUnitScope_Global, 0);
        SetBypassEffect(bypass);
        PropertyChanged(inID, inScope, inElement);
      }
    } else {
      mProcessesInPlace = value != 0;
      PropertyChanged(inID, inScope, inElement);
    }
    return noErr;
  }
  return AUBase::SetProperty(inID, inScope, inElement, inData, inDataSize);
}

bool AUEffectBase::StreamFormatWritable(AudioUnitScope, AudioUnitElement) { return !IsInitialized(); }

OSStatus AUEffectBase::Render(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                              UInt32 inNumberFrames) {
  AUInputElement* input = Input(0);
  AUIOElement* output = Output(0);
  if (!input->IsActive()) return kAudioUnitErr_NoConnection;
  const OSStatus result = input->PullInput(ioActionFlags, inTimeStamp, 0, inNumberFrames);
  if (result != noErr) return result;

  if (mProcessesInPlace)
    output->UseBufferList(&input->GetBufferList());
  else {
    output->UseBufferList(nullptr);
    output->Buffers().PrepareBuffer(inNumberFrames);
  }
  AudioBufferList& in = input->GetBufferList();
  AudioBufferList& out = output->GetBufferList();

  if (!ShouldBypassEffect()) {
    mSliceSilent = (ioActionFlags & kAudioUnitRenderAction_OutputIsSilence) != 0;
    ioActionFlags |= kAudioUnitRenderAction_OutputIsSilence;
    const OSStatus processed = ProcessForScheduledParams(inNumberFrames);
    if (processed != noErr) return processed;
    if (!mSliceSilent) ioActionFlags &= ~kAudioUnitRenderAction_OutputIsSilence;
  } else if (!mProcessesInPlace) {
    for (UInt32 i = 0; i < out.mNumberBuffers; ++i)
      std::memcpy(out.mBuffers[i].mData, in.mBuffers[i].mData, in.mBuffers[i].mDataByteSize);
  }
  if ((ioActionFlags & kAudioUnitRenderAction_OutputIsSilence) && !mProcessesInPlace)
    for (UInt32 i = 0; i < out.mNumberBuffers; ++i) std::memset(out.mBuffers[i].mData, 0, out.mBuffers[i].mDataByteSize);
  return noErr;
}

OSStatus AUEffectBase::ProcessScheduledSlice(void*, UInt32 inStartFrameInBuffer, UInt32 inSliceFramesToProcess,
                                             UInt32) {
  ProcessKernels(mSliceSilent, Input(0)->GetBufferList(), Output(0)->GetBufferList(), inStartFrameInBuffer,
                 inSliceFramesToProcess);
  return noErr;
}

OSStatus AUEffectBase::ProcessBufferLists(AudioUnitRenderActionFlags& ioActionFlags, const AudioBufferList& inBuffer,
                                          AudioBufferList& outBuffer, UInt32 inFramesToProcess) {
  bool silent = (ioActionFlags & kAudioUnitRenderAction_OutputIsSilence) != 0;
  ProcessKernels(silent, inBuffer, outBuffer, 0, inFramesToProcess);
  if (silent) ioActionFlags |= kAudioUnitRenderAction_OutputIsSilence;
  else ioActionFlags &= ~kAudioUnitRenderAction_OutputIsSilence;
  return noErr;
}

void AUEffectBase::ProcessKernels(bool& ioSilence, const AudioBufferList& inBuffer, AudioBufferList& outBuffer,
                                  UInt32 offset, UInt32 frames) {
  const bool inputSilent = ioSilence;
  bool outputSilent = true;
  const AudioBuffer* inBuffers = inBuffer.mBuffers;
  AudioBuffer* outBuffers = outBuffer.mBuffers;
  for (UInt32 channel = 0; channel < mKernelList.size(); ++channel) {
    AUKernelBase* kernel = mKernelList[channel].get();
    if (!kernel) continue;
    // Deinterleaved: one buffer per channel, stride 1. Interleaved: one buffer, stride = channels.
    const bool interleaved = inBuffer.mNumberBuffers == 1 && inBuffers[0].mNumberChannels > 1;
    const UInt32 buffer = interleaved ? 0 : channel;
    if (buffer >= inBuffer.mNumberBuffers || buffer >= outBuffer.mNumberBuffers) break;
    const UInt32 stride = interleaved ? inBuffers[0].mNumberChannels : 1;
    const UInt32 first = interleaved ? channel : 0;
    const auto* src = static_cast<const Float32*>(inBuffers[buffer].mData) + size_t(offset) * stride + first;
    auto* dst = static_cast<Float32*>(outBuffers[buffer].mData) + size_t(offset) * stride + first;
    bool silence = inputSilent;
    kernel->Process(src, dst, frames, stride, silence);
    if (!silence) outputSilent = false;
  }
  ioSilence = outputSilent;
}
