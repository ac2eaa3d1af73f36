// Kestrix(Private), results mode: the poster frame written to the destination path.
#include <cmath>

#include "platform/foundation/Log.h"
#include "previewer/Kestrix.h"

using platform::media::QTTime;

void Kestrix::getMetaDataAndPreview() {
  if (_destinationFilePath) {
    const std::string& destination = *_destinationFilePath;
    bool written = false;
    if (qtMovieHasVideo(movie)) {
      if (verboseMode()) platform::log("File Has Video: getting posterimage");
      QTTime time = movie->duration();
      time.timeValue = static_cast<int64_t>(static_cast<double>(time.timeValue) * static_cast<double>(_previewTimeFraction));
      // The writer draws the frame into its square; a frame already fitted to it decodes faster.
      const platform::media::QTFrameImageAttributes attributes{{XACImageWriter::kPosterSize, XACImageWriter::kPosterSize}};
      std::optional<platform::graphics::Image> frame = movie->frameImageAtTime(time, attributes);
      if (frame) {
        written = dataWriteToFileAtomically(XACImageWriter::ImageData(std::move(*frame)), destination, true);
      } else {
        platform::log("Error getting poster image for file: '%s'", _sourceFilePath.value_or("").c_str());
      }
    }
    if (verboseMode()) platform::log("%s write results file to:'%s'", written ? "Did" : "Did NOT", destination.c_str());
  }
  terminateWithAlertMessage(std::nullopt);
}

bool Kestrix::dataWriteToFileAtomically(const XACImageWriter::ImageData& data, const std::string& path,
                                        bool atomically) {
  if (verboseMode()) platform::log("imgData: writeToFile: atomically");
  XACImageWriter writer;
  const bool ok = writer.dataWriteToFileAtomically(data, path, atomically);
  if (!ok) platform::log("XACArtworkManager: Error saving new ACAID: Couldn't write file at '%s'", path.c_str());
  return ok;
}
