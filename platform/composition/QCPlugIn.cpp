#include "platform/composition/QCPlugIn.h"

namespace platform::composition {

uint64_t QCPlugIn::unsignedValueForKey(std::string_view key) const {
  const QCPortValue* v = ports_ ? ports_->value(key) : nullptr;
  const auto* u = v ? std::get_if<uint64_t>(v) : nullptr;
  return u ? *u : 0;
}

double QCPlugIn::doubleValueForKey(std::string_view key) const {
  const QCPortValue* v = ports_ ? ports_->value(key) : nullptr;
  const auto* d = v ? std::get_if<double>(v) : nullptr;
  return d ? *d : 0.0;
}

const QCStructure* QCPlugIn::structureValueForKey(std::string_view key) const {
  const QCPortValue* v = ports_ ? ports_->value(key) : nullptr;
  return v ? std::get_if<QCStructure>(v) : nullptr;
}

bool QCPlugIn::setImageValueForKey(std::string_view key, QCImageProviderRef provider) {
  return ports_ && ports_->setOutputValue(key, std::move(provider));
}

}  // namespace platform::composition
