#pragma once
// A composition plug-in module loaded by a host: the shared object opened by path, its factory
// found and its interface record checked against the host's before anything else is used.
#include <memory>
#include <string>

#include "platform/composition/QCPlugInInterface.h"

namespace platform::composition {

class QCPlugInModule {
 public:
  // Null, with the reason in `error`, when the file is not a plug-in this host can use.
  static std::shared_ptr<QCPlugInModule> load(const std::string& path, std::string& error);
  ~QCPlugInModule();
  QCPlugInModule(const QCPlugInModule&) = delete;
  QCPlugInModule& operator=(const QCPlugInModule&) = delete;

  const std::string& path() const { return path_; }
  const QCPlugInInterface& plugInClass() const { return *interface_; }

 private:
  QCPlugInModule(std::string path, void* handle, const QCPlugInInterface* interface)
      : path_(std::move(path)), handle_(handle), interface_(interface) {}
  std::string path_;
  void* handle_;
  const QCPlugInInterface* interface_;
};

// Checks a factory's record as a host must before using it: null, with the reason in `error`,
// when it was built for another interface version, another record size or another C++
// library ABI.
const QCPlugInInterface* checkedPlugInInterface(const QCPlugInInterface* record, std::string& error);

}  // namespace platform::composition
