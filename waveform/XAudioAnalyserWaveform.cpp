// Curve operations and waveform path building of XAudioAnalyser.
#include <memory>

#include "XAudioAnalyser.h"
#include "platform/audio/VectorOps.h"

using namespace platform;

void XAudioAnalyser::compressedWaveform(float* values, uint32_t n) const {
  const uint64_t length = audioLength();
  if (length == 0 || n == 0) return;
  const uint64_t per = length / n;
  if (per == 0) {
    // More points than curve values: no averages exist; the points are left at 0.
    std::fill(values, values + n, 0.0f);
    return;
  }
  const float* curve = _audioFrames.data();
  for (uint32_t i = 0; i < n; ++i) {
    float sum = 0;
    const float* p = curve + static_cast<uint64_t>(i) * per;
    for (uint64_t k = 0; k < per; ++k) sum += p[k];
    values[i] = sum / static_cast<float>(per);
  }
}

void XAudioAnalyser::normalizeSignedCurve(float* values, uint32_t n) {
  if (n == 0) return;
  float peak = std::max(vdsp::maximum(values, n), -vdsp::minimum(values, n));
  if (peak > 0)
    for (uint32_t i = 0; i < n; ++i) values[i] /= peak;
}

float XAudioAnalyser::averageValueForCurve(const float* values, uint32_t n) { return vdsp::mean(values, n); }

float XAudioAnalyser::maximumValueForCurve(const float* values, uint32_t n) { return vdsp::maximum(values, n); }

std::shared_ptr<BezierPath> XAudioAnalyser::waveFormPathWithSize(Size, uint32_t n) {
  const uint64_t length = audioLength();
  if (length == 0) return nullptr;
  if (length <= n) n = static_cast<uint32_t>(length - 1);
  if (n == 0) return nullptr;

  std::vector<float> curve(n);
  compressedWaveform(curve.data(), n);
  normalizeSignedCurve(curve.data(), n);
  _meanValue = vdsp::meanMagnitude(curve.data(), n);
  _maximumValue = vdsp::maximum(curve.data(), n);

  auto path = BezierPath::bezierPath();
  path->setLineWidth(0.75);
  path->moveToPoint({0, 50});
  for (uint32_t i = 1; i < n; ++i) {
    float x = static_cast<float>(i) * 100.0f / static_cast<float>(n - 1);
    auto y = static_cast<float>(static_cast<double>(curve[i]) * 45.0 + 50.0);
    path->lineToPoint({x, y});
  }
  return path;
}

std::shared_ptr<BezierPath> XAudioAnalyser::waveformForFileAtPath(const std::string& path, Size size, uint32_t n) {
  _path = path;  // no setPath: that would start a scan
  setChannel(0);
  setShouldContinue(true);
  setIsScanning(true);
  scanFileAtPath(*_path, _channel);
  setIsScanning(false);
  auto result = waveFormPathWithSize(size, n);
  clearBuffer();
  return result;
}
