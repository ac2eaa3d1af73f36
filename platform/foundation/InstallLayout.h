#pragma once
// Where a program of the suite finds what is installed with it. Everything is found relative to
// the program's own folder, so the suite runs from any prefix:
//   bin/                      the programs
//   lib/mediatools/           plug-ins and media modules
//   share/mediatools/         data (the fallback movie, script resources)
// In the build tree the programs, plug-ins, modules and data all sit in one bin/ folder; programs
// elsewhere in the build tree (the test suites) are pointed at it. An installed program is never
// pointed into a build tree. Built into the i386 host too, so it needs only the C++ runtime.
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Folder that holds the running executable (symbolic links resolved); "." when it can't be told.
std::string executableDirectory();

// Folders searched for a plug-in or media module, in order: the program's folder, the installed
// module folder, then the build's bin folder for programs inside the build tree.
std::vector<std::string> moduleFolders(const std::string& programFolder);
// The same for data files, with the installed data folder in second place.
std::vector<std::string> dataFolders(const std::string& programFolder);

// The first regular file named `fileName` in `folders`.
std::optional<std::string> findFileIn(const std::vector<std::string>& folders, const std::string& fileName);
// findFileIn over the running program's module or data folders.
std::optional<std::string> findModule(const std::string& fileName);
std::optional<std::string> findDataFile(const std::string& fileName);

// `relative` (which may start with "..") applied to the absolute folder `base`, lexically.
std::string resolvedPath(const std::string& base, const std::string& relative);

// The release of the suite these programs belong to ("1.0.0").
const char* suiteVersion();

}  // namespace platform
