#pragma once
// The Open panel: a modeless file chooser that reports OK (1) or Cancel (0) to a completion
// handler on the main run loop.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform::appkit {

constexpr int NSCancelButton = 0;
constexpr int NSOKButton = 1;

class NSOpenPanel {
 public:
  using Completion = std::function<void(NSOpenPanel& panel, int returnCode)>;
  // What answers the panel: given the panel, the chosen file or nullopt for Cancel.
  using Chooser = std::function<std::optional<std::string>(const NSOpenPanel& panel)>;

  static NSOpenPanel& openPanel();
  // Installs the chooser the panel runs (none: every run ends as Cancel).
  static void setChooser(Chooser chooser);

  void setTitle(const std::string& title) { title_ = title; }
  const std::string& title() const { return title_; }
  void setCanChooseDirectories(bool can) { canChooseDirectories_ = can; }
  bool canChooseDirectories() const { return canChooseDirectories_; }
  void setAllowsMultipleSelection(bool allows) { allowsMultipleSelection_ = allows; }
  bool allowsMultipleSelection() const { return allowsMultipleSelection_; }
  const std::string& directory() const { return directory_; }
  const std::vector<std::string>& allowedFileTypes() const { return types_; }

  // Shows the panel in `directory` for files of `fileTypes`; `completion` runs on a later pass of
  // the main run loop.
  void beginForDirectory(const std::string& directory, const std::vector<std::string>& fileTypes,
                         Completion completion);
  // The chosen file after OK.
  const std::string& filename() const { return filename_; }
  void close() { visible_ = false; }
  bool isVisible() const { return visible_; }

 private:
  std::string title_;
  bool canChooseDirectories_ = true;
  bool allowsMultipleSelection_ = false;
  std::string directory_;
  std::vector<std::string> types_;
  std::string filename_;
  bool visible_ = false;
};

}  // namespace platform::appkit
