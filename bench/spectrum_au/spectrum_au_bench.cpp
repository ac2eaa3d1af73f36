// Render cost of a spectrum analyser plug-in per 512-frame stereo slice at 44.1 kHz, as a
// multiple of real time, with and without an armed transform; and the real FFT against a
// plain DFT of the same 512 samples.
//
//   spectrum_au_bench PLUGIN.so
#include <dlfcn.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/audio/Fft.h"
#include "spectrum_au/frame/ComponentCalls.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr UInt32 kFrames = 512;
constexpr double kRate = 44100.0;

struct Source {
  std::vector<float> samples;
};

OSStatus provide(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                 AudioBufferList* ioData) {
  const float* from = static_cast<Source*>(refCon)->samples.data();
  for (UInt32 c = 0; c < ioData->mNumberBuffers; ++c) std::memcpy(ioData->mBuffers[c].mData, from, frames * sizeof(float));
  return noErr;
}

// Runs body in batches for about `seconds` and returns the time of one run in the fastest
// batch, in seconds: the machine is shared, and the fastest batch is the least disturbed.
template <typename F>
double timeEach(F&& body, double seconds = 0.5) {
  constexpr int kBatch = 64;
  double best = 1e30;
  const auto start = Clock::now();
  do {
    const auto batchStart = Clock::now();
    for (int i = 0; i < kBatch; ++i) body();
    const double batch = std::chrono::duration<double>(Clock::now() - batchStart).count() / kBatch;
    if (batch < best) best = batch;
  } while (std::chrono::duration<double>(Clock::now() - start).count() < seconds);
  return best;
}

// Times one render with a spectrum read before it (arming a kernel) and without.
int benchRender(const char* pluginPath) {
  void* module = dlopen(pluginPath, RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    std::fprintf(stderr, "spectrum_au_bench: %s\n", dlerror());
    return 1;
  }
  auto entry = reinterpret_cast<ComponentRoutine>(dlsym(module, "OrrinthAUEntry"));
  if (!entry) entry = reinterpret_cast<ComponentRoutine>(dlsym(module, "XACfftAUEntry"));
  AudioUnit unit = nullptr;
  if (!entry || OpenComponentWithEntry(entry, &unit) != noErr) {
    std::fprintf(stderr, "spectrum_au_bench: cannot open the unit in %s\n", pluginPath);
    return 1;
  }
  Source source;
  for (UInt32 i = 0; i < kFrames; ++i) source.samples.push_back(float(0.5 * std::sin(0.07 * i) + 0.1 * std::sin(1.3 * i)));
  AudioStreamBasicDescription format{kRate, kAudioFormatLinearPCM,
                                     kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved,
                                     4, 1, 4, 2, 32, 0};
  AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &format, sizeof format);
  AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format, sizeof format);
  AURenderCallbackStruct callback{provide, &source};
  AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback, sizeof callback);
  if (AudioUnitInitialize(unit) != noErr) {
    std::fprintf(stderr, "spectrum_au_bench: cannot initialise the unit\n");
    return 1;
  }
  std::vector<float> left(kFrames), right(kFrames);
  alignas(AudioBufferList) std::byte bytes[sizeof(AudioBufferList) + sizeof(AudioBuffer)];
  auto* list = reinterpret_cast<AudioBufferList*>(bytes);
  AudioTimeStamp ts{};
  bool failed = false;
  auto render = [&] {
    list->mNumberBuffers = 2;
    list->mBuffers[0] = AudioBuffer{1, kFrames * 4, left.data()};
    list->mBuffers[1] = AudioBuffer{1, kFrames * 4, right.data()};
    AudioUnitRenderActionFlags flags = 0;
    failed |= AudioUnitRender(unit, &flags, &ts, 0, kFrames, list) != noErr;
  };
  auto read = [&] {
    CFArrayRef spectrum = nullptr;
    UInt32 size = sizeof spectrum;
    failed |= AudioUnitGetProperty(unit, 65536, kAudioUnitScope_Global, 0, &spectrum, &size) != noErr;
    CFRelease(spectrum);
  };

  const double realTime = kFrames / kRate;
  const double plain = timeEach(render);
  // Each read arms one channel's kernel; time the read alone to take it out of the armed figure.
  const double readOnly = timeEach(read);
  const double readAndRender = timeEach([&] { read(); render(); });
  const double armed = readAndRender - readOnly;
  std::printf("render, 512-frame stereo slice at 44.1 kHz (%s):\n", pluginPath);
  std::printf("  pass-through only:      %8.3f us/slice  %10.0f x real time\n", plain * 1e6, realTime / plain);
  std::printf("  with an armed transform:%8.3f us/slice  %10.0f x real time\n", armed * 1e6, realTime / armed);
  std::printf("  (a spectrum read:       %8.3f us)\n", readOnly * 1e6);
  CloseComponent(unit);
  dlclose(module);
  return failed ? 1 : 0;
}

void benchFft() {
  const vDSP_Length log2n = 9;
  const size_t n = size_t(1) << log2n;
  std::vector<float> x(n);
  for (size_t i = 0; i < n; ++i) x[i] = float(std::sin(0.05 * double(i)) + 0.3 * std::cos(0.9 * double(i)));
  FFTSetup setup = vDSP_create_fftsetup(log2n, kFFTRadix2);
  std::vector<float> re(n / 2), im(n / 2);
  DSPSplitComplex split{re.data(), im.data()};
  const double fft = timeEach([&] {
    vDSP_ctoz(reinterpret_cast<const DSPComplex*>(x.data()), 2, &split, 1, n / 2);
    vDSP_fft_zrip(setup, &split, 1, log2n, kFFTDirection_Forward);
  });
  // The plain DFT of the same samples, bins 0 .. N/2, with a precomputed table.
  std::vector<double> cosTable(n), sinTable(n), outRe(n / 2 + 1), outIm(n / 2 + 1);
  for (size_t i = 0; i < n; ++i) {
    cosTable[i] = std::cos(2.0 * M_PI * double(i) / double(n));
    sinTable[i] = std::sin(2.0 * M_PI * double(i) / double(n));
  }
  const double dft = timeEach([&] {
    for (size_t k = 0; k <= n / 2; ++k) {
      double sr = 0, si = 0;
      for (size_t t = 0; t < n; ++t) {
        const size_t j = (k * t) & (n - 1);
        sr += x[t] * cosTable[j];
        si -= x[t] * sinTable[j];
      }
      outRe[k] = sr;
      outIm[k] = si;
    }
  });
  vDSP_destroy_fftsetup(setup);
  std::printf("real FFT, 512 points: %8.3f us; plain DFT: %8.3f us; FFT %.0f x faster (check %.1f vs %.1f)\n",
              fft * 1e6, dft * 1e6, dft / fft, re[10], 2.0 * outRe[10]);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: spectrum_au_bench PLUGIN.so\n");
    return 2;
  }
  const int status = benchRender(argv[1]);
  benchFft();
  return status;
}
