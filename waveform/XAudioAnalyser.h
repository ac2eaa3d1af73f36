#pragma once
// Reads an audio file into one signed amplitude curve (left, right, or their sum) with its mean
// magnitude and maximum, synchronously or on a detached thread, and shapes the curve into a
// 100 x 100 waveform path (XAudioAnalyserWaveform.cpp).
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CurveBuffer.h"
#include "platform/audio/ExtAudioFile.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/BezierPath.h"

inline const std::string kXAudioAnalyserCompletionNote = "kXAudioAnalyserCompletionNote";

class XAudioAnalyser : public std::enable_shared_from_this<XAudioAnalyser> {
 public:
  // init: channel 0, threading on.
  static std::shared_ptr<XAudioAnalyser> init();
  // Threading off, then setPath: scans at once on the calling thread.
  static std::shared_ptr<XAudioAnalyser> initWithAudioFilePath(const std::optional<std::string>& path,
                                                               uint8_t channel = 0);
  ~XAudioAnalyser();
  XAudioAnalyser(const XAudioAnalyser&) = delete;
  XAudioAnalyser& operator=(const XAudioAnalyser&) = delete;

  // Accessors. The curve is null (and the length 0) when there is none.
  const float* audioFrames() const { return _audioFrames.size() ? _audioFrames.data() : nullptr; }
  uint64_t audioLength() const { return _audioFrames.size(); }
  float meanValue() const { return _meanValue; }
  float maximumValue() const { return _maximumValue; }
  platform::OSStatus lastError() const { return _err; }
  bool isScanning() const { return _isScanning; }
  void setIsScanning(bool v) { _isScanning = v; }
  bool shouldContinue() const { return _shouldContinue; }
  void setShouldContinue(bool v) { _shouldContinue = v; }
  bool useThreading() const { return _useThreading; }
  void setUseThreading(bool v) { _useThreading = v; }
  uint8_t channel() const { return _channel; }
  void setChannel(uint8_t c) { _channel = c; }
  const std::optional<std::string>& path() const { return _path; }

  // A different path starts a scan; none clears the curve; the same path does nothing.
  void setPath(const std::optional<std::string>& path);
  void clearBuffer();
  // Cancels a running scan, else clears the curve.
  void purgeBuffers();
  void convertFileAtPath(const std::string& path);
  // The scan itself, on the calling thread.
  void scanFileAtPath(const std::string& path, uint8_t channel);

  // Scan life cycle.
  void initiateProcessing();
  void delayedInitiateProcessing();
  void processInThreadWithProps(const platform::PlistDictionary& props);
  void completeProcessing();

  // Curve operations.
  void compressedWaveform(float* values, uint32_t n) const;
  static void normalizeSignedCurve(float* values, uint32_t n);
  static float averageValueForCurve(const float* values, uint32_t n);
  static float maximumValueForCurve(const float* values, uint32_t n);
  // The 100 x 100 waveform of the scanned curve (the size is not used); null without a curve.
  std::shared_ptr<platform::BezierPath> waveFormPathWithSize(platform::Size size, uint32_t n);
  // Scan synchronously, shape, clear the curve.
  std::shared_ptr<platform::BezierPath> waveformForFileAtPath(const std::string& path, platform::Size size,
                                                              uint32_t n);

 private:
  XAudioAnalyser() = default;
  // pauseBetweenReads: the background scan leaves time to other work after each read.
  void scan(const std::string& path, uint8_t channel, bool pauseBetweenReads);

  CurveBuffer _audioFrames;
  float _meanValue = 0;
  float _maximumValue = 0;
  platform::OSStatus _err = 0;
  std::optional<std::string> _path;
  uint8_t _channel = 0;
  // Shared with the scan thread: it reads _shouldContinue, the main thread writes it.
  std::atomic<bool> _isScanning{false};
  std::atomic<bool> _shouldContinue{false};
  bool _useThreading = false;
};
