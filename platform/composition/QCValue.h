#pragma once
// Values that pass between a composition host and its plug-ins outside the typed ports: the
// scalars of structures, of the execution context's user information and of the execution
// arguments (numbers, booleans, text), with the conversions the platform's number and string
// objects offer (boolValue, doubleValue, floatValue).
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform::composition {

class QCValue {
 public:
  QCValue() = default;
  QCValue(bool value) : value_(value) {}
  QCValue(double value) : value_(value) {}
  QCValue(int value) : value_(double(value)) {}
  QCValue(std::string value) : value_(std::move(value)) {}
  QCValue(const char* value) : value_(std::string(value)) {}

  bool isNone() const { return std::holds_alternative<std::monostate>(value_); }
  bool isNumber() const { return std::holds_alternative<double>(value_); }
  bool isBool() const { return std::holds_alternative<bool>(value_); }
  bool isString() const { return std::holds_alternative<std::string>(value_); }

  // Numbers: non-zero. Text: true when, after white space, signs and leading zeros, it starts
  // with Y, y, T, t or a digit 1-9 ("YES", "true", "1"). None: false.
  bool boolValue() const;
  // Booleans give 1 or 0; text its leading decimal number (0 when it has none); none gives 0.
  double doubleValue() const;
  float floatValue() const { return float(doubleValue()); }
  // Text as it is; numbers as "%g" would print them; booleans "1" / "0"; none "".
  std::string stringValue() const;

  bool operator==(const QCValue&) const = default;

 private:
  std::variant<std::monostate, bool, double, std::string> value_;
};

// A structure: an ordered list of members, each with a key (empty for array-like members).
struct QCStructureMember {
  std::string key;
  QCValue value;
  bool operator==(const QCStructureMember&) const = default;
};

class QCStructure {
 public:
  QCStructure() = default;
  // An array-like structure of numbers.
  QCStructure(std::initializer_list<double> numbers);

  size_t count() const { return members_.size(); }
  bool empty() const { return members_.empty(); }
  const QCValue& memberAtIndex(size_t index) const { return members_[index].value; }
  const std::string& keyAtIndex(size_t index) const { return members_[index].key; }

  void append(QCValue value, std::string key = {});
  void removeAll() { members_.clear(); }

  bool operator==(const QCStructure&) const = default;

 private:
  std::vector<QCStructureMember> members_;
};

// String-keyed values: the context's user information, the execution arguments.
using QCDictionary = std::map<std::string, QCValue, std::less<>>;

}  // namespace platform::composition
