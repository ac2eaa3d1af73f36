// Saved state: the class-info dictionary of an audio unit.
#include <cstring>
#include <vector>

#include "spectrum_au/frame/AUBase.h"

namespace {

const AudioUnitScope kSavedScopes[] = {kAudioUnitScope_Global, kAudioUnitScope_Input, kAudioUnitScope_Output};

void AppendBigEndian(std::vector<uint8_t>& bytes, uint32_t value) {
  bytes.push_back(uint8_t(value >> 24));
  bytes.push_back(uint8_t(value >> 16));
  bytes.push_back(uint8_t(value >> 8));
  bytes.push_back(uint8_t(value));
}

uint32_t ReadBigEndian(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void SetNumber(CFMutableDictionaryRef dictionary, CFStringRef key, SInt32 value) {
  CFNumberRef number = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &value);
  CFDictionarySetValue(dictionary, key, number);
  CFRelease(number);
}

bool NumberEquals(CFDictionaryRef dictionary, CFStringRef key, SInt32 expected) {
  CFTypeRef value = CFDictionaryGetValue(dictionary, key);
  SInt32 number = 0;
  return value && CFGetTypeID(value) == kCFNumberTypeID &&
         CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt32Type, &number) && number == expected;
}

struct SavedParameter {
  AudioUnitScope scope;
  AudioUnitElement element;
  AudioUnitParameterID parameter;
  AudioUnitParameterValue value;
};

}  // namespace

OSStatus AUBase::SaveState(CFPropertyListRef* outData) {
  if (!outData) return kAudio_ParamError;
  const ComponentDescription& description = mComponentInstance->description;
  CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks,
                                                                &kCFTypeDictionaryValueCallBacks);
  if (!dictionary) return kAudio_MemFullError;
  SetNumber(dictionary, CFSTR("version"), 0);
  SetNumber(dictionary, CFSTR("type"), SInt32(description.componentType));
  SetNumber(dictionary, CFSTR("subtype"), SInt32(description.componentSubType));
  SetNumber(dictionary, CFSTR("manufacturer"), SInt32(description.componentManufacturer));

  // For each element with parameters: scope, element, count, then (ID, value bits) pairs,
  // every field a big-endian 32-bit integer.
  std::vector<uint8_t> bytes;
  for (AudioUnitScope scope : kSavedScopes) {
    AUScope& theScope = GetScope(scope);
    for (UInt32 e = 0; e < theScope.GetNumberOfElements(); ++e) {
      const AUElement* element = theScope.GetElement(e);
      const UInt32 count = element->GetNumberOfParameters();
      if (count == 0) continue;
      AppendBigEndian(bytes, scope);
      AppendBigEndian(bytes, e);
      AppendBigEndian(bytes, count);
      for (UInt32 id = 0; id < count; ++id) {
        const float value = element->GetParameter(id);
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        AppendBigEndian(bytes, id);
        AppendBigEndian(bytes, bits);
      }
    }
  }
  CFDataRef data = CFDataCreate(kCFAllocatorDefault, bytes.data(), CFIndex(bytes.size()));
  CFDictionarySetValue(dictionary, CFSTR("data"), data);
  CFRelease(data);
  CFDictionarySetValue(dictionary, CFSTR("name"), mPresetName ? mPresetName : CFSTR("Untitled"));
  *outData = dictionary;
  return noErr;
}

OSStatus AUBase::RestoreState(CFPropertyListRef inData) {
  if (!inData || CFGetTypeID(inData) != kCFDictionaryTypeID) return kAudioUnitErr_InvalidPropertyValue;
  auto dictionary = static_cast<CFDictionaryRef>(inData);
  const ComponentDescription& description = mComponentInstance->description;
  if (!NumberEquals(dictionary, CFSTR("version"), 0) ||
      !NumberEquals(dictionary, CFSTR("type"), SInt32(description.componentType)) ||
      !NumberEquals(dictionary, CFSTR("subtype"), SInt32(description.componentSubType)) ||
      !NumberEquals(dictionary, CFSTR("manufacturer"), SInt32(description.componentManufacturer)))
    return kAudioUnitErr_InvalidPropertyValue;

  // Read everything first: a malformed state changes nothing.
  std::vector<SavedParameter> parameters;
  if (CFTypeRef value = CFDictionaryGetValue(dictionary, CFSTR("data"))) {
    if (CFGetTypeID(value) != kCFDataTypeID) return kAudioUnitErr_InvalidPropertyValue;
    auto data = static_cast<CFDataRef>(value);
    const uint8_t* p = CFDataGetBytePtr(data);
    size_t remaining = size_t(CFDataGetLength(data));
    while (remaining > 0) {
      if (remaining < 12) return kAudioUnitErr_InvalidPropertyValue;
      const AudioUnitScope scope = ReadBigEndian(p);
      const AudioUnitElement element = ReadBigEndian(p + 4);
      const uint32_t count = ReadBigEndian(p + 8);
      p += 12;
      remaining -= 12;
      if (count > remaining / 8) return kAudioUnitErr_InvalidPropertyValue;
      for (uint32_t i = 0; i < count; ++i, p += 8, remaining -= 8) {
        const uint32_t bits = ReadBigEndian(p + 4);
        float parameterValue;
        std::memcpy(&parameterValue, &bits, sizeof parameterValue);
        parameters.push_back({scope, element, ReadBigEndian(p), parameterValue});
      }
    }
  }
  CFTypeRef name = CFDictionaryGetValue(dictionary, CFSTR("name"));
  if (name && CFGetTypeID(name) != kCFStringTypeID) return kAudioUnitErr_InvalidPropertyValue;

  // Parameters of elements or IDs this unit does not have are passed over.
  for (const SavedParameter& saved : parameters) {
    AUElement* element = saved.scope <= kAudioUnitScope_Output ? GetElement(saved.scope, saved.element) : nullptr;
    if (element && element->HasParameterID(saved.parameter)) element->SetParameter(saved.parameter, saved.value);
  }
  if (name) {
    CFRetain(name);
    if (mPresetName) CFRelease(mPresetName);
    mPresetName = static_cast<CFStringRef>(name);
  }
  PropertyChanged(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0);
  return noErr;
}
