// Kestrix: previews a media file, or writes its poster image to a destination path and quits.
#include "platform/appkit/Application.h"
#include "platform/foundation/CommandLineHelp.h"
#include "platform/foundation/InstallLayout.h"
#include "platform/foundation/UserDefaults.h"
#include "previewer/Kestrix.h"

namespace {

const char* const kUsage =
    "usage: Kestrix [MEDIA [POSTER.jpg [verbose]]]\n"
    "Plays a movie or sound file in a small floating window with a control panel (interactive\n"
    "mode), or, given POSTER.jpg, writes a 512 x 512 JPEG poster of it there (the frame at 0.33\n"
    "of its duration, letterboxed) and quits, without a display (results mode).\n"
    "  MEDIA       the file to open; without it, or when there is no file there, the sample movie\n"
    "              installed in share/mediatools/intro.mov\n"
    "  POSTER.jpg  where to write the poster, atomically\n"
    "  verbose     any third argument prints \"Kestrix\" and logs progress\n"
    "Volume, window place and the Open panel's folder are kept in\n"
    "${XDG_CONFIG_HOME:-~/.config}/Kestrix/defaults.plist. See Kestrix(1).\n";

}  // namespace

int main(int argc, char** argv) {
  if (platform::answeredHelpOrVersion(platform::argumentsAfterProgramName(argc, argv), kUsage, "Kestrix",
                                      platform::suiteVersion()))
    return 0;
  platform::UserDefaults::setApplicationDomain("Kestrix");
  return platform::appkit::NSApplicationMain(argc, argv, [] { return std::make_unique<Kestrix>(); });
}
