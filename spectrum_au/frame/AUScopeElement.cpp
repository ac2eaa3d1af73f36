#include "spectrum_au/frame/AUScopeElement.h"

#include <cstring>

#include "spectrum_au/frame/AUBase.h"
#include "spectrum_au/frame/ComponentCalls.h"

void AUElement::UseIndexedParameters(UInt32 numberOfParameters) {
  mParameters = std::make_unique<std::atomic<AudioUnitParameterValue>[]>(numberOfParameters);
  for (UInt32 i = 0; i < numberOfParameters; ++i) mParameters[i].store(0.0f);
  mParameterCount = numberOfParameters;
}

AudioUnitParameterValue AUElement::GetParameter(AudioUnitParameterID paramID) const {
  return HasParameterID(paramID) ? mParameters[paramID].load(std::memory_order_relaxed) : 0.0f;
}

void AUElement::SetParameter(AudioUnitParameterID paramID, AudioUnitParameterValue value) {
  if (HasParameterID(paramID)) mParameters[paramID].store(value, std::memory_order_relaxed);
}

void AUBufferList::Allocate(const AudioStreamBasicDescription& format, UInt32 maxFrames) {
  const bool interleaved = !(format.mFormatFlags & kAudioFormatFlagIsNonInterleaved);
  const UInt32 channels = format.mChannelsPerFrame;
  const UInt32 numberBuffers = interleaved ? 1 : channels;
  const UInt32 samplesPerBuffer = interleaved ? channels : 1;
  const size_t listBytes = sizeof(AudioBufferList) + sizeof(AudioBuffer) * (numberBuffers > 0 ? numberBuffers - 1 : 0);
  mListStorage = std::make_unique<std::byte[]>(listBytes);
  mList = new (mListStorage.get()) AudioBufferList{};
  mList->mNumberBuffers = numberBuffers;
  AudioBuffer* buffers = mList->mBuffers;
  for (UInt32 i = 0; i < numberBuffers; ++i) buffers[i] = AudioBuffer{samplesPerBuffer, 0, nullptr};
  mMemory = std::make_unique<float[]>(size_t(maxFrames) * channels);
  mMaxFrames = maxFrames;
  mSamplesPerBuffer = samplesPerBuffer;
}

void AUBufferList::Deallocate() {
  mList = nullptr;
  mListStorage.reset();
  mMemory.reset();
  mMaxFrames = 0;
}

AudioBufferList& AUBufferList::PrepareBuffer(UInt32 nFrames) {
  AudioBuffer* buffers = mList->mBuffers;
  const size_t stride = size_t(mMaxFrames) * mSamplesPerBuffer;
  for (UInt32 i = 0; i < mList->mNumberBuffers; ++i) {
    buffers[i].mNumberChannels = mSamplesPerBuffer;
    buffers[i].mDataByteSize = UInt32(nFrames * mSamplesPerBuffer * sizeof(float));
    buffers[i].mData = mMemory.get() + stride * i;
  }
  return *mList;
}

AudioBufferList& AUBufferList::PrepareNullBuffer(UInt32 nFrames) {
  AudioBuffer* buffers = mList->mBuffers;
  for (UInt32 i = 0; i < mList->mNumberBuffers; ++i) {
    buffers[i].mNumberChannels = mSamplesPerBuffer;
    buffers[i].mDataByteSize = UInt32(nFrames * mSamplesPerBuffer * sizeof(float));
    buffers[i].mData = nullptr;
  }
  return *mList;
}

AUIOElement::AUIOElement(AUBase& audioUnit) : AUElement(audioUnit) {
  mStreamFormat = CanonicalFormat(44100.0, 2);
}

AudioStreamBasicDescription AUIOElement::CanonicalFormat(Float64 sampleRate, UInt32 channels) {
  AudioStreamBasicDescription format{};
  format.mSampleRate = sampleRate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved;
  format.mBytesPerPacket = sizeof(Float32);
  format.mFramesPerPacket = 1;
  format.mBytesPerFrame = sizeof(Float32);
  format.mChannelsPerFrame = channels;
  format.mBitsPerChannel = 32;
  return format;
}

void AUInputElement::SetConnection(const AudioUnitConnection& connection) {
  mHasConnection = connection.sourceAudioUnit != nullptr;
  mConnection = connection;
}

void AUInputElement::SetInputCallback(AURenderCallback proc, void* refCon) {
  mInputProc = proc;
  mInputProcRefCon = refCon;
}

OSStatus AUInputElement::PullInput(AudioUnitRenderActionFlags& ioActionFlags, const AudioTimeStamp& inTimeStamp,
                                   AudioUnitElement inElement, UInt32 nFrames) {
  if (!IsActive()) return kAudioUnitErr_NoConnection;
  mBorrowed = nullptr;
  AudioBufferList& list = mBuffers.PrepareBuffer(nFrames);
  if (mHasConnection)
    return AudioUnitRender(mConnection.sourceAudioUnit, &ioActionFlags, &inTimeStamp,
                           mConnection.sourceOutputNumber, nFrames, &list);
  return mInputProc(mInputProcRefCon, &ioActionFlags, &inTimeStamp, inElement, nFrames, &list);
}

void AUScope::Initialize(AUBase& audioUnit, AudioUnitScope scope, UInt32 numElements) {
  mScope = scope;
  mElements.clear();
  for (UInt32 i = 0; i < numElements; ++i) mElements.push_back(audioUnit.CreateElement(scope, i));
}
