#pragma once
// The Open panel: the desktop's own file chooser (FileChooser.h), run modeless; it reports OK (1)
// or Cancel (0) to a completion handler on the main run loop. Where the desktop has no chooser,
// the run is logged and ends as Cancel.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::appkit {

constexpr int NSCancelButton = 0;
constexpr int NSOKButton = 1;

class FileChooserSession;

class NSOpenPanel {
 public:
  using Completion = std::function<void(NSOpenPanel& panel, int returnCode)>;
  // Answers the panel in place of the desktop's chooser: given the panel, the chosen file or
  // nullopt for Cancel. For programs that drive the panel themselves (tests).
  using Chooser = std::function<std::optional<std::string>(const NSOpenPanel& panel)>;

  static NSOpenPanel& openPanel();
  // Installs a chooser in place of the desktop's (none: the desktop's).
  static void setChooser(Chooser chooser);

  void setTitle(const std::string& title) { title_ = title; }
  const std::string& title() const { return title_; }
  void setCanChooseDirectories(bool can) { canChooseDirectories_ = can; }
  bool canChooseDirectories() const { return canChooseDirectories_; }
  void setAllowsMultipleSelection(bool allows) { allowsMultipleSelection_ = allows; }
  bool allowsMultipleSelection() const { return allowsMultipleSelection_; }
  const std::string& directory() const { return directory_; }
  const std::vector<std::string>& allowedFileTypes() const { return types_; }

  // Shows the panel in `directory` for files of `fileTypes` and returns at once; `completion`
  // runs on a later pass of the main run loop. A panel already showing is closed first (its
  // completion never runs).
  void beginForDirectory(const std::string& directory, const std::vector<std::string>& fileTypes,
                         Completion completion);
  // The chosen file after OK.
  const std::string& filename() const { return filename_; }
  // Hides the panel; a chooser still on screen is closed and its answer dropped.
  void close();
  bool isVisible() const { return visible_; }

 private:
  std::string title_;
  bool canChooseDirectories_ = true;
  bool allowsMultipleSelection_ = false;
  std::string directory_;
  std::vector<std::string> types_;
  std::string filename_;
  bool visible_ = false;
  std::shared_ptr<FileChooserSession> session_;
  uint64_t run_ = 0;  // counts runs, so answers of a closed run are dropped
};

}  // namespace platform::appkit
