#pragma once
// The desktop's own file chooser, run without blocking the caller: the XDG desktop portal's
// FileChooser over D-Bus where a portal answers, else `zenity --file-selection`, else
// `kdialog --getopenfilename`. The answer comes back on the main run loop.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::appkit {

struct FileChooserRequest {
  std::string title;
  std::string directory;               // where the chooser starts; empty for its own choice
  std::vector<std::string> fileTypes;  // extensions without the dot; empty for any file
  bool chooseDirectories = false;
};

enum class FileChooserBackend { Portal, Zenity, KDialog };

// One chooser on screen. Destroying or cancelling it closes the chooser and drops its answer.
class FileChooserSession {
 public:
  virtual ~FileChooserSession() = default;
  virtual void cancel() = 0;
  virtual FileChooserBackend backend() const = 0;
};

// The chosen file, or nullopt for Cancel (or a chooser that failed).
using FileChooserCompletion = std::function<void(std::optional<std::string> chosen)>;

// Starts the first chooser the desktop has; `completion` runs later on the main run loop. With
// no chooser at all: logs which were tried and returns nullptr without calling `completion`.
std::unique_ptr<FileChooserSession> beginFileChooser(const FileChooserRequest& request,
                                                     FileChooserCompletion completion);

// The program choosers alone: zenity, else kdialog; nullptr (logged) when neither starts.
std::unique_ptr<FileChooserSession> beginProgramFileChooser(const FileChooserRequest& request,
                                                            FileChooserCompletion completion);

// The portal half (PortalFileChooser.cpp): nullptr when no portal answers on the session bus.
std::unique_ptr<FileChooserSession> beginPortalFileChooser(const FileChooserRequest& request,
                                                           FileChooserCompletion completion);

// Helpers shared by the backends.
// "file:///a%20b" → "/a b"; nullopt for anything but a local file URI.
std::optional<std::string> pathFromFileURI(const std::string& uri);
// Glob patterns of the file types in both cases: {"mp4"} → {"*.mp4", "*.MP4"}.
std::vector<std::string> globPatterns(const std::vector<std::string>& fileTypes);

}  // namespace platform::appkit
