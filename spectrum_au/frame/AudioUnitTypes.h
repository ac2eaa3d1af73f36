#pragma once
// The audio-unit hosting interface: component calls, selectors, property IDs, scopes, error
// codes and the audio buffer and stream-format records, with the platform's names and numbers
// so that hosts and units read as they would against the real interface.
#include <cstdint>

#include "spectrum_au/cf/CFTypes.h"

typedef uint8_t UInt8;
typedef int16_t SInt16;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef float Float32;
typedef double Float64;
#if defined(__LP64__)
typedef unsigned int UInt32;
typedef SInt32 OSStatus;
typedef SInt32 ComponentResult;
#else
typedef unsigned long UInt32;
typedef SInt32 OSStatus;
typedef long ComponentResult;
#endif
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;

typedef UInt32 AudioUnitPropertyID;
typedef UInt32 AudioUnitScope;
typedef UInt32 AudioUnitElement;
typedef UInt32 AudioUnitParameterID;
typedef Float32 AudioUnitParameterValue;
typedef UInt32 AudioUnitRenderActionFlags;
typedef UInt32 AudioUnitParameterUnit;
typedef UInt32 AudioUnitParameterOptions;
typedef UInt32 AUParameterEventType;

constexpr FourCharCode FourCC(const char (&code)[5]) {
  return (FourCharCode(UInt8(code[0])) << 24) | (FourCharCode(UInt8(code[1])) << 16) |
         (FourCharCode(UInt8(code[2])) << 8) | FourCharCode(UInt8(code[3]));
}

// ---- Status codes ----
enum : OSStatus {
  noErr = 0,
  kAudio_ParamError = -50,
  kAudio_MemFullError = -108,
  kAudioUnitErr_InvalidProperty = -10879,
  kAudioUnitErr_InvalidParameter = -10878,
  kAudioUnitErr_InvalidElement = -10877,
  kAudioUnitErr_NoConnection = -10876,
  kAudioUnitErr_FailedInitialization = -10875,
  kAudioUnitErr_TooManyFramesToProcess = -10874,
  kAudioUnitErr_InvalidFile = -10871,
  kAudioUnitErr_FormatNotSupported = -10868,
  kAudioUnitErr_Uninitialized = -10867,
  kAudioUnitErr_InvalidScope = -10866,
  kAudioUnitErr_PropertyNotWritable = -10865,
  kAudioUnitErr_CannotDoInCurrentContext = -10863,
  kAudioUnitErr_InvalidPropertyValue = -10851,
  kAudioUnitErr_PropertyNotInUse = -10850,
  kAudioUnitErr_Initialized = -10849,
  kAudioUnitErr_InvalidOfflineRender = -10848,
  kAudioUnitErr_Unauthorized = -10847,
  badComponentInstance = SInt32(0x80008001),
  badComponentSelector = SInt32(0x80008002),
};

// ---- Component selectors ----
enum : SInt16 {
  kComponentOpenSelect = -1,
  kComponentCloseSelect = -2,
  kComponentCanDoSelect = -3,
  kComponentVersionSelect = -4,
  kAudioUnitRange = 0x0000,
  kAudioUnitInitializeSelect = 0x0001,
  kAudioUnitUninitializeSelect = 0x0002,
  kAudioUnitGetPropertyInfoSelect = 0x0003,
  kAudioUnitGetPropertySelect = 0x0004,
  kAudioUnitSetPropertySelect = 0x0005,
  kAudioUnitGetParameterSelect = 0x0006,
  kAudioUnitSetParameterSelect = 0x0007,
  kAudioUnitResetSelect = 0x0009,
  kAudioUnitAddPropertyListenerSelect = 0x000A,
  kAudioUnitRemovePropertyListenerSelect = 0x000B,
  kAudioUnitRenderSelect = 0x000E,
  kAudioUnitAddRenderNotifySelect = 0x000F,
  kAudioUnitRemoveRenderNotifySelect = 0x0010,
  kAudioUnitScheduleParametersSelect = 0x0011,
  kAudioUnitRemovePropertyListenerWithUserDataSelect = 0x0012,
};

// ---- Scopes ----
enum : AudioUnitScope {
  kAudioUnitScope_Global = 0,
  kAudioUnitScope_Input = 1,
  kAudioUnitScope_Output = 2,
  kAudioUnitScope_Group = 3,
  kAudioUnitScope_Part = 4,
};

// ---- Properties ----
enum : AudioUnitPropertyID {
  kAudioUnitProperty_ClassInfo = 0,
  kAudioUnitProperty_MakeConnection = 1,
  kAudioUnitProperty_SampleRate = 2,
  kAudioUnitProperty_ParameterList = 3,
  kAudioUnitProperty_ParameterInfo = 4,
  kAudioUnitProperty_StreamFormat = 8,
  kAudioUnitProperty_ElementCount = 11,
  kAudioUnitProperty_Latency = 12,
  kAudioUnitProperty_SupportedNumChannels = 13,
  kAudioUnitProperty_MaximumFramesPerSlice = 14,
  kAudioUnitProperty_ParameterValueStrings = 16,
  kAudioUnitProperty_TailTime = 20,
  kAudioUnitProperty_BypassEffect = 21,
  kAudioUnitProperty_LastRenderError = 22,
  kAudioUnitProperty_SetRenderCallback = 23,
  kAudioUnitProperty_FactoryPresets = 24,
  kAudioUnitProperty_InPlaceProcessing = 29,
};

// ---- Render action flags ----
enum : AudioUnitRenderActionFlags {
  kAudioUnitRenderAction_PreRender = (1u << 2),
  kAudioUnitRenderAction_PostRender = (1u << 3),
  kAudioUnitRenderAction_OutputIsSilence = (1u << 4),
  kAudioUnitRenderAction_PostRenderError = (1u << 8),
};

// ---- Parameters ----
enum : AudioUnitParameterUnit {
  kAudioUnitParameterUnit_Generic = 0,
  kAudioUnitParameterUnit_Indexed = 1,
};
enum : AudioUnitParameterOptions {
  kAudioUnitParameterFlag_CFNameRelease = (1u << 4),
  kAudioUnitParameterFlag_HasCFNameString = (1u << 27),
  kAudioUnitParameterFlag_IsReadable = (1u << 30),
  kAudioUnitParameterFlag_IsWritable = (1u << 31),
};
enum : AUParameterEventType { kParameterEvent_Immediate = 1, kParameterEvent_Ramped = 2 };

struct AudioUnitParameterInfo {
  char name[52];
  CFStringRef unitName;
  UInt32 clumpID;
  CFStringRef cfNameString;
  AudioUnitParameterUnit unit;
  AudioUnitParameterValue minValue;
  AudioUnitParameterValue maxValue;
  AudioUnitParameterValue defaultValue;
  AudioUnitParameterOptions flags;
};

struct AudioUnitParameterEvent {
  AudioUnitScope scope;
  AudioUnitElement element;
  AudioUnitParameterID parameter;
  AUParameterEventType eventType;
  union {
    struct {
      SInt32 startBufferOffset;
      UInt32 durationInFrames;
      AudioUnitParameterValue startValue;
      AudioUnitParameterValue endValue;
    } ramp;
    struct {
      UInt32 bufferOffset;
      AudioUnitParameterValue value;
    } immediate;
  } eventValues;
};

// ---- Audio data ----
enum : UInt32 {
  kAudioFormatLinearPCM = FourCC("lpcm"),
  kAudioFormatFlagIsFloat = (1u << 0),
  kAudioFormatFlagIsBigEndian = (1u << 1),
  kAudioFormatFlagIsSignedInteger = (1u << 2),
  kAudioFormatFlagIsPacked = (1u << 3),
  kAudioFormatFlagIsNonInterleaved = (1u << 5),
  kAudioFormatFlagsNativeFloatPacked = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked,
};

struct AudioStreamBasicDescription {
  Float64 mSampleRate;
  UInt32 mFormatID;
  UInt32 mFormatFlags;
  UInt32 mBytesPerPacket;
  UInt32 mFramesPerPacket;
  UInt32 mBytesPerFrame;
  UInt32 mChannelsPerFrame;
  UInt32 mBitsPerChannel;
  UInt32 mReserved;
};

struct AudioBuffer {
  UInt32 mNumberChannels;
  UInt32 mDataByteSize;
  void* mData;
};
struct AudioBufferList {
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[1];  // as many as mNumberBuffers
};

struct SMPTETime {
  SInt16 mSubframes;
  SInt16 mSubframeDivisor;
  UInt32 mCounter;
  UInt32 mType;
  UInt32 mFlags;
  SInt16 mHours;
  SInt16 mMinutes;
  SInt16 mSeconds;
  SInt16 mFrames;
};
enum : UInt32 { kAudioTimeStampSampleTimeValid = (1u << 0) };
struct AudioTimeStamp {
  Float64 mSampleTime;
  UInt64 mHostTime;
  Float64 mRateScalar;
  UInt64 mWordClockTime;
  SMPTETime mSMPTETime;
  UInt32 mFlags;
  UInt32 mReserved;
};

// ---- Components ----
struct ComponentDescription {
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
};
enum : OSType { kAudioUnitType_Effect = FourCC("aufx") };

// The call's parameter block: the arguments follow in reverse order, one long-sized slot each
// (floats travel as their bits in the low 32 bits of a slot).
struct ComponentParameters {
  UInt8 flags;
  UInt8 paramSize;  // bytes of arguments
  SInt16 what;      // selector
#if defined(__LP64__)
  UInt32 padding;
#endif
  long params[1];
};

struct ComponentInstanceRecord;
typedef ComponentInstanceRecord* ComponentInstance;
typedef ComponentInstance AudioUnit;
typedef ComponentResult (*ComponentRoutine)(ComponentParameters* params, void* storage);

// One open instance: its component's entry, the storage the entry set at open, and the
// component's registration, filled in by the entry.
struct ComponentInstanceRecord {
  ComponentRoutine entry;
  void* storage;
  ComponentDescription description;
  char name[64];
};

// ---- Callbacks ----
typedef OSStatus (*AURenderCallback)(void* inRefCon, AudioUnitRenderActionFlags* ioActionFlags,
                                     const AudioTimeStamp* inTimeStamp, UInt32 inBusNumber,
                                     UInt32 inNumberFrames, AudioBufferList* ioData);
struct AURenderCallbackStruct {
  AURenderCallback inputProc;
  void* inputProcRefCon;
};
typedef void (*AudioUnitPropertyListenerProc)(void* inRefCon, AudioUnit inUnit, AudioUnitPropertyID inID,
                                              AudioUnitScope inScope, AudioUnitElement inElement);
struct AudioUnitConnection {
  AudioUnit sourceAudioUnit;
  UInt32 sourceOutputNumber;
  UInt32 destInputNumber;
};
