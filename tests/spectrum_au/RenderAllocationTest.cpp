// The render path allocates nothing: every allocation in this program is counted, and renders
// (armed and not, with notifications and scheduled parameters) must add none.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "spectrum_au/frame/ComponentCalls.h"
#include "tests/spectrum_au/UnitHarness.h"

extern "C" ComponentResult XACfftAUEntry(ComponentParameters* params, void* storage);
extern "C" ComponentResult OrrinthAUEntry(ComponentParameters* params, void* storage);

namespace {
std::atomic<long> gAllocations{0};
}

// The replacements below pair malloc with free on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

#if !defined(__SANITIZE_ADDRESS__)
// malloc family too (not under AddressSanitizer, which owns these).
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void* malloc(size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}
extern "C" void* calloc(size_t n, size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(p, size);
}
#endif

namespace {

OSStatus provide(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                 AudioBufferList* ioData) {
  auto* source = static_cast<const float*>(refCon);
  for (UInt32 c = 0; c < ioData->mNumberBuffers; ++c)
    for (UInt32 i = 0; i < frames; ++i) static_cast<float*>(ioData->mBuffers[c].mData)[i] = source[i];
  return noErr;
}

OSStatus notify(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*) { return noErr; }

class RenderAllocationTest : public ::testing::TestWithParam<ComponentRoutine> {};
INSTANTIATE_TEST_SUITE_P(BothUnits, RenderAllocationTest, ::testing::Values(&XACfftAUEntry, &OrrinthAUEntry),
                         [](const auto& info) { return std::string(info.param == &XACfftAUEntry ? "XACfftAU" : "OrrinthAU"); });

TEST_P(RenderAllocationTest, RenderingAllocatesNothing) {
  AudioUnit unit = nullptr;
  ASSERT_EQ(OpenComponentWithEntry(GetParam(), &unit), noErr);
  const auto format = AUIOElement::CanonicalFormat(44100, 2);
  for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output})
    ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, scope, 0, &format, sizeof format), noErr);
  const std::vector<float> source = spectrumtest::tone(17, 512);
  AURenderCallbackStruct callback{provide, const_cast<float*>(source.data())};
  ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback, sizeof callback), noErr);
  ASSERT_EQ(AudioUnitAddRenderNotify(unit, notify, nullptr), noErr);
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);

  std::vector<float> left(512), right(512);
  alignas(AudioBufferList) std::byte bytes[sizeof(AudioBufferList) + sizeof(AudioBuffer)];
  auto* list = reinterpret_cast<AudioBufferList*>(bytes);
  list->mNumberBuffers = 2;
  AudioTimeStamp ts{};
  AudioUnitParameterEvent event{};
  event.eventType = kParameterEvent_Immediate;
  event.eventValues.immediate = {128, 20.0f};

  for (int round = 0; round < 6; ++round) {
    CFArrayRef spectrum = nullptr;
    UInt32 size = sizeof spectrum;
    // Reading re-arms a kernel (and allocates the result, off the render path).
    if (round % 2) {
      ASSERT_EQ(AudioUnitGetProperty(unit, 65536, kAudioUnitScope_Global, 0, &spectrum, &size), noErr);
      CFRelease(spectrum);
    }
    if (round == 4) {
      ASSERT_EQ(AudioUnitScheduleParameters(unit, &event, 1), noErr);
    }
    list->mBuffers[0] = AudioBuffer{1, 512 * sizeof(float), left.data()};
    list->mBuffers[1] = AudioBuffer{1, 512 * sizeof(float), right.data()};
    AudioUnitRenderActionFlags flags = 0;
    const long before = gAllocations.load();
    const OSStatus result = AudioUnitRender(unit, &flags, &ts, 0, 512, list);
    const long during = gAllocations.load() - before;
    ASSERT_EQ(result, noErr);
    EXPECT_EQ(during, 0) << "round " << round;
    EXPECT_EQ(left, source);
  }
  // The counter does count: a spectrum read allocates its result.
  const long before = gAllocations.load();
  CFArrayRef spectrum = nullptr;
  UInt32 size = sizeof spectrum;
  ASSERT_EQ(AudioUnitGetProperty(unit, 65536, kAudioUnitScope_Global, 0, &spectrum, &size), noErr);
  EXPECT_GT(gAllocations.load() - before, 16);
  CFRelease(spectrum);
  CloseComponent(unit);
}

}  // namespace
