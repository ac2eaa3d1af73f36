#include "XAudioAnalyser.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <thread>

#include "CurveMeasures.h"
#include "platform/audio/VectorOps.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

using namespace platform;

namespace {

void printStatus(const char* format, OSStatus status) {
  std::printf(format, statusChars(status).c_str(), static_cast<long>(status));
  std::fflush(stdout);
}

}  // namespace

std::shared_ptr<XAudioAnalyser> XAudioAnalyser::init() {
  std::shared_ptr<XAudioAnalyser> a(new XAudioAnalyser());
  a->_useThreading = true;
  return a;
}

std::shared_ptr<XAudioAnalyser> XAudioAnalyser::initWithAudioFilePath(const std::optional<std::string>& path,
                                                                      uint8_t channel) {
  std::shared_ptr<XAudioAnalyser> a(new XAudioAnalyser());
  a->_channel = channel;
  a->setPath(path);
  return a;
}

XAudioAnalyser::~XAudioAnalyser() { clearBuffer(); }

void XAudioAnalyser::setPath(const std::optional<std::string>& path) {
  if (path == _path) return;
  _path = path;
  if (_path)
    initiateProcessing();
  else
    clearBuffer();
}

void XAudioAnalyser::clearBuffer() { _audioFrames.clear(); }

void XAudioAnalyser::purgeBuffers() {
  if (_isScanning)
    _shouldContinue = false;
  else
    clearBuffer();
}

void XAudioAnalyser::convertFileAtPath(const std::string&) {}

void XAudioAnalyser::scanFileAtPath(const std::string& path, uint8_t channel) { scan(path, channel, false); }

void XAudioAnalyser::scan(const std::string& path, uint8_t channel, bool pauseBetweenReads) {
  clearBuffer();
  _err = noErr;

  std::unique_ptr<ExtAudioFile> file;
  _err = ExtAudioFile::open(path, file);
  if (_err != noErr || !file) {
    std::printf("XAudioAnalyser: Couldn't open the file, bailing\n");
    std::fflush(stdout);
    return;
  }

  int64_t fileFrames = 0;
  _err = file->getFileLengthFrames(fileFrames);
  if (_err) printStatus("XAudioAnalyser: ExtAudioFileGetProperty FileLengthFrames: %4.4s, %ld\n", _err);

  AudioStreamBasicDescription fileFormat{};
  _err = file->getFileDataFormat(fileFormat);
  if (_err) printStatus("XAudioAnalyser: ExtAudioFileGetProperty FileDataFormat: %4.4s, %ld\n", _err);

  AudioStreamBasicDescription client{};
  client.mSampleRate = fileFormat.mSampleRate;
  client.mFormatID = kAudioFormatLinearPCM;
  client.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
  client.mBytesPerPacket = 8;
  client.mFramesPerPacket = 1;
  client.mBytesPerFrame = 8;
  client.mChannelsPerFrame = 2;
  client.mBitsPerChannel = 32;
  client.mReserved = fileFormat.mReserved;
  _err = file->setClientDataFormat(client);
  if (_err) printStatus("\nXAudioAnalyser: ExtAudioFileSetProperty ClientDataFormat: %4.4s, %ld\n", _err);

  // 0.1 s of interleaved stereo floats per read.
  const auto readBytes = static_cast<uint32_t>(client.mSampleRate * 0.1 * 2 * 4.0);
  uint32_t framesToRead = readBytes / 8;
  std::unique_ptr<float[]> readBuffer(new (std::nothrow) float[readBytes / 4 + 2]);
  // The curve is filled as the reads arrive, up to the file's length in frames; a file whose
  // decoder can't tell its length is read to its end, the curve growing as it goes.
  const bool lengthKnown = fileFrames > 0;
  CurveBuffer curve;
  if (!readBuffer || (lengthKnown && !curve.reserve(static_cast<uint64_t>(fileFrames)))) {
    std::printf("XAudioAnalyser: Couldn't allocate memory for %lld frames, bailing\n",
                static_cast<long long>(fileFrames));
    std::fflush(stdout);
    return;
  }
  const uint64_t limit = lengthKnown ? static_cast<uint64_t>(fileFrames) : UINT64_MAX;

  uint64_t stored = 0;
  CurveMeasures measures;
  while (_shouldContinue) {
    _err = file->read(framesToRead, readBuffer.get());
    if (_err) printStatus("XAudioAnalyser: ExtAudioFileRead: %4.4s, %ld\n", _err);
    if (framesToRead == 0) break;
    const uint64_t take = std::min<uint64_t>(framesToRead, limit - stored);
    if (stored + take > curve.capacity() && !curve.reserve(std::max<uint64_t>(stored + take, curve.capacity() * 2))) {
      std::printf("XAudioAnalyser: Couldn't allocate memory for %llu frames, bailing\n",
                  static_cast<unsigned long long>(stored + take));
      std::fflush(stdout);
      return;
    }
    const float* frames = readBuffer.get();
    float* out = curve.data() + stored;
    if (channel == 2) {
      for (uint64_t i = 0; i < take; ++i) out[i] = frames[2 * i + 1];
    } else if (channel == 1) {
      for (uint64_t i = 0; i < take; ++i) out[i] = frames[2 * i];
    } else if (channel == 0) {
      for (uint64_t i = 0; i < take; ++i) out[i] = frames[2 * i] + frames[2 * i + 1];
    }
    if (channel <= 2) {  // no such channel: no values
      measures.add(out, take);
      stored += take;
    }
    if (pauseBetweenReads) std::this_thread::sleep_for(std::chrono::microseconds(750));
  }
  file.reset();
  readBuffer.reset();

  if (_shouldContinue) {
    curve.setSize(stored);
    _audioFrames = std::move(curve);
    _meanValue = measures.meanMagnitude();
    _maximumValue = !_audioFrames.size() ? 0.0f
                    : measures.exact() ? measures.maximum()
                                       : vdsp::maximum(_audioFrames.data(), _audioFrames.size());
  }
  if (!_shouldContinue) clearBuffer();
}

void XAudioAnalyser::initiateProcessing() {
  if (_isScanning) {
    std::printf("XAudioAnalyser: initiateProcessing: already scanning...\n");
    std::fflush(stdout);
    _shouldContinue = false;
    std::weak_ptr<XAudioAnalyser> weak = weak_from_this();
    RunLoop::currentRunLoop().performAfterDelay(0.01, this, "delayedInitiateProcessing:", [weak] {
      if (auto self = weak.lock()) self->delayedInitiateProcessing();
    });
    return;
  }
  _isScanning = true;
  _shouldContinue = true;
  if (_useThreading) {
    PlistDictionary props;
    props.set("filepath", _path.value_or(""));
    props.set("channel", static_cast<int64_t>(_channel));
    // The thread keeps the analyser alive until its completion has run on the main thread.
    std::shared_ptr<XAudioAnalyser> self = shared_from_this();
    std::thread([self, props] { self->processInThreadWithProps(props); }).detach();
  } else {
    scanFileAtPath(_path.value_or(""), _channel);
    completeProcessing();
  }
}

void XAudioAnalyser::delayedInitiateProcessing() {
  RunLoop::currentRunLoop().cancelPreviousPerformRequests(this, "delayedInitiateProcessing:");
  initiateProcessing();
}

void XAudioAnalyser::processInThreadWithProps(const PlistDictionary& props) {
  const PlistValue* file = props.find("filepath");
  const PlistValue* channel = props.find("channel");
  std::string path = file && file->isString() ? file->string() : std::string();
  auto ch = static_cast<uint8_t>(channel && channel->isInteger() ? channel->integer() : 0);
  scan(path, ch, true);
  std::shared_ptr<XAudioAnalyser> self = shared_from_this();
  RunLoop::performOnMainThread([self] { self->completeProcessing(); }, true);
}

void XAudioAnalyser::completeProcessing() {
  _isScanning = false;
  if (_shouldContinue) NotificationCenter::defaultCenter().postNotification(kXAudioAnalyserCompletionNote, this);
}
