#pragma once
// Ports of a composition plug-in: dynamic properties whose values the host stores. A plug-in
// declares each property's key and type ("input…" keys are inputs, "output…" keys outputs) and
// describes its ports with attribute dictionaries; the host keeps one QCPortStore per instance,
// sets the inputs and reads the outputs, and the plug-in reads and writes the same store.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/composition/QCPlugInOutputImageProvider.h"
#include "platform/composition/QCValue.h"

namespace platform::composition {

// What a dynamic property holds: unsigned integers (index ports hold one too), doubles,
// structures and image providers.
enum class QCPropertyType { Index, UnsignedInteger, Double, Structure, Image };
const char* propertyTypeName(QCPropertyType type);  // "index", "unsigned", "double", ...

struct QCPropertyDeclaration {
  std::string key;
  QCPropertyType type;
};
bool isInputKey(std::string_view key);   // "input" followed by more
bool isOutputKey(std::string_view key);  // "output" followed by more

// Port types as the attribute dictionaries name them.
inline constexpr const char* QCPortTypeIndex = "QCPortTypeIndex";
inline constexpr const char* QCPortTypeNumber = "QCPortTypeNumber";
inline constexpr const char* QCPortTypeStructure = "QCPortTypeStructure";
inline constexpr const char* QCPortTypeImage = "QCPortTypeImage";

// A port's attribute dictionary: display name, default, range, port type and menu items.
struct QCPortAttributes {
  std::string name;
  std::optional<double> defaultValue;
  std::optional<double> minimumValue;
  std::optional<double> maximumValue;
  std::optional<std::string> type;
  std::vector<std::string> menuItems;
  bool operator==(const QCPortAttributes&) const = default;
};

using QCImageProviderRef = std::shared_ptr<QCPlugInOutputImageProvider>;
// A port's value; none for a structure or image port that holds nothing.
using QCPortValue = std::variant<std::monostate, uint64_t, double, QCStructure, QCImageProviderRef>;
// Whether `value` may be stored in a property of `type`.
bool valueFitsType(const QCPortValue& value, QCPropertyType type);

struct QCPort {
  QCPropertyDeclaration declaration;
  std::optional<QCPortAttributes> attributes;
  QCPortValue value;
};

class QCPortStore {
 public:
  QCPortStore() = default;
  // One port per declaration, in declaration order, each starting from its default attribute
  // (numbers: 0 when there is none, negative defaults give 0 in unsigned ports; structures and
  // images: none).
  explicit QCPortStore(std::vector<std::pair<QCPropertyDeclaration, std::optional<QCPortAttributes>>> ports);

  const std::vector<QCPort>& ports() const { return ports_; }
  const QCPort* port(std::string_view key) const;
  // The value of a port; null when there is no such port.
  const QCPortValue* value(std::string_view key) const;

  // Store a value in an input (host) or output (plug-in) port; false, storing nothing, when the
  // port does not exist, runs the other way or holds another type.
  bool setInputValue(std::string_view key, QCPortValue value);
  bool setOutputValue(std::string_view key, QCPortValue value);

 private:
  bool set(std::string_view key, QCPortValue&& value, bool input);
  QCPort* find(std::string_view key);
  std::vector<QCPort> ports_;
};

}  // namespace platform::composition
