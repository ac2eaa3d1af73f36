#pragma once
// One keyed-archived object per source media file, under the per-user Application Support folder:
// <Application Support>/<application>/<resources folder>/<encoded source path>.<extension>.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/KeyedArchiver.h"

class XACResourceManager {
 public:
  // init: application folder = executable name, no resources folder, extension "xacrmdata".
  XACResourceManager();
  // initWithResourcesFolderName:resourceItemExtension:
  XACResourceManager(std::optional<std::string> resourcesFolderName, std::string resourceItemExtension);
  // initWithApplicationName:resourcesFolderName:resourceItemExtension:
  XACResourceManager(std::string applicationName, std::optional<std::string> resourcesFolderName,
                     std::string resourceItemExtension);

  // A new UUID string on every call; the path is not used.
  std::string uniqueIDForPath(const std::string& path) const;
  // "~" expanded, extension removed, "/" -> U+00A5, " " -> U+2020.
  std::string encodedPathStringForPath(const std::string& path) const;
  // Extension removed, U+00A5 -> "/", U+2020 -> " ".
  std::string decodedPathStringFromString(const std::string& string) const;

  // Folders are created (with their parents) when nothing exists there; errors are ignored.
  std::optional<std::string> appSupportFolderPath() const;
  std::optional<std::string> archiveFolderPath() const;
  std::optional<std::string> resourcePathForSourceFile(const std::string& sourceFilePath) const;

  std::shared_ptr<platform::Coding> resourceForSourceFile(const std::optional<std::string>& sourceFilePath) const;
  bool setResource(const std::shared_ptr<const platform::Coding>& object,
                   const std::optional<std::string>& sourceFilePath);
  std::shared_ptr<platform::Coding> objectForKey(const std::optional<std::string>& key) const {
    return resourceForSourceFile(key);
  }
  void setObject(const std::shared_ptr<const platform::Coding>& object, const std::optional<std::string>& key) {
    setResource(object, key);
  }

  std::vector<std::string> allKeys();
  std::vector<std::shared_ptr<platform::Coding>> allValues();
  void updateResourcesCount();
  int32_t count();

 private:
  std::vector<std::string> listArchiveFolder() const;

  int32_t _resourcesCount = 0;
  std::optional<std::string> _resourcesFolderName;
  std::string _resourceItemExtension;
  std::string _applicationSupportFolderName;
};
