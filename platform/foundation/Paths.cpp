#include "Paths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::string envOr(const char* name, const std::string& fallback) {
  const char* v = std::getenv(name);
  if (v && *v == '/') return v;  // XDG requires absolute paths; relative ones are ignored
  return fallback;
}

std::string stripTrailingSlashes(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

}  // namespace

std::string homeDirectory() {
  const char* h = std::getenv("HOME");
  if (h && *h) return stripTrailingSlashes(h);
  if (struct passwd* pw = getpwuid(getuid())) {
    if (pw->pw_dir) return stripTrailingSlashes(pw->pw_dir);
  }
  return "/";
}

std::string applicationSupportDirectory() {
  return stripTrailingSlashes(envOr("XDG_DATA_HOME", homeDirectory() + "/.local/share"));
}

std::string userConfigDirectory() {
  return stripTrailingSlashes(envOr("XDG_CONFIG_HOME", homeDirectory() + "/.config"));
}

std::string expandTildeInPath(const std::string& path) {
  if (path == "~") return homeDirectory();
  if (path.rfind("~/", 0) == 0) return homeDirectory() + path.substr(1);
  return path;
}

std::string abbreviateWithTildeInPath(const std::string& path) {
  std::string home = homeDirectory();
  if (home == "/" || home.empty()) return path;
  if (path == home) return "~";
  if (path.rfind(home + "/", 0) == 0) return "~" + path.substr(home.size());
  return path;
}

std::string lastPathComponent(const std::string& path) {
  std::string p = stripTrailingSlashes(path);
  if (p == "/") return "/";
  size_t slash = p.rfind('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string deletingLastPathComponent(const std::string& path) {
  std::string p = stripTrailingSlashes(path);
  if (p == "/") return "/";
  size_t slash = p.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return p.substr(0, slash);
}

std::string pathExtension(const std::string& path) {
  std::string last = lastPathComponent(path);
  size_t dot = last.rfind('.');
  if (dot == std::string::npos || dot == 0) return "";
  return last.substr(dot + 1);
}

std::string deletingPathExtension(const std::string& path) {
  // The last "." of the last component goes with what follows it, even when nothing does
  // ("trail." -> "trail"); a leading "." (a hidden file's name) stays.
  std::string p = stripTrailingSlashes(path);
  std::string last = lastPathComponent(p);
  size_t dot = last.rfind('.');
  if (dot == std::string::npos || dot == 0) return p;
  return p.substr(0, p.size() - (last.size() - dot));
}

std::string appendingPathComponent(const std::string& path, const std::string& component) {
  if (path.empty()) return component;
  if (path.back() == '/') return path + component;
  return path + "/" + component;
}

std::string appendingPathExtension(const std::string& path, const std::string& extension) {
  return stripTrailingSlashes(path) + "." + extension;
}

bool fileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

bool directoryExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool createDirectories(const std::string& path) {
  if (path.empty()) return false;
  if (directoryExists(path)) return true;
  std::string parent = deletingLastPathComponent(path);
  if (!parent.empty() && parent != path && !directoryExists(parent) && !createDirectories(parent)) return false;
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
  return directoryExists(path);
}

}  // namespace platform
