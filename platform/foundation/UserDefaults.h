#pragma once
// User defaults of one application domain, kept as an XML property list at
// ${XDG_CONFIG_HOME:-~/.config}/<domain>/defaults.plist.
#include <optional>
#include <string>

#include "PropertyList.h"

namespace platform {

class UserDefaults {
 public:
  // The defaults of the running application (domain: setApplicationDomain, else the process name).
  static UserDefaults& standardUserDefaults();
  static void setApplicationDomain(const std::string& domain);

  explicit UserDefaults(std::string domain);

  const std::string& domain() const { return domain_; }
  std::string filePath() const;

  std::optional<PlistValue> objectForKey(const std::string& key) const;
  // Missing or mistyped values give false / 0 / nullopt as the platform does.
  bool boolForKey(const std::string& key) const;
  int64_t integerForKey(const std::string& key) const;
  double doubleForKey(const std::string& key) const;
  float floatForKey(const std::string& key) const { return static_cast<float>(doubleForKey(key)); }
  std::optional<std::string> stringForKey(const std::string& key) const;

  void setObject(const std::string& key, PlistValue value);
  void removeObjectForKey(const std::string& key);

  // Re-reads the file (dropping unsaved changes) / writes it atomically. Writes only when changed.
  void reload();
  bool synchronize();

 private:
  std::string domain_;
  PlistDictionary values_;
  bool dirty_ = false;
};

}  // namespace platform
