#include "MediaProbe.h"

#include <chrono>

#include "XMHQTFileInvestigator.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"
#include "platform/media/QTMovie.h"

namespace mediaprobe {
namespace {

const char* const kToolName = "mediaprobe";

}  // namespace

int run(const std::vector<std::string>& arguments) {
  auto start = std::chrono::steady_clock::now();
  const bool verbose = arguments.size() >= 3;
  int status = kResultsWritten;

  if (verbose) {
    platform::log("%s %i.%i.%i\n", kToolName, kMajorVersion, kMinorVersion, kPatchVersion);
    XMHQTFileInvestigator::setVerboseLoggingMode(true);
  }

  if (arguments.size() < 2) {
    platform::log("%s: ERROR: Must Pass in at least two arguments...", kToolName);
    status = kTooFewArguments;
  } else {
    const std::string& mediaPath = arguments[0];
    const std::string& resultsPath = arguments[1];
    // A path that is not UTF-8 can't be named in the results, so it counts as unopenable.
    if (!platform::isValidUtf8(mediaPath) || !platform::media::QTMovie::canInitWithFile(mediaPath)) {
      platform::log("%s: ERROR: QTMovie can't init with file: '%s'", kToolName, mediaPath.c_str());
      status = kCantInit;
    } else if (auto movie = XMHQTFileInvestigator::newQTMovieFromPropertiesWithPath(mediaPath); !movie) {
      platform::log("%s: Error creating QTMovie from file: '%s'", kToolName, mediaPath.c_str());
      status = kCreateFailed;
    } else {
      platform::PlistDictionary results;
      results.set("Location", mediaPath);
      results.merge(XMHQTFileInvestigator::propertiesOfQTMovie(movie));
      if (!platform::plist::writeFile(platform::PlistValue(std::move(results)), resultsPath)) {
        platform::log("%s: ERROR: Failed to write results file", kToolName);
        status = kWriteFailed;
      }
    }
  }

  if (verbose) {
    float elapsed = std::chrono::duration<float>(std::chrono::steady_clock::now() - start).count();
    platform::log("%s: Elapsed time to play / close movie: %f seconds", kToolName, static_cast<double>(elapsed));
    XMHQTFileInvestigator::setVerboseLoggingMode(false);
  }
  return status;
}

}  // namespace mediaprobe
