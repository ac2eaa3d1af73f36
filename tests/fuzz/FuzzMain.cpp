// libFuzzer entry of the container readers (built with -DMT_FUZZ=ON and clang++).
#include "ContainerFuzz.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::initialise();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz::runContainerInput(data, size); }
