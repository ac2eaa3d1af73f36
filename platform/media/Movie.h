#pragma once
// The low-level movie (the QuickTime `Movie` level): created from instantiation properties, it
// answers duration, time scale and tracks by 1-based index.
#include <memory>
#include <string>
#include <variant>

#include "platform/media/MovieDescription.h"
#include "platform/media/QTTime.h"

namespace platform::media {

class Movie {
 public:
  Movie(std::string path, MovieDescription description, bool active)
      : path_(std::move(path)), description_(std::move(description)), active_(active) {}

  const std::string& path() const { return path_; }
  const MovieDescription& description() const { return description_; }
  bool isActive() const { return active_; }

 private:
  std::string path_;
  MovieDescription description_;
  bool active_;
};

using MoviePtr = std::shared_ptr<Movie>;
using Track = const TrackDescription*;

// Instantiation property classes and identifiers.
constexpr OSType kQTPropertyClass_DataLocation = fourCC("dloc");
constexpr OSType kQTDataLocationPropertyID_CFStringNativePath = fourCC("cfnp");
constexpr OSType kQTPropertyClass_NewMovieProperty = fourCC("mprp");
constexpr OSType kQTNewMoviePropertyID_Active = fourCC("actv");
constexpr OSType kQTPropertyClass_Audio = fourCC("audi");
constexpr OSType kQTAudioPropertyID_ChannelLayout = fourCC("aucp");
constexpr OSType kQTPropertyClass_MovieInstantiation = fourCC("mins");
constexpr OSType kQTMovieInstantiationPropertyID_AsyncOK = fourCC("asok");

// One (class, identifier, size, value) entry; the value is a path string or a flag.
struct QTNewMoviePropertyElement {
  OSType propClass = 0;
  OSType propID = 0;
  uint32_t propValueSize = 0;
  std::variant<std::string, bool> propValue;
  OSStatus propStatus = noErr;
};

// Creates a movie from the properties (the path entry is required). Synchronous: when it returns
// noErr the movie is complete. Properties it doesn't know get a non-zero propStatus.
OSStatus NewMovieFromProperties(long inputPropertyCount, QTNewMoviePropertyElement* inputProperties,
                                long outputPropertyCount, QTNewMoviePropertyElement* outputProperties,
                                MoviePtr* newMovie);

int64_t GetMovieDuration(const Movie& movie);
int32_t GetMovieTimeScale(const Movie& movie);
long GetMovieTrackCount(const Movie& movie);
// 1-based; nullptr when out of range.
Track GetMovieIndTrack(const Movie& movie, long index);
bool GetTrackEnabled(Track track);
std::string GetMediaType(Track track);

}  // namespace platform::media
