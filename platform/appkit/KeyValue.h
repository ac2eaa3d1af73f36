#pragma once
// Key-value coding and observing in the small: objects name their properties by key and hand out
// typed values (numbers, booleans, text, or nothing); setters announce changes, and bindings of
// controls follow them. A key an object does not have raises NSUndefinedKeyException, as on the
// platform; bindings decide by their options what that means for them.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace platform::appkit {

// A property's value: nil, a boolean, an integer, a real number or text.
class KVValue {
 public:
  KVValue() = default;
  KVValue(bool b) : v_(b) {}
  KVValue(int i) : v_(int64_t(i)) {}
  KVValue(long i) : v_(int64_t(i)) {}
  KVValue(long long i) : v_(int64_t(i)) {}
  KVValue(double d) : v_(d) {}
  KVValue(float f) : v_(double(f)) {}
  KVValue(std::string s) : v_(std::move(s)) {}
  KVValue(const char* s) : v_(std::string(s ? s : "")) {}

  bool isNil() const { return v_.index() == 0; }
  bool isBool() const { return v_.index() == 1; }
  bool isInteger() const { return v_.index() == 2; }
  bool isReal() const { return v_.index() == 3; }
  bool isString() const { return v_.index() == 4; }
  bool isNumber() const { return isBool() || isInteger() || isReal(); }

  // As the platform's number and string objects convert: booleans are 0 and 1, text is read as a
  // number ("YES"/"true" are true), nil is 0, false and "".
  double doubleValue() const;
  float floatValue() const { return static_cast<float>(doubleValue()); }
  int64_t integerValue() const;
  bool boolValue() const;
  std::string stringValue() const;

  bool operator==(const KVValue&) const = default;

 private:
  std::variant<std::monostate, bool, int64_t, double, std::string> v_;
};

class NSUndefinedKeyException : public std::runtime_error {
 public:
  explicit NSUndefinedKeyException(const std::string& key)
      : std::runtime_error("this class is not key value coding-compliant for the key " + key), key_(key) {}
  const std::string& key() const { return key_; }

 private:
  std::string key_;
};

class KeyValueObservable {
 public:
  using ObserverId = uint64_t;
  virtual ~KeyValueObservable() = default;

  // The value of a property; a key the object doesn't have goes to valueForUndefinedKey.
  virtual KVValue valueForKey(const std::string& key) const { return valueForUndefinedKey(key); }
  // Sets a property through its setter (which announces the change when the value differs).
  virtual void setValueForKey(const std::string& key, const KVValue& value) { setValueForUndefinedKey(key, value); }
  // Both raise NSUndefinedKeyException.
  virtual KVValue valueForUndefinedKey(const std::string& key) const;
  virtual void setValueForUndefinedKey(const std::string& key, const KVValue& value);

  // Observers of one key, told after each announced change.
  ObserverId addObserver(const std::string& key, std::function<void()> onChange);
  void removeObserver(ObserverId id);

  // Announce a change around setting a value; observers hear of it at didChange (none here asks
  // for the old value, which the platform records at willChange).
  void willChangeValueForKey(const std::string& key) { (void)key; }
  void didChangeValueForKey(const std::string& key);

 private:
  struct Observer {
    ObserverId id;
    std::string key;
    std::function<void()> onChange;
  };
  std::vector<Observer> observers_;
  ObserverId nextId_ = 1;
};

}  // namespace platform::appkit
