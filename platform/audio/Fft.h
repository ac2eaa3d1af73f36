#pragma once
// vDSP stand-in: radix-2 real FFT with vDSP's packed split-complex layout and scaling.
//
// A forward real transform of N = 2^log2n samples takes the samples packed as N/2 complex
// values (even samples in realp, odd samples in imagp, see vDSP_ctoz) and leaves in place:
//   realp[0] = 2 * X[0] (DC), imagp[0] = 2 * X[N/2] (Nyquist),
//   realp[k] + i imagp[k] = 2 * X[k] for k = 1 .. N/2 - 1,
// where X is the plain DFT, X[k] = sum x[n] e^(-2 pi i k n / N).
// The inverse direction takes that layout back to packed samples (see vDSP_fft_zrip).
// Transforms allocate nothing; all tables are made by vDSP_create_fftsetup.
#include <cstddef>

struct DSPComplex {
  float real;
  float imag;
};
struct DSPSplitComplex {
  float* realp;
  float* imagp;
};
typedef unsigned long vDSP_Length;
typedef long vDSP_Stride;
typedef int FFTDirection;
typedef int FFTRadix;
enum { kFFTDirection_Forward = 1, kFFTDirection_Inverse = -1 };
enum { kFFTRadix2 = 0, kFFTRadix3 = 1, kFFTRadix5 = 2 };
enum { FFT_FORWARD = kFFTDirection_Forward, FFT_INVERSE = kFFTDirection_Inverse };
enum { FFT_RADIX2 = kFFTRadix2, FFT_RADIX3 = kFFTRadix3, FFT_RADIX5 = kFFTRadix5 };

typedef struct OpaqueFFTSetup* FFTSetup;

// Tables for transforms of up to 2^log2n real points. Only radix 2 is supported; nullptr for
// another radix or a size beyond 2^24.
FFTSetup vDSP_create_fftsetup(vDSP_Length log2n, FFTRadix radix);
void vDSP_destroy_fftsetup(FFTSetup setup);

// Copies n interleaved complex values (stride strideC in DSPComplex units, 2 for contiguous
// real samples) into the split form (stride strideZ).
void vDSP_ctoz(const DSPComplex* c, vDSP_Stride strideC, const DSPSplitComplex* z, vDSP_Stride strideZ,
               vDSP_Length n);

// In-place real FFT of 2^log2n points on the packed split-complex data (stride in elements).
// Forward: packed samples -> packed spectrum as described above. Inverse: packed spectrum ->
// packed samples, such that forward then inverse scales the samples by 2N.
// Sizes below 2 points or beyond the setup's size leave the data untouched.
void vDSP_fft_zrip(FFTSetup setup, const DSPSplitComplex* data, vDSP_Stride stride, vDSP_Length log2n,
                   FFTDirection direction);

// The older names of the same operations.
inline FFTSetup create_fftsetup(vDSP_Length log2n, FFTRadix radix) { return vDSP_create_fftsetup(log2n, radix); }
inline void destroy_fftsetup(FFTSetup setup) { vDSP_destroy_fftsetup(setup); }
inline void ctoz(const DSPComplex* c, vDSP_Stride strideC, const DSPSplitComplex* z, vDSP_Stride strideZ,
                 vDSP_Length n) {
  vDSP_ctoz(c, strideC, z, strideZ, n);
}
inline void fft_zrip(FFTSetup setup, const DSPSplitComplex* data, vDSP_Stride stride, vDSP_Length log2n,
                     FFTDirection direction) {
  vDSP_fft_zrip(setup, data, stride, log2n, direction);
}
