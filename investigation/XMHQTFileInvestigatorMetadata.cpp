// Metadata labels of a movie.
#include "XMHQTFileInvestigator.h"

XMHQTFileInvestigator::PlistDictionary XMHQTFileInvestigator::metaDataOfMovie(const Movie& movie) {
  // The container reader does not deliver metadata items yet.
  (void)movie;
  return {};
}

XMHQTFileInvestigator::PlistDictionary XMHQTFileInvestigator::metaDataOfQTMovie(const QTMoviePtr& movie) {
  if (!movie || !movie->quickTimeMovie()) return {};
  return metaDataOfMovie(*movie->quickTimeMovie());
}

std::optional<XMHQTFileInvestigator::PlistDictionary> XMHQTFileInvestigator::metaDataOfFileNamed(
    const std::string& path) {
  QTMoviePtr movie = newQTMovieFromPropertiesWithPath(path);
  if (!movie) return std::nullopt;
  return metaDataOfQTMovie(movie);
}
