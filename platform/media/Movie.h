#pragma once
// The low-level movie (the QuickTime `Movie` level): created from instantiation properties, it
// answers duration, time scale and tracks by 1-based index.
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/media/MovieDescription.h"
#include "platform/media/MediaErrors.h"
#include "platform/media/MediaTypes.h"
#include "platform/media/QTTime.h"

namespace platform::media {

class Movie {
 public:
  Movie(std::string path, MovieDescription description, bool active)
      : path_(std::move(path)), description_(std::move(description)), active_(active) {}

  const std::string& path() const { return path_; }
  const MovieDescription& description() const { return description_; }
  bool isActive() const { return active_; }
  // Whether the creator accepted an asynchronous load ("mins"/"asok"): a movie object made from
  // it then reaches its load states in the background.
  bool asyncLoadAllowed() const { return asyncLoadAllowed_; }
  void setAsyncLoadAllowed(bool allowed) { asyncLoadAllowed_ = allowed; }

 private:
  std::string path_;
  MovieDescription description_;
  bool active_;
  bool asyncLoadAllowed_ = false;
};

using MoviePtr = std::shared_ptr<Movie>;
using Track = const TrackDescription*;

// Instantiation property classes and identifiers.
constexpr OSType kQTPropertyClass_DataLocation = fourCharCode("dloc");
constexpr OSType kQTDataLocationPropertyID_CFStringNativePath = fourCharCode("cfnp");
constexpr OSType kQTPropertyClass_NewMovieProperty = fourCharCode("mprp");
constexpr OSType kQTNewMoviePropertyID_Active = fourCharCode("actv");
constexpr OSType kQTPropertyClass_Audio = fourCharCode("audi");
constexpr OSType kQTAudioPropertyID_ChannelLayout = fourCharCode("aucp");
constexpr OSType kQTPropertyClass_MovieInstantiation = fourCharCode("mins");
constexpr OSType kQTMovieInstantiationPropertyID_AsyncOK = fourCharCode("asok");

// One (class, identifier, size, value) entry; the value is a path string or a flag.
struct QTNewMoviePropertyElement {
  OSType propClass = 0;
  OSType propID = 0;
  uint32_t propValueSize = 0;
  std::variant<std::string, bool> propValue;
  OSStatus propStatus = noErr;
};

// Creates a movie from the properties (the path entry is required). Synchronous: when it returns
// noErr the movie is complete. Properties it doesn't know get a non-zero propStatus.
OSStatus NewMovieFromProperties(long inputPropertyCount, QTNewMoviePropertyElement* inputProperties,
                                long outputPropertyCount, QTNewMoviePropertyElement* outputProperties,
                                MoviePtr* newMovie);

int64_t GetMovieDuration(const Movie& movie);
int32_t GetMovieTimeScale(const Movie& movie);
long GetMovieTrackCount(const Movie& movie);
// 1-based; nullptr when out of range.
Track GetMovieIndTrack(const Movie& movie, long index);
bool GetTrackEnabled(Track track);
std::string GetMediaType(Track track);

// --- Tracks, references and samples (MovieTracks.cpp) ---------------------------------------

constexpr OSType kTrackReferenceChapterList = fourCharCode("chap");
constexpr short nextTimeMediaSample = 1;
constexpr short nextTimeEdgeOK = 0x4000;
constexpr int32_t fixed1 = 0x10000;
constexpr OSErr invalidTrack = -2009;
constexpr OSErr invalidMedia = -2008;
constexpr OSErr invalidTime = -2015;

// The `index`-th (1-based) track referenced from `track` by references of `refType`; nullptr when
// there is none or the referenced track is not in the movie.
Track GetTrackReference(const Movie& movie, Track track, OSType refType, long index);
// The next time (in the movie's scale) after `time` at which a media sample starts in the track,
// or at `time` itself with nextTimeEdgeOK; -1 when there is none. Edit lists are followed.
void GetTrackNextInterestingTime(Track track, short interestingTimeFlags, int64_t time, int32_t rate,
                                 int64_t* interestingTime, int64_t* interestingDuration);
// Track time (movie scale) to media time (media scale); -1 in an empty edit or outside the track.
int64_t TrackTimeToMediaTime(int64_t value, Track track);

using Media = Track;
Media GetTrackMedia(Track track);
// Reads the sample that contains media time `time` into `data` (refusing samples larger than
// `maxSizeToGrow` when that is positive).
OSErr GetMediaSample(Media media, std::vector<uint8_t>* data, long maxSizeToGrow, long* size, int64_t time,
                     int64_t* sampleTime, int64_t* durationPerSample);

// --- Metadata (MovieMetadata.cpp) -----------------------------------------------------------

using QTMetaDataItem = uint64_t;
using QTPropertyClass = OSType;
using QTPropertyID = OSType;
using QTPropertyValueType = OSType;
constexpr QTMetaDataItem kQTMetaDataItemUninitialized = 0;
constexpr OSType kQTMetaDataStorageFormatWildcard = 0;
constexpr OSType kQTMetaDataKeyFormatWildcard = 0;
constexpr OSType kQTMetaDataStorageFormatQuickTime = fourCharCode("mdta");
constexpr OSType kQTMetaDataStorageFormatiTunes = fourCharCode("itms");
constexpr OSType kQTMetaDataStorageFormatUserData = fourCharCode("udta");
constexpr OSType kQTMetaDataKeyFormatQuickTime = fourCharCode("mdta");
constexpr OSType kQTMetaDataKeyFormatiTunesShortForm = fourCharCode("itsk");
constexpr OSType kQTMetaDataKeyFormatiTunesLongForm = fourCharCode("itlk");
constexpr OSType kQTMetaDataKeyFormatUserData = fourCharCode("udta");
constexpr QTPropertyClass kPropertyClass_MetaDataItem = fourCharCode("mdit");
constexpr QTPropertyID kQTMetaDataItemPropertyID_Key = fourCharCode("key ");
constexpr QTPropertyID kQTMetaDataItemPropertyID_Value = fourCharCode("valu");
constexpr QTPropertyID kQTMetaDataItemPropertyID_DataType = fourCharCode("dtyp");

// Well-known data types of metadata item values.
enum : uint32_t {
  kQTMetaDataTypeBinary = 0,
  kQTMetaDataTypeUTF8 = 1,
  kQTMetaDataTypeUTF16BE = 2,
  kQTMetaDataTypeMacEncodedText = 3,
  kQTMetaDataTypeGIFImage = 12,
  kQTMetaDataTypeJPEGImage = 13,
  kQTMetaDataTypePNGImage = 14,
  kQTMetaDataTypeSignedIntegerBE = 21,
  kQTMetaDataTypeUnsignedIntegerBE = 22,
  kQTMetaDataTypeFloat32BE = 23,
  kQTMetaDataTypeFloat64BE = 24,
  kQTMetaDataTypeBMPImage = 27,
};
constexpr QTPropertyID kQTMetaDataItemPropertyID_StorageFormat = fourCharCode("sfmt");
constexpr QTPropertyValueType kQTPropertyValueType_Data = fourCharCode("data");
constexpr QTPropertyValueType kQTPropertyValueType_UInt32 = fourCharCode("ui32");
constexpr OSStatus kQTMetaDataInvalidItemErr = -2166;
constexpr OSStatus kQTMetaDataNoMoreItemsErr = -2167;
constexpr OSStatus kQTPropertyNotSupportedErr = -2195;

// The movie's metadata items, in container order. Key values are delivered in file order for
// every key format (no host-order four-character codes), so callers need no byte reversal.
struct QTMetaData;
using QTMetaDataRef = std::shared_ptr<QTMetaData>;
OSStatus QTCopyMovieMetaData(const Movie& movie, QTMetaDataRef* metaData);
void QTMetaDataRelease(QTMetaDataRef& metaData);
// Items of a storage format and key (wildcards count every item).
OSStatus QTMetaDataGetItemCountWithKey(const QTMetaDataRef& metaData, OSType storageFormat, OSType keyFormat,
                                       const uint8_t* key, size_t keySize, long* count);
// The item after `current` (kQTMetaDataItemUninitialized: the first) matching the filters;
// kQTMetaDataNoMoreItemsErr at the end.
OSStatus QTMetaDataGetNextItem(const QTMetaDataRef& metaData, OSType storageFormat, QTMetaDataItem current,
                               OSType keyFormat, const uint8_t* key, size_t keySize, QTMetaDataItem* next);
// Property type and size: the key's type is its key format; the value's "data"; the data type's
// "ui32" (4 bytes, host order).
OSStatus QTMetaDataGetItemPropertyInfo(const QTMetaDataRef& metaData, QTMetaDataItem item, QTPropertyClass propClass,
                                       QTPropertyID propID, QTPropertyValueType* type, size_t* size, uint32_t* flags);
OSStatus QTMetaDataGetItemProperty(const QTMetaDataRef& metaData, QTMetaDataItem item, QTPropertyClass propClass,
                                   QTPropertyID propID, size_t bufferSize, void* buffer, size_t* sizeUsed);

// --- User data (MovieMetadata.cpp) ----------------------------------------------------------

constexpr OSErr userDataItemNotFound = -2026;
using TextEncoding = uint32_t;
constexpr TextEncoding kTextEncodingMacRoman = 0;
constexpr TextEncoding kTextEncodingUTF8 = 0x08000100;

struct UserDataRecord;
using UserData = std::shared_ptr<const UserDataRecord>;
// nullptr for a movie without user data.
UserData GetMovieUserData(const Movie& movie);
// Types in order of first appearance: the one after `udType` (0: the first); 0 after the last.
OSType GetNextUserDataType(const UserData& userData, OSType udType);
short CountUserDataType(const UserData& userData, OSType udType);
// Text of the `index`-th (1-based) entry of a type: its first text record, whatever
// `itlRegionTag` asks for. `encoding` (optional) tells Mac Roman from UTF-8.
OSErr GetUserDataText(const UserData& userData, std::string* text, OSType udType, long index, short itlRegionTag,
                      TextEncoding* encoding = nullptr);

}  // namespace platform::media
