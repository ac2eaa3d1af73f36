#pragma once
// Per-user folders (XDG) and path-string utilities in the manner of the platform's path methods.
#include <string>

#include "platform/foundation/InstallLayout.h"  // executableDirectory()

namespace platform {

std::string homeDirectory();
// ${XDG_DATA_HOME:-~/.local/share}: the per-user "Application Support" folder.
std::string applicationSupportDirectory();
// ${XDG_CONFIG_HOME:-~/.config}: where user defaults live.
std::string userConfigDirectory();

// "~" and "~/..." become the home folder; other paths are returned unchanged.
std::string expandTildeInPath(const std::string& path);
// The home-folder prefix becomes "~".
std::string abbreviateWithTildeInPath(const std::string& path);

std::string lastPathComponent(const std::string& path);
std::string deletingLastPathComponent(const std::string& path);
std::string pathExtension(const std::string& path);
std::string deletingPathExtension(const std::string& path);
std::string appendingPathComponent(const std::string& path, const std::string& component);
std::string appendingPathExtension(const std::string& path, const std::string& extension);

bool fileExists(const std::string& path);
bool directoryExists(const std::string& path);
// Creates the folder and any missing parents; true when it exists afterwards.
bool createDirectories(const std::string& path);

}  // namespace platform
