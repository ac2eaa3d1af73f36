#pragma once
// Opens media files through the media layer and reports facts about them as property-list values.
// Stateless class operations; the only state is the process-wide verbose switch.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/PropertyList.h"
#include "platform/media/QTMovie.h"

class XMHQTFileInvestigator {
 public:
  using QTMoviePtr = platform::media::QTMoviePtr;
  using Movie = platform::media::Movie;
  using PlistDictionary = platform::PlistDictionary;
  using PlistArray = platform::PlistArray;

  // Any non-zero value turns verbose logging on.
  static void setVerboseLoggingMode(bool verbose);
  static bool verboseLoggingMode();

  // Opens synchronously; null (after one log line) when the file can't be opened.
  static QTMoviePtr newQTMovieFromPropertiesWithPath(const std::string& path);

  // "Total Time", "Has Audio", "Has Video", metadata labels and "Chapters".
  static PlistDictionary propertiesOfQTMovie(const QTMoviePtr& movie);
  static std::optional<PlistDictionary> propertiesOfFileNamed(const std::string& path);

  // Whole seconds, truncated toward zero; nullopt for a null movie or a time scale of 0.
  static std::optional<int64_t> durationOfQTMovie(const QTMoviePtr& movie);
  static std::optional<int64_t> durationOfFileNamed(const std::string& path);

  // Metadata labels to text.
  static PlistDictionary metaDataOfMovie(const Movie& movie);
  static PlistDictionary metaDataOfQTMovie(const QTMoviePtr& movie);
  static std::optional<PlistDictionary> metaDataOfFileNamed(const std::string& path);

  // Chapter dictionaries in time order; empty when the movie has none.
  static PlistArray chaptersInMovie(const Movie& movie);
  static PlistArray chaptersInQTMovie(const QTMoviePtr& movie);
};
