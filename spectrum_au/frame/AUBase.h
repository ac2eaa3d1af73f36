#pragma once
// The audio-unit base class: scopes and elements, the parameter store, properties and their
// listeners, render notifications, scheduled parameters, saved state, and the dispatch of
// component calls. Units derive from AUEffectBase (or this class) and override the virtual
// operations they need; the order of the virtual operations follows the platform's frame.
#include <mutex>
#include <vector>

#include "spectrum_au/frame/AUScopeElement.h"
#include "spectrum_au/frame/AudioUnitTypes.h"
#include "spectrum_au/frame/ThreadSafeList.h"

class AUKernelBase;

class AUBase {
 public:
  static constexpr UInt32 kAUDefaultMaxFramesPerSlice = 1156;
  static constexpr UInt32 kMaxScheduledParameterEvents = 64;

  AUBase(ComponentInstance inInstance, UInt32 numInputElements, UInt32 numOutputElements);
  AUBase(const AUBase&) = delete;
  AUBase& operator=(const AUBase&) = delete;
  virtual ~AUBase();

  // ---- Virtual operations, in the frame's order ----
#if defined(__LP64__)
  virtual void PostConstructor() { CreateElements(); }
  virtual ComponentResult Version() { return 0x00010000; }
#else
  virtual ComponentResult Version() { return 0x00010000; }
  virtual void PostConstructor() { CreateElements(); }
#endif
  virtual void PreDestructor() {}
  virtual OSStatus Initialize() { return noErr; }
  virtual void Cleanup() {}
  virtual OSStatus Reset(AudioUnitScope inScope, AudioUnitElement inElement);
  // The general property dispatcher: every standard property the frame answers.
  virtual OSStatus GetPropertyInfo(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                                   UInt32& outDataSize, Boolean& outWritable);
  virtual OSStatus GetProperty(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                               void* outData);
  virtual OSStatus SetProperty(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                               const void* inData, UInt32 inDataSize);
  virtual OSStatus RemovePropertyValue(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement);
  virtual OSStatus AddPropertyListener(AudioUnitPropertyID inID, AudioUnitPropertyListenerProc inProc,
                                       void* inProcRefCon);
  virtual OSStatus RemovePropertyListener(AudioUnitPropertyID inID, AudioUnitPropertyListenerProc inProc,
                                          void* inProcRefCon, bool refConSpecified);
  virtual OSStatus SetRenderNotification(AURenderCallback inProc, void* inRefCon);
  virtual OSStatus RemoveRenderNotification(AURenderCallback inProc, void* inRefCon);
  virtual OSStatus GetParameter(AudioUnitParameterID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                                AudioUnitParameterValue& outValue);
  virtual OSStatus SetParameter(AudioUnitParameterID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                                AudioUnitParameterValue inValue, UInt32 inBufferOffsetInFrames);
  virtual OSStatus SetGroupParameter(AudioUnitParameterID, AudioUnitElement, AudioUnitParameterValue, UInt32) {
    return kAudioUnitErr_InvalidScope;
  }
  virtual OSStatus GetGroupParameter(AudioUnitParameterID, AudioUnitElement, AudioUnitParameterValue&) {
    return kAudioUnitErr_InvalidScope;
  }
  virtual OSStatus ScheduleParameter(const AudioUnitParameterEvent* inParameterEvent, UInt32 inNumEvents);
  virtual OSStatus RenderBus(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                             UInt32 inBusNumber, UInt32 inNumberFrames);
  virtual OSStatus Render(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                          UInt32 inNumberFrames);
  virtual bool BusCountWritable(AudioUnitScope) { return false; }
  virtual OSStatus SetBusCount(AudioUnitScope, UInt32) { return kAudioUnitErr_PropertyNotWritable; }
  virtual OSStatus SetConnection(const AudioUnitConnection& inConnection);
  virtual OSStatus SetInputCallback(UInt32 inPropertyID, AudioUnitElement inElement, AURenderCallback inProc,
                                    void* inRefCon);
  // Fills outParameterList (when not null) and returns the count in outNumParameters.
  virtual OSStatus GetParameterList(AudioUnitScope inScope, AudioUnitParameterID* outParameterList,
                                    UInt32& outNumParameters);
  virtual OSStatus GetParameterInfo(AudioUnitScope, AudioUnitParameterID, AudioUnitParameterInfo&) {
    return kAudioUnitErr_InvalidParameter;
  }
  // The class-info dictionary; the caller releases it.
  virtual OSStatus SaveState(CFPropertyListRef* outData);
  virtual OSStatus RestoreState(CFPropertyListRef inData);
  virtual OSStatus GetParameterValueStrings(AudioUnitScope, AudioUnitParameterID, CFArrayRef*) {
    return kAudioUnitErr_InvalidProperty;
  }
#if defined(__LP64__)
  virtual OSStatus CopyClumpName(AudioUnitScope, UInt32, UInt32, CFStringRef*) { return kAudioUnitErr_InvalidProperty; }
#endif
  virtual OSStatus GetPresets(CFArrayRef*) const { return kAudioUnitErr_InvalidProperty; }
  virtual OSStatus NewFactoryPresetSet(SInt32) { return kAudioUnitErr_InvalidProperty; }
  virtual int GetNumCustomUIComponents() { return 0; }
  virtual void GetUIComponentDescs(ComponentDescription*) {}
  virtual CFTypeRef CopyIconLocation() { return nullptr; }
  virtual Float64 GetLatency() { return 0.0; }
  virtual Float64 GetTailTime() { return 0.0; }
  virtual bool SupportsTail() { return false; }
  virtual bool StreamFormatWritable(AudioUnitScope scope, AudioUnitElement element);
  // Channel configurations the unit declares (pairs of input and output counts); none here.
  virtual UInt32 SupportedNumChannels(const void** outInfo) {
    if (outInfo) *outInfo = nullptr;
    return 0;
  }
  virtual bool ValidFormat(AudioUnitScope inScope, AudioUnitElement inElement,
                           const AudioStreamBasicDescription& inNewFormat);
  virtual const AudioStreamBasicDescription& GetStreamFormat(AudioUnitScope inScope, AudioUnitElement inElement);
  virtual OSStatus ChangeStreamFormat(AudioUnitScope inScope, AudioUnitElement inElement,
                                      const AudioStreamBasicDescription& inPrevFormat,
                                      const AudioStreamBasicDescription& inNewFormat);
  virtual std::unique_ptr<AUElement> CreateElement(AudioUnitScope scope, AudioUnitElement element);
  virtual void ReallocateBuffers();
  virtual void SetMaxFramesPerSlice(UInt32 nFrames);
  virtual OSStatus CanSetMaxFrames() const { return IsInitialized() ? kAudioUnitErr_Initialized : noErr; }
  virtual UInt32 GetChannelLayoutTags(AudioUnitScope, AudioUnitElement, UInt32*) { return 0; }
  virtual UInt32 GetAudioChannelLayout(AudioUnitScope, AudioUnitElement, void*, Boolean&) { return 0; }
  virtual OSStatus SetAudioChannelLayout(AudioUnitScope, AudioUnitElement, const void*) {
    return kAudioUnitErr_InvalidProperty;
  }
  virtual OSStatus RemoveAudioChannelLayout(AudioUnitScope, AudioUnitElement) { return kAudioUnitErr_InvalidProperty; }
  // Splits the slice at the scheduled parameter changes and processes each part.
  virtual OSStatus ProcessForScheduledParams(UInt32 inFramesToProcess);
  virtual OSStatus ProcessScheduledSlice(void* inUserData, UInt32 inStartFrameInBuffer, UInt32 inSliceFramesToProcess,
                                         UInt32 inTotalBufferFrames);

  // ---- Services ----
  ComponentInstance GetComponentInstance() const { return mComponentInstance; }
  void CreateElements();
  AUScope& GetScope(AudioUnitScope inScope);  // throws kAudioUnitErr_InvalidScope
  AUElement* GetElement(AudioUnitScope inScope, AudioUnitElement inElement);  // nullptr when absent
  AUElement* Globals() { return mGlobalScope.GetElement(0); }
  AUInputElement* Input(AudioUnitElement element) {
    return dynamic_cast<AUInputElement*>(mInputScope.GetElement(element));
  }
  AUIOElement* Output(AudioUnitElement element) { return mOutputScope.GetIOElement(element); }
  bool IsInitialized() const { return mInitialized; }
  UInt32 GetMaxFramesPerSlice() const { return mMaxFramesPerSlice; }
  void PropertyChanged(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement);

  // ---- Entry operations (the component dispatcher calls these) ----
  OSStatus DoInitialize();
  void DoCleanup();
  OSStatus DoReset(AudioUnitScope inScope, AudioUnitElement inElement) { return Reset(inScope, inElement); }
  OSStatus DispatchGetPropertyInfo(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                                   UInt32* outDataSize, Boolean* outWritable);
  OSStatus DispatchGetProperty(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                               void* outData, UInt32* ioDataSize);
  OSStatus DispatchSetProperty(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                               const void* inData, UInt32 inDataSize);
  OSStatus DoRender(AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp, UInt32 inBusNumber,
                    UInt32 inNumberFrames, AudioBufferList* ioData);

  // Handles one component call (every selector but open) for the unit in `storage`.
  static ComponentResult ComponentEntryDispatch(ComponentParameters* params, AUBase* unit);

 protected:
  // The scheduled events of the current slice, for ProcessForScheduledParams.
  const std::vector<AudioUnitParameterEvent>& ScheduledEvents() const { return mParamEvents; }
  void ApplyEvent(const AudioUnitParameterEvent& event, UInt32 frameInSlice);

 private:
  struct PropertyListener {
    AudioUnitPropertyID propertyID;
    AudioUnitPropertyListenerProc proc;
    void* refCon;
  };
  struct RenderNotification {
    AURenderCallback proc = nullptr;
    void* refCon = nullptr;
    bool operator==(const RenderNotification& other) const { return proc == other.proc && refCon == other.refCon; }
  };

  ComponentInstance mComponentInstance;
  bool mElementsCreated = false;
  bool mInitialized = false;
  UInt32 mInitNumInputEls;
  UInt32 mInitNumOutputEls;
  UInt32 mMaxFramesPerSlice = kAUDefaultMaxFramesPerSlice;
  OSStatus mLastRenderError = noErr;
  AUScope mGlobalScope, mInputScope, mOutputScope, mGroupScope, mPartScope;
  std::mutex mListenersMutex;
  std::vector<PropertyListener> mPropertyListeners;
  ThreadSafeList<RenderNotification> mRenderCallbacks;
  std::vector<AudioUnitParameterEvent> mParamEvents;  // capacity reserved at construction
  CFStringRef mPresetName = nullptr;                  // owned
};
