#include "XACAppSupportFolderPathAgent.h"

#include <climits>
#include <unistd.h>

#include "platform/foundation/Paths.h"

namespace {

std::string executableName() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "Coverfetch";
  buf[n] = 0;
  return platform::lastPathComponent(buf);
}

std::string createdIfMissing(const std::string& path) {
  if (!platform::fileExists(path)) platform::createDirectories(path);
  return path;
}

}  // namespace

std::string XACAppSupportFolderPathAgent::appSupportFolderPath() {
  return createdIfMissing(platform::appendingPathComponent(platform::applicationSupportDirectory(), executableName()));
}

std::string XACAppSupportFolderPathAgent::appSupportFolderSubFolderWithName(const std::string& name) {
  return createdIfMissing(platform::appendingPathComponent(appSupportFolderPath(), name));
}
