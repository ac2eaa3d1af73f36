// Component calls to an open unit: the parameter block is unpacked and the matching operation
// called.
#include "spectrum_au/frame/AUBase.h"
#include "spectrum_au/frame/ComponentCalls.h"

OSStatus AUBase::DispatchGetPropertyInfo(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                                         UInt32* outDataSize, Boolean* outWritable) {
  UInt32 size = 0;
  Boolean writable = false;
  const OSStatus result = GetPropertyInfo(inID, inScope, inElement, size, writable);
  if (result != noErr) return result;
  if (outDataSize) *outDataSize = size;
  if (outWritable) *outWritable = writable;
  return noErr;
}

OSStatus AUBase::DispatchGetProperty(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                                     void* outData, UInt32* ioDataSize) {
  if (!ioDataSize) return kAudio_ParamError;
  UInt32 size = 0;
  Boolean writable = false;
  OSStatus result = GetPropertyInfo(inID, inScope, inElement, size, writable);
  if (result != noErr) return result;
  if (!outData) {
    *ioDataSize = size;
    return noErr;
  }
  if (*ioDataSize < size) return kAudio_ParamError;
  result = GetProperty(inID, inScope, inElement, outData);
  if (result == noErr) *ioDataSize = size;
  return result;
}

OSStatus AUBase::DispatchSetProperty(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                                     const void* inData, UInt32 inDataSize) {
  if (!inData) return RemovePropertyValue(inID, inScope, inElement);
  return SetProperty(inID, inScope, inElement, inData, inDataSize);
}

namespace {

bool CanDo(SInt16 selector) {
  switch (selector) {
    case kComponentOpenSelect:
    case kComponentCloseSelect:
    case kComponentCanDoSelect:
    case kComponentVersionSelect:
    case kAudioUnitInitializeSelect:
    case kAudioUnitUninitializeSelect:
    case kAudioUnitGetPropertyInfoSelect:
    case kAudioUnitGetPropertySelect:
    case kAudioUnitSetPropertySelect:
    case kAudioUnitAddPropertyListenerSelect:
    case kAudioUnitRemovePropertyListenerSelect:
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
    case kAudioUnitAddRenderNotifySelect:
    case kAudioUnitRemoveRenderNotifySelect:
    case kAudioUnitGetParameterSelect:
    case kAudioUnitSetParameterSelect:
    case kAudioUnitScheduleParametersSelect:
    case kAudioUnitRenderSelect:
    case kAudioUnitResetSelect:
      return true;
    default:
      return false;
  }
}

int ArgumentCount(SInt16 selector) {
  switch (selector) {
    case kComponentCloseSelect:
    case kComponentCanDoSelect:
      return 1;
    case kAudioUnitGetPropertyInfoSelect:
    case kAudioUnitGetPropertySelect:
    case kAudioUnitSetPropertySelect:
    case kAudioUnitSetParameterSelect:
    case kAudioUnitRenderSelect:
      return 5;
    case kAudioUnitGetParameterSelect:
      return 4;
    case kAudioUnitAddPropertyListenerSelect:
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
      return 3;
    case kAudioUnitRemovePropertyListenerSelect:
    case kAudioUnitAddRenderNotifySelect:
    case kAudioUnitRemoveRenderNotifySelect:
    case kAudioUnitScheduleParametersSelect:
    case kAudioUnitResetSelect:
      return 2;
    default:
      return 0;
  }
}

}  // namespace

#define PARAM(type, name, index, count) type name = ComponentParam<type>(params, index, count)

ComponentResult AUBase::ComponentEntryDispatch(ComponentParameters* params, AUBase* unit) {
  if (!unit) return badComponentInstance;
  const SInt16 what = params->what;
  if (!CanDo(what)) return badComponentSelector;
  if (params->paramSize < ArgumentCount(what) * sizeof(long)) return kAudio_ParamError;

  switch (what) {
    case kComponentCloseSelect: {
      ComponentInstance instance = unit->GetComponentInstance();
      unit->PreDestructor();
      delete unit;
      if (instance) instance->storage = nullptr;
      return noErr;
    }
    case kComponentCanDoSelect: {
      PARAM(SInt16, selector, 0, 1);
      return CanDo(selector) ? 1 : 0;
    }
    case kComponentVersionSelect:
      return unit->Version();
    case kAudioUnitInitializeSelect:
      return unit->DoInitialize();
    case kAudioUnitUninitializeSelect:
      unit->DoCleanup();
      return noErr;
    case kAudioUnitGetPropertyInfoSelect: {
      PARAM(AudioUnitPropertyID, inID, 0, 5);
      PARAM(AudioUnitScope, inScope, 1, 5);
      PARAM(AudioUnitElement, inElement, 2, 5);
      PARAM(UInt32*, outDataSize, 3, 5);
      PARAM(Boolean*, outWritable, 4, 5);
      return unit->DispatchGetPropertyInfo(inID, inScope, inElement, outDataSize, outWritable);
    }
    case kAudioUnitGetPropertySelect: {
      PARAM(AudioUnitPropertyID, inID, 0, 5);
      PARAM(AudioUnitScope, inScope, 1, 5);
      PARAM(AudioUnitElement, inElement, 2, 5);
      PARAM(void*, outData, 3, 5);
      PARAM(UInt32*, ioDataSize, 4, 5);
      return unit->DispatchGetProperty(inID, inScope, inElement, outData, ioDataSize);
    }
    case kAudioUnitSetPropertySelect: {
      PARAM(AudioUnitPropertyID, inID, 0, 5);
      PARAM(AudioUnitScope, inScope, 1, 5);
      PARAM(AudioUnitElement, inElement, 2, 5);
      PARAM(const void*, inData, 3, 5);
      PARAM(UInt32, inDataSize, 4, 5);
      return unit->DispatchSetProperty(inID, inScope, inElement, inData, inDataSize);
    }
    case kAudioUnitAddPropertyListenerSelect: {
      PARAM(AudioUnitPropertyID, inID, 0, 3);
      PARAM(AudioUnitPropertyListenerProc, inProc, 1, 3);
      PARAM(void*, inRefCon, 2, 3);
      return unit->AddPropertyListener(inID, inProc, inRefCon);
    }
    case kAudioUnitRemovePropertyListenerSelect: {
      PARAM(AudioUnitPropertyID, inID, 0, 2);
      PARAM(AudioUnitPropertyListenerProc, inProc, 1, 2);
      return unit->RemovePropertyListener(inID, inProc, nullptr, false);
    }
    case kAudioUnitRemovePropertyListenerWithUserDataSelect: {
      PARAM(AudioUnitPropertyID, inID, 0, 3);
      PARAM(AudioUnitPropertyListenerProc, inProc, 1, 3);
      PARAM(void*, inRefCon, 2, 3);
      return unit->RemovePropertyListener(inID, inProc, inRefCon, true);
    }
    case kAudioUnitAddRenderNotifySelect: {
      PARAM(AURenderCallback, inProc, 0, 2);
      PARAM(void*, inRefCon, 1, 2);
      return unit->SetRenderNotification(inProc, inRefCon);
    }
    case kAudioUnitRemoveRenderNotifySelect: {
      PARAM(AURenderCallback, inProc, 0, 2);
      PARAM(void*, inRefCon, 1, 2);
      return unit->RemoveRenderNotification(inProc, inRefCon);
    }
    case kAudioUnitGetParameterSelect: {
      PARAM(AudioUnitParameterID, inID, 0, 4);
      PARAM(AudioUnitScope, inScope, 1, 4);
      PARAM(AudioUnitElement, inElement, 2, 4);
      PARAM(AudioUnitParameterValue*, outValue, 3, 4);
      if (!outValue) return kAudio_ParamError;
      return unit->GetParameter(inID, inScope, inElement, *outValue);
    }
    case kAudioUnitSetParameterSelect: {
      PARAM(AudioUnitParameterID, inID, 0, 5);
      PARAM(AudioUnitScope, inScope, 1, 5);
      PARAM(AudioUnitElement, inElement, 2, 5);
      PARAM(AudioUnitParameterValue, inValue, 3, 5);
      PARAM(UInt32, inBufferOffset, 4, 5);
      return unit->SetParameter(inID, inScope, inElement, inValue, inBufferOffset);
    }
    case kAudioUnitScheduleParametersSelect: {
      PARAM(const AudioUnitParameterEvent*, inEvents, 0, 2);
      PARAM(UInt32, inNumEvents, 1, 2);
      return unit->ScheduleParameter(inEvents, inNumEvents);
    }
    case kAudioUnitRenderSelect: {
      PARAM(AudioUnitRenderActionFlags*, ioActionFlags, 0, 5);
      PARAM(const AudioTimeStamp*, inTimeStamp, 1, 5);
      PARAM(UInt32, inBusNumber, 2, 5);
      PARAM(UInt32, inNumberFrames, 3, 5);
      PARAM(AudioBufferList*, ioData, 4, 5);
      return unit->DoRender(ioActionFlags, inTimeStamp, inBusNumber, inNumberFrames, ioData);
    }
    case kAudioUnitResetSelect: {
      PARAM(AudioUnitScope, inScope, 0, 2);
      PARAM(AudioUnitElement, inElement, 1, 2);
      return unit->DoReset(inScope, inElement);
    }
  }
  return badComponentSelector;
}
