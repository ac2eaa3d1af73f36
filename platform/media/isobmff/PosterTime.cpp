#include "PosterTime.h"

#include "Box.h"
#include "platform/media/QTTime.h"

namespace platform::media::isobmff {

std::optional<int64_t> readPosterTime(const FileReader& file) {
  for (const Box& top : childBoxes(file, 0, file.size())) {
    if (top.type != fourCharCode("moov")) continue;
    auto mvhd = firstChild(file, top, fourCharCode("mvhd"));
    if (!mvhd) return std::nullopt;
    std::vector<uint8_t> p;
    if (!readPayload(file, *mvhd, p, 4096)) return std::nullopt;
    ByteView v(p);
    // After the times, scale and duration: rate, volume, reserved, matrix, preview time and
    // duration, then the poster time.
    uint32_t poster = v.u8(0) == 1 ? v.u32(92) : v.u32(80);
    if (!v.ok()) return std::nullopt;
    return static_cast<int64_t>(poster);
  }
  return std::nullopt;
}

}  // namespace platform::media::isobmff
