#include "PropertyList.h"

#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "AtomicFile.h"
#include "Text.h"

namespace platform {

// ---- PlistDictionary ----

void PlistDictionary::set(const std::string& key, PlistValue value) {
  if (PlistValue* existing = find(key)) {
    *existing = std::move(value);
    return;
  }
  entries_.emplace_back(key, std::move(value));
}

const PlistValue* PlistDictionary::find(const std::string& key) const {
  for (const auto& e : entries_)
    if (e.first == key) return &e.second;
  return nullptr;
}

PlistValue* PlistDictionary::find(const std::string& key) {
  for (auto& e : entries_)
    if (e.first == key) return &e.second;
  return nullptr;
}

bool PlistDictionary::erase(const std::string& key) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->first == key) {
      entries_.erase(it);
      return true;
    }
  }
  return false;
}

void PlistDictionary::merge(const PlistDictionary& other) {
  for (const auto& e : other.entries_) set(e.first, e.second);
}

std::vector<std::string> PlistDictionary::keys() const {
  std::vector<std::string> out;
  out.reserve(entries_.size());
  for (const auto& e : entries_) out.push_back(e.first);
  return out;
}

bool PlistDictionary::operator==(const PlistDictionary& other) const {
  if (size() != other.size()) return false;
  for (const auto& e : entries_) {
    const PlistValue* v = other.find(e.first);
    if (!v || !(*v == e.second)) return false;
  }
  return true;
}

// ---- PlistValue ----

std::optional<double> PlistValue::number() const {
  if (isInteger()) return static_cast<double>(integer());
  if (isReal()) return real();
  return std::nullopt;
}

bool PlistValue::operator==(const PlistValue& other) const { return v_ == other.v_; }

// ---- conversion to and from libplist ----

namespace {

constexpr int kMaxDepth = 512;

// For XML, strings and keys are made safe for the document (see xmlSafeText).
plist_t toNode(const PlistValue& v, bool forXml) {
  switch (v.type()) {
    case PlistValue::Type::Boolean:
      return plist_new_bool(v.boolean() ? 1 : 0);
    case PlistValue::Type::Integer:
      return plist_new_uint(static_cast<uint64_t>(v.integer()));
    case PlistValue::Type::Real:
      return plist_new_real(v.real());
    case PlistValue::Type::String:
      return plist_new_string(forXml ? xmlSafeText(v.string()).c_str() : v.string().c_str());
    case PlistValue::Type::Data: {
      const PlistData& d = v.data();
      return plist_new_data(reinterpret_cast<const char*>(d.data()), d.size());
    }
    case PlistValue::Type::Date: {
      double s = v.date().secondsSinceReferenceDate;
      double whole = std::floor(s);
      return plist_new_date(static_cast<int32_t>(whole), static_cast<int32_t>((s - whole) * 1e6));
    }
    case PlistValue::Type::Array: {
      plist_t node = plist_new_array();
      for (const auto& item : v.array()) plist_array_append_item(node, toNode(item, forXml));
      return node;
    }
    case PlistValue::Type::Dictionary: {
      plist_t node = plist_new_dict();
      for (const auto& [key, item] : v.dictionary().entries()) {
        std::string k = forXml ? xmlSafeText(key) : key;
        plist_dict_set_item(node, k.c_str(), toNode(item, forXml));
      }
      return node;
    }
    case PlistValue::Type::Uid:
      return plist_new_uid(v.uid().value);
  }
  return plist_new_bool(0);
}

std::optional<PlistValue> fromNode(plist_t node, int depth) {
  if (!node || depth > kMaxDepth) return std::nullopt;
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      uint8_t b = 0;
      plist_get_bool_val(node, &b);
      return PlistValue(b != 0);
    }
    case PLIST_UINT: {
      uint64_t u = 0;
      plist_get_uint_val(node, &u);
      return PlistValue(static_cast<int64_t>(u));
    }
    case PLIST_REAL: {
      double d = 0;
      plist_get_real_val(node, &d);
      return PlistValue(d);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
      char* s = nullptr;
      if (plist_get_node_type(node) == PLIST_STRING)
        plist_get_string_val(node, &s);
      else
        plist_get_key_val(node, &s);
      std::string out = s ? s : "";
      std::free(s);
      return PlistValue(out);
    }
    case PLIST_DATA: {
      char* d = nullptr;
      uint64_t len = 0;
      plist_get_data_val(node, &d, &len);
      PlistData out(reinterpret_cast<uint8_t*>(d), reinterpret_cast<uint8_t*>(d) + (d ? len : 0));
      std::free(d);
      return PlistValue(std::move(out));
    }
    case PLIST_DATE: {
      int32_t sec = 0, usec = 0;
      plist_get_date_val(node, &sec, &usec);
      return PlistValue(PlistDate{sec + usec / 1e6});
    }
    case PLIST_UID: {
      uint64_t u = 0;
      plist_get_uid_val(node, &u);
      return PlistValue(PlistUid{u});
    }
    case PLIST_ARRAY: {
      PlistArray out;
      uint32_t n = plist_array_get_size(node);
      out.reserve(n);
      for (uint32_t i = 0; i < n; ++i) {
        auto item = fromNode(plist_array_get_item(node, i), depth + 1);
        if (!item) return std::nullopt;
        out.push_back(std::move(*item));
      }
      return PlistValue(std::move(out));
    }
    case PLIST_DICT: {
      PlistDictionary out;
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      if (!it) return PlistValue(std::move(out));
      for (;;) {
        char* key = nullptr;
        plist_t val = nullptr;
        plist_dict_next_item(node, it, &key, &val);
        if (!val) {
          std::free(key);
          break;
        }
        auto item = fromNode(val, depth + 1);
        std::string k = key ? key : "";
        std::free(key);
        if (!item) {
          std::free(it);
          return std::nullopt;
        }
        out.set(k, std::move(*item));
      }
      std::free(it);
      return PlistValue(std::move(out));
    }
    default:
      return std::nullopt;
  }
}

struct NodeHolder {
  plist_t node;
  ~NodeHolder() {
    if (node) plist_free(node);
  }
};

}  // namespace

namespace plist {

std::string toXml(const PlistValue& value) {
  NodeHolder h{toNode(value, true)};
  char* xml = nullptr;
  uint32_t len = 0;
  plist_to_xml(h.node, &xml, &len);
  std::string out = xml ? std::string(xml, len) : std::string();
  if (xml) plist_to_xml_free(xml);
  return out;
}

std::string toBinary(const PlistValue& value) {
  NodeHolder h{toNode(value, false)};
  char* bin = nullptr;
  uint32_t len = 0;
  plist_to_bin(h.node, &bin, &len);
  std::string out = bin ? std::string(bin, len) : std::string();
  if (bin) plist_to_bin_free(bin);
  return out;
}

std::optional<PlistValue> parse(const std::string& bytes) {
  if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  NodeHolder h{nullptr};
  if (bytes.size() >= 8 && bytes.compare(0, 6, "bplist") == 0)
    plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &h.node);
  else
    plist_from_xml(bytes.data(), static_cast<uint32_t>(bytes.size()), &h.node);
  if (!h.node) return std::nullopt;
  return fromNode(h.node, 0);
}

std::optional<PlistValue> readFile(const std::string& path) {
  auto bytes = readWholeFile(path);
  if (!bytes) return std::nullopt;
  return parse(*bytes);
}

bool writeFile(const PlistValue& value, const std::string& path, Format format) {
  std::string bytes = format == Format::Xml ? toXml(value) : toBinary(value);
  if (bytes.empty()) return false;
  return writeFileAtomically(path, bytes);
}

}  // namespace plist
}  // namespace platform
