// The real FFT against a plain double-precision DFT: vDSP's packed layout and its factor 2.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "platform/audio/Fft.h"

namespace {

std::vector<std::complex<double>> plainDft(const std::vector<float>& x) {
  const size_t n = x.size();
  std::vector<std::complex<double>> out(n / 2 + 1);
  for (size_t k = 0; k <= n / 2; ++k) {
    std::complex<double> sum = 0;
    for (size_t t = 0; t < n; ++t) sum += double(x[t]) * std::polar(1.0, -2.0 * M_PI * double(k * t % n) / double(n));
    out[k] = sum;
  }
  return out;
}

struct Packed {
  std::vector<float> re, im;
};

Packed forward(FFTSetup setup, const std::vector<float>& x) {
  Packed p{std::vector<float>(x.size() / 2), std::vector<float>(x.size() / 2)};
  DSPSplitComplex split{p.re.data(), p.im.data()};
  vDSP_ctoz(reinterpret_cast<const DSPComplex*>(x.data()), 2, &split, 1, x.size() / 2);
  vDSP_fft_zrip(setup, &split, 1, vDSP_Length(std::log2(x.size())), kFFTDirection_Forward);
  return p;
}

// Every packed value must be twice the DFT value, DC and Nyquist sharing element 0.
void expectPackedDft(const Packed& p, const std::vector<float>& x, double tolerance) {
  const auto dft = plainDft(x);
  const size_t half = x.size() / 2;
  EXPECT_NEAR(p.re[0], 2.0 * dft[0].real(), tolerance) << "DC";
  EXPECT_NEAR(p.im[0], 2.0 * dft[half].real(), tolerance) << "Nyquist";
  for (size_t k = 1; k < half; ++k) {
    EXPECT_NEAR(p.re[k], 2.0 * dft[k].real(), tolerance) << "bin " << k << " of " << x.size();
    EXPECT_NEAR(p.im[k], 2.0 * dft[k].imag(), tolerance) << "bin " << k << " of " << x.size();
  }
}

class FftTest : public ::testing::Test {
 protected:
  void SetUp() override { setup_ = vDSP_create_fftsetup(10, kFFTRadix2); ASSERT_NE(setup_, nullptr); }
  void TearDown() override { vDSP_destroy_fftsetup(setup_); }
  FFTSetup setup_ = nullptr;
};

TEST_F(FftTest, RandomInputsOfEverySizeMatchTwiceThePlainDft) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
  for (vDSP_Length log2n = 1; log2n <= 10; ++log2n) {
    std::vector<float> x(size_t(1) << log2n);
    for (float& v : x) v = sample(random);
    expectPackedDft(forward(setup_, x), x, 2e-6 * double(x.size()) + 1e-5);
  }
}

TEST_F(FftTest, CosineAtABinCentreGivesNAtThatBinOnly) {
  const size_t n = 512;
  for (size_t bin : {1u, 9u, 100u, 255u}) {
    std::vector<float> x(n);
    for (size_t t = 0; t < n; ++t) x[t] = float(std::cos(2.0 * M_PI * double(bin * t) / double(n)));
    const Packed p = forward(setup_, x);
    EXPECT_NEAR(p.re[bin], float(n), 1e-2) << bin;  // 2 * N/2
    for (size_t k = 0; k < n / 2; ++k) {
      if (k == bin) continue;
      EXPECT_NEAR(std::hypot(p.re[k], p.im[k]), 0.0, 2e-3) << "bin " << k << " with a tone at " << bin;
    }
  }
  // A constant and the alternating sequence land in element 0's two halves.
  std::vector<float> dc(n, 0.25f), nyquist(n);
  for (size_t t = 0; t < n; ++t) nyquist[t] = t % 2 ? -1.0f : 1.0f;
  const Packed pd = forward(setup_, dc), pn = forward(setup_, nyquist);
  EXPECT_FLOAT_EQ(pd.re[0], 2.0f * 0.25f * n);
  EXPECT_FLOAT_EQ(pd.im[0], 0.0f);
  EXPECT_FLOAT_EQ(pn.re[0], 0.0f);
  EXPECT_FLOAT_EQ(pn.im[0], 2.0f * n);
}

TEST_F(FftTest, InverseUndoesForwardScaledByTwoN) {
  std::mt19937 random(3);
  std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
  for (vDSP_Length log2n : {1u, 2u, 5u, 9u}) {
    const size_t n = size_t(1) << log2n;
    std::vector<float> x(n);
    for (float& v : x) v = sample(random);
    Packed p = forward(setup_, x);
    DSPSplitComplex split{p.re.data(), p.im.data()};
    vDSP_fft_zrip(setup_, &split, 1, log2n, kFFTDirection_Inverse);
    for (size_t t = 0; t < n / 2; ++t) {
      EXPECT_NEAR(p.re[t], 2.0 * n * x[2 * t], 1e-4 * n);
      EXPECT_NEAR(p.im[t], 2.0 * n * x[2 * t + 1], 1e-4 * n);
    }
  }
}

TEST_F(FftTest, StridedDataAndOlderNamesGiveTheSameNumbers) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
  std::vector<float> x(64);
  for (float& v : x) v = sample(random);
  const Packed reference = forward(setup_, x);

  // Stride 3 in the split arrays, through the older names and a setup of exactly this size.
  FFTSetup small = create_fftsetup(6, FFT_RADIX2);
  ASSERT_NE(small, nullptr);
  std::vector<float> re(32 * 3, 99.0f), im(32 * 3, 99.0f);
  DSPSplitComplex split{re.data(), im.data()};
  ctoz(reinterpret_cast<const DSPComplex*>(x.data()), 2, &split, 3, 32);
  fft_zrip(small, &split, 3, 6, FFT_FORWARD);
  for (size_t k = 0; k < 32; ++k) {
    EXPECT_NEAR(re[3 * k], reference.re[k], 1e-4);
    EXPECT_NEAR(im[3 * k], reference.im[k], 1e-4);
    EXPECT_EQ(re[3 * k + 1], 99.0f);  // elements between the strided ones are untouched
  }
  destroy_fftsetup(small);
}

TEST_F(FftTest, UnsupportedRequestsLeaveDataAlone) {
  EXPECT_EQ(vDSP_create_fftsetup(9, kFFTRadix3), nullptr);
  EXPECT_EQ(vDSP_create_fftsetup(40, kFFTRadix2), nullptr);
  vDSP_destroy_fftsetup(nullptr);
  std::vector<float> re(2048, 1.5f), im(2048, 2.5f);
  DSPSplitComplex split{re.data(), im.data()};
  vDSP_fft_zrip(setup_, &split, 1, 11, kFFTDirection_Forward);  // beyond the setup's size
  vDSP_fft_zrip(setup_, &split, 1, 0, kFFTDirection_Forward);   // a single point
  vDSP_fft_zrip(nullptr, &split, 1, 4, kFFTDirection_Forward);
  EXPECT_EQ(re[0], 1.5f);
  EXPECT_EQ(im[0], 2.5f);
  EXPECT_EQ(re[1023], 1.5f);
}

}  // namespace
