// Both units through their exported entries: the component calls a host makes, the frame's
// properties, errors and saved state, and the built plug-in module of this architecture.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <string>
#include <vector>

#include "spectrum_au/frame/ComponentCalls.h"
#include "tests/spectrum_au/UnitHarness.h"

extern "C" ComponentResult XACfftAUEntry(ComponentParameters* params, void* storage);
extern "C" ComponentResult OrrinthAUEntry(ComponentParameters* params, void* storage);

namespace {

struct Feed {
  std::vector<std::vector<float>> channels;
  int calls = 0;
};

OSStatus feedInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                   AudioBufferList* ioData) {
  auto* feed = static_cast<Feed*>(refCon);
  ++feed->calls;
  for (UInt32 c = 0; c < ioData->mNumberBuffers; ++c)
    std::memcpy(ioData->mBuffers[c].mData, feed->channels[c].data(), frames * sizeof(float));
  return noErr;
}

// An open instance of a unit through one entry, closed at the end of the test.
class Instance {
 public:
  explicit Instance(ComponentRoutine entry) { status = OpenComponentWithEntry(entry, &unit); }
  ~Instance() {
    if (unit) CloseComponent(unit);
  }
  OSStatus status;
  AudioUnit unit = nullptr;

  OSStatus prepare(UInt32 channels, Feed* feed, double rate = 44100) {
    const auto format = AUIOElement::CanonicalFormat(rate, channels);
    for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output})
      if (OSStatus r = AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, scope, 0, &format, sizeof format))
        return r;
    if (feed) {
      AURenderCallbackStruct callback{feedInput, feed};
      if (OSStatus r = AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0,
                                            &callback, sizeof callback))
        return r;
    }
    return AudioUnitInitialize(unit);
  }

  OSStatus render(std::vector<std::vector<float>>& out, UInt32 frames, AudioUnitRenderActionFlags flags = 0) {
    std::vector<std::byte> bytes(sizeof(AudioBufferList) + sizeof(AudioBuffer) * out.size());
    auto* list = reinterpret_cast<AudioBufferList*>(bytes.data());
    list->mNumberBuffers = UInt32(out.size());
    for (size_t c = 0; c < out.size(); ++c) {
      out[c].assign(frames, 0.0f);
      list->mBuffers[c] = AudioBuffer{1, UInt32(frames * sizeof(float)), out[c].data()};
    }
    AudioTimeStamp ts{};
    return AudioUnitRender(unit, &flags, &ts, 0, frames, list);
  }

  std::vector<float> spectrum() {
    CFArrayRef array = nullptr;
    UInt32 size = sizeof array;
    EXPECT_EQ(AudioUnitGetProperty(unit, 65536, kAudioUnitScope_Global, 0, &array, &size), noErr);
    std::vector<float> values;
    for (CFIndex i = 0; i < CFArrayGetCount(array); ++i) {
      float v = -1;
      CFNumberGetValue(static_cast<CFNumberRef>(CFArrayGetValueAtIndex(array, i)), kCFNumberFloatType, &v);
      values.push_back(v);
    }
    CFRelease(array);
    return values;
  }
};

class ComponentEntryTest : public ::testing::TestWithParam<ComponentRoutine> {};
INSTANTIATE_TEST_SUITE_P(BothUnits, ComponentEntryTest, ::testing::Values(&XACfftAUEntry, &OrrinthAUEntry),
                         [](const auto& info) { return std::string(info.param == &XACfftAUEntry ? "XACfftAU" : "OrrinthAU"); });

TEST_P(ComponentEntryTest, OpensReportsItsVersionAndSelectorsAndCloses) {
  Instance i(GetParam());
  ASSERT_EQ(i.status, noErr);
  EXPECT_NE(i.unit->storage, nullptr);
  EXPECT_EQ(CallComponentVersion(i.unit), 0x00010000);
  EXPECT_EQ(CallComponentCanDo(i.unit, kAudioUnitRenderSelect), 1);
  EXPECT_EQ(CallComponentCanDo(i.unit, 0x0013), 0);
  EXPECT_EQ(CallComponent(i.unit, 0x0013), badComponentSelector);
  ComponentDescription description{};
  ASSERT_EQ(GetComponentDescription(i.unit, &description), noErr);
  EXPECT_EQ(description.componentType, kAudioUnitType_Effect);
  // A call without its arguments is refused, not read past the block.
  EXPECT_EQ(CallComponent(i.unit, kAudioUnitGetPropertySelect, 1, 2), kAudio_ParamError);
}

TEST_P(ComponentEntryTest, SpectrumPropertyInfoAndSet) {
  Instance i(GetParam());
  UInt32 size = 0;
  Boolean writable = false;
  ASSERT_EQ(AudioUnitGetPropertyInfo(i.unit, 65536, kAudioUnitScope_Global, 7, &size, &writable), noErr);
  EXPECT_EQ(size, sizeof(void*));
  EXPECT_TRUE(writable);
  EXPECT_EQ(AudioUnitGetPropertyInfo(i.unit, 65536, kAudioUnitScope_Input, 0, &size, &writable),
            kAudioUnitErr_InvalidProperty);
  CFArrayRef array = nullptr;
  EXPECT_EQ(AudioUnitSetProperty(i.unit, 65536, kAudioUnitScope_Global, 0, &array, sizeof array),
            kAudioUnitErr_InvalidProperty);
  // Too small a buffer is refused; none at all asks for the size.
  UInt32 small = 2;
  EXPECT_EQ(AudioUnitGetProperty(i.unit, 65536, kAudioUnitScope_Global, 0, &array, &small), kAudio_ParamError);
  UInt32 asked = 0;
  EXPECT_EQ(AudioUnitGetProperty(i.unit, 65536, kAudioUnitScope_Global, 0, nullptr, &asked), noErr);
  EXPECT_EQ(asked, sizeof(void*));
}

TEST_P(ComponentEntryTest, RendersThroughTheEntryAndReportsTheSpectrum) {
  Instance i(GetParam());
  Feed feed{{spectrumtest::tone(9, 512), spectrumtest::tone(9, 512)}};
  ASSERT_EQ(i.prepare(2, &feed), noErr);
  std::vector<std::vector<float>> out(2);
  ASSERT_EQ(i.render(out, 512), noErr);
  EXPECT_EQ(feed.calls, 1);
  EXPECT_EQ(out[0], feed.channels[0]);
  EXPECT_EQ(out[1], feed.channels[1]);
  const auto values = i.spectrum();
  ASSERT_EQ(values.size(), 16u);
  EXPECT_NEAR(values[5], 1.0f / 3.0f, 1e-4);
}

TEST_P(ComponentEntryTest, FrameErrors) {
  Instance i(GetParam());
  // Mismatched channel counts cannot initialise.
  auto mono = AUIOElement::CanonicalFormat(44100, 1), stereo = AUIOElement::CanonicalFormat(44100, 2);
  ASSERT_EQ(AudioUnitSetProperty(i.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &mono, sizeof mono), noErr);
  ASSERT_EQ(AudioUnitSetProperty(i.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &stereo, sizeof stereo), noErr);
  EXPECT_EQ(AudioUnitInitialize(i.unit), kAudioUnitErr_FormatNotSupported);
  // Interleaved or integer formats are not taken.
  auto interleaved = stereo;
  interleaved.mFormatFlags &= ~kAudioFormatFlagIsNonInterleaved;
  EXPECT_EQ(AudioUnitSetProperty(i.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &interleaved, sizeof interleaved),
            kAudioUnitErr_FormatNotSupported);
  // Rendering before initialising, and without an input.
  std::vector<std::vector<float>> out(2);
  EXPECT_EQ(i.render(out, 64), kAudioUnitErr_Uninitialized);
  ASSERT_EQ(i.prepare(2, nullptr), noErr);
  EXPECT_EQ(i.render(out, 64), kAudioUnitErr_NoConnection);
  EXPECT_EQ(i.render(out, 5000), kAudioUnitErr_TooManyFramesToProcess);
  // Formats are fixed while initialised.
  EXPECT_EQ(AudioUnitSetProperty(i.unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &mono, sizeof mono),
            kAudioUnitErr_PropertyNotWritable);
  // A scope that does not exist: the frame throws inside, the entry returns the status.
  UInt32 size = 0;
  EXPECT_EQ(AudioUnitGetPropertyInfo(i.unit, kAudioUnitProperty_ElementCount, 9, 0, &size, nullptr), kAudioUnitErr_InvalidScope);
  AudioUnitParameterValue value;
  EXPECT_EQ(AudioUnitGetParameter(i.unit, 0, 9, 0, &value), kAudioUnitErr_InvalidScope);
  EXPECT_EQ(AudioUnitGetProperty(i.unit, 12345, kAudioUnitScope_Global, 0, &value, &size), kAudioUnitErr_InvalidProperty);
}

TEST_P(ComponentEntryTest, BypassAndInPlaceProperties) {
  Instance i(GetParam());
  for (AudioUnitPropertyID id : {kAudioUnitProperty_BypassEffect, kAudioUnitProperty_InPlaceProcessing}) {
    UInt32 size = 0;
    Boolean writable = false;
    ASSERT_EQ(AudioUnitGetPropertyInfo(i.unit, id, kAudioUnitScope_Global, 0, &size, &writable), noErr);
    EXPECT_EQ(size, 4u);
    EXPECT_TRUE(writable);
  }
  UInt32 value = 7, size = 4;
  ASSERT_EQ(AudioUnitGetProperty(i.unit, kAudioUnitProperty_InPlaceProcessing, kAudioUnitScope_Global, 0, &value, &size), noErr);
  EXPECT_EQ(value, 1u);  // the unit processes in place
  ASSERT_EQ(AudioUnitGetProperty(i.unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &value, &size), noErr);
  EXPECT_EQ(value, 0u);
  value = 1;
  ASSERT_EQ(AudioUnitSetProperty(i.unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &value, 4), noErr);
  value = 0;
  ASSERT_EQ(AudioUnitGetProperty(i.unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &value, &size), noErr);
  EXPECT_EQ(value, 1u);

  // Bypassed, the kernels see nothing: the armed transform waits.
  Feed feed{{spectrumtest::tone(9, 256)}};
  ASSERT_EQ(i.prepare(1, &feed), noErr);
  std::vector<std::vector<float>> out(1);
  ASSERT_EQ(i.render(out, 256), noErr);
  EXPECT_EQ(out[0], feed.channels[0]);
  EXPECT_EQ(i.spectrum(), std::vector<float>(16, 0.0f));
}

TEST_P(ComponentEntryTest, SavedStateCarriesTheParameterAndRestores) {
  Instance i(GetParam());
  ASSERT_EQ(AudioUnitSetParameter(i.unit, 0, kAudioUnitScope_Global, 0, 99.0f, 0), noErr);
  CFPropertyListRef state = nullptr;
  UInt32 size = sizeof state;
  ASSERT_EQ(AudioUnitGetProperty(i.unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size), noErr);
  ASSERT_EQ(CFGetTypeID(state), kCFDictionaryTypeID);
  auto dictionary = static_cast<CFDictionaryRef>(state);
  SInt32 number = -1;
  CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dictionary, CFSTR("version"))), kCFNumberSInt32Type, &number);
  EXPECT_EQ(number, 0);
  CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dictionary, CFSTR("type"))), kCFNumberSInt32Type, &number);
  EXPECT_EQ(UInt32(number), FourCC("aufx"));
  EXPECT_TRUE(CFEqual(CFDictionaryGetValue(dictionary, CFSTR("name")), CFSTR("Untitled")));
  // data: scope 0, element 0, one parameter: ID 0 and the bits of 99.0f, all big-endian.
  auto data = static_cast<CFDataRef>(CFDictionaryGetValue(dictionary, CFSTR("data")));
  const uint8_t expected[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0x42, 0xC6, 0, 0};
  ASSERT_EQ(CFDataGetLength(data), CFIndex(sizeof expected));
  EXPECT_EQ(std::memcmp(CFDataGetBytePtr(data), expected, sizeof expected), 0);

  ASSERT_EQ(AudioUnitSetParameter(i.unit, 0, kAudioUnitScope_Global, 0, 12.0f, 0), noErr);
  ASSERT_EQ(AudioUnitSetProperty(i.unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof state), noErr);
  AudioUnitParameterValue value = 0;
  ASSERT_EQ(AudioUnitGetParameter(i.unit, 0, kAudioUnitScope_Global, 0, &value), noErr);
  EXPECT_EQ(value, 99.0f);

  // A damaged state (data cut short) or another component's changes nothing.
  ASSERT_EQ(AudioUnitSetParameter(i.unit, 0, kAudioUnitScope_Global, 0, 12.0f, 0), noErr);
  CFMutableDictionaryRef damaged = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  for (const char* key : {"version", "type", "subtype", "manufacturer", "name"}) {
    CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    CFDictionarySetValue(damaged, k, CFDictionaryGetValue(dictionary, k));
    CFRelease(k);
  }
  CFDataRef cut = CFDataCreate(nullptr, expected, 16);
  CFDictionarySetValue(damaged, CFSTR("data"), cut);
  CFRelease(cut);
  CFPropertyListRef damagedState = damaged;
  EXPECT_EQ(AudioUnitSetProperty(i.unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &damagedState, sizeof damagedState),
            kAudioUnitErr_InvalidPropertyValue);
  SInt32 otherSubtype = SInt32(FourCC("zzzz"));
  CFNumberRef subtype = CFNumberCreate(nullptr, kCFNumberSInt32Type, &otherSubtype);
  CFDictionarySetValue(damaged, CFSTR("subtype"), subtype);
  CFRelease(subtype);
  CFDictionarySetValue(damaged, CFSTR("data"), data);
  EXPECT_EQ(AudioUnitSetProperty(i.unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &damagedState, sizeof damagedState),
            kAudioUnitErr_InvalidPropertyValue);
  ASSERT_EQ(AudioUnitGetParameter(i.unit, 0, kAudioUnitScope_Global, 0, &value), noErr);
  EXPECT_EQ(value, 12.0f);
  CFRelease(damaged);
  CFRelease(state);
}

struct NotifyLog {
  std::vector<AudioUnitRenderActionFlags> flags;
  std::vector<AudioUnitPropertyID> properties;
};

OSStatus onRender(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*) {
  static_cast<NotifyLog*>(refCon)->flags.push_back(*flags);
  return noErr;
}

void onProperty(void* refCon, AudioUnit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement) {
  static_cast<NotifyLog*>(refCon)->properties.push_back(id);
}

TEST_P(ComponentEntryTest, RenderNotificationsAndPropertyListeners) {
  Instance i(GetParam());
  NotifyLog log;
  ASSERT_EQ(AudioUnitAddPropertyListener(i.unit, kAudioUnitProperty_StreamFormat, onProperty, &log), noErr);
  ASSERT_EQ(AudioUnitAddRenderNotify(i.unit, onRender, &log), noErr);
  Feed feed{{spectrumtest::tone(3, 128)}};
  ASSERT_EQ(i.prepare(1, &feed), noErr);
  EXPECT_EQ(log.properties, (std::vector<AudioUnitPropertyID>{kAudioUnitProperty_StreamFormat, kAudioUnitProperty_StreamFormat}));
  std::vector<std::vector<float>> out(1);
  ASSERT_EQ(i.render(out, 128), noErr);
  ASSERT_EQ(log.flags.size(), 2u);
  EXPECT_TRUE(log.flags[0] & kAudioUnitRenderAction_PreRender);
  EXPECT_TRUE(log.flags[1] & kAudioUnitRenderAction_PostRender);
  ASSERT_EQ(AudioUnitRemoveRenderNotify(i.unit, onRender, &log), noErr);
  ASSERT_EQ(AudioUnitRemovePropertyListenerWithUserData(i.unit, kAudioUnitProperty_StreamFormat, onProperty, &log), noErr);
  ASSERT_EQ(i.render(out, 128), noErr);
  EXPECT_EQ(log.flags.size(), 2u);
}

OSStatus countRender(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*) {
  static_cast<std::atomic<int>*>(refCon)->fetch_add(1);
  return noErr;
}

TEST_P(ComponentEntryTest, NotificationsChangeWhileRendering) {
  Instance i(GetParam());
  Feed feed{{spectrumtest::tone(3, 64)}};
  ASSERT_EQ(i.prepare(1, &feed), noErr);
  std::atomic<int> calls{0};
  std::atomic<bool> done{false};
  // Another thread adds and removes notifications while this one renders.
  std::thread changer([&] {
    while (!done.load()) {
      EXPECT_EQ(AudioUnitAddRenderNotify(i.unit, countRender, &calls), noErr);
      std::this_thread::yield();
      EXPECT_EQ(AudioUnitRemoveRenderNotify(i.unit, countRender, &calls), noErr);
    }
    EXPECT_EQ(AudioUnitAddRenderNotify(i.unit, countRender, &calls), noErr);
  });
  std::vector<std::vector<float>> out(1);
  for (int n = 0; n < 3000; ++n) ASSERT_EQ(i.render(out, 64), noErr);
  done = true;
  changer.join();
  // Every add but the last was removed: one notification is left, called before and after.
  const int before = calls.load();
  ASSERT_EQ(i.render(out, 64), noErr);
  EXPECT_EQ(calls.load() - before, 2);
}

TEST_P(ComponentEntryTest, ScheduledParameterChangesSplitTheSlice) {
  Instance i(GetParam());
  Feed feed{{spectrumtest::tone(9, 512)}};
  ASSERT_EQ(i.prepare(1, &feed), noErr);
  AudioUnitParameterEvent event{};
  event.scope = kAudioUnitScope_Global;
  event.parameter = 0;
  event.eventType = kParameterEvent_Immediate;
  event.eventValues.immediate.bufferOffset = 64;
  event.eventValues.immediate.value = 40.0f;
  ASSERT_EQ(AudioUnitScheduleParameters(i.unit, &event, 1), noErr);
  std::vector<std::vector<float>> out(1);
  ASSERT_EQ(i.render(out, 512), noErr);
  EXPECT_EQ(out[0], feed.channels[0]);
  AudioUnitParameterValue value = 0;
  ASSERT_EQ(AudioUnitGetParameter(i.unit, 0, kAudioUnitScope_Global, 0, &value), noErr);
  EXPECT_EQ(value, 40.0f);
  // The armed kernel transformed the first part only: 64 samples, a 64-point transform whose
  // bins read at the 512-point band positions. The tone is not where a full slice puts it.
  const auto values = i.spectrum();
  EXPECT_LT(values[5], 0.3f);
  event.eventType = 99;
  EXPECT_EQ(AudioUnitScheduleParameters(i.unit, &event, 1), kAudio_ParamError);
}

TEST(PluginModule, LoadsThroughItsExportedEntryInThisArchitecture) {
  const bool is64 = sizeof(void*) == 8;
  const std::string path = std::string(MT_BIN_DIR) + (is64 ? "/OrrinthAU.so" : "/fftanalyser.so");
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  auto entry = reinterpret_cast<ComponentRoutine>(dlsym(module, is64 ? "OrrinthAUEntry" : "XACfftAUEntry"));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(dlsym(module, is64 ? "XACfftAUEntry" : "OrrinthAUEntry"), nullptr);
  // Only the entry is exported: the frame's classes stay inside the module.
  EXPECT_EQ(dlsym(module, "CFRelease"), nullptr);
  {
    Instance i(entry);
    ASSERT_EQ(i.status, noErr);
    EXPECT_STREQ(i.unit->name, is64 ? "Xact: OrrinthAU" : "Xact: fftanalyser");
    Feed feed{{spectrumtest::tone(40, 512), spectrumtest::tone(40, 512)}};
    ASSERT_EQ(i.prepare(2, &feed), noErr);
    std::vector<std::vector<float>> out(2);
    ASSERT_EQ(i.render(out, 512), noErr);
    EXPECT_EQ(out[1], feed.channels[1]);
    const auto values = i.spectrum();  // made in the module, released here
    ASSERT_EQ(values.size(), 16u);
    EXPECT_NEAR(values[13], 1.0f / 27.0f, 1e-4);  // bin 40 in band 13 (bins 26..52)
  }
  dlclose(module);
}

}  // namespace
