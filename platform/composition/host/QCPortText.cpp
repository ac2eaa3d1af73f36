#include "platform/composition/host/QCPortText.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace platform::composition {

namespace {

std::string trimmed(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  return std::string(text.substr(b, e - b));
}

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}

bool parseDouble(const std::string& text, double& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return *end == '\0' && errno == 0 && std::isfinite(value);
}

bool parseUnsigned(const std::string& text, uint64_t& value) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long long parsed = std::strtoull(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0) return false;
  value = parsed;
  return true;
}

bool withinRange(const QCPort& port, double value, std::string& error) {
  const auto& a = port.attributes;
  if (!a) return true;
  if ((a->minimumValue && value < *a->minimumValue) || (a->maximumValue && value > *a->maximumValue)) {
    error = port.declaration.key + " must lie between " + (a->minimumValue ? number(*a->minimumValue) : "-inf") +
            " and " + (a->maximumValue ? number(*a->maximumValue) : "inf");
    return false;
  }
  return true;
}

}  // namespace

std::optional<QCPortValue> parsePortValue(const QCPort& port, std::string_view input, std::string& error) {
  const std::string text = trimmed(input);
  const std::string& key = port.declaration.key;
  switch (port.declaration.type) {
    case QCPropertyType::Index: {
      uint64_t value = 0;
      bool found = parseUnsigned(text, value);
      if (!found && port.attributes) {
        const auto& items = port.attributes->menuItems;
        for (size_t i = 0; i < items.size() && !found; ++i)
          if (strcasecmp(items[i].c_str(), text.c_str()) == 0) value = i, found = true;
      }
      if (!found) {
        error = key + " takes a whole number" +
                (port.attributes && !port.attributes->menuItems.empty() ? " or a menu item's name" : "") + ", not '" +
                text + "'";
        return std::nullopt;
      }
      if (port.attributes && !port.attributes->menuItems.empty() && value >= port.attributes->menuItems.size()) {
        error = key + " has " + std::to_string(port.attributes->menuItems.size()) + " menu items";
        return std::nullopt;
      }
      if (!withinRange(port, double(value), error)) return std::nullopt;
      return QCPortValue(value);
    }
    case QCPropertyType::UnsignedInteger: {
      uint64_t value = 0;
      if (!parseUnsigned(text, value)) {
        error = key + " takes a whole number, not '" + text + "'";
        return std::nullopt;
      }
      if (!withinRange(port, double(value), error)) return std::nullopt;
      return QCPortValue(value);
    }
    case QCPropertyType::Double: {
      double value = 0;
      if (!parseDouble(text, value)) {
        error = key + " takes a number, not '" + text + "'";
        return std::nullopt;
      }
      if (!withinRange(port, value, error)) return std::nullopt;
      return QCPortValue(value);
    }
    case QCPropertyType::Structure: {
      QCStructure structure;
      if (text.empty()) return QCPortValue(std::move(structure));
      size_t start = 0;
      while (true) {
        const size_t comma = text.find(',', start);
        const std::string item = trimmed(std::string_view(text).substr(start, comma - start));
        double value = 0;
        if (!parseDouble(item, value)) {
          error = key + " takes numbers separated by commas, not '" + item + "'";
          return std::nullopt;
        }
        structure.append(QCValue(value));
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      return QCPortValue(std::move(structure));
    }
    case QCPropertyType::Image:
      error = key + " is an image and cannot be given as text";
      return std::nullopt;
  }
  return std::nullopt;
}

std::string describePort(const QCPort& port) {
  char head[96];
  std::snprintf(head, sizeof head, "%-22s %-10s", port.declaration.key.c_str(),
                propertyTypeName(port.declaration.type));
  std::string line = head;
  const auto& a = port.attributes;
  if (!a) return line + " (no attributes)";
  line += " \"" + a->name + "\"";
  if (a->defaultValue) line += "  default " + number(*a->defaultValue);
  if (a->minimumValue) line += "  min " + number(*a->minimumValue);
  if (a->maximumValue) line += "  max " + number(*a->maximumValue);
  if (a->type) line += "  type " + *a->type;
  if (!a->menuItems.empty()) {
    line += "  menu ";
    for (size_t i = 0; i < a->menuItems.size(); ++i) line += (i ? "|" : "") + a->menuItems[i];
  }
  return line;
}

}  // namespace platform::composition
