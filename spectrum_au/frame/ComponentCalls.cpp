#include "spectrum_au/frame/ComponentCalls.h"

#include <new>

OSStatus OpenComponentWithEntry(ComponentRoutine entry, ComponentInstance* outInstance) {
  if (!entry || !outInstance) return kAudio_ParamError;
  *outInstance = nullptr;
  auto* instance = new (std::nothrow) ComponentInstanceRecord{};
  if (!instance) return kAudio_MemFullError;
  instance->entry = entry;
  const ComponentResult result = CallComponent(instance, kComponentOpenSelect, instance);
  if (result != noErr || !instance->storage) {
    delete instance;
    return result != noErr ? OSStatus(result) : OSStatus(badComponentInstance);
  }
  *outInstance = instance;
  return noErr;
}

OSStatus CloseComponent(ComponentInstance instance) {
  if (!instance) return badComponentInstance;
  const ComponentResult result = CallComponent(instance, kComponentCloseSelect, instance);
  delete instance;
  return OSStatus(result);
}

ComponentResult CallComponentCanDo(ComponentInstance instance, SInt16 selector) {
  return CallComponent(instance, kComponentCanDoSelect, selector);
}

ComponentResult CallComponentVersion(ComponentInstance instance) { return CallComponent(instance, kComponentVersionSelect); }

OSStatus GetComponentDescription(ComponentInstance instance, ComponentDescription* outDescription) {
  if (!instance || !outDescription) return kAudio_ParamError;
  *outDescription = instance->description;
  return noErr;
}

OSStatus AudioUnitInitialize(AudioUnit unit) { return OSStatus(CallComponent(unit, kAudioUnitInitializeSelect)); }

OSStatus AudioUnitUninitialize(AudioUnit unit) { return OSStatus(CallComponent(unit, kAudioUnitUninitializeSelect)); }

OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                                  AudioUnitElement inElement, UInt32* outDataSize, Boolean* outWritable) {
  return OSStatus(
      CallComponent(unit, kAudioUnitGetPropertyInfoSelect, inID, inScope, inElement, outDataSize, outWritable));
}

OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, void* outData, UInt32* ioDataSize) {
  return OSStatus(CallComponent(unit, kAudioUnitGetPropertySelect, inID, inScope, inElement, outData, ioDataSize));
}

OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, const void* inData, UInt32 inDataSize) {
  return OSStatus(CallComponent(unit, kAudioUnitSetPropertySelect, inID, inScope, inElement, inData, inDataSize));
}

OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID inID,
                                      AudioUnitPropertyListenerProc inProc, void* inProcUserData) {
  return OSStatus(CallComponent(unit, kAudioUnitAddPropertyListenerSelect, inID, inProc, inProcUserData));
}

OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID inID,
                                                     AudioUnitPropertyListenerProc inProc, void* inProcUserData) {
  return OSStatus(
      CallComponent(unit, kAudioUnitRemovePropertyListenerWithUserDataSelect, inID, inProc, inProcUserData));
}

OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback inProc, void* inProcUserData) {
  return OSStatus(CallComponent(unit, kAudioUnitAddRenderNotifySelect, inProc, inProcUserData));
}

OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback inProc, void* inProcUserData) {
  return OSStatus(CallComponent(unit, kAudioUnitRemoveRenderNotifySelect, inProc, inProcUserData));
}

OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue* outValue) {
  return OSStatus(CallComponent(unit, kAudioUnitGetParameterSelect, inID, inScope, inElement, outValue));
}

OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue inValue,
                               UInt32 inBufferOffsetInFrames) {
  return OSStatus(
      CallComponent(unit, kAudioUnitSetParameterSelect, inID, inScope, inElement, inValue, inBufferOffsetInFrames));
}

OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* inParameterEvent,
                                     UInt32 inNumParamEvents) {
  return OSStatus(CallComponent(unit, kAudioUnitScheduleParametersSelect, inParameterEvent, inNumParamEvents));
}

OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp,
                         UInt32 inOutputBusNumber, UInt32 inNumberFrames, AudioBufferList* ioData) {
  return OSStatus(CallComponent(unit, kAudioUnitRenderSelect, ioActionFlags, inTimeStamp, inOutputBusNumber,
                                inNumberFrames, ioData));
}

OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope inScope, AudioUnitElement inElement) {
  return OSStatus(CallComponent(unit, kAudioUnitResetSelect, inScope, inElement));
}
