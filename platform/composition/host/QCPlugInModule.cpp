#include "platform/composition/host/QCPlugInModule.h"

#include <dlfcn.h>

namespace platform::composition {

const QCPlugInInterface* checkedPlugInInterface(const QCPlugInInterface* record, std::string& error) {
  if (!record) {
    error = "its factory returned no interface";
    return nullptr;
  }
  // The first two fields are read alone: a record of another version may differ after them.
  if (record->interfaceVersion != kQCPlugInInterfaceVersion) {
    error = "it was built for plug-in interface version " + std::to_string(record->interfaceVersion) +
            "; this host takes version " + std::to_string(kQCPlugInInterfaceVersion);
    return nullptr;
  }
  if (record->size != sizeof(QCPlugInInterface)) {
    error = "its interface record has " + std::to_string(record->size) + " bytes; this host expects " +
            std::to_string(sizeof(QCPlugInInterface));
    return nullptr;
  }
  if (record->libraryABI != kQCPlugInLibraryABI) {
    error = "it was built against another C++ library ABI";
    return nullptr;
  }
  if (!record->attributes || !record->dynamicProperties || !record->attributesForPropertyPortWithKey ||
      !record->sortedPropertyPortKeys || !record->executionMode || !record->timeMode || !record->plugInKeys ||
      !record->create || !record->destroy) {
    error = "its interface record is incomplete";
    return nullptr;
  }
  return record;
}

std::shared_ptr<QCPlugInModule> QCPlugInModule::load(const std::string& path, std::string& error) {
  // A path without a slash would be searched for on the library path; plug-ins are files.
  const std::string opened = path.find('/') == std::string::npos ? "./" + path : path;
  void* handle = dlopen(opened.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = dlerror();
    error = "cannot load '" + path + "': " + (reason ? reason : "unknown error");
    return nullptr;
  }
  auto factory = reinterpret_cast<QCPlugInFactoryFunction>(dlsym(handle, kQCPlugInFactorySymbol));
  if (!factory) {
    dlclose(handle);
    error = "'" + path + "' is not a composition plug-in (it has no " + kQCPlugInFactorySymbol + ")";
    return nullptr;
  }
  std::string reason;
  const QCPlugInInterface* record = checkedPlugInInterface(factory(), reason);
  if (!record) {
    dlclose(handle);
    error = "'" + path + "' cannot be used: " + reason;
    return nullptr;
  }
  return std::shared_ptr<QCPlugInModule>(new QCPlugInModule(path, handle, record));
}

QCPlugInModule::~QCPlugInModule() { dlclose(handle_); }

}  // namespace platform::composition
