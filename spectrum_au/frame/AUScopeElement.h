#pragma once
// Scopes and elements of an audio unit: each element holds a parameter store; input and output
// elements also hold a stream format and the buffers of one render slice.
#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

#include "spectrum_au/frame/AudioUnitTypes.h"

class AUBase;

class AUElement {
 public:
  explicit AUElement(AUBase& audioUnit) : mAudioUnit(audioUnit) {}
  virtual ~AUElement() = default;
  AUElement(const AUElement&) = delete;
  AUElement& operator=(const AUElement&) = delete;

  AUBase& GetAudioUnit() const { return mAudioUnit; }

  // Parameters are indexed: IDs 0 .. count - 1, all 0 until set. Values are safe to read on
  // the render thread while another thread sets them.
  void UseIndexedParameters(UInt32 numberOfParameters);
  UInt32 GetNumberOfParameters() const { return mParameterCount; }
  bool HasParameterID(AudioUnitParameterID paramID) const { return paramID < mParameterCount; }
  AudioUnitParameterValue GetParameter(AudioUnitParameterID paramID) const;
  void SetParameter(AudioUnitParameterID paramID, AudioUnitParameterValue value);

 private:
  AUBase& mAudioUnit;
  std::unique_ptr<std::atomic<AudioUnitParameterValue>[]> mParameters;
  UInt32 mParameterCount = 0;
};

// Buffers for one slice: one float buffer per channel (deinterleaved) or one for all.
class AUBufferList {
 public:
  // Makes room for maxFrames of the given format; allocates.
  void Allocate(const AudioStreamBasicDescription& format, UInt32 maxFrames);
  void Deallocate();
  // Points every buffer at our own memory, sized for nFrames. Allocates nothing.
  AudioBufferList& PrepareBuffer(UInt32 nFrames);
  // Buffers with no memory yet, for a source that supplies its own pointers.
  AudioBufferList& PrepareNullBuffer(UInt32 nFrames);
  AudioBufferList& GetBufferList() { return *mList; }
  bool IsAllocated() const { return mList != nullptr; }

 private:
  std::unique_ptr<std::byte[]> mListStorage;
  AudioBufferList* mList = nullptr;
  std::unique_ptr<float[]> mMemory;
  UInt32 mMaxFrames = 0;
  UInt32 mSamplesPerBuffer = 0;  // per frame
};

class AUIOElement : public AUElement {
 public:
  explicit AUIOElement(AUBase& audioUnit);
  const AudioStreamBasicDescription& GetStreamFormat() const { return mStreamFormat; }
  virtual void SetStreamFormat(const AudioStreamBasicDescription& format) { mStreamFormat = format; }
  UInt32 NumberChannels() const { return mStreamFormat.mChannelsPerFrame; }
  bool IsInterleaved() const { return !(mStreamFormat.mFormatFlags & kAudioFormatFlagIsNonInterleaved); }

  void AllocateBuffer(UInt32 maxFrames) { mBuffers.Allocate(mStreamFormat, maxFrames); }
  void DeallocateBuffer() { mBuffers.Deallocate(); }
  AUBufferList& Buffers() { return mBuffers; }

  // The list the slice's audio is in: our own buffers, or another element's when borrowed.
  AudioBufferList& GetBufferList() { return mBorrowed ? *mBorrowed : mBuffers.GetBufferList(); }
  void UseBufferList(AudioBufferList* list) { mBorrowed = list; }

  // The canonical format: 32-bit float, packed, deinterleaved.
  static AudioStreamBasicDescription CanonicalFormat(Float64 sampleRate, UInt32 channels);

 protected:
  AudioStreamBasicDescription mStreamFormat{};
  AUBufferList mBuffers;
  AudioBufferList* mBorrowed = nullptr;
};

class AUInputElement : public AUIOElement {
 public:
  using AUIOElement::AUIOElement;

  void SetConnection(const AudioUnitConnection& connection);
  void SetInputCallback(AURenderCallback proc, void* refCon);
  bool IsActive() const { return mHasConnection || mInputProc != nullptr; }

  // Fetches nFrames into this element's buffers from the connection or the callback.
  OSStatus PullInput(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                     AudioUnitElement inElement, UInt32 nFrames);

 private:
  bool mHasConnection = false;
  AudioUnitConnection mConnection{};
  AURenderCallback mInputProc = nullptr;
  void* mInputProcRefCon = nullptr;
};

class AUScope {
 public:
  void Initialize(AUBase& audioUnit, AudioUnitScope scope, UInt32 numElements);
  AudioUnitScope GetScope() const { return mScope; }
  UInt32 GetNumberOfElements() const { return UInt32(mElements.size()); }
  AUElement* GetElement(AudioUnitElement element) const {
    return element < mElements.size() ? mElements[element].get() : nullptr;
  }
  AUIOElement* GetIOElement(AudioUnitElement element) const { return dynamic_cast<AUIOElement*>(GetElement(element)); }

 private:
  AudioUnitScope mScope = kAudioUnitScope_Global;
  std::vector<std::unique_ptr<AUElement>> mElements;
};
