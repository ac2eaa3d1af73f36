#include "platform/composition/QCPorts.h"

#include <cmath>

namespace platform::composition {

const char* propertyTypeName(QCPropertyType type) {
  switch (type) {
    case QCPropertyType::Index: return "index";
    case QCPropertyType::UnsignedInteger: return "unsigned";
    case QCPropertyType::Double: return "double";
    case QCPropertyType::Structure: return "structure";
    case QCPropertyType::Image: return "image";
  }
  return "?";
}

bool isInputKey(std::string_view key) { return key.size() > 5 && key.substr(0, 5) == "input"; }
bool isOutputKey(std::string_view key) { return key.size() > 6 && key.substr(0, 6) == "output"; }

bool valueFitsType(const QCPortValue& value, QCPropertyType type) {
  switch (type) {
    case QCPropertyType::Index:
    case QCPropertyType::UnsignedInteger: return std::holds_alternative<uint64_t>(value);
    case QCPropertyType::Double: return std::holds_alternative<double>(value);
    case QCPropertyType::Structure:
      return std::holds_alternative<QCStructure>(value) || std::holds_alternative<std::monostate>(value);
    case QCPropertyType::Image:
      return std::holds_alternative<QCImageProviderRef>(value) || std::holds_alternative<std::monostate>(value);
  }
  return false;
}

namespace {

QCPortValue defaultValue(QCPropertyType type, const std::optional<QCPortAttributes>& attributes) {
  const double given = attributes && attributes->defaultValue ? *attributes->defaultValue : 0.0;
  switch (type) {
    case QCPropertyType::Index:
    case QCPropertyType::UnsignedInteger:
      // Unsigned ports take the default's whole part; negative or unrepresentable defaults give 0.
      return uint64_t(std::isfinite(given) && given >= 0 && given < 18446744073709551616.0 ? given : 0);
    case QCPropertyType::Double: return given;
    case QCPropertyType::Structure:
    case QCPropertyType::Image: return std::monostate{};
  }
  return std::monostate{};
}

}  // namespace

QCPortStore::QCPortStore(std::vector<std::pair<QCPropertyDeclaration, std::optional<QCPortAttributes>>> ports) {
  ports_.reserve(ports.size());
  for (auto& [declaration, attributes] : ports) {
    QCPortValue value = defaultValue(declaration.type, attributes);
    ports_.push_back({std::move(declaration), std::move(attributes), std::move(value)});
  }
}

QCPort* QCPortStore::find(std::string_view key) {
  for (auto& p : ports_)
    if (p.declaration.key == key) return &p;
  return nullptr;
}

const QCPort* QCPortStore::port(std::string_view key) const { return const_cast<QCPortStore*>(this)->find(key); }

const QCPortValue* QCPortStore::value(std::string_view key) const {
  const QCPort* p = port(key);
  return p ? &p->value : nullptr;
}

bool QCPortStore::set(std::string_view key, QCPortValue&& value, bool input) {
  QCPort* p = find(key);
  if (!p) return false;
  if (input ? !isInputKey(key) : !isOutputKey(key)) return false;
  if (!valueFitsType(value, p->declaration.type)) return false;
  p->value = std::move(value);
  return true;
}

bool QCPortStore::setInputValue(std::string_view key, QCPortValue value) { return set(key, std::move(value), true); }
bool QCPortStore::setOutputValue(std::string_view key, QCPortValue value) { return set(key, std::move(value), false); }

}  // namespace platform::composition
