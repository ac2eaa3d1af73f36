#include "XMHQTFileInvestigator.h"

#include <atomic>

#include "platform/foundation/Log.h"
#include "platform/media/Movie.h"

using namespace platform::media;

namespace {
std::atomic<bool> gVerbose{false};
}  // namespace

void XMHQTFileInvestigator::setVerboseLoggingMode(bool verbose) { gVerbose = verbose; }
bool XMHQTFileInvestigator::verboseLoggingMode() { return gVerbose; }

XMHQTFileInvestigator::QTMoviePtr XMHQTFileInvestigator::newQTMovieFromPropertiesWithPath(const std::string& path) {
  if (!QTMovie::canInitWithFile(path)) {
    platform::log("XMHQTFileInvestigator: QTMovie can't init with file: '%s'", path.c_str());
    return nullptr;
  }

  const bool active = true;
  const bool asyncOK = false;
  QTNewMoviePropertyElement properties[3];
  properties[0].propClass = kQTPropertyClass_DataLocation;
  properties[0].propID = kQTDataLocationPropertyID_CFStringNativePath;
  properties[0].propValueSize = 4;
  properties[0].propValue = path;
  properties[1].propClass = kQTPropertyClass_NewMovieProperty;
  properties[1].propID = kQTNewMoviePropertyID_Active;
  properties[1].propValueSize = 1;
  properties[1].propValue = active;
  properties[2].propClass = kQTPropertyClass_MovieInstantiation;
  properties[2].propID = kQTMovieInstantiationPropertyID_AsyncOK;
  properties[2].propValueSize = 1;
  properties[2].propValue = asyncOK;

  if (gVerbose) platform::log("XMHQTFileInvestigator: will NewMovieFromProperties %sasyncronously...", "NOT ");
  MoviePtr movie;
  OSStatus err = NewMovieFromProperties(3, properties, 0, nullptr, &movie);
  if (gVerbose) platform::log("XMHQTFileInvestigator: did newMovieProperties");
  if (err != noErr || !movie) {
    platform::log("XMHQTFileInvestigator: error NewMovieFromProperties:");
    return nullptr;
  }

  std::string error;
  QTMoviePtr result = QTMovie::movieWithQuickTimeMovie(movie, true, &error);
  if (!error.empty()) platform::log("XMHQTFileInvestigator: error QTMovie: initWithQuickTimeMovie:");
  return result;
}

std::optional<int64_t> XMHQTFileInvestigator::durationOfQTMovie(const QTMoviePtr& movie) {
  if (!movie) return std::nullopt;
  QTTime d = movie->duration();
  // A scale of 0 has no seconds; leave the duration out rather than divide by it.
  if (d.timeScale <= 0) return std::nullopt;
  return d.timeValue / d.timeScale;
}

std::optional<int64_t> XMHQTFileInvestigator::durationOfFileNamed(const std::string& path) {
  QTMoviePtr movie = newQTMovieFromPropertiesWithPath(path);
  if (!movie) return std::nullopt;
  return durationOfQTMovie(movie);
}

XMHQTFileInvestigator::PlistDictionary XMHQTFileInvestigator::propertiesOfQTMovie(const QTMoviePtr& movie) {
  PlistDictionary properties;
  if (!movie) return properties;
  if (auto seconds = durationOfQTMovie(movie)) properties.set("Total Time", *seconds);
  if (!movie->tracksOfMediaType(QTMediaTypeSound).empty()) properties.set("Has Audio", 1);
  if (!movie->tracksOfMediaType(QTMediaTypeVideo).empty()) properties.set("Has Video", 1);
  MoviePtr lowLevel = movie->quickTimeMovie();
  if (lowLevel) {
    properties.merge(metaDataOfMovie(*lowLevel));
    PlistArray chapters = chaptersInMovie(*lowLevel);
    if (!chapters.empty()) properties.set("Chapters", std::move(chapters));
  }
  return properties;
}

std::optional<XMHQTFileInvestigator::PlistDictionary> XMHQTFileInvestigator::propertiesOfFileNamed(
    const std::string& path) {
  QTMoviePtr movie = newQTMovieFromPropertiesWithPath(path);
  if (!movie) return std::nullopt;
  return propertiesOfQTMovie(movie);
}
