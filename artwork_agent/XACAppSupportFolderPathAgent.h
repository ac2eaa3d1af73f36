#pragma once
// Per-user application-support folders of the running tool.
#include <string>

class XACAppSupportFolderPathAgent {
 public:
  // ${XDG_DATA_HOME:-~/.local/share}/<executable file name>; created with its parents when
  // nothing exists there.
  static std::string appSupportFolderPath();
  // appSupportFolderPath()/<name>, created the same way.
  static std::string appSupportFolderSubFolderWithName(const std::string& name);
};
