#include "NotificationCenter.h"

#include <algorithm>

namespace platform {

NotificationCenter& NotificationCenter::defaultCenter() {
  static NotificationCenter* center = new NotificationCenter();  // lives as long as the process
  return *center;
}

NotificationCenter::ObserverId NotificationCenter::addObserver(const std::string& name, const void* object,
                                                               Handler handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  ObserverId id = nextId_++;
  observers_.push_back(Observer{id, name, object, std::move(handler)});
  return id;
}

void NotificationCenter::removeObserver(ObserverId id) {
  std::lock_guard<std::mutex> lock(mutex_);
  observers_.erase(std::remove_if(observers_.begin(), observers_.end(), [id](const Observer& o) { return o.id == id; }),
                   observers_.end());
}

void NotificationCenter::postNotification(const Notification& notification) {
  // Handlers run without the lock so that they may add or remove observers.
  std::vector<Handler> matching;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& o : observers_) {
      if (!o.name.empty() && o.name != notification.name) continue;
      if (o.object && o.object != notification.object) continue;
      matching.push_back(o.handler);
    }
  }
  for (auto& h : matching) h(notification);
}

void NotificationCenter::postNotification(const std::string& name, const void* object, PlistDictionary userInfo) {
  postNotification(Notification{name, object, std::move(userInfo)});
}

}  // namespace platform
