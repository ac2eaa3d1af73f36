#pragma once
// Event descriptors: the values handed to a script and back (null, text, integer, raw data,
// lists, and events with keyword parameters).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/FourCharCode.h"

namespace platform {

constexpr FourCharCode kTypeNull = fourCharCode("null");
constexpr FourCharCode kTypeUTF8Text = fourCharCode("utf8");
constexpr FourCharCode kTypeSInt32 = fourCharCode("long");
constexpr FourCharCode kTypeData = fourCharCode("tdta");
constexpr FourCharCode kTypeList = fourCharCode("list");
constexpr FourCharCode kTypeAppleEvent = fourCharCode("aevt");

constexpr FourCharCode kCoreEventClass = fourCharCode("aevt");
constexpr FourCharCode kAEOpenDocuments = fourCharCode("odoc");
constexpr FourCharCode kKeyDirectObject = fourCharCode("----");

class ScriptDescriptor {
 public:
  // The null descriptor.
  ScriptDescriptor() = default;

  static ScriptDescriptor nullDescriptor() { return {}; }
  static ScriptDescriptor descriptorWithString(std::string text);
  static ScriptDescriptor descriptorWithInt32(int32_t value);
  // Raw bytes of the given type (data() gives them back unchanged).
  static ScriptDescriptor descriptorWithBytes(FourCharCode type, std::string bytes);
  static ScriptDescriptor listDescriptor();
  static ScriptDescriptor appleEvent(FourCharCode eventClass, FourCharCode eventID, const ScriptDescriptor& target,
                                     int16_t returnID, int32_t transactionID);

  FourCharCode descriptorType() const { return type_; }
  bool isNull() const { return type_ == kTypeNull; }

  // Raw bytes: the text of a text descriptor, the value of an integer (native byte order), the
  // bytes of a data descriptor; empty for null, lists and events.
  const std::string& data() const { return bytes_; }
  std::string stringValue() const;
  int32_t int32Value() const;

  // Lists and events: items count from 1. Inserting at 0 or past the end appends; an index
  // inside the list inserts before the item there.
  size_t numberOfItems() const { return items_.size(); }
  void insertDescriptor(ScriptDescriptor descriptor, size_t index);
  const ScriptDescriptor* descriptorAtIndex(size_t index) const;

  // Events: keyword parameters (setting a keyword again replaces it).
  FourCharCode eventClass() const { return eventClass_; }
  FourCharCode eventID() const { return eventID_; }
  void setDescriptor(ScriptDescriptor descriptor, FourCharCode keyword);
  const ScriptDescriptor* descriptorForKeyword(FourCharCode keyword) const;

 private:
  FourCharCode type_ = kTypeNull;
  std::string bytes_;
  std::vector<ScriptDescriptor> items_;
  std::vector<std::pair<FourCharCode, ScriptDescriptor>> keywords_;
  FourCharCode eventClass_ = 0;
  FourCharCode eventID_ = 0;
};

}  // namespace platform
