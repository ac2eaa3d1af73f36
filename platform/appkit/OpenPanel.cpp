#include "OpenPanel.h"

#include "platform/appkit/FileChooser.h"
#include "platform/foundation/RunLoop.h"

namespace platform::appkit {

namespace {
NSOpenPanel::Chooser& chooser() {
  static NSOpenPanel::Chooser c;
  return c;
}
}  // namespace

NSOpenPanel& NSOpenPanel::openPanel() {
  static NSOpenPanel panel;
  return panel;
}

void NSOpenPanel::setChooser(Chooser c) { chooser() = std::move(c); }

void NSOpenPanel::beginForDirectory(const std::string& directory, const std::vector<std::string>& fileTypes,
                                    Completion completion) {
  close();
  directory_ = directory;
  types_ = fileTypes;
  visible_ = true;
  const uint64_t run = ++run_;
  auto finish = [this, run, completion = std::move(completion)](std::optional<std::string> chosen) {
    if (run != run_ || !visible_) return;
    session_.reset();
    if (chosen) filename_ = *chosen;
    if (completion) completion(*this, chosen ? NSOKButton : NSCancelButton);
  };
  if (chooser()) {
    platform::RunLoop::mainRunLoop().perform([this, finish] { finish(chooser()(*this)); });
    return;
  }
  FileChooserRequest request;
  request.title = title_;
  request.directory = directory;
  request.fileTypes = fileTypes;
  request.chooseDirectories = canChooseDirectories_;
  session_ = beginFileChooser(request, finish);
  // No chooser on this desktop (logged): the run ends as Cancel.
  if (!session_) platform::RunLoop::mainRunLoop().perform([finish] { finish(std::nullopt); });
}

void NSOpenPanel::close() {
  visible_ = false;
  if (session_) {
    session_->cancel();
    session_.reset();
  }
}

}  // namespace platform::appkit
