#include "ScriptDescriptor.h"

#include <cstddef>
#include <cstring>

namespace platform {

ScriptDescriptor ScriptDescriptor::descriptorWithString(std::string text) {
  return descriptorWithBytes(kTypeUTF8Text, std::move(text));
}

ScriptDescriptor ScriptDescriptor::descriptorWithInt32(int32_t value) {
  std::string bytes(sizeof value, '\0');
  std::memcpy(bytes.data(), &value, sizeof value);
  return descriptorWithBytes(kTypeSInt32, std::move(bytes));
}

ScriptDescriptor ScriptDescriptor::descriptorWithBytes(FourCharCode type, std::string bytes) {
  ScriptDescriptor d;
  d.type_ = type;
  d.bytes_ = std::move(bytes);
  return d;
}

ScriptDescriptor ScriptDescriptor::listDescriptor() {
  ScriptDescriptor d;
  d.type_ = kTypeList;
  return d;
}

ScriptDescriptor ScriptDescriptor::appleEvent(FourCharCode eventClass, FourCharCode eventID,
                                              const ScriptDescriptor& target, int16_t, int32_t) {
  ScriptDescriptor d;
  d.type_ = kTypeAppleEvent;
  d.eventClass_ = eventClass;
  d.eventID_ = eventID;
  // The target only names the receiving process; a script is always the receiver here.
  (void)target;
  return d;
}

std::string ScriptDescriptor::stringValue() const {
  if (type_ == kTypeSInt32) return std::to_string(int32Value());
  if (type_ == kTypeUTF8Text || type_ == kTypeData) return bytes_;
  return {};
}

int32_t ScriptDescriptor::int32Value() const {
  if (type_ == kTypeSInt32 && bytes_.size() == sizeof(int32_t)) {
    int32_t v;
    std::memcpy(&v, bytes_.data(), sizeof v);
    return v;
  }
  if (type_ == kTypeUTF8Text) {
    try {
      return static_cast<int32_t>(std::stol(bytes_));
    } catch (...) {
    }
  }
  return 0;
}

void ScriptDescriptor::insertDescriptor(ScriptDescriptor descriptor, size_t index) {
  if (index == 0 || index > items_.size())
    items_.push_back(std::move(descriptor));
  else
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index - 1), std::move(descriptor));
}

const ScriptDescriptor* ScriptDescriptor::descriptorAtIndex(size_t index) const {
  if (index == 0 || index > items_.size()) return nullptr;
  return &items_[index - 1];
}

void ScriptDescriptor::setDescriptor(ScriptDescriptor descriptor, FourCharCode keyword) {
  for (auto& [k, d] : keywords_) {
    if (k == keyword) {
      d = std::move(descriptor);
      return;
    }
  }
  keywords_.emplace_back(keyword, std::move(descriptor));
}

const ScriptDescriptor* ScriptDescriptor::descriptorForKeyword(FourCharCode keyword) const {
  for (const auto& [k, d] : keywords_)
    if (k == keyword) return &d;
  return nullptr;
}

}  // namespace platform
