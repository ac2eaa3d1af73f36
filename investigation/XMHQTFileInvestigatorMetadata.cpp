// Metadata labels and ID3-style tags of a movie.
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "XMHQTFileInvestigator.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/media/Movie.h"
#include "platform/media/TextEncoding.h"

using namespace platform::media;

namespace {

// Mac-encoded text formatted with "%.*s": at most `count` bytes, ending early at a zero byte.
size_t cStringLength(const uint8_t* bytes, size_t count) {
  const void* zero = count ? std::memchr(bytes, 0, count) : nullptr;
  return zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes) : count;
}

std::string hexBytes(const uint8_t* bytes, size_t count) {
  std::string out;
  out.reserve(count * 2);
  char buf[4];
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(buf, sizeof buf, "%x", bytes[i]);
    out += buf;
  }
  return out;
}

// Reads one item property into a buffer of exactly the size the layer reports. The layer hands
// keys over in file order, so no four-character code needs its bytes reversed here.
OSStatus readItemProperty(const QTMetaDataRef& meta, QTMetaDataItem item, QTPropertyID propID,
                          std::vector<uint8_t>& buffer) {
  QTPropertyValueType type = 0;
  size_t size = 0;
  uint32_t flags = 0;
  OSStatus err = QTMetaDataGetItemPropertyInfo(meta, item, kPropertyClass_MetaDataItem, propID, &type, &size, &flags);
  if (err != noErr) return err;
  buffer.assign(size, 0);
  size_t used = 0;
  err = QTMetaDataGetItemProperty(meta, item, kPropertyClass_MetaDataItem, propID, size, buffer.data(), &used);
  if (err == noErr) buffer.resize(std::min(used, size));
  return err;
}

// Drops the first character (one UTF-8 sequence).
std::string withoutFirstCharacter(const std::string& s) {
  if (s.empty()) return s;
  size_t n = 1;
  while (n < s.size() && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) ++n;
  return s.substr(n);
}

}  // namespace

const std::vector<std::pair<std::string, std::string>>& XMHQTFileInvestigator::metaDataLabelMap() {
  static const std::vector<std::pair<std::string, std::string>> map = {
      {"nam", "Name"},
      {"ART", "Artist"},
      {"alb", "Album"},
      {"gen", "Genre"},
      {"day", "Year"},
      {"com", "Composer"},
      {"trk", "Track"},
      {"cmt", "Comments"},
      {"cpy", "Copyright"},
      {"des", "Description"},
      {"prf", "Performer"},
      {"wrt", "Writer"},
      {"com.apple.quicktime.displayname", "Name"},
      {"com.apple.quicktime.album", "Album"},
      {"com.apple.quicktime.artist", "Artist"},
      {"tvsh", "Series"},
      {"tvsn", "Season"},
      {"tves", "Episode"},
      {"trkn", "Track"},
      {"trck", "Track"},
      {"gnre", "Genre"},
      {"cpil", "CPil"},
      {"pgap", "PGap"},
      {"tmpo", "Tempo"},
      {"rtng", "Rating"},
      {"stik", "Stik"},
      {"desc", "Description"},
      {"disk", "Disk"},
      {"enc", "Encoder"},
      {"swr", "Encoder"},
      {"lyr", "Lyrics"},
      {"tpos", "Part Of Set"},
      {"comm", "Comments"},
      {"tpub", "Publisher"},
      {"tpe2", "InvolvedPersons1"},
      {"tpe3", "InvolvedPersons2"},
      {"tpe4", "InvolvedPersons3"},
      {"pcnt", "Play Count"},
  };
  return map;
}

std::optional<std::string> XMHQTFileInvestigator::formattedMetaDataValue(uint32_t dataType, const uint8_t* bytes,
                                                                        size_t count) {
  if (count > 0 && !bytes) return std::nullopt;
  switch (dataType) {
    case kQTMetaDataTypeBinary:
    case kQTMetaDataTypeGIFImage:
    case kQTMetaDataTypeJPEGImage:
    case kQTMetaDataTypePNGImage:
    case kQTMetaDataTypeBMPImage:
      return hexBytes(bytes, count);
    case kQTMetaDataTypeUTF8: {
      std::string text(reinterpret_cast<const char*>(bytes), cStringLength(bytes, count));
      if (!platform::isValidUtf8(text)) return std::nullopt;
      return text;
    }
    case kQTMetaDataTypeUTF16BE: {
      // UTF-16 big-endian, no byte-order mark handling; ends at a zero code unit, which a
      // property list can't carry.
      size_t units = count / 2;
      size_t n = 0;
      while (n < units && (bytes[2 * n] | bytes[2 * n + 1]) != 0) ++n;
      return utf16ToUtf8(bytes, 2 * n, true);
    }
    case kQTMetaDataTypeMacEncodedText:
      return macRomanToUtf8(bytes, cStringLength(bytes, count));
    case kQTMetaDataTypeSignedIntegerBE:
    case kQTMetaDataTypeUnsignedIntegerBE: {
      if (count == 0) return std::nullopt;
      unsigned long long value = 0;
      for (size_t i = count > 8 ? count - 8 : 0; i < count; ++i) value = (value << 8) | bytes[i];
      int precision = static_cast<int>(std::min<size_t>(count, 64));
      char buf[96];
      std::snprintf(buf, sizeof buf, "%#.*llx", precision, value);
      return std::string(buf);
    }
    case kQTMetaDataTypeFloat32BE: {
      if (count < 4) return std::nullopt;
      uint32_t bits = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
      float f;
      std::memcpy(&f, &bits, 4);
      char buf[512];
      std::snprintf(buf, sizeof buf, "%f", static_cast<double>(f));
      return std::string(buf);
    }
    case kQTMetaDataTypeFloat64BE: {
      if (count < 8) return std::nullopt;
      uint64_t bits = 0;
      for (size_t i = 0; i < 8; ++i) bits = (bits << 8) | bytes[i];
      double d;
      std::memcpy(&d, &bits, 8);
      std::vector<char> buf(static_cast<size_t>(std::snprintf(nullptr, 0, "%f", d)) + 1);
      std::snprintf(buf.data(), buf.size(), "%f", d);
      return std::string(buf.data());
    }
    default:
      return std::nullopt;
  }
}

XMHQTFileInvestigator::PlistDictionary XMHQTFileInvestigator::metaDataOfMovie(const Movie& movie) {
  std::unordered_map<std::string, std::string> labels;
  for (const auto& [key, label] : metaDataLabelMap()) labels.emplace(key, label);
  PlistDictionary result;

  QTMetaDataRef meta;
  if (QTCopyMovieMetaData(movie, &meta) != noErr || !meta) {
    platform::log("XMHQTFileInvestigator: metaDataOfMovie: No Metadata");
    return result;
  }
  long count = 0;
  if (QTMetaDataGetItemCountWithKey(meta, kQTMetaDataStorageFormatWildcard, kQTMetaDataKeyFormatWildcard, nullptr, 0,
                                    &count) != noErr ||
      count == 0) {
    QTMetaDataRelease(meta);
    return result;
  }

  QTMetaDataItem item = kQTMetaDataItemUninitialized;
  while (QTMetaDataGetNextItem(meta, kQTMetaDataStorageFormatWildcard, item, kQTMetaDataKeyFormatWildcard, nullptr, 0,
                               &item) == noErr) {
    std::vector<uint8_t> key;
    if (readItemProperty(meta, item, kQTMetaDataItemPropertyID_Key, key) != noErr) {
      platform::log("XMHQTFileInvestigator: metaDataOfMovie: Error getting PropertyID Key");
      continue;
    }
    std::string keyText = formattedMetaDataValue(3, key.data(), key.size()).value_or(std::string());

    std::optional<std::string> label;
    auto found = labels.find(keyText);
    if (found != labels.end() || key.size() != 4) {
      if (found != labels.end()) label = found->second;
    } else {
      auto shorter = labels.find(withoutFirstCharacter(keyText));
      label = shorter != labels.end() ? shorter->second : keyText;
    }
    if (!label) continue;

    std::vector<uint8_t> value;
    if (readItemProperty(meta, item, kQTMetaDataItemPropertyID_Value, value) != noErr) {
      platform::log("XMHQTFileInvestigator: metaDataOfMovie: Error getting PropertyValue valuePtr");
      continue;
    }
    std::vector<uint8_t> typeBytes;
    std::optional<std::string> text;
    if (readItemProperty(meta, item, kQTMetaDataItemPropertyID_DataType, typeBytes) == noErr &&
        typeBytes.size() == sizeof(uint32_t)) {
      uint32_t dataType;
      std::memcpy(&dataType, typeBytes.data(), sizeof dataType);
      text = formattedMetaDataValue(dataType, value.data(), value.size());
    }
    if (!text) {
      platform::log("XMHQTFileInvestigator: metaDataOfMovie: Error getting PropertyValue value");
      continue;
    }
    result.set(*label, std::move(*text));
  }
  QTMetaDataRelease(meta);
  return result;
}

XMHQTFileInvestigator::PlistDictionary XMHQTFileInvestigator::metaDataOfQTMovie(const QTMoviePtr& movie) {
  if (!movie || !movie->quickTimeMovie()) return {};
  return metaDataOfMovie(*movie->quickTimeMovie());
}

std::optional<XMHQTFileInvestigator::PlistDictionary> XMHQTFileInvestigator::metaDataOfFileNamed(
    const std::string& path) {
  QTMoviePtr movie = newQTMovieFromPropertiesWithPath(path);
  if (!movie) return std::nullopt;
  return metaDataOfQTMovie(movie);
}

XMHQTFileInvestigator::PlistDictionary XMHQTFileInvestigator::id3TagsOfMovie(const Movie& movie) {
  static const char* const kCodes[5] = {"nam", "ART", "alb", "trk", "day"};
  static const char* const kLabels[5] = {"Name", "Artist", "Album", "Track Number", "Year"};
  PlistDictionary result;
  UserData userData = GetMovieUserData(movie);
  if (!userData) return result;
  for (OSType type = GetNextUserDataType(userData, 0); type != 0; type = GetNextUserDataType(userData, type)) {
    if ((type >> 24) != 0xA9) continue;
    short count = CountUserDataType(userData, type);
    for (long index = 1; index <= count; ++index) {
      std::string text;
      TextEncoding encoding = kTextEncodingMacRoman;
      if (GetUserDataText(userData, &text, type, index, 0, &encoding) != noErr) return result;
      text = text.substr(0, text.find('\0'));
      for (char& c : text)
        if (c == '\r') c = ' ';
      char code[4];
      std::snprintf(code, sizeof code, "%c%c%c", char((type >> 16) & 0xff), char((type >> 8) & 0xff), char(type & 0xff));
      // Entries written with an ISO language code hold UTF-8; the rest is Mac Roman.
      std::string decoded =
          encoding == kTextEncodingUTF8 && platform::isValidUtf8(text)
              ? text
              : macRomanToUtf8(reinterpret_cast<const uint8_t*>(text.data()), text.size());
      for (int position = 0; position < 5; ++position) {
        if (std::strncmp(code, kCodes[position], 3) == 0) {
          result.set(kLabels[position], decoded);
          break;
        }
      }
    }
  }
  return result;
}

XMHQTFileInvestigator::PlistDictionary XMHQTFileInvestigator::id3TagsOfQTMovie(const QTMoviePtr& movie) {
  if (!movie || !movie->quickTimeMovie()) return {};
  return id3TagsOfMovie(*movie->quickTimeMovie());
}

std::optional<XMHQTFileInvestigator::PlistDictionary> XMHQTFileInvestigator::id3TagsOfFileNamed(
    const std::string& path) {
  QTMoviePtr movie = newQTMovieFromPropertiesWithPath(path);
  if (!movie) return std::nullopt;
  return id3TagsOfQTMovie(movie);
}
