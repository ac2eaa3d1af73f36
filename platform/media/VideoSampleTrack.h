#pragma once
// A QuickTime-family picture track laid out for decoding without a demuxer: where each sample
// lies, when it is decoded and shown, and what the decoder needs to start. Read by the box
// reader, handed to the codec module.
#include <cstdint>
#include <string>
#include <vector>

namespace platform::media {

struct VideoSample {
  uint64_t offset = 0;
  uint32_t size = 0;
  bool sync = false;
  int64_t decodeTime = 0;    // media time scale
  int64_t presentTime = 0;   // decode time plus the composition offset
};

struct VideoSampleTrack {
  std::string path;
  uint32_t format = 0;             // sample entry type, e.g. 'avc1'
  std::vector<uint8_t> config;     // codec configuration record (the avcC / hvcC / av1C payload)
  int width = 0, height = 0;       // coded size from the sample entry
  uint32_t pixelAspectH = 0, pixelAspectV = 0;  // pasp; 0 when absent
  int quarterTurns = 0;            // clockwise turns of the track matrix
  uint32_t mediaTimeScale = 0;
  // Movie time t seconds shows the sample presented at media time
  // (t - leadSeconds) * mediaTimeScale + mediaStart (edit list applied).
  double leadSeconds = 0;
  int64_t mediaStart = 0;
  std::vector<VideoSample> samples;  // decode order
};

}  // namespace platform::media
