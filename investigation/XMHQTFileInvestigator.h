#pragma once
// Opens media files through the media layer and reports facts about them as property-list values.
// Stateless class operations; the only state is the process-wide verbose switch.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/PropertyList.h"
#include "platform/graphics/Image.h"
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

  // The five classic 0xA9 user data texts ("Name", "Artist", "Album", "Track Number", "Year").
  static PlistDictionary id3TagsOfMovie(const Movie& movie);
  static PlistDictionary id3TagsOfQTMovie(const QTMoviePtr& movie);
  static std::optional<PlistDictionary> id3TagsOfFileNamed(const std::string& path);

  // Renders a metadata value (or, with data type 3, a key) as text by its well-known data type;
  // nullopt for types it doesn't render, empty integers and text that is not valid UTF-8.
  static std::optional<std::string> formattedMetaDataValue(uint32_t dataType, const uint8_t* bytes, size_t count);
  // The fixed (key text, label) pairs of the metadata label map.
  static const std::vector<std::pair<std::string, std::string>>& metaDataLabelMap();

  // Chapter dictionaries in time order; empty when the movie has none.
  static PlistArray chaptersInMovie(const Movie& movie);
  static PlistArray chaptersInQTMovie(const QTMoviePtr& movie);

  // Poster images; nullopt stands for "no image".
  using Image = platform::graphics::Image;
  // The movie's own poster image; nullopt for a null movie.
  static std::optional<Image> posterImageForMovie(const QTMoviePtr& movie);
  // The frame at `timeFraction` of the duration, else (after a log line) the poster image.
  static std::optional<Image> posterImageForMovie(const QTMoviePtr& movie, float timeFraction);
  // The poster, or the first of the frames at 10 %, 20 % ... 100 % that passes checkImage.
  static std::optional<Image> smartPosterImageForMovie(const QTMoviePtr& movie);
  static std::optional<Image> posterImageForFileNamed(const std::string& path);
  static std::optional<Image> posterImageForFileNamed(const std::string& path, float timeFraction);
  static std::optional<Image> smartPosterImageForFileNamed(const std::string& path);

  // Brightness test: the mean of a 10 x 10 reduction is at least 50 (of 255).
  static bool checkImage(const std::optional<Image>& image);
  // Mean over the 100 pixels of a 10 x 10 bitmap (rows of 10 pixels, samplesPerPixel each) of
  // each pixel's colour samples (all but the last, taken as alpha; a single sample is used as is).
  static double meanBrightnessOfBitmap(const uint8_t* samples, int samplesPerPixel);
};
