#pragma once
// Property-list values (the plist object model) with XML and binary reading and writing.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace platform {

class PlistValue;

using PlistArray = std::vector<PlistValue>;
using PlistData = std::vector<uint8_t>;

// Keyed-archive object reference.
struct PlistUid {
  uint64_t value = 0;
  bool operator==(const PlistUid&) const = default;
};

// Seconds since 2001-01-01 00:00:00 UTC.
struct PlistDate {
  double secondsSinceReferenceDate = 0;
  bool operator==(const PlistDate&) const = default;
};

// Dictionary that keeps insertion order; setting an existing key replaces its value in place.
class PlistDictionary {
 public:
  using Entry = std::pair<std::string, PlistValue>;

  void set(const std::string& key, PlistValue value);
  const PlistValue* find(const std::string& key) const;
  PlistValue* find(const std::string& key);
  bool contains(const std::string& key) const { return find(key) != nullptr; }
  bool erase(const std::string& key);
  // Adds every entry of `other`; its values replace ours for equal keys.
  void merge(const PlistDictionary& other);

  size_t size() const;
  bool empty() const;
  const std::vector<Entry>& entries() const;
  std::vector<std::string> keys() const;
  bool operator==(const PlistDictionary& other) const;

 private:
  std::vector<Entry> entries_;
};

class PlistValue {
 public:
  enum class Type { Boolean, Integer, Real, String, Data, Date, Array, Dictionary, Uid };

  PlistValue() : v_(false) {}
  PlistValue(bool b) : v_(b) {}
  PlistValue(int i) : v_(static_cast<int64_t>(i)) {}
  PlistValue(int64_t i) : v_(i) {}
  PlistValue(uint32_t i) : v_(static_cast<int64_t>(i)) {}
  PlistValue(double d) : v_(d) {}
  PlistValue(float f) : v_(static_cast<double>(f)) {}
  PlistValue(const char* s) : v_(std::string(s)) {}
  PlistValue(std::string s) : v_(std::move(s)) {}
  PlistValue(PlistData d) : v_(Boxed<PlistData>(std::move(d))) {}
  PlistValue(PlistDate d) : v_(d) {}
  PlistValue(PlistArray a) : v_(Boxed<PlistArray>(std::move(a))) {}
  PlistValue(PlistDictionary d) : v_(Boxed<PlistDictionary>(std::move(d))) {}
  PlistValue(PlistUid u) : v_(u) {}

  Type type() const { return static_cast<Type>(v_.index()); }
  bool isBoolean() const { return type() == Type::Boolean; }
  bool isInteger() const { return type() == Type::Integer; }
  bool isReal() const { return type() == Type::Real; }
  bool isString() const { return type() == Type::String; }
  bool isData() const { return type() == Type::Data; }
  bool isDate() const { return type() == Type::Date; }
  bool isArray() const { return type() == Type::Array; }
  bool isDictionary() const { return type() == Type::Dictionary; }
  bool isUid() const { return type() == Type::Uid; }

  // Accessors throw std::bad_variant_access on the wrong type; check first.
  bool boolean() const { return std::get<bool>(v_); }
  int64_t integer() const { return std::get<int64_t>(v_); }
  double real() const { return std::get<double>(v_); }
  const std::string& string() const { return std::get<std::string>(v_); }
  const PlistData& data() const { return *std::get<Boxed<PlistData>>(v_); }
  PlistDate date() const { return std::get<PlistDate>(v_); }
  const PlistArray& array() const { return *std::get<Boxed<PlistArray>>(v_); }
  PlistArray& array() { return *std::get<Boxed<PlistArray>>(v_); }
  const PlistDictionary& dictionary() const { return *std::get<Boxed<PlistDictionary>>(v_); }
  PlistDictionary& dictionary() { return *std::get<Boxed<PlistDictionary>>(v_); }
  PlistUid uid() const { return std::get<PlistUid>(v_); }

  // Integer or real as a double; nullopt for other types.
  std::optional<double> number() const;

  bool operator==(const PlistValue& other) const;

 private:
  // Deep-copying box so that the variant can hold recursive types.
  template <class T>
  class Boxed {
   public:
    explicit Boxed(T t) : p_(std::make_unique<T>(std::move(t))) {}
    Boxed(const Boxed& o) : p_(std::make_unique<T>(*o.p_)) {}
    Boxed(Boxed&&) noexcept = default;
    Boxed& operator=(const Boxed& o) {
      p_ = std::make_unique<T>(*o.p_);
      return *this;
    }
    Boxed& operator=(Boxed&&) noexcept = default;
    T& operator*() const { return *p_; }
    bool operator==(const Boxed& o) const { return *p_ == *o.p_; }

   private:
    std::unique_ptr<T> p_;
  };

  std::variant<bool, int64_t, double, std::string, Boxed<PlistData>, PlistDate, Boxed<PlistArray>,
               Boxed<PlistDictionary>, PlistUid>
      v_;
};

inline size_t PlistDictionary::size() const { return entries_.size(); }
inline bool PlistDictionary::empty() const { return entries_.empty(); }
inline const std::vector<PlistDictionary::Entry>& PlistDictionary::entries() const { return entries_; }

namespace plist {

enum class Format { Xml, Binary };

// Serialises a value; the XML form is the platform's XML property-list document.
std::string toXml(const PlistValue& value);
std::string toBinary(const PlistValue& value);
// Parses XML or binary (detected by content); nullopt for anything malformed.
std::optional<PlistValue> parse(const std::string& bytes);

// Reads a property-list file; nullopt when missing or malformed.
std::optional<PlistValue> readFile(const std::string& path);
// Writes atomically (temporary file in the same folder, then rename); false on failure.
bool writeFile(const PlistValue& value, const std::string& path, Format format = Format::Xml);

}  // namespace plist
}  // namespace platform
