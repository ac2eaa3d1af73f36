#include "platform/audio/Fft.h"

#include <cmath>
#include <new>
#include <utility>

// The real transform of N points runs as a complex transform of M = N/2 points on the packed
// samples z[n] = x[2n] + i x[2n+1], followed by the split step that separates the spectra of
// the even and odd samples: X[k] = E[k] + W^k O[k], with W = e^(-2 pi i / N).

struct OpaqueFFTSetup {
  vDSP_Length log2nMax = 0;
  // cos and sin of 2 pi j / 2^log2nMax for j < 2^log2nMax / 2.
  float* cosTable = nullptr;
  float* sinTable = nullptr;
};

FFTSetup vDSP_create_fftsetup(vDSP_Length log2n, FFTRadix radix) {
  if (radix != kFFTRadix2 || log2n > 24) return nullptr;
  auto* setup = new (std::nothrow) OpaqueFFTSetup;
  if (!setup) return nullptr;
  const size_t n = size_t(1) << log2n;
  const size_t quarter = n / 2 > 0 ? n / 2 : 1;
  setup->log2nMax = log2n;
  setup->cosTable = new (std::nothrow) float[quarter];
  setup->sinTable = new (std::nothrow) float[quarter];
  if (!setup->cosTable || !setup->sinTable) {
    vDSP_destroy_fftsetup(setup);
    return nullptr;
  }
  for (size_t j = 0; j < quarter; ++j) {
    const double angle = 2.0 * M_PI * double(j) / double(n);
    setup->cosTable[j] = float(std::cos(angle));
    setup->sinTable[j] = float(std::sin(angle));
  }
  return setup;
}

void vDSP_destroy_fftsetup(FFTSetup setup) {
  if (!setup) return;
  delete[] setup->cosTable;
  delete[] setup->sinTable;
  delete setup;
}

void vDSP_ctoz(const DSPComplex* c, vDSP_Stride strideC, const DSPSplitComplex* z, vDSP_Stride strideZ,
               vDSP_Length n) {
  // strideC counts floats in vDSP's convention: 2 steps over one complex value.
  const float* in = reinterpret_cast<const float*>(c);
  for (vDSP_Length k = 0; k < n; ++k) {
    z->realp[k * strideZ] = in[k * strideC];
    z->imagp[k * strideZ] = in[k * strideC + 1];
  }
}

namespace {

// Unnormalised in-place complex FFT of m = 2^log2m points; sign -1 forward, +1 inverse.
// Stride is a template parameter so that the common contiguous case compiles to plain loops.
template <bool kContiguous>
void complexFftStrided(const OpaqueFFTSetup& setup, float* re, float* im, vDSP_Stride strideArg, vDSP_Length log2m,
                       int sign) {
  const size_t stride = kContiguous ? 1 : size_t(strideArg);
  const size_t m = size_t(1) << log2m;
  // Bit-reversal permutation.
  for (size_t i = 1, j = 0; i < m; ++i) {
    size_t bit = m >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j |= bit;
    if (i < j) {
      std::swap(re[i * stride], re[j * stride]);
      std::swap(im[i * stride], im[j * stride]);
    }
  }
  // First stage: butterflies of two, no twiddles.
  for (size_t a = 0; a + 1 < m; a += 2) {
    const size_t x = a * stride, y = (a + 1) * stride;
    const float tr = re[y], ti = im[y];
    re[y] = re[x] - tr;
    im[y] = im[x] - ti;
    re[x] += tr;
    im[x] += ti;
  }
  const vDSP_Length log2nMax = setup.log2nMax;
  for (vDSP_Length log2len = 2; log2len <= log2m; ++log2len) {
    const size_t len = size_t(1) << log2len;
    const size_t half = len / 2;
    // Twiddle e^(sign 2 pi i j / len) is table entry j * 2^log2nMax / len.
    const size_t step = size_t(1) << (log2nMax - log2len);
    for (size_t j = 0; j < half; ++j) {
      const float wr = setup.cosTable[j * step];
      const float wi = float(sign) * setup.sinTable[j * step];
      for (size_t start = j; start < m; start += len) {
        const size_t a = start * stride;
        const size_t b = (start + half) * stride;
        const float tr = re[b] * wr - im[b] * wi;
        const float ti = re[b] * wi + im[b] * wr;
        re[b] = re[a] - tr;
        im[b] = im[a] - ti;
        re[a] += tr;
        im[a] += ti;
      }
    }
  }
}

void complexFft(const OpaqueFFTSetup& setup, float* re, float* im, vDSP_Stride stride, vDSP_Length log2m, int sign) {
  if (stride == 1)
    complexFftStrided<true>(setup, re, im, stride, log2m, sign);
  else
    complexFftStrided<false>(setup, re, im, stride, log2m, sign);
}

}  // namespace

void vDSP_fft_zrip(FFTSetup setup, const DSPSplitComplex* data, vDSP_Stride stride, vDSP_Length log2n,
                   FFTDirection direction) {
  if (!setup || !data || log2n < 1 || log2n > setup->log2nMax) return;
  float* re = data->realp;
  float* im = data->imagp;
  const vDSP_Length log2m = log2n - 1;
  const size_t m = size_t(1) << log2m;
  // W^k = e^(-2 pi i k / N) is table entry k * 2^log2nMax / N.
  const size_t step = size_t(1) << (setup->log2nMax - log2n);

  if (direction == kFFTDirection_Forward) {
    complexFft(*setup, re, im, stride, log2m, -1);
    // DC and Nyquist from Z[0]: E[0] = Re Z[0], O[0] = Im Z[0].
    const float e0 = re[0], o0 = im[0];
    re[0] = 2.0f * (e0 + o0);
    im[0] = 2.0f * (e0 - o0);
    // Pairs (k, m - k); Y[k] = (Z[k] + conj Z[m-k]) - i W^k (Z[k] - conj Z[m-k]).
    for (size_t k = 1; k <= m / 2; ++k) {
      const size_t a = k * stride, b = (m - k) * stride;
      const float wr = setup->cosTable[k * step], wi = -setup->sinTable[k * step];
      const float sr = re[a] + re[b], si = im[a] - im[b];  // Z[k] + conj Z[m-k]
      const float dr = re[a] - re[b], di = im[a] + im[b];  // Z[k] - conj Z[m-k]
      // -i W^k d = (wi dr + wr di) + i (wi di - wr dr)
      const float tr = wi * dr + wr * di, ti = wi * di - wr * dr;
      // Y[m-k] = conj(S - T) from the same sums.
      re[a] = sr + tr;
      im[a] = si + ti;
      re[b] = sr - tr;
      im[b] = -(si - ti);
    }
  } else if (direction == kFFTDirection_Inverse) {
    // Z''[k] = (Y[k] + conj Y[m-k]) + i conj(W^k) (Y[k] - conj Y[m-k]) = 4 Z[k].
    const float y0r = re[0], y0i = im[0];
    re[0] = y0r + y0i;
    im[0] = y0r - y0i;
    for (size_t k = 1; k <= m / 2; ++k) {
      const size_t a = k * stride, b = (m - k) * stride;
      const float wr = setup->cosTable[k * step], wi = setup->sinTable[k * step];  // conj W^k
      const float sr = re[a] + re[b], si = im[a] - im[b];
      const float dr = re[a] - re[b], di = im[a] + im[b];
      // i conj(W^k) d = (-wi dr - wr di) + i (wr dr - wi di)
      const float tr = -wi * dr - wr * di, ti = wr * dr - wi * di;
      re[a] = sr + tr;
      im[a] = si + ti;
      re[b] = sr - tr;
      im[b] = -(si - ti);
    }
    complexFft(*setup, re, im, stride, log2m, +1);
  }
}
