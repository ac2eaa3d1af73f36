#pragma once
// Small reference-counted values standing in for the platform's CoreFoundation types: numbers,
// strings, data, arrays and dictionaries, with the familiar calls. Objects made by a plug-in
// can be read and released by its host: every object carries its class, whose finalizer runs
// in the module that made it. Counts are atomic; containers are not thread-safe.
#include <atomic>
#include <cstdint>

typedef unsigned char Boolean;
typedef long CFIndex;
typedef unsigned long CFTypeID;
typedef const void* CFTypeRef;
typedef CFTypeRef CFPropertyListRef;
typedef const struct __CFAllocator* CFAllocatorRef;
typedef const struct __CFNumber* CFNumberRef;
typedef const struct __CFString* CFStringRef;
typedef const struct __CFData* CFDataRef;
typedef const struct __CFArray* CFArrayRef;
typedef struct __CFArray* CFMutableArrayRef;
typedef const struct __CFDictionary* CFDictionaryRef;
typedef struct __CFDictionary* CFMutableDictionaryRef;

#define kCFAllocatorDefault ((CFAllocatorRef) nullptr)

enum : CFTypeID { kCFNumberTypeID = 1, kCFStringTypeID, kCFDataTypeID, kCFArrayTypeID, kCFDictionaryTypeID };

typedef CFIndex CFNumberType;
enum : CFIndex {
  kCFNumberSInt32Type = 3,
  kCFNumberSInt64Type = 4,
  kCFNumberFloat32Type = 5,
  kCFNumberFloat64Type = 6,
  kCFNumberIntType = 9,
  kCFNumberFloatType = 12,
  kCFNumberDoubleType = 13,
};

typedef uint32_t CFStringEncoding;
enum : CFStringEncoding { kCFStringEncodingUTF8 = 0x08000100 };

// Every object begins with this header.
struct CFRuntimeClass {
  CFTypeID typeID;
  const char* className;
  void (*finalize)(CFTypeRef object);  // frees the object and what it holds
};
struct CFRuntimeBase {
  const CFRuntimeClass* isa;
  std::atomic<int32_t> retainCount;  // negative: a constant that is never freed
};

struct __CFString {
  CFRuntimeBase base;
  const char* bytes;  // UTF-8, NUL-terminated
  CFIndex length;     // in bytes
};

extern const CFRuntimeClass __kCFStringClass;

// CFSTR("text"): a constant string, never freed; releasing it is harmless.
#define CFSTR(text)                                                                     \
  ([]() -> CFStringRef {                                                                \
    static __CFString constant{{&__kCFStringClass, -1}, "" text "", sizeof(text) - 1}; \
    return &constant;                                                                   \
  }())

CFTypeRef CFRetain(CFTypeRef object);
void CFRelease(CFTypeRef object);
CFIndex CFGetRetainCount(CFTypeRef object);
CFTypeID CFGetTypeID(CFTypeRef object);
// Same type and contents (numbers by value, strings and data by bytes, containers by element).
Boolean CFEqual(CFTypeRef a, CFTypeRef b);

CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType type, const void* valuePtr);
CFNumberType CFNumberGetType(CFNumberRef number);
// Converts to the requested type; false when the conversion is not exact.
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* valuePtr);

CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text, CFStringEncoding encoding);
CFIndex CFStringGetLength(CFStringRef string);
const char* CFStringGetCStringPtr(CFStringRef string, CFStringEncoding encoding);
Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);

CFDataRef CFDataCreate(CFAllocatorRef allocator, const uint8_t* bytes, CFIndex length);
CFIndex CFDataGetLength(CFDataRef data);
const uint8_t* CFDataGetBytePtr(CFDataRef data);

// Arrays and dictionaries always retain their elements (the platform's default callbacks).
struct CFArrayCallBacks {
  CFIndex version;
};
extern const CFArrayCallBacks kCFTypeArrayCallBacks;
CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity, const CFArrayCallBacks* callBacks);
CFArrayRef CFArrayCreateCopy(CFAllocatorRef allocator, CFArrayRef array);
void CFArrayAppendValue(CFMutableArrayRef array, const void* value);
CFIndex CFArrayGetCount(CFArrayRef array);
const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index);  // nullptr out of range

struct CFDictionaryKeyCallBacks {
  CFIndex version;
};
struct CFDictionaryValueCallBacks {
  CFIndex version;
};
extern const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks;
extern const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks;
CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks);
void CFDictionarySetValue(CFMutableDictionaryRef dictionary, const void* key, const void* value);
const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key);
CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary);
