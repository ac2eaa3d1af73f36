#pragma once
// Calls into an audio-unit component through its entry, as a host makes them: each packs the
// arguments into a parameter block and calls the instance's entry with its storage.
#include <cstring>
#include <type_traits>

#include "spectrum_au/frame/AudioUnitTypes.h"

// ---- Parameter blocks ----

// A parameter block with room for up to eight arguments.
struct ComponentCallBlock {
  ComponentParameters header;
  long more[7];
};

// Argument `index` (0 = first) of a call with `count` arguments; the block holds them reversed.
template <typename T>
T ComponentParam(const ComponentParameters* params, int index, int count) {
  const long* slots = params->params;
  const long slot = slots[count - 1 - index];
  if constexpr (std::is_floating_point_v<T>) {
    static_assert(sizeof(T) == 4, "floats travel as 32-bit values");
    T value;
    std::memcpy(&value, &slot, sizeof value);
    return value;
  } else if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<T>(slot);
  } else {
    return static_cast<T>(slot);
  }
}

namespace component_detail {
template <typename T>
long ToSlot(T value) {
  if constexpr (std::is_floating_point_v<T>) {
    long slot = 0;
    const float f = float(value);
    std::memcpy(&slot, &f, sizeof f);
    return slot;
  } else if constexpr (std::is_pointer_v<T> || std::is_null_pointer_v<T>) {
    return reinterpret_cast<long>(value);
  } else {
    return static_cast<long>(value);
  }
}
}  // namespace component_detail

// Calls the instance's entry with selector `what` and the given arguments.
template <typename... Args>
ComponentResult CallComponent(ComponentInstance instance, SInt16 what, Args... args) {
  static_assert(sizeof...(Args) <= 8, "too many arguments");
  if (!instance || !instance->entry) return badComponentInstance;
  ComponentCallBlock block{};
  block.header.what = what;
  block.header.paramSize = UInt8(sizeof...(Args) * sizeof(long));
  long values[sizeof...(Args) + 1] = {component_detail::ToSlot(args)...};
  long* slots = block.header.params;
  for (size_t i = 0; i < sizeof...(Args); ++i) slots[sizeof...(Args) - 1 - i] = values[i];
  return instance->entry(&block.header, instance->storage);
}

// ---- Component Manager ----

// Makes an instance of the component whose entry is given and opens it.
OSStatus OpenComponentWithEntry(ComponentRoutine entry, ComponentInstance* outInstance);
// Closes the instance and frees its record.
OSStatus CloseComponent(ComponentInstance instance);
ComponentResult CallComponentCanDo(ComponentInstance instance, SInt16 selector);
ComponentResult CallComponentVersion(ComponentInstance instance);
OSStatus GetComponentDescription(ComponentInstance instance, ComponentDescription* outDescription);

// ---- Audio units ----

OSStatus AudioUnitInitialize(AudioUnit unit);
OSStatus AudioUnitUninitialize(AudioUnit unit);
OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                                  AudioUnitElement inElement, UInt32* outDataSize, Boolean* outWritable);
OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, void* outData, UInt32* ioDataSize);
OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, const void* inData, UInt32 inDataSize);
OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID inID,
                                      AudioUnitPropertyListenerProc inProc, void* inProcUserData);
OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID inID,
                                                     AudioUnitPropertyListenerProc inProc, void* inProcUserData);
OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback inProc, void* inProcUserData);
OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback inProc, void* inProcUserData);
OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue* outValue);
OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue inValue, UInt32 inBufferOffsetInFrames);
OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* inParameterEvent,
                                     UInt32 inNumParamEvents);
OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp,
                         UInt32 inOutputBusNumber, UInt32 inNumberFrames, AudioBufferList* ioData);
OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope inScope, AudioUnitElement inElement);
