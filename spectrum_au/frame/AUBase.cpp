#include "spectrum_au/frame/AUBase.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "spectrum_au/frame/ComponentCalls.h"

// ---- Construction and elements ----

AUBase::AUBase(ComponentInstance inInstance, UInt32 numInputElements, UInt32 numOutputElements)
    : mComponentInstance(inInstance), mInitNumInputEls(numInputElements), mInitNumOutputEls(numOutputElements) {
  mParamEvents.reserve(kMaxScheduledParameterEvents);
}

AUBase::~AUBase() {
  if (mPresetName) CFRelease(mPresetName);
}

void AUBase::CreateElements() {
  if (mElementsCreated) return;
  mGlobalScope.Initialize(*this, kAudioUnitScope_Global, 1);
  mInputScope.Initialize(*this, kAudioUnitScope_Input, mInitNumInputEls);
  mOutputScope.Initialize(*this, kAudioUnitScope_Output, mInitNumOutputEls);
  mGroupScope.Initialize(*this, kAudioUnitScope_Group, 0);
  mPartScope.Initialize(*this, kAudioUnitScope_Part, 0);
  mElementsCreated = true;
}

std::unique_ptr<AUElement> AUBase::CreateElement(AudioUnitScope scope, AudioUnitElement) {
  switch (scope) {
    case kAudioUnitScope_Input:
      return std::make_unique<AUInputElement>(*this);
    case kAudioUnitScope_Output:
      return std::make_unique<AUIOElement>(*this);
    default:
      return std::make_unique<AUElement>(*this);
  }
}

AUScope& AUBase::GetScope(AudioUnitScope inScope) {
  switch (inScope) {
    case kAudioUnitScope_Global:
      return mGlobalScope;
    case kAudioUnitScope_Input:
      return mInputScope;
    case kAudioUnitScope_Output:
      return mOutputScope;
    case kAudioUnitScope_Group:
      return mGroupScope;
    case kAudioUnitScope_Part:
      return mPartScope;
  }
  throw OSStatus(kAudioUnitErr_InvalidScope);
}

AUElement* AUBase::GetElement(AudioUnitScope inScope, AudioUnitElement inElement) {
  if (inScope > kAudioUnitScope_Part) return nullptr;
  return GetScope(inScope).GetElement(inElement);
}

// ---- Life cycle ----

OSStatus AUBase::DoInitialize() {
  if (mInitialized) return noErr;
  const OSStatus result = Initialize();
  if (result != noErr) return result;
  ReallocateBuffers();
  mInitialized = true;
  return noErr;
}

void AUBase::DoCleanup() {
  if (!mInitialized) return;
  Cleanup();
  mInitialized = false;
}

OSStatus AUBase::Reset(AudioUnitScope, AudioUnitElement) {
  mParamEvents.clear();
  return noErr;
}

void AUBase::ReallocateBuffers() {
  for (AUScope* scope : {&mInputScope, &mOutputScope})
    for (UInt32 i = 0; i < scope->GetNumberOfElements(); ++i) scope->GetIOElement(i)->AllocateBuffer(mMaxFramesPerSlice);
}

void AUBase::SetMaxFramesPerSlice(UInt32 nFrames) {
  mMaxFramesPerSlice = nFrames;
  PropertyChanged(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0);
}

// ---- Stream formats ----

bool AUBase::StreamFormatWritable(AudioUnitScope, AudioUnitElement) { return !IsInitialized(); }

bool AUBase::ValidFormat(AudioUnitScope, AudioUnitElement, const AudioStreamBasicDescription& format) {
  const UInt32 required = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  return format.mFormatID == kAudioFormatLinearPCM && (format.mFormatFlags & required) == required &&
         !(format.mFormatFlags & kAudioFormatFlagIsBigEndian) && format.mBitsPerChannel == 32 &&
         format.mBytesPerFrame == 4 && format.mBytesPerPacket == 4 && format.mFramesPerPacket == 1 &&
         format.mChannelsPerFrame >= 1 && format.mChannelsPerFrame <= 64 && std::isfinite(format.mSampleRate) &&
         format.mSampleRate >= 1.0 && format.mSampleRate <= 1.0e6;
}

const AudioStreamBasicDescription& AUBase::GetStreamFormat(AudioUnitScope inScope, AudioUnitElement inElement) {
  AUIOElement* element = GetScope(inScope).GetIOElement(inElement);
  if (!element) throw OSStatus(kAudioUnitErr_InvalidElement);
  return element->GetStreamFormat();
}

OSStatus AUBase::ChangeStreamFormat(AudioUnitScope inScope, AudioUnitElement inElement,
                                    const AudioStreamBasicDescription&, const AudioStreamBasicDescription& inNewFormat) {
  AUIOElement* element = GetScope(inScope).GetIOElement(inElement);
  if (!element) return kAudioUnitErr_InvalidElement;
  element->SetStreamFormat(inNewFormat);
  PropertyChanged(kAudioUnitProperty_StreamFormat, inScope, inElement);
  return noErr;
}

// ---- Properties ----

namespace {

bool IsIOScope(AudioUnitScope scope) { return scope == kAudioUnitScope_Input || scope == kAudioUnitScope_Output; }

}  // namespace

OSStatus AUBase::GetPropertyInfo(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                                 UInt32& outDataSize, Boolean& outWritable) {
  outWritable = false;
  const auto globalOnly = [&]() -> OSStatus {
    return inScope == kAudioUnitScope_Global ? noErr : kAudioUnitErr_InvalidScope;
  };
  const auto ioElement = [&]() -> OSStatus {
    if (!IsIOScope(inScope)) return kAudioUnitErr_InvalidScope;
    return GetScope(inScope).GetElement(inElement) ? noErr : kAudioUnitErr_InvalidElement;
  };
  OSStatus result = noErr;
  switch (inID) {
    case kAudioUnitProperty_ClassInfo:
      outDataSize = sizeof(CFPropertyListRef);
      outWritable = true;
      return globalOnly();
    case kAudioUnitProperty_MakeConnection:
    case kAudioUnitProperty_SetRenderCallback:
      if (inScope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidScope;
      if (!mInputScope.GetElement(inElement)) return kAudioUnitErr_InvalidElement;
      outDataSize = inID == kAudioUnitProperty_MakeConnection ? sizeof(AudioUnitConnection) : sizeof(AURenderCallbackStruct);
      outWritable = true;
      return noErr;
    case kAudioUnitProperty_SampleRate:
      if ((result = ioElement()) != noErr) return result;
      outDataSize = sizeof(Float64);
      outWritable = true;
      return noErr;
    case kAudioUnitProperty_StreamFormat:
      if ((result = ioElement()) != noErr) return result;
      outDataSize = sizeof(AudioStreamBasicDescription);
      outWritable = StreamFormatWritable(inScope, inElement);
      return noErr;
    case kAudioUnitProperty_ParameterList: {
      UInt32 count = 0;
      if ((result = GetParameterList(inScope, nullptr, count)) != noErr) return result;
      outDataSize = count * sizeof(AudioUnitParameterID);
      return noErr;
    }
    case kAudioUnitProperty_ParameterInfo:
      GetScope(inScope);  // throws for a scope that does not exist
      outDataSize = sizeof(AudioUnitParameterInfo);
      return noErr;
    case kAudioUnitProperty_ParameterValueStrings:
      if ((result = GetParameterValueStrings(inScope, inElement, nullptr)) != noErr) return result;
      outDataSize = sizeof(CFArrayRef);
      return noErr;
    case kAudioUnitProperty_ElementCount:
      GetScope(inScope);
      outDataSize = sizeof(UInt32);
      outWritable = BusCountWritable(inScope);
      return noErr;
    case kAudioUnitProperty_Latency:
      outDataSize = sizeof(Float64);
      return globalOnly();
    case kAudioUnitProperty_TailTime:
      if (!SupportsTail()) return kAudioUnitErr_InvalidProperty;
      outDataSize = sizeof(Float64);
      return globalOnly();
    case kAudioUnitProperty_SupportedNumChannels:
      if (SupportedNumChannels(nullptr) == 0) return kAudioUnitErr_InvalidProperty;
      outDataSize = SupportedNumChannels(nullptr) * 2 * sizeof(SInt16);
      return globalOnly();
    case kAudioUnitProperty_MaximumFramesPerSlice:
      outDataSize = sizeof(UInt32);
      outWritable = true;
      return globalOnly();
    case kAudioUnitProperty_LastRenderError:
      outDataSize = sizeof(OSStatus);
      return globalOnly();
    default:
      return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus AUBase::GetProperty(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                             void* outData) {
  switch (inID) {
    case kAudioUnitProperty_ClassInfo:
      return SaveState(static_cast<CFPropertyListRef*>(outData));
    case kAudioUnitProperty_SampleRate: {
      const Float64 rate = GetStreamFormat(inScope, inElement).mSampleRate;
      std::memcpy(outData, &rate, sizeof rate);
      return noErr;
    }
    case kAudioUnitProperty_StreamFormat:
      std::memcpy(outData, &GetStreamFormat(inScope, inElement), sizeof(AudioStreamBasicDescription));
      return noErr;
    case kAudioUnitProperty_ParameterList: {
      UInt32 count = 0;
      return GetParameterList(inScope, static_cast<AudioUnitParameterID*>(outData), count);
    }
    case kAudioUnitProperty_ParameterInfo: {
      AudioUnitParameterInfo info{};
      const OSStatus result = GetParameterInfo(inScope, inElement, info);
      if (result == noErr) std::memcpy(outData, &info, sizeof info);
      return result;
    }
    case kAudioUnitProperty_ParameterValueStrings:
      return GetParameterValueStrings(inScope, inElement, static_cast<CFArrayRef*>(outData));
    case kAudioUnitProperty_ElementCount: {
      const UInt32 count = GetScope(inScope).GetNumberOfElements();
      std::memcpy(outData, &count, sizeof count);
      return noErr;
    }
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime: {
      const Float64 seconds = inID == kAudioUnitProperty_Latency ? GetLatency() : GetTailTime();
      std::memcpy(outData, &seconds, sizeof seconds);
      return noErr;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
      std::memcpy(outData, &mMaxFramesPerSlice, sizeof mMaxFramesPerSlice);
      return noErr;
    case kAudioUnitProperty_LastRenderError:
      std::memcpy(outData, &mLastRenderError, sizeof mLastRenderError);
      mLastRenderError = noErr;
      return noErr;
    default:
      return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus AUBase::SetProperty(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                             const void* inData, UInt32 inDataSize) {
  switch (inID) {
    case kAudioUnitProperty_ClassInfo: {
      if (inDataSize < sizeof(CFPropertyListRef)) return kAudioUnitErr_InvalidPropertyValue;
      CFPropertyListRef state;
      std::memcpy(&state, inData, sizeof state);
      return RestoreState(state);
    }
    case kAudioUnitProperty_MakeConnection: {
      if (inDataSize < sizeof(AudioUnitConnection)) return kAudioUnitErr_InvalidPropertyValue;
      AudioUnitConnection connection;
      std::memcpy(&connection, inData, sizeof connection);
      if (connection.destInputNumber != inElement) return kAudioUnitErr_InvalidPropertyValue;
      return SetConnection(connection);
    }
    case kAudioUnitProperty_SetRenderCallback: {
      if (inDataSize < sizeof(AURenderCallbackStruct)) return kAudioUnitErr_InvalidPropertyValue;
      AURenderCallbackStruct callback;
      std::memcpy(&callback, inData, sizeof callback);
      return SetInputCallback(inID, inElement, callback.inputProc, callback.inputProcRefCon);
    }
    case kAudioUnitProperty_SampleRate:
    case kAudioUnitProperty_StreamFormat: {
      const AudioStreamBasicDescription previous = GetStreamFormat(inScope, inElement);
      AudioStreamBasicDescription format = previous;
      if (inID == kAudioUnitProperty_SampleRate) {
        if (inDataSize < sizeof(Float64)) return kAudioUnitErr_InvalidPropertyValue;
        std::memcpy(&format.mSampleRate, inData, sizeof(Float64));
      } else {
        if (inDataSize < sizeof format) return kAudioUnitErr_InvalidPropertyValue;
        std::memcpy(&format, inData, sizeof format);
      }
      if (std::memcmp(&format, &previous, sizeof format) == 0) return noErr;
      if (!StreamFormatWritable(inScope, inElement)) return kAudioUnitErr_PropertyNotWritable;
      if (!ValidFormat(inScope, inElement, format)) return kAudioUnitErr_FormatNotSupported;
      return ChangeStreamFormat(inScope, inElement, previous, format);
    }
    case kAudioUnitProperty_MaximumFramesPerSlice: {
      if (inScope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
      if (inDataSize < sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
      UInt32 frames;
      std::memcpy(&frames, inData, sizeof frames);
      if (frames == mMaxFramesPerSlice) return noErr;
      if (frames == 0) return kAudioUnitErr_InvalidPropertyValue;
      if (const OSStatus result = CanSetMaxFrames(); result != noErr) return result;
      SetMaxFramesPerSlice(frames);
      return noErr;
    }
    case kAudioUnitProperty_ElementCount: {
      if (inDataSize < sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
      if (!BusCountWritable(inScope)) return kAudioUnitErr_PropertyNotWritable;
      UInt32 count;
      std::memcpy(&count, inData, sizeof count);
      return SetBusCount(inScope, count);
    }
    case kAudioUnitProperty_ParameterList:
    case kAudioUnitProperty_ParameterInfo:
    case kAudioUnitProperty_ParameterValueStrings:
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime:
    case kAudioUnitProperty_SupportedNumChannels:
    case kAudioUnitProperty_LastRenderError:
      return kAudioUnitErr_PropertyNotWritable;
    default:
      return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus AUBase::RemovePropertyValue(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {
  return kAudioUnitErr_InvalidPropertyValue;
}

OSStatus AUBase::SetConnection(const AudioUnitConnection& inConnection) {
  AUInputElement* input = Input(inConnection.destInputNumber);
  if (!input) return kAudioUnitErr_InvalidElement;
  input->SetConnection(inConnection);
  PropertyChanged(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, inConnection.destInputNumber);
  return noErr;
}

OSStatus AUBase::SetInputCallback(UInt32 inPropertyID, AudioUnitElement inElement, AURenderCallback inProc,
                                  void* inRefCon) {
  AUInputElement* input = Input(inElement);
  if (!input) return kAudioUnitErr_InvalidElement;
  input->SetInputCallback(inProc, inRefCon);
  PropertyChanged(inPropertyID, kAudioUnitScope_Input, inElement);
  return noErr;
}

OSStatus AUBase::AddPropertyListener(AudioUnitPropertyID inID, AudioUnitPropertyListenerProc inProc,
                                     void* inProcRefCon) {
  if (!inProc) return kAudio_ParamError;
  std::lock_guard<std::mutex> lock(mListenersMutex);
  mPropertyListeners.push_back({inID, inProc, inProcRefCon});
  return noErr;
}

OSStatus AUBase::RemovePropertyListener(AudioUnitPropertyID inID, AudioUnitPropertyListenerProc inProc,
                                        void* inProcRefCon, bool refConSpecified) {
  std::lock_guard<std::mutex> lock(mListenersMutex);
  std::erase_if(mPropertyListeners, [&](const PropertyListener& listener) {
    return listener.propertyID == inID && listener.proc == inProc && (!refConSpecified || listener.refCon == inProcRefCon);
  });
  return noErr;
}

void AUBase::PropertyChanged(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement) {
  std::vector<PropertyListener> listeners;
  {
    std::lock_guard<std::mutex> lock(mListenersMutex);
    for (const PropertyListener& listener : mPropertyListeners)
      if (listener.propertyID == inID) listeners.push_back(listener);
  }
  for (const PropertyListener& listener : listeners)
    listener.proc(listener.refCon, mComponentInstance, inID, inScope, inElement);
}

// ---- Parameters ----

OSStatus AUBase::GetParameterList(AudioUnitScope inScope, AudioUnitParameterID* outParameterList,
                                  UInt32& outNumParameters) {
  // Parameters are the same on every element of a scope; element 0 speaks for them.
  AUElement* element = GetScope(inScope).GetElement(0);
  outNumParameters = element ? element->GetNumberOfParameters() : 0;
  if (outParameterList)
    for (UInt32 i = 0; i < outNumParameters; ++i) outParameterList[i] = i;
  return noErr;
}

OSStatus AUBase::GetParameter(AudioUnitParameterID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                              AudioUnitParameterValue& outValue) {
  AUElement* element = GetScope(inScope).GetElement(inElement);
  if (!element) return kAudioUnitErr_InvalidElement;
  if (!element->HasParameterID(inID)) return kAudioUnitErr_InvalidParameter;
  outValue = element->GetParameter(inID);
  return noErr;
}

OSStatus AUBase::SetParameter(AudioUnitParameterID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                              AudioUnitParameterValue inValue, UInt32) {
  AUElement* element = GetScope(inScope).GetElement(inElement);
  if (!element) return kAudioUnitErr_InvalidElement;
  if (!element->HasParameterID(inID)) return kAudioUnitErr_InvalidParameter;
  element->SetParameter(inID, inValue);
  return noErr;
}

OSStatus AUBase::ScheduleParameter(const AudioUnitParameterEvent* inParameterEvent, UInt32 inNumEvents) {
  if (!inParameterEvent && inNumEvents > 0) return kAudio_ParamError;
  // The schedule never grows on the render thread.
  if (mParamEvents.size() + inNumEvents > kMaxScheduledParameterEvents) return kAudio_ParamError;
  for (UInt32 i = 0; i < inNumEvents; ++i) {
    const AudioUnitParameterEvent& event = inParameterEvent[i];
    if (event.eventType != kParameterEvent_Immediate && event.eventType != kParameterEvent_Ramped)
      return kAudio_ParamError;
    AUElement* element = GetElement(event.scope, event.element);
    if (!element) return kAudioUnitErr_InvalidElement;
    if (!element->HasParameterID(event.parameter)) return kAudioUnitErr_InvalidParameter;
  }
  mParamEvents.insert(mParamEvents.end(), inParameterEvent, inParameterEvent + inNumEvents);
  return noErr;
}

void AUBase::ApplyEvent(const AudioUnitParameterEvent& event, UInt32 frameInSlice) {
  AUElement* element = GetElement(event.scope, event.element);
  if (!element) return;
  if (event.eventType == kParameterEvent_Immediate) {
    if (event.eventValues.immediate.bufferOffset == frameInSlice) element->SetParameter(event.parameter, event.eventValues.immediate.value);
    return;
  }
  // Ramps move in steps, one at each split of the slice.
  const auto& ramp = event.eventValues.ramp;
  const int64_t start = ramp.startBufferOffset;
  const int64_t end = start + ramp.durationInFrames;
  const int64_t frame = frameInSlice;
  if (frame < start || frame > end) return;
  const float fraction = ramp.durationInFrames ? float(frame - start) / float(ramp.durationInFrames) : 1.0f;
  element->SetParameter(event.parameter, ramp.startValue + (ramp.endValue - ramp.startValue) * fraction);
}

OSStatus AUBase::ProcessForScheduledParams(UInt32 inFramesToProcess) {
  // Split points: the slice start, every event start inside the slice, every ramp end inside it.
  UInt32 splits[2 * kMaxScheduledParameterEvents + 1];
  size_t count = 0;
  splits[count++] = 0;
  const auto addSplit = [&](int64_t frame) {
    if (frame <= 0 || frame >= int64_t(inFramesToProcess)) return;
    for (size_t i = 0; i < count; ++i)
      if (splits[i] == UInt32(frame)) return;
    splits[count++] = UInt32(frame);
  };
  for (const AudioUnitParameterEvent& event : mParamEvents) {
    if (event.eventType == kParameterEvent_Immediate) {
      addSplit(event.eventValues.immediate.bufferOffset);
    } else {
      addSplit(event.eventValues.ramp.startBufferOffset);
      addSplit(int64_t(event.eventValues.ramp.startBufferOffset) + event.eventValues.ramp.durationInFrames);
    }
  }
  std::sort(splits, splits + count);
  for (size_t i = 0; i < count; ++i) {
    for (const AudioUnitParameterEvent& event : mParamEvents) ApplyEvent(event, splits[i]);
    const UInt32 end = i + 1 < count ? splits[i + 1] : inFramesToProcess;
    const OSStatus result = ProcessScheduledSlice(nullptr, splits[i], end - splits[i], inFramesToProcess);
    if (result != noErr) return result;
  }
  return noErr;
}

OSStatus AUBase::ProcessScheduledSlice(void*, UInt32, UInt32, UInt32) { return noErr; }

// ---- Render ----

OSStatus AUBase::SetRenderNotification(AURenderCallback inProc, void* inRefCon) {
  if (!inProc) return kAudio_ParamError;
  return mRenderCallbacks.Add({inProc, inRefCon}) ? noErr : kAudio_MemFullError;
}

OSStatus AUBase::RemoveRenderNotification(AURenderCallback inProc, void* inRefCon) {
  return mRenderCallbacks.Remove({inProc, inRefCon}) ? noErr : kAudio_MemFullError;
}

OSStatus AUBase::RenderBus(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                           UInt32 inBusNumber, UInt32 inNumberFrames) {
  if (inBusNumber != 0) return kAudioUnitErr_InvalidElement;
  return Render(ioActionFlags, inTimeStamp, inNumberFrames);
}

OSStatus AUBase::Render(AudioUnitRenderActionFlags&, const AudioTimeStamp&, UInt32) { return noErr; }

OSStatus AUBase::DoRender(AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp,
                          UInt32 inBusNumber, UInt32 inNumberFrames, AudioBufferList* ioData) {
  if (!ioActionFlags || !inTimeStamp || !ioData) return kAudio_ParamError;
  if (!mInitialized) return kAudioUnitErr_Uninitialized;
  if (inNumberFrames > mMaxFramesPerSlice) return kAudioUnitErr_TooManyFramesToProcess;
  AUIOElement* output = Output(inBusNumber);
  if (!output) return kAudioUnitErr_InvalidElement;
  const AudioBufferList& own = output->Buffers().GetBufferList();
  if (ioData->mNumberBuffers != own.mNumberBuffers) return kAudio_ParamError;
  AudioBuffer* dest = ioData->mBuffers;
  for (UInt32 i = 0; i < ioData->mNumberBuffers; ++i) {
    const UInt32 bytes = UInt32(inNumberFrames * own.mBuffers[0].mNumberChannels * sizeof(Float32));
    if (dest[i].mData && dest[i].mDataByteSize < bytes) return kAudio_ParamError;
  }

  mRenderCallbacks.Update();
  AudioUnitRenderActionFlags notifyFlags = *ioActionFlags | kAudioUnitRenderAction_PreRender;
  mRenderCallbacks.ForEach([&](const RenderNotification& n) {
    n.proc(n.refCon, &notifyFlags, inTimeStamp, inBusNumber, inNumberFrames, ioData);
  });

  AudioUnitRenderActionFlags flags = *ioActionFlags;
  OSStatus result = RenderBus(flags, *inTimeStamp, inBusNumber, inNumberFrames);
  if (result == noErr) {
    AudioBufferList& rendered = output->GetBufferList();
    for (UInt32 i = 0; i < ioData->mNumberBuffers; ++i) {
      const AudioBuffer& src = rendered.mBuffers[i];
      const UInt32 bytes = UInt32(inNumberFrames * src.mNumberChannels * sizeof(Float32));
      if (!dest[i].mData) dest[i].mData = src.mData;
      else if (dest[i].mData != src.mData) std::memcpy(dest[i].mData, src.mData, bytes);
      dest[i].mNumberChannels = src.mNumberChannels;
      dest[i].mDataByteSize = bytes;
    }
    *ioActionFlags = flags;
  } else {
    mLastRenderError = result;
  }
  mParamEvents.clear();

  notifyFlags = flags | kAudioUnitRenderAction_PostRender;
  if (result != noErr) notifyFlags |= kAudioUnitRenderAction_PostRenderError;
  mRenderCallbacks.ForEach([&](const RenderNotification& n) {
    n.proc(n.refCon, &notifyFlags, inTimeStamp, inBusNumber, inNumberFrames, ioData);
  });
  return result;
}
