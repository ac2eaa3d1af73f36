// Kestrix: previews a media file, or writes its poster image to a destination path and quits.
#include "platform/appkit/Application.h"
#include "platform/foundation/UserDefaults.h"
#include "previewer/Kestrix.h"

int main(int argc, char** argv) {
  platform::UserDefaults::setApplicationDomain("Kestrix");
  return platform::appkit::NSApplicationMain(argc, argv, [] { return std::make_unique<Kestrix>(); });
}
