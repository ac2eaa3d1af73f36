#pragma once
// Key-value observing in the small: objects name numeric properties by key, setters announce
// changes, and bindings follow them.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform::appkit {

class KeyValueObservable {
 public:
  using ObserverId = uint64_t;
  virtual ~KeyValueObservable() = default;

  // Value of a property as a number (booleans as 0 / 1); nullopt for an unknown key.
  virtual std::optional<double> valueForKey(const std::string& key) const = 0;
  // Sets a property through its setter (which announces the change when the value differs).
  virtual void setValueForKey(const std::string& key, double value) = 0;

  ObserverId addObserver(const std::string& key, std::function<void()> onChange);
  void removeObserver(ObserverId id);

 protected:
  // Called by setters after storing a new value.
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
