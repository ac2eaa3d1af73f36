#include "platform/foundation/InstallLayout.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

// The layout below the prefix, relative to the programs' folder; set by the build.
#ifndef MT_PROGRAM_TO_MODULES
#define MT_PROGRAM_TO_MODULES "../lib/mediatools"
#endif
#ifndef MT_PROGRAM_TO_DATA
#define MT_PROGRAM_TO_DATA "../share/mediatools"
#endif
#ifndef MT_SUITE_VERSION
#define MT_SUITE_VERSION "0.0.0"
#endif

namespace platform {
namespace {

bool isRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The build's bin folder, for a program that lies inside the build tree; none otherwise.
std::optional<std::string> buildBinFolderFor([[maybe_unused]] const std::string& programFolder) {
#if defined(MT_BUILD_DIR) && defined(MT_BUILD_BIN_DIR)
  // The program's folder has its links resolved, so the build folder's are too.
  char real[PATH_MAX];
  const std::string buildDir = realpath(MT_BUILD_DIR, real) ? std::string(real) : std::string(MT_BUILD_DIR);
  if (programFolder == buildDir || programFolder.rfind(buildDir + "/", 0) == 0) return std::string(MT_BUILD_BIN_DIR);
#endif
  return std::nullopt;
}

std::vector<std::string> foldersWith(const std::string& programFolder, const char* installed) {
  std::vector<std::string> folders{programFolder, resolvedPath(programFolder, installed)};
  if (auto built = buildBinFolderFor(programFolder); built && *built != programFolder) folders.push_back(*built);
  return folders;
}

}  // namespace

std::string executableDirectory() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  const std::string exe(buf, size_t(n));
  const size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : exe.substr(0, slash);
}

std::string resolvedPath(const std::string& base, const std::string& relative) {
  if (!relative.empty() && relative[0] == '/') return relative;
  if (base.empty() || base[0] != '/') return (base.empty() ? "." : base) + "/" + relative;
  std::vector<std::string> parts;
  auto take = [&parts](const std::string& path) {
    size_t start = 0;
    while (start <= path.size()) {
      size_t end = path.find('/', start);
      if (end == std::string::npos) end = path.size();
      const std::string part = path.substr(start, end - start);
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      start = end + 1;
    }
  };
  take(base);
  take(relative);
  std::string out;
  for (const std::string& part : parts) out += "/" + part;
  return out.empty() ? "/" : out;
}

std::vector<std::string> moduleFolders(const std::string& programFolder) {
  return foldersWith(programFolder, MT_PROGRAM_TO_MODULES);
}

std::vector<std::string> dataFolders(const std::string& programFolder) {
  return foldersWith(programFolder, MT_PROGRAM_TO_DATA);
}

std::optional<std::string> findFileIn(const std::vector<std::string>& folders, const std::string& fileName) {
  if (fileName.empty() || fileName.find('/') != std::string::npos) return std::nullopt;
  for (const std::string& folder : folders) {
    std::string path = folder == "/" ? "/" + fileName : folder + "/" + fileName;
    if (isRegularFile(path)) return path;
  }
  return std::nullopt;
}

std::optional<std::string> findModule(const std::string& fileName) {
  return findFileIn(moduleFolders(executableDirectory()), fileName);
}

std::optional<std::string> findDataFile(const std::string& fileName) {
  return findFileIn(dataFolders(executableDirectory()), fileName);
}

const char* suiteVersion() { return MT_SUITE_VERSION; }

}  // namespace platform
