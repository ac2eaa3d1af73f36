#include "KeyValue.h"

#include <algorithm>

namespace platform::appkit {

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
    if (o.key == key) o.onChange();
}

}  // namespace platform::appkit
