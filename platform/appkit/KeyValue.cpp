#include "KeyValue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace platform::appkit {

double KVValue::doubleValue() const {
  switch (v_.index()) {
    case 1: return std::get<bool>(v_) ? 1 : 0;
    case 2: return double(std::get<int64_t>(v_));
    case 3: return std::get<double>(v_);
    case 4: {
      const std::string& s = std::get<std::string>(v_);
      if (s == "YES" || s == "true") return 1;
      return std::strtod(s.c_str(), nullptr);
    }
    default: return 0;
  }
}

int64_t KVValue::integerValue() const {
  if (isInteger()) return std::get<int64_t>(v_);
  const double d = doubleValue();
  if (!std::isfinite(d)) return 0;
  // Truncated toward zero, held within the integer's range.
  if (d >= 9.2e18) return std::numeric_limits<int64_t>::max();
  if (d <= -9.2e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(d);
}

bool KVValue::boolValue() const {
  if (isBool()) return std::get<bool>(v_);
  if (isString()) {
    const std::string& s = std::get<std::string>(v_);
    if (s == "YES" || s == "true" || s == "Y" || s == "y" || s == "T" || s == "t") return true;
    return std::strtod(s.c_str(), nullptr) != 0;
  }
  return doubleValue() != 0;
}

std::string KVValue::stringValue() const {
  switch (v_.index()) {
    case 1: return std::get<bool>(v_) ? "1" : "0";
    case 2: return std::to_string(std::get<int64_t>(v_));
    case 3: {
      char text[64];
      std::snprintf(text, sizeof text, "%.17g", std::get<double>(v_));
      return text;
    }
    case 4: return std::get<std::string>(v_);
    default: return "";
  }
}

KVValue KeyValueObservable::valueForUndefinedKey(const std::string& key) const { throw NSUndefinedKeyException(key); }

void KeyValueObservable::setValueForUndefinedKey(const std::string& key, const KVValue&) {
  throw NSUndefinedKeyException(key);
}

KeyValueObservable::ObserverId KeyValueObservable::addObserver(const std::string& key, std::function<void()> onChange) {
  observers_.push_back({nextId_, key, std::move(onChange)});
  return nextId_++;
}

void KeyValueObservable::removeObserver(ObserverId id) {
  std::erase_if(observers_, [id](const Observer& o) { return o.id == id; });
}

void KeyValueObservable::didChangeValueForKey(const std::string& key) {
  // Copy: an observer may add or remove observers.
  std::vector<Observer> current = observers_;
  for (const Observer& o : current)
    if (o.key == key && std::any_of(observers_.begin(), observers_.end(), [&](const Observer& x) { return x.id == o.id; }))
      o.onChange();
}

}  // namespace platform::appkit
