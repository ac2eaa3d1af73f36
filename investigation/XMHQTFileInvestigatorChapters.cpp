// Chapter list of a movie.
#include "XMHQTFileInvestigator.h"

XMHQTFileInvestigator::PlistArray XMHQTFileInvestigator::chaptersInMovie(const Movie& movie) {
  // The container reader does not deliver chapter tracks yet.
  (void)movie;
  return {};
}

XMHQTFileInvestigator::PlistArray XMHQTFileInvestigator::chaptersInQTMovie(const QTMoviePtr& movie) {
  if (!movie || !movie->quickTimeMovie()) return {};
  return chaptersInMovie(*movie->quickTimeMovie());
}
