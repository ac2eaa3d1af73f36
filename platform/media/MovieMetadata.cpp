// Metadata items and user data of the low-level movie.
#include <cstring>
#include <unordered_map>

#include "Movie.h"

namespace platform::media {

struct QTMetaData {
  const std::vector<MetadataItemDescription>* items = nullptr;
};

struct UserDataRecord {
  const std::vector<UserDataEntryDescription>* entries = nullptr;
  std::vector<OSType> typeOrder;
  std::unordered_map<OSType, size_t> typePosition;
  std::unordered_map<OSType, std::vector<size_t>> byType;
};

namespace {

const MetadataItemDescription* itemOf(const QTMetaDataRef& meta, QTMetaDataItem item) {
  if (!meta || !meta->items || item == kQTMetaDataItemUninitialized || item > meta->items->size()) return nullptr;
  return &(*meta->items)[item - 1];
}

bool matches(const MetadataItemDescription& it, OSType storageFormat, OSType keyFormat, const uint8_t* key,
             size_t keySize) {
  if (storageFormat != kQTMetaDataStorageFormatWildcard && it.storageFormat != storageFormat) return false;
  if (keyFormat != kQTMetaDataKeyFormatWildcard && it.keyFormat != keyFormat) return false;
  if (key && keySize > 0 && (it.key.size() != keySize || std::memcmp(it.key.data(), key, keySize) != 0)) return false;
  return true;
}

}  // namespace

OSStatus QTCopyMovieMetaData(const Movie& movie, QTMetaDataRef* metaData) {
  if (!metaData) return paramErr;
  *metaData = std::make_shared<QTMetaData>();
  (*metaData)->items = &movie.description().metadata;
  return noErr;
}

void QTMetaDataRelease(QTMetaDataRef& metaData) { metaData.reset(); }

OSStatus QTMetaDataGetItemCountWithKey(const QTMetaDataRef& metaData, OSType storageFormat, OSType keyFormat,
                                       const uint8_t* key, size_t keySize, long* count) {
  if (!metaData || !metaData->items || !count) return paramErr;
  long n = 0;
  for (const auto& it : *metaData->items) n += matches(it, storageFormat, keyFormat, key, keySize) ? 1 : 0;
  *count = n;
  return noErr;
}

OSStatus QTMetaDataGetNextItem(const QTMetaDataRef& metaData, OSType storageFormat, QTMetaDataItem current,
                               OSType keyFormat, const uint8_t* key, size_t keySize, QTMetaDataItem* next) {
  if (!metaData || !metaData->items || !next) return paramErr;
  *next = kQTMetaDataItemUninitialized;
  const auto& items = *metaData->items;
  if (current > items.size()) return kQTMetaDataInvalidItemErr;
  for (size_t i = static_cast<size_t>(current); i < items.size(); ++i) {
    if (matches(items[i], storageFormat, keyFormat, key, keySize)) {
      *next = i + 1;
      return noErr;
    }
  }
  return kQTMetaDataNoMoreItemsErr;
}

OSStatus QTMetaDataGetItemPropertyInfo(const QTMetaDataRef& metaData, QTMetaDataItem item, QTPropertyClass propClass,
                                       QTPropertyID propID, QTPropertyValueType* type, size_t* size, uint32_t* flags) {
  const MetadataItemDescription* it = itemOf(metaData, item);
  if (!it) return kQTMetaDataInvalidItemErr;
  if (propClass != kPropertyClass_MetaDataItem) return kQTPropertyNotSupportedErr;
  QTPropertyValueType t;
  size_t n;
  if (propID == kQTMetaDataItemPropertyID_Key) {
    t = it->keyFormat;
    n = it->key.size();
  } else if (propID == kQTMetaDataItemPropertyID_Value) {
    t = kQTPropertyValueType_Data;
    n = it->value.size();
  } else if (propID == kQTMetaDataItemPropertyID_DataType || propID == kQTMetaDataItemPropertyID_StorageFormat) {
    t = kQTPropertyValueType_UInt32;
    n = sizeof(uint32_t);
  } else {
    return kQTPropertyNotSupportedErr;
  }
  if (type) *type = t;
  if (size) *size = n;
  if (flags) *flags = 1;  // readable
  return noErr;
}

OSStatus QTMetaDataGetItemProperty(const QTMetaDataRef& metaData, QTMetaDataItem item, QTPropertyClass propClass,
                                   QTPropertyID propID, size_t bufferSize, void* buffer, size_t* sizeUsed) {
  const MetadataItemDescription* it = itemOf(metaData, item);
  if (!it) return kQTMetaDataInvalidItemErr;
  if (propClass != kPropertyClass_MetaDataItem) return kQTPropertyNotSupportedErr;
  const void* src;
  size_t n;
  uint32_t number = 0;
  if (propID == kQTMetaDataItemPropertyID_Key) {
    src = it->key.data();
    n = it->key.size();
  } else if (propID == kQTMetaDataItemPropertyID_Value) {
    src = it->value.data();
    n = it->value.size();
  } else if (propID == kQTMetaDataItemPropertyID_DataType || propID == kQTMetaDataItemPropertyID_StorageFormat) {
    number = propID == kQTMetaDataItemPropertyID_DataType ? it->dataType : it->storageFormat;
    src = &number;
    n = sizeof number;
  } else {
    return kQTPropertyNotSupportedErr;
  }
  if (n > bufferSize || (n > 0 && !buffer)) return paramErr;
  if (n > 0) std::memcpy(buffer, src, n);
  if (sizeUsed) *sizeUsed = n;
  return noErr;
}

UserData GetMovieUserData(const Movie& movie) {
  const auto& entries = movie.description().userData;
  if (entries.empty()) return nullptr;
  auto record = std::make_shared<UserDataRecord>();
  record->entries = &entries;
  for (size_t i = 0; i < entries.size(); ++i) {
    OSType t = entries[i].type;
    if (record->typePosition.emplace(t, record->typeOrder.size()).second) record->typeOrder.push_back(t);
    record->byType[t].push_back(i);
  }
  return record;
}

OSType GetNextUserDataType(const UserData& userData, OSType udType) {
  if (!userData) return 0;
  size_t next = 0;
  if (udType != 0) {
    auto it = userData->typePosition.find(udType);
    if (it == userData->typePosition.end()) return 0;
    next = it->second + 1;
  }
  return next < userData->typeOrder.size() ? userData->typeOrder[next] : 0;
}

short CountUserDataType(const UserData& userData, OSType udType) {
  if (!userData) return 0;
  auto it = userData->byType.find(udType);
  if (it == userData->byType.end()) return 0;
  return static_cast<short>(std::min<size_t>(it->second.size(), 0x7fff));
}

OSErr GetUserDataText(const UserData& userData, std::string* text, OSType udType, long index, short itlRegionTag,
                      TextEncoding* encoding) {
  (void)itlRegionTag;
  if (!userData || !text) return paramErr;
  auto it = userData->byType.find(udType);
  if (it == userData->byType.end() || index < 1 || static_cast<size_t>(index) > it->second.size())
    return userDataItemNotFound;
  const UserDataEntryDescription& e = (*userData->entries)[it->second[static_cast<size_t>(index - 1)]];
  if (!e.isText) return userDataItemNotFound;
  text->assign(e.text.begin(), e.text.end());
  if (encoding) *encoding = e.utf8 ? kTextEncodingUTF8 : kTextEncodingMacRoman;
  return noErr;
}

}  // namespace platform::media
