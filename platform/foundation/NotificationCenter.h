#pragma once
// NSNotificationCenter stand-in: observers by name and sender; posting calls them synchronously
// on the posting thread, in the order they were added.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "PropertyList.h"

namespace platform {

struct Notification {
  std::string name;
  const void* object = nullptr;  // the sender, compared by identity
  PlistDictionary userInfo;
};

class NotificationCenter {
 public:
  using ObserverId = uint64_t;
  using Handler = std::function<void(const Notification&)>;

  static NotificationCenter& defaultCenter();

  // An empty name matches every name; a null object matches every sender.
  ObserverId addObserver(const std::string& name, const void* object, Handler handler);
  void removeObserver(ObserverId id);

  void postNotification(const Notification& notification);
  void postNotification(const std::string& name, const void* object, PlistDictionary userInfo = {});

 private:
  struct Observer {
    ObserverId id;
    std::string name;
    const void* object;
    Handler handler;
  };
  std::mutex mutex_;
  std::vector<Observer> observers_;
  ObserverId nextId_ = 1;
};

}  // namespace platform
