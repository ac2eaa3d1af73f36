#include "spectrum_au/cf/CFTypes.h"

#include <cstdlib>
#include <cstring>
#include <new>

struct __CFNumber {
  CFRuntimeBase base;
  CFNumberType type;
  bool isFloat;
  int64_t integer;
  double real;
};

struct __CFData {
  CFRuntimeBase base;
  uint8_t* bytes;
  CFIndex length;
};

struct __CFArray {
  CFRuntimeBase base;
  bool isMutable;
  CFTypeRef* values;
  CFIndex count;
  CFIndex capacity;
};

struct __CFDictionary {
  CFRuntimeBase base;
  CFTypeRef* keys;
  CFTypeRef* values;
  CFIndex count;
  CFIndex capacity;
};

const CFArrayCallBacks kCFTypeArrayCallBacks = {0};
const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0};

namespace {

const CFRuntimeBase* header(CFTypeRef object) { return static_cast<const CFRuntimeBase*>(object); }

void finalizeNumber(CFTypeRef object) { delete static_cast<const __CFNumber*>(object); }

void finalizeString(CFTypeRef object) {
  auto* string = static_cast<const __CFString*>(object);
  delete[] string->bytes;
  delete string;
}

void finalizeData(CFTypeRef object) {
  auto* data = static_cast<const __CFData*>(object);
  delete[] data->bytes;
  delete data;
}

void finalizeArray(CFTypeRef object) {
  auto* array = static_cast<const __CFArray*>(object);
  for (CFIndex i = 0; i < array->count; ++i) CFRelease(array->values[i]);
  std::free(array->values);
  delete array;
}

void finalizeDictionary(CFTypeRef object) {
  auto* dictionary = static_cast<const __CFDictionary*>(object);
  for (CFIndex i = 0; i < dictionary->count; ++i) {
    CFRelease(dictionary->keys[i]);
    CFRelease(dictionary->values[i]);
  }
  std::free(dictionary->keys);
  std::free(dictionary->values);
  delete dictionary;
}

const CFRuntimeClass kNumberClass = {kCFNumberTypeID, "CFNumber", finalizeNumber};
const CFRuntimeClass kDataClass = {kCFDataTypeID, "CFData", finalizeData};
const CFRuntimeClass kArrayClass = {kCFArrayTypeID, "CFArray", finalizeArray};
const CFRuntimeClass kDictionaryClass = {kCFDictionaryTypeID, "CFDictionary", finalizeDictionary};

bool isFloatType(CFNumberType type) {
  return type == kCFNumberFloat32Type || type == kCFNumberFloat64Type || type == kCFNumberFloatType ||
         type == kCFNumberDoubleType;
}

size_t numberSize(CFNumberType type) {
  switch (type) {
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
      return 4;
    case kCFNumberSInt64Type:
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
      return 8;
    default:
      return 0;
  }
}

// Grows a pair of parallel buffers (the second may be null) to hold at least `needed` entries.
bool grow(CFTypeRef*& first, CFTypeRef** second, CFIndex& capacity, CFIndex needed) {
  if (needed <= capacity) return true;
  CFIndex newCapacity = capacity < 4 ? 4 : capacity * 2;
  while (newCapacity < needed) newCapacity *= 2;
  auto* a = static_cast<CFTypeRef*>(std::realloc(first, sizeof(CFTypeRef) * newCapacity));
  if (!a) return false;
  first = a;
  if (second) {
    auto* b = static_cast<CFTypeRef*>(std::realloc(*second, sizeof(CFTypeRef) * newCapacity));
    if (!b) return false;
    *second = b;
  }
  capacity = newCapacity;
  return true;
}

}  // namespace

const CFRuntimeClass __kCFStringClass = {kCFStringTypeID, "CFString", finalizeString};

CFTypeRef CFRetain(CFTypeRef object) {
  if (object) {
    auto* base = const_cast<CFRuntimeBase*>(header(object));
    if (base->retainCount.load(std::memory_order_relaxed) >= 0) base->retainCount.fetch_add(1, std::memory_order_relaxed);
  }
  return object;
}

void CFRelease(CFTypeRef object) {
  if (!object) return;
  auto* base = const_cast<CFRuntimeBase*>(header(object));
  if (base->retainCount.load(std::memory_order_relaxed) < 0) return;
  if (base->retainCount.fetch_sub(1, std::memory_order_acq_rel) == 1) base->isa->finalize(object);
}

CFIndex CFGetRetainCount(CFTypeRef object) {
  if (!object) return 0;
  const int32_t count = header(object)->retainCount.load(std::memory_order_relaxed);
  return count < 0 ? CFIndex(INT32_MAX) : CFIndex(count);
}

CFTypeID CFGetTypeID(CFTypeRef object) { return object ? header(object)->isa->typeID : 0; }

Boolean CFEqual(CFTypeRef a, CFTypeRef b) {
  if (a == b) return true;
  if (!a || !b || CFGetTypeID(a) != CFGetTypeID(b)) return false;
  switch (CFGetTypeID(a)) {
    case kCFNumberTypeID: {
      auto* x = static_cast<const __CFNumber*>(a);
      auto* y = static_cast<const __CFNumber*>(b);
      if (x->isFloat || y->isFloat) return (x->isFloat ? x->real : double(x->integer)) == (y->isFloat ? y->real : double(y->integer));
      return x->integer == y->integer;
    }
    case kCFStringTypeID: {
      auto* x = static_cast<const __CFString*>(a);
      auto* y = static_cast<const __CFString*>(b);
      return x->length == y->length && std::memcmp(x->bytes, y->bytes, size_t(x->length)) == 0;
    }
    case kCFDataTypeID: {
      auto* x = static_cast<const __CFData*>(a);
      auto* y = static_cast<const __CFData*>(b);
      return x->length == y->length && (x->length == 0 || std::memcmp(x->bytes, y->bytes, size_t(x->length)) == 0);
    }
    case kCFArrayTypeID: {
      auto* x = static_cast<const __CFArray*>(a);
      auto* y = static_cast<const __CFArray*>(b);
      if (x->count != y->count) return false;
      for (CFIndex i = 0; i < x->count; ++i)
        if (!CFEqual(x->values[i], y->values[i])) return false;
      return true;
    }
    case kCFDictionaryTypeID: {
      auto* x = static_cast<const __CFDictionary*>(a);
      auto* y = static_cast<const __CFDictionary*>(b);
      if (x->count != y->count) return false;
      for (CFIndex i = 0; i < x->count; ++i)
        if (!CFEqual(x->values[i], CFDictionaryGetValue(y, x->keys[i]))) return false;
      return true;
    }
  }
  return false;
}

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType type, const void* valuePtr) {
  if (!valuePtr || numberSize(type) == 0) return nullptr;
  auto* number = new (std::nothrow) __CFNumber{{&kNumberClass, 1}, type, isFloatType(type), 0, 0.0};
  if (!number) return nullptr;
  switch (type) {
    case kCFNumberSInt32Type:
    case kCFNumberIntType: {
      int32_t v;
      std::memcpy(&v, valuePtr, sizeof v);
      number->integer = v;
      break;
    }
    case kCFNumberSInt64Type:
      std::memcpy(&number->integer, valuePtr, sizeof number->integer);
      break;
    case kCFNumberFloat32Type:
    case kCFNumberFloatType: {
      float v;
      std::memcpy(&v, valuePtr, sizeof v);
      number->real = v;
      break;
    }
    default:
      std::memcpy(&number->real, valuePtr, sizeof number->real);
  }
  return number;
}

CFNumberType CFNumberGetType(CFNumberRef number) { return number ? number->type : 0; }

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* valuePtr) {
  if (!number || !valuePtr || numberSize(type) == 0) return false;
  const double asReal = number->isFloat ? number->real : double(number->integer);
  switch (type) {
    case kCFNumberSInt32Type:
    case kCFNumberIntType: {
      const int32_t v = number->isFloat ? int32_t(number->real) : int32_t(number->integer);
      std::memcpy(valuePtr, &v, sizeof v);
      return number->isFloat ? double(v) == number->real : int64_t(v) == number->integer;
    }
    case kCFNumberSInt64Type: {
      const int64_t v = number->isFloat ? int64_t(number->real) : number->integer;
      std::memcpy(valuePtr, &v, sizeof v);
      return number->isFloat ? double(v) == number->real : true;
    }
    case kCFNumberFloat32Type:
    case kCFNumberFloatType: {
      const float v = float(asReal);
      std::memcpy(valuePtr, &v, sizeof v);
      return double(v) == asReal;
    }
    default:
      std::memcpy(valuePtr, &asReal, sizeof asReal);
      return true;
  }
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* text, CFStringEncoding) {
  if (!text) return nullptr;
  const size_t length = std::strlen(text);
  auto* bytes = new (std::nothrow) char[length + 1];
  if (!bytes) return nullptr;
  std::memcpy(bytes, text, length + 1);
  auto* string = new (std::nothrow) __CFString{{&__kCFStringClass, 1}, bytes, CFIndex(length)};
  if (!string) delete[] bytes;
  return string;
}

CFIndex CFStringGetLength(CFStringRef string) { return string ? string->length : 0; }

const char* CFStringGetCStringPtr(CFStringRef string, CFStringEncoding) { return string ? string->bytes : nullptr; }

Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize, CFStringEncoding) {
  if (!string || !buffer || bufferSize <= string->length) return false;
  std::memcpy(buffer, string->bytes, size_t(string->length) + 1);
  return true;
}

CFDataRef CFDataCreate(CFAllocatorRef, const uint8_t* bytes, CFIndex length) {
  if (length < 0 || (length > 0 && !bytes)) return nullptr;
  auto* copy = new (std::nothrow) uint8_t[length > 0 ? length : 1];
  if (!copy) return nullptr;
  if (length > 0) std::memcpy(copy, bytes, size_t(length));
  auto* data = new (std::nothrow) __CFData{{&kDataClass, 1}, copy, length};
  if (!data) delete[] copy;
  return data;
}

CFIndex CFDataGetLength(CFDataRef data) { return data ? data->length : 0; }
const uint8_t* CFDataGetBytePtr(CFDataRef data) { return data ? data->bytes : nullptr; }

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity, const CFArrayCallBacks*) {
  auto* array = new (std::nothrow) __CFArray{{&kArrayClass, 1}, true, nullptr, 0, 0};
  if (array && capacity > 0 && !grow(array->values, nullptr, array->capacity, capacity)) {
    delete array;
    return nullptr;
  }
  return array;
}

CFArrayRef CFArrayCreateCopy(CFAllocatorRef allocator, CFArrayRef source) {
  if (!source) return nullptr;
  CFMutableArrayRef copy = CFArrayCreateMutable(allocator, source->count, &kCFTypeArrayCallBacks);
  if (!copy) return nullptr;
  for (CFIndex i = 0; i < source->count; ++i) CFArrayAppendValue(copy, source->values[i]);
  copy->isMutable = false;
  return copy;
}

void CFArrayAppendValue(CFMutableArrayRef array, const void* value) {
  if (!array || !array->isMutable || !value) return;
  if (!grow(array->values, nullptr, array->capacity, array->count + 1)) return;
  array->values[array->count++] = CFRetain(value);
}

CFIndex CFArrayGetCount(CFArrayRef array) { return array ? array->count : 0; }

const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index) {
  if (!array || index < 0 || index >= array->count) return nullptr;
  return array->values[index];
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex, const CFDictionaryKeyCallBacks*,
                                                 const CFDictionaryValueCallBacks*) {
  return new (std::nothrow) __CFDictionary{{&kDictionaryClass, 1}, nullptr, nullptr, 0, 0};
}

void CFDictionarySetValue(CFMutableDictionaryRef dictionary, const void* key, const void* value) {
  if (!dictionary || !key || !value) return;
  for (CFIndex i = 0; i < dictionary->count; ++i) {
    if (CFEqual(dictionary->keys[i], key)) {
      CFRetain(value);
      CFRelease(dictionary->values[i]);
      dictionary->values[i] = value;
      return;
    }
  }
  if (!grow(dictionary->keys, &dictionary->values, dictionary->capacity, dictionary->count + 1)) return;
  dictionary->keys[dictionary->count] = CFRetain(key);
  dictionary->values[dictionary->count] = CFRetain(value);
  ++dictionary->count;
}

const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key) {
  if (!dictionary || !key) return nullptr;
  for (CFIndex i = 0; i < dictionary->count; ++i)
    if (CFEqual(dictionary->keys[i], key)) return dictionary->values[i];
  return nullptr;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary) { return dictionary ? dictionary->count : 0; }
