#pragma once
// How a plug-in module presents itself: one exported C function, QCPlugInFactory, returns the
// module's interface record. The record begins with the interface version and its own size,
// which every host can read whatever version it was built for; a host refuses a module of
// another version before touching anything else. The rest of the record passes C++ types
// (strings, vectors, the QCPlugIn class), so it also names the C++ library ABI it was built
// with; the version goes up whenever any of those types or this record changes.
//
// Objects a module makes (instances, image providers) run its code until they are destroyed,
// so a host destroys them all before it unloads the module.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/composition/QCPlugIn.h"

namespace platform::composition {

inline constexpr uint32_t kQCPlugInInterfaceVersion = 1;
inline constexpr const char* kQCPlugInFactorySymbol = "QCPlugInFactory";

#if defined(_GLIBCXX_USE_CXX11_ABI) && _GLIBCXX_USE_CXX11_ABI
inline constexpr uint32_t kQCPlugInLibraryABI = 0x6c737463;  // libstdc++, C++11 strings
#else
inline constexpr uint32_t kQCPlugInLibraryABI = 0x6c737430;
#endif

struct QCPlugInInterface {
  uint32_t interfaceVersion;  // kQCPlugInInterfaceVersion of the module's build; always first
  uint32_t size;              // sizeof(QCPlugInInterface) of the module's build; always second
  uint32_t libraryABI;        // kQCPlugInLibraryABI of the module's build
  const char* className;

  // Class-level queries, answered before any instance exists.
  QCPlugInAttributes (*attributes)();
  std::vector<QCPropertyDeclaration> (*dynamicProperties)();
  std::optional<QCPortAttributes> (*attributesForPropertyPortWithKey)(const std::string& key);
  std::vector<std::string> (*sortedPropertyPortKeys)();
  QCPlugInExecutionMode (*executionMode)();
  QCPlugInTimeMode (*timeMode)();
  std::vector<std::string> (*plugInKeys)();

  // A new instance (its init) and its destruction, both in the module.
  QCPlugIn* (*create)();
  void (*destroy)(QCPlugIn* instance);
};

using QCPlugInFactoryFunction = const QCPlugInInterface* (*)();

// The record for a plug-in class with the class-level queries as static members.
template <class PlugIn>
QCPlugInInterface makeQCPlugInInterface(const char* className) {
  return QCPlugInInterface{
      kQCPlugInInterfaceVersion,
      uint32_t(sizeof(QCPlugInInterface)),
      kQCPlugInLibraryABI,
      className,
      &PlugIn::attributes,
      &PlugIn::dynamicProperties,
      &PlugIn::attributesForPropertyPortWithKey,
      &PlugIn::sortedPropertyPortKeys,
      &PlugIn::executionMode,
      &PlugIn::timeMode,
      &PlugIn::plugInKeys,
      []() -> QCPlugIn* { return new PlugIn(); },
      [](QCPlugIn* instance) { delete instance; },
  };
}

}  // namespace platform::composition

// Defines the module's exported factory for a plug-in class.
#define QC_PLUGIN_FACTORY(PlugInClass)                                                                    \
  extern "C" __attribute__((visibility("default"))) const ::platform::composition::QCPlugInInterface*    \
  QCPlugInFactory() {                                                                                   \
    static const ::platform::composition::QCPlugInInterface record =                                    \
        ::platform::composition::makeQCPlugInInterface<PlugInClass>(#PlugInClass);                      \
    return &record;                                                                                     \
  }
