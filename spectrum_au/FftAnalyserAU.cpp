#include "spectrum_au/FftAnalyserAU.h"

#include <cmath>
#include <cstring>

namespace {

// Upper edge in Hz of each band; band i starts at the edge of band i - 1 (0 Hz for band 0).
const Float32 frequencies[] = {50, 150, 300, 500, 700, 850, 1050, 1250, 1400, 1500, 1750, 2000, 2250, 4500, 8000, 16500};
static_assert(sizeof frequencies / sizeof frequencies[0] == 16);

}  // namespace

// ---- Kernel ----

template <class Traits>
FftAnalyserAU<Traits>::Kernel::Kernel(AUEffectBase* inAudioUnit) : AUKernelBase(inAudioUnit) {
  SetupFFT();
}

template <class Traits>
FftAnalyserAU<Traits>::Kernel::~Kernel() {
  CleanupFFT();
}

template <class Traits>
void FftAnalyserAU<Traits>::Kernel::SetupFFT() {
  CleanupFFT();
  // Cleared so that a read before the first transform sees silence, not leftover memory.
  mBuffer = new float[kFFTSize]();
  mSplit.realp = mBuffer;
  mSplit.imagp = mBuffer + kFFTSize / 2;
  if constexpr (Traits::kLegacyFFTNames)
    mFFTSetup = create_fftsetup(kFFTLog2Size, FFT_RADIX2);
  else
    mFFTSetup = vDSP_create_fftsetup(kFFTLog2Size, kFFTRadix2);
  SetDirty();
}

template <class Traits>
void FftAnalyserAU<Traits>::Kernel::CleanupFFT() {
  if (mBuffer) {
    delete[] mBuffer;
    mBuffer = nullptr;
  }
  if (mFFTSetup) {
    if constexpr (Traits::kLegacyFFTNames)
      destroy_fftsetup(mFFTSetup);
    else
      vDSP_destroy_fftsetup(mFFTSetup);
    mFFTSetup = nullptr;
  }
}

template <class Traits>
void FftAnalyserAU<Traits>::Kernel::Reset() {
  if constexpr (Traits::kResetRebuildsFFT) SetupFFT();
}

template <class Traits>
void FftAnalyserAU<Traits>::Kernel::Process(const Float32* inSourceP, Float32* inDestP, UInt32 inFramesToProcess,
                                            UInt32 inNumChannels, bool&) {
  if (mDirty.load(std::memory_order_acquire)) {
    // The buffer holds 512 samples: a longer slice gives its first 512.
    const UInt32 frames = inFramesToProcess < kFFTSize ? inFramesToProcess : kFFTSize;
    const double log2Frames = std::log2(double(frames));
    const vDSP_Length log2n = log2Frames > 0.0 ? vDSP_Length(log2Frames) : 0;
    if (mBuffer && mFFTSetup) {
      // Samples are read contiguously: even ones into the real half, odd ones into the imaginary.
      const auto* interleaved = reinterpret_cast<const DSPComplex*>(inSourceP);
      if constexpr (Traits::kLegacyFFTNames) {
        ctoz(interleaved, 2, &mSplit, 1, frames / 2);
        fft_zrip(mFFTSetup, &mSplit, 1, log2n, FFT_FORWARD);
      } else {
        vDSP_ctoz(interleaved, 2, &mSplit, 1, frames / 2);
        vDSP_fft_zrip(mFFTSetup, &mSplit, 1, log2n, kFFTDirection_Forward);
      }
    }
    mDirty.store(false, std::memory_order_release);
  }
  // Pass the audio through unaltered.
  for (UInt32 i = 0; i < inFramesToProcess; ++i) inDestP[size_t(i) * inNumChannels] = inSourceP[size_t(i) * inNumChannels];
}

// ---- Unit ----

template <class Traits>
FftAnalyserAU<Traits>::FftAnalyserAU(ComponentInstance inComponentInstance)
    : AUEffectBase(inComponentInstance, true) {
  CreateElements();
  Globals()->UseIndexedParameters(1);
  SetParameter(kParam_SpectrumLength, 16);
  CFMutableArrayRef edges = CFArrayCreateMutable(kCFAllocatorDefault, kBandCount, &kCFTypeArrayCallBacks);
  if (!edges) throw OSStatus(kAudio_MemFullError);
  for (Float32 edge : frequencies) {
    CFNumberRef number = CFNumberCreate(kCFAllocatorDefault, kCFNumberFloatType, &edge);
    CFArrayAppendValue(edges, number);
    CFRelease(number);
  }
  mBandEdges = CFArrayCreateCopy(kCFAllocatorDefault, edges);
  CFRelease(edges);
  if (CFArrayGetCount(mBandEdges) != kBandCount) {
    CFRelease(mBandEdges);
    throw OSStatus(kAudio_MemFullError);
  }
}

template <class Traits>
FftAnalyserAU<Traits>::~FftAnalyserAU() {
  mKernelList.clear();
  if (mBandEdges) CFRelease(mBandEdges);
}

template <class Traits>
void FftAnalyserAU<Traits>::Cleanup() {
  // The 32-bit unit keeps its kernels (and their last transforms) across uninitialise.
  if constexpr (!Traits::kCleanupKeepsKernels) AUEffectBase::Cleanup();
}

template <class Traits>
OSStatus FftAnalyserAU<Traits>::GetPropertyInfo(AudioUnitPropertyID inID, AudioUnitScope inScope,
                                                AudioUnitElement inElement, UInt32& outDataSize,
                                                Boolean& outWritable) {
  if (inScope == kAudioUnitScope_Global && inID == kProperty_Spectrum) {
    outDataSize = sizeof(CFArrayRef);
    outWritable = true;
    return noErr;
  }
  return AUEffectBase::GetPropertyInfo(inID, inScope, inElement, outDataSize, outWritable);
}

template <class Traits>
OSStatus FftAnalyserAU<Traits>::GetProperty(AudioUnitPropertyID inID, AudioUnitScope inScope,
                                            AudioUnitElement inElement, void* outData) {
  if (inScope == kAudioUnitScope_Global && inID == kProperty_Spectrum) {
    CFArrayRef spectrum = nullptr;
    GetSpectrum(&spectrum);
    std::memcpy(outData, &spectrum, sizeof spectrum);
    return noErr;
  }
  return AUEffectBase::GetProperty(inID, inScope, inElement, outData);
}

template <class Traits>
OSStatus FftAnalyserAU<Traits>::GetParameterInfo(AudioUnitScope inScope, AudioUnitParameterID inParameterID,
                                                 AudioUnitParameterInfo& outParameterInfo) {
  outParameterInfo.flags = kAudioUnitParameterFlag_IsWritable | kAudioUnitParameterFlag_IsReadable;
  if (inScope != kAudioUnitScope_Global || inParameterID != kParam_SpectrumLength)
    return kAudioUnitErr_InvalidParameter;
  CFStringRef name = kParam_SpectrumLengthName;
  outParameterInfo.cfNameString = name;
  outParameterInfo.flags |= kAudioUnitParameterFlag_HasCFNameString;
  CFStringGetCString(name, outParameterInfo.name, sizeof outParameterInfo.name, kCFStringEncodingUTF8);
  outParameterInfo.unit = kAudioUnitParameterUnit_Indexed;
  outParameterInfo.minValue = 12;
  outParameterInfo.maxValue = 256;
  outParameterInfo.defaultValue = 16;
  return noErr;
}

template <class Traits>
OSStatus FftAnalyserAU<Traits>::GetParameterValueStrings(AudioUnitScope, AudioUnitParameterID, CFArrayRef*) {
  return kAudioUnitErr_InvalidProperty;
}

template <class Traits>
int FftAnalyserAU<Traits>::FreqToIndex(Float32 frequency) {
  const Float32 sampleRate = Float32(GetSampleRate());
  const Float32 nyquist = sampleRate * 0.5f;
  const Float32 halfBin = Float32(double(nyquist) * 0.00390625) * 0.5f;
  if (halfBin > frequency) return 0;
  if (frequency > nyquist - halfBin) return 255;
  if constexpr (Traits::kRoundWithLround)
    return int(lroundf(frequency / sampleRate * 512.0f));
  else
    return int(roundf(frequency / sampleRate * 512.0f));
}

template <class Traits>
void FftAnalyserAU<Traits>::GetSpectrum(CFArrayRef* outArray) {
  const CFIndex n = CFArrayGetCount(mBandEdges);
  Kernel* kernel0 = KernelAt(0);
  // Before the first initialise there are no kernels and nothing to show: all bands 0, and no
  // kernel to re-arm.
  const bool haveKernels = kernel0 != nullptr;
  Kernel* kernel1 = GetNumberOfChannels() > 1 ? KernelAt(1) : nullptr;
  const bool stereo = kernel1 != nullptr;

  Float32 bands[kBandCount] = {};
  Float32 peak = 0.0f;
  if (haveKernels) {
    const float* real0 = kernel0->SplitComplex().realp;
    const float* imag0 = kernel0->SplitComplex().imagp;
    const float* real1 = stereo ? kernel1->SplitComplex().realp : nullptr;
    const float* imag1 = stereo ? kernel1->SplitComplex().imagp : nullptr;
    for (CFIndex i = 0; i < n; ++i) {
      Float32 lowEdge = 0.0f, highEdge = 0.0f;
      if (i > 0)
        CFNumberGetValue(static_cast<CFNumberRef>(CFArrayGetValueAtIndex(mBandEdges, i - 1)), kCFNumberFloatType, &lowEdge);
      CFNumberGetValue(static_cast<CFNumberRef>(CFArrayGetValueAtIndex(mBandEdges, i)), kCFNumberFloatType, &highEdge);
      const int lo = FreqToIndex(lowEdge);
      const int hi = FreqToIndex(highEdge);
      Float32 sum = 0.0f;
      for (int k = lo; k <= hi; ++k) {
        Float32 m = std::sqrt(real0[k] * real0[k] + imag0[k] * imag0[k]);
        if (stereo) m = (std::sqrt(real1[k] * real1[k] + imag1[k] * imag1[k]) + m) * 0.5f;
        sum += m;
        if (m > peak) peak = m;
      }
      bands[i] = sum / Float32(hi - lo + 1);
    }
  }

  CFMutableArrayRef spectrum = CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFTypeArrayCallBacks);
  const Float32 range = peak > 1.0f ? peak : 1.0f;
  for (CFIndex i = 0; i < n; ++i) {
    const Float32 value = bands[i] / range;
    CFNumberRef number = CFNumberCreate(kCFAllocatorDefault, kCFNumberFloatType, &value);
    CFArrayAppendValue(spectrum, number);
    CFRelease(number);
  }

  // Re-arm one kernel, only now that every buffer has been read.
  if (haveKernels) {
    ++mReadCount;
    if (stereo)
      (mReadCount % 2 == 1 ? kernel0 : kernel1)->SetDirty();
    else
      kernel0->SetDirty();
  }
  *outArray = spectrum;
}

template class FftAnalyserAU<XACfftAUTraits>;
template class FftAnalyserAU<OrrinthAUTraits>;
