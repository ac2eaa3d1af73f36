#pragma once
// Port values as text, for hosts driven from a command line: parsing a value for a port (within
// the range and menu its attributes give) and describing ports for listings.
#include <optional>
#include <string>
#include <string_view>

#include "platform/composition/QCPorts.h"

namespace platform::composition {

// Index ports: a whole number or a menu item's name (any case). Unsigned ports: a whole number.
// Double ports: a finite number. All within the port's minimum and maximum where it has them.
// Structures: numbers separated by commas ("" is the empty structure). Images cannot be given
// as text. Nullopt, with the reason in `error`, for anything else.
std::optional<QCPortValue> parsePortValue(const QCPort& port, std::string_view text, std::string& error);

// One listing line: key, type, display name and the attributes it has, e.g.
// inputGain  double  "Gain"  default 0.5  min 0  max 1
std::string describePort(const QCPort& port);

}  // namespace platform::composition
