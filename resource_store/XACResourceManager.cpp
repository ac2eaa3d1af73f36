#include "XACResourceManager.h"

#include <filesystem>
#include <system_error>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Uuid.h"

namespace {

const std::string kYen = "\xC2\xA5";         // U+00A5 YEN SIGN
const std::string kDagger = "\xE2\x80\xA0";  // U+2020 DAGGER

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
  size_t pos = 0;
  while ((pos = s.find(from, pos)) != std::string::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
  return s;
}

std::string executableName() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("unknown") : exe.filename().string();
}

// The folder when it exists or could be made; the path either way, as the store ignores errors.
std::string ensureFolder(const std::string& path) {
  if (!platform::fileExists(path)) platform::createDirectories(path);
  return path;
}

}  // namespace

XACResourceManager::XACResourceManager()
    : XACResourceManager(executableName(), std::nullopt, "xacrmdata") {}

XACResourceManager::XACResourceManager(std::optional<std::string> resourcesFolderName, std::string resourceItemExtension)
    : XACResourceManager(executableName(), std::move(resourcesFolderName), std::move(resourceItemExtension)) {}

XACResourceManager::XACResourceManager(std::string applicationName, std::optional<std::string> resourcesFolderName,
                                       std::string resourceItemExtension)
    : _resourcesFolderName(std::move(resourcesFolderName)),
      _resourceItemExtension(std::move(resourceItemExtension)),
      _applicationSupportFolderName(std::move(applicationName)) {}

std::string XACResourceManager::uniqueIDForPath(const std::string&) const { return platform::newUuidString(); }

std::string XACResourceManager::encodedPathStringForPath(const std::string& path) const {
  std::string stem = platform::deletingPathExtension(platform::expandTildeInPath(path));
  return replaceAll(replaceAll(stem, "/", kYen), " ", kDagger);
}

std::string XACResourceManager::decodedPathStringFromString(const std::string& string) const {
  std::string stem = platform::deletingPathExtension(string);
  return replaceAll(replaceAll(stem, kYen, "/"), kDagger, " ");
}

std::optional<std::string> XACResourceManager::appSupportFolderPath() const {
  std::string base = platform::applicationSupportDirectory();
  if (base.empty()) return std::nullopt;
  return ensureFolder(platform::appendingPathComponent(base, _applicationSupportFolderName));
}

std::optional<std::string> XACResourceManager::archiveFolderPath() const {
  auto app = appSupportFolderPath();
  if (!app) return std::nullopt;
  if (!_resourcesFolderName) return app;
  return ensureFolder(platform::appendingPathComponent(*app, *_resourcesFolderName));
}

std::optional<std::string> XACResourceManager::resourcePathForSourceFile(const std::string& sourceFilePath) const {
  auto folder = archiveFolderPath();
  if (!folder) return std::nullopt;
  return platform::appendingPathComponent(*folder, encodedPathStringForPath(sourceFilePath)) + "." +
         _resourceItemExtension;
}

std::shared_ptr<platform::Coding> XACResourceManager::resourceForSourceFile(
    const std::optional<std::string>& sourceFilePath) const {
  if (!sourceFilePath) return nullptr;
  auto path = resourcePathForSourceFile(*sourceFilePath);
  if (!path || !platform::fileExists(*path)) return nullptr;
  auto object = platform::KeyedUnarchiver::unarchiveObjectWithFile(*path);
  if (!object) platform::log("XACResourceManager: Error: No object retreived from file '%s'", path->c_str());
  return object;
}

bool XACResourceManager::setResource(const std::shared_ptr<const platform::Coding>& object,
                                     const std::optional<std::string>& sourceFilePath) {
  if (!object) {
    platform::log("XACResourceManager: setResource:forSourceFile: Error: rootObject was nil");
    return false;
  }
  if (!sourceFilePath) {
    platform::log("XACResourceManager: setResource:forSourceFile: Error: sourceFilePath was nil");
    return false;
  }
  auto path = resourcePathForSourceFile(*sourceFilePath);
  bool saved = path && platform::KeyedArchiver::archiveRootObject(object, *path);
  if (saved) ++_resourcesCount;
  // A failure is always worth a line (a name the file system refuses, a full disk); success only
  // in verbose mode.
  if (!saved || platform::UserDefaults::standardUserDefaults().boolForKey("kVerboseLogging"))
    platform::log("XACResourceManager: %s rootObject to '%s'", saved ? "Saved" : "Error: Failed to save",
                  path ? path->c_str() : "(null)");
  return saved;
}

// Every file and folder below the archive folder, relative to it.
std::vector<std::string> XACResourceManager::listArchiveFolder() const {
  std::vector<std::string> out;
  auto folder = archiveFolderPath();
  if (!folder) return out;
  std::error_code ec;
  std::filesystem::recursive_directory_iterator it(*folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) out.push_back(std::filesystem::relative(it->path(), *folder, ec).string());
  return out;
}

std::vector<std::string> XACResourceManager::allKeys() {
  std::vector<std::string> keys;
  for (const auto& entry : listArchiveFolder()) keys.push_back(decodedPathStringFromString(entry));
  _resourcesCount = static_cast<int32_t>(keys.size());
  return keys;
}

std::vector<std::shared_ptr<platform::Coding>> XACResourceManager::allValues() {
  std::vector<std::shared_ptr<platform::Coding>> values;
  auto folder = archiveFolderPath();
  for (const auto& entry : listArchiveFolder()) {
    std::string path = platform::appendingPathComponent(*folder, entry);
    if (platform::directoryExists(path)) continue;
    if (auto object = platform::KeyedUnarchiver::unarchiveObjectWithFile(path)) values.push_back(std::move(object));
  }
  _resourcesCount = static_cast<int32_t>(values.size());
  return values;
}

void XACResourceManager::updateResourcesCount() {
  int32_t n = 0;
  if (auto folder = archiveFolderPath()) {
    std::error_code ec;
    std::filesystem::directory_iterator it(*folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) ++n;
  }
  _resourcesCount = n;
}

int32_t XACResourceManager::count() {
  if (_resourcesCount > 0) return _resourcesCount;
  updateResourcesCount();
  return _resourcesCount;
}
