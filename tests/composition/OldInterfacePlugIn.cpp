// A module built for another version of the composition plug-in interface: its record has the
// fixed leading fields and nothing a host of this version could use.
#include <cstdint>

namespace {
struct VersionZeroRecord {
  uint32_t interfaceVersion;
  uint32_t size;
};
}  // namespace

extern "C" __attribute__((visibility("default"))) const void* QCPlugInFactory() {
  static const VersionZeroRecord record{0, sizeof(VersionZeroRecord)};
  return &record;
}
