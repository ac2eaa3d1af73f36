#include "OpenPanel.h"

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
  directory_ = directory;
  types_ = fileTypes;
  visible_ = true;
  platform::RunLoop::mainRunLoop().perform([this, completion = std::move(completion)] {
    std::optional<std::string> chosen = chooser() ? chooser()(*this) : std::nullopt;
    if (chosen) filename_ = *chosen;
    if (completion) completion(*this, chosen ? NSOKButton : NSCancelButton);
  });
}

}  // namespace platform::appkit
