// libFuzzer entry of one reader that spares FFmpeg, chosen at build time (MT_DIRECT_READER).
#include "ContainerFuzz.h"
#include "DirectFuzz.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::initialise();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::runDirectInput(fuzz::DirectReader::MT_DIRECT_READER, data, size);
}
