#include "ScriptErrors.h"

#include <algorithm>
#include <cstdio>

namespace platform {
namespace {

// Bare words stay bare; anything else is quoted with C-style escapes, on one line.
std::string quoted(const std::string& s) {
  bool bare = !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '.' ||
           c == '$' || c == '/' || c == ':' || c == '-';
  });
  if (bare) return s;
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7f) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\%03o", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string describeValue(const PlistValue& v) {
  switch (v.type()) {
    case PlistValue::Type::Boolean: return v.boolean() ? "1" : "0";
    case PlistValue::Type::Integer: return std::to_string(v.integer());
    case PlistValue::Type::Real: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.17g", v.real());
      return buf;
    }
    case PlistValue::Type::String: return quoted(v.string());
    case PlistValue::Type::Dictionary: return describeErrorInfo(v.dictionary());
    case PlistValue::Type::Array: {
      std::string out = "(";
      for (size_t i = 0; i < v.array().size(); ++i) out += (i ? ", " : "") + describeValue(v.array()[i]);
      return out + ")";
    }
    case PlistValue::Type::Data: {
      std::string out = "<";
      char buf[4];
      for (size_t i = 0; i < v.data().size(); ++i) {
        if (i && i % 4 == 0) out += ' ';
        std::snprintf(buf, sizeof buf, "%02x", v.data()[i]);
        out += buf;
      }
      return out + ">";
    }
    default: return "?";
  }
}

}  // namespace

PlistDictionary makeScriptErrorInfo(int32_t number, const std::string& message, const std::string& briefMessage) {
  PlistDictionary info;
  info.set(kScriptErrorNumberKey, PlistValue(number));
  info.set(kScriptErrorMessageKey, PlistValue(message));
  info.set(kScriptErrorBriefMessageKey, PlistValue(briefMessage));
  return info;
}

std::string describeErrorInfo(const PlistDictionary& errorInfo) {
  std::vector<const PlistDictionary::Entry*> entries;
  for (const auto& e : errorInfo.entries()) entries.push_back(&e);
  std::sort(entries.begin(), entries.end(), [](auto* a, auto* b) { return a->first < b->first; });
  std::string out = "{";
  for (const auto* e : entries) out += quoted(e->first) + " = " + describeValue(e->second) + "; ";
  return out + "}";
}

}  // namespace platform
