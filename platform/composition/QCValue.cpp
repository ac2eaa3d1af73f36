#include "platform/composition/QCValue.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace platform::composition {

namespace {

bool textBoolValue(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  while (i < text.size() && text[i] == '0') ++i;
  if (i == text.size()) return false;
  const char c = text[i];
  return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

double textDoubleValue(const std::string& text) {
  // strtod reads hexadecimal numbers, "inf" and "nan" too; the platform's text conversion
  // reads decimal numbers only.
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  size_t j = i;
  if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
  if (j >= text.size() || !(std::isdigit(static_cast<unsigned char>(text[j])) || text[j] == '.')) return 0;
  if (j + 1 < text.size() && text[j] == '0' && (text[j + 1] == 'x' || text[j + 1] == 'X')) return 0;
  return std::strtod(text.c_str() + i, nullptr);
}

}  // namespace

bool QCValue::boolValue() const {
  if (const auto* b = std::get_if<bool>(&value_)) return *b;
  if (const auto* d = std::get_if<double>(&value_)) return *d != 0;
  if (const auto* s = std::get_if<std::string>(&value_)) return textBoolValue(*s);
  return false;
}

double QCValue::doubleValue() const {
  if (const auto* b = std::get_if<bool>(&value_)) return *b ? 1 : 0;
  if (const auto* d = std::get_if<double>(&value_)) return *d;
  if (const auto* s = std::get_if<std::string>(&value_)) return textDoubleValue(*s);
  return 0;
}

std::string QCValue::stringValue() const {
  if (const auto* b = std::get_if<bool>(&value_)) return *b ? "1" : "0";
  if (const auto* d = std::get_if<double>(&value_)) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", *d);
    return text;
  }
  if (const auto* s = std::get_if<std::string>(&value_)) return *s;
  return {};
}

QCStructure::QCStructure(std::initializer_list<double> numbers) {
  members_.reserve(numbers.size());
  for (double n : numbers) members_.push_back({{}, QCValue(n)});
}

void QCStructure::append(QCValue value, std::string key) { members_.push_back({std::move(key), std::move(value)}); }

}  // namespace platform::composition
