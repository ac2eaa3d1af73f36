#pragma once
// The spectrum analyser effect: passes audio through and, on request, reports a 16-band
// magnitude spectrum of the most recent audio through property kProperty_Spectrum. One kernel
// per channel transforms the first slice it sees after each read has re-armed it.
//
// The 32-bit and 64-bit units share these sources; where they differ, a traits class decides
// at compile time (XACfftAUTraits and OrrinthAUTraits below).
#include <atomic>
#include <memory>

#include "platform/audio/Fft.h"
#include "spectrum_au/frame/AUEffectBase.h"

enum : AudioUnitPropertyID { kProperty_Spectrum = 65536 };
enum : AudioUnitParameterID { kParam_SpectrumLength = 0 };
#define kParam_SpectrumLengthName CFSTR("Spectrum Length")

struct XACfftAUTraits {
  static constexpr bool kLegacyFFTNames = true;        // create_fftsetup, ctoz, fft_zrip, destroy_fftsetup
  static constexpr bool kResetRebuildsFFT = false;     // kernel Reset does nothing
  static constexpr bool kCleanupKeepsKernels = true;   // kernels survive uninitialise
  static constexpr bool kRoundWithLround = true;       // lroundf (roundf gives the same result)
};

struct OrrinthAUTraits {
  static constexpr bool kLegacyFFTNames = false;       // the vDSP_ names
  static constexpr bool kResetRebuildsFFT = true;      // kernel Reset re-runs SetupFFT
  static constexpr bool kCleanupKeepsKernels = false;  // the frame's Cleanup deletes the kernels
  static constexpr bool kRoundWithLround = false;
};

template <class Traits>
class FftAnalyserAU : public AUEffectBase {
 public:
  static constexpr UInt32 kFFTLog2Size = 9;
  static constexpr UInt32 kFFTSize = 1u << kFFTLog2Size;  // 512 samples, 2048 bytes
  static constexpr CFIndex kBandCount = 16;

  class Kernel : public AUKernelBase {
   public:
    explicit Kernel(AUEffectBase* inAudioUnit);
    ~Kernel() override;
    void Reset() override;
    void Process(const Float32* inSourceP, Float32* inDestP, UInt32 inFramesToProcess, UInt32 inNumChannels,
                 bool& ioSilence) override;
    virtual void CleanupFFT();
    virtual void SetupFFT();
    virtual void SetDirty() { mDirty.store(true, std::memory_order_release); }

    bool IsDirty() const { return mDirty.load(std::memory_order_acquire); }
    const DSPSplitComplex& SplitComplex() const { return mSplit; }

   private:
    FFTSetup mFFTSetup = nullptr;
    float* mBuffer = nullptr;  // kFFTSize floats
    DSPSplitComplex mSplit{nullptr, nullptr};
    std::atomic<bool> mDirty{false};
  };

  explicit FftAnalyserAU(ComponentInstance inComponentInstance);
  ~FftAnalyserAU() override;

  ComponentResult Version() override { return 0x00010000; }
  void Cleanup() override;
  OSStatus GetPropertyInfo(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                           UInt32& outDataSize, Boolean& outWritable) override;
  OSStatus GetProperty(AudioUnitPropertyID inID, AudioUnitScope inScope, AudioUnitElement inElement,
                       void* outData) override;
  OSStatus GetParameterInfo(AudioUnitScope inScope, AudioUnitParameterID inParameterID,
                            AudioUnitParameterInfo& outParameterInfo) override;
  OSStatus GetParameterValueStrings(AudioUnitScope inScope, AudioUnitParameterID inParameterID,
                                    CFArrayRef* outStrings) override;
  bool SupportsTail() override { return false; }
  std::unique_ptr<AUKernelBase> NewKernel() override { return std::make_unique<Kernel>(this); }

  // Makes the 16 band values and re-arms one kernel; *outArray belongs to the caller.
  virtual void GetSpectrum(CFArrayRef* outArray);
  // The FFT bin (0 .. 255) nearest a frequency in Hz at the output's sample rate.
  virtual int FreqToIndex(Float32 frequency);

  UInt32 SpectrumReadCount() const { return mReadCount; }
  // The upper edge in Hz of each band (kCFNumberFloatType numbers); the unit keeps it.
  CFArrayRef BandEdges() const { return mBandEdges; }
  Kernel* KernelAt(size_t index) const { return static_cast<Kernel*>(GetKernel(index)); }

 private:
  CFArrayRef mBandEdges = nullptr;  // 16 kCFNumberFloatType upper edges in Hz
  UInt32 mReadCount = 0;
};

extern template class FftAnalyserAU<XACfftAUTraits>;
extern template class FftAnalyserAU<OrrinthAUTraits>;

// The 32-bit deliverable's unit (fftanalyser).
class XACfftAU final : public FftAnalyserAU<XACfftAUTraits> {
 public:
  using XACfftAUKernel = Kernel;
  using FftAnalyserAU::FftAnalyserAU;
};

// The 64-bit deliverable's unit.
class OrrinthAU final : public FftAnalyserAU<OrrinthAUTraits> {
 public:
  using OrrinthAUKernel = Kernel;
  using FftAnalyserAU::FftAnalyserAU;
};
