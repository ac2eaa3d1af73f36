#include <string>

#include "MediaProbe.h"
#include "platform/foundation/CommandLineHelp.h"

namespace {

const char* const kUsage =
    "usage: mediaprobe MEDIA RESULTS.plist [verbose]\n"
    "Opens a movie or sound file and writes its properties (\"Location\", \"Total Time\", \"Has Audio\",\n"
    "\"Has Video\", metadata labels, \"Chapters\") as an XML property list, written atomically.\n"
    "  MEDIA          the file to investigate\n"
    "  RESULTS.plist  the property list to write\n"
    "  verbose        any third argument logs the version, progress and the elapsed time\n"
    "Exit status: 0 written, 1 the results file could not be written, 2 no movie could be made of\n"
    "the file, 3 the media layer can't open the file, 4 fewer than two arguments.\n"
    "Messages go to standard error and the system log. See mediaprobe(1).\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = platform::argumentsAfterProgramName(argc, argv);
  const std::string version = std::to_string(mediaprobe::kMajorVersion) + "." +
                              std::to_string(mediaprobe::kMinorVersion) + "." +
                              std::to_string(mediaprobe::kPatchVersion);
  if (platform::answeredHelpOrVersion(arguments, kUsage, "mediaprobe", version)) return 0;
  return mediaprobe::run(arguments);
}
