#include "Movie.h"

#include "platform/media/TagMapping.h"
#include "platform/media/direct/DirectReaders.h"
#include "platform/media/ffmpeg/FFmpegModule.h"
#include "platform/media/id3/Id3Reader.h"
#include "platform/media/isobmff/MovieReader.h"

namespace platform::media {

std::string fourCCString(OSType code) {
  std::string s(4, ' ');
  for (int i = 0; i < 4; ++i) s[static_cast<size_t>(i)] = static_cast<char>((code >> (24 - 8 * i)) & 0xff);
  return s;
}

namespace {

// Metadata of a file read through FFmpeg (or as FFmpeg reads it): its container tags merged with what our own ID3v2
// reader finds (it keeps what FFmpeg's dictionary loses); FFmpeg's chapters.
void addFFmpegMetadata(const isobmff::FileReader& file, MovieDescription& out) {
  out.metadata.clear();
  out.userData.clear();
  for (auto& t : out.tracks) t.movieTimeScale = out.timeScale;
  addTags(id3::readTag(file), out);
  addContainerChapters(out);
}

// Reads the movie structure: our own box reader for the QuickTime family, our own readers of
// the common audio containers and Matroska, FFmpeg for the rest and for files those readers
// can't make sense of or aren't sure of.
OSStatus readMovieDescription(const std::string& path, MovieDescription& out) {
  isobmff::FileReader file(path);
  if (!file.isOpen()) return couldNotResolveDataRef;
  isobmff::Sniff sniff = isobmff::sniffFile(file);
  if (sniff == isobmff::Sniff::Image) return notAMovieErr;
  OSStatus status = cantFindHandler;
  if (sniff == isobmff::Sniff::Movie) {
    status = isobmff::readMovie(file, out);
    if (status == noErr) return noErr;
  } else if (readDirectly(file, out) == DirectRead::Read) {
    addFFmpegMetadata(file, out);
    return noErr;
  }
  FFmpegModule* ffmpeg = ffmpegModule();
  if (!ffmpeg) return status;
  OSStatus ffStatus = ffmpeg->readMovie(path, out);
  if (ffStatus != noErr) return sniff == isobmff::Sniff::Movie ? status : ffStatus;
  addFFmpegMetadata(file, out);
  return noErr;
}

}  // namespace

OSStatus NewMovieFromProperties(long inputPropertyCount, QTNewMoviePropertyElement* inputProperties,
                                long outputPropertyCount, QTNewMoviePropertyElement* outputProperties,
                                MoviePtr* newMovie) {
  (void)outputPropertyCount;
  (void)outputProperties;
  if (!newMovie) return paramErr;
  newMovie->reset();
  if (inputPropertyCount < 0 || (inputPropertyCount > 0 && !inputProperties)) return paramErr;

  const std::string* path = nullptr;
  bool active = false;
  bool asyncOK = false;
  for (long i = 0; i < inputPropertyCount; ++i) {
    QTNewMoviePropertyElement& p = inputProperties[i];
    p.propStatus = noErr;
    if (p.propClass == kQTPropertyClass_DataLocation && p.propID == kQTDataLocationPropertyID_CFStringNativePath &&
        std::holds_alternative<std::string>(p.propValue)) {
      path = &std::get<std::string>(p.propValue);
    } else if (p.propClass == kQTPropertyClass_NewMovieProperty && p.propID == kQTNewMoviePropertyID_Active &&
               std::holds_alternative<bool>(p.propValue)) {
      active = std::get<bool>(p.propValue);
    } else if (p.propClass == kQTPropertyClass_MovieInstantiation &&
               p.propID == kQTMovieInstantiationPropertyID_AsyncOK && std::holds_alternative<bool>(p.propValue)) {
      asyncOK = std::get<bool>(p.propValue);
    } else if ((p.propClass == kQTPropertyClass_MovieInstantiation &&
                p.propID == kQTMovieInstantiationPropertyID_AsyncOK) ||
               (p.propClass == kQTPropertyClass_Audio && p.propID == kQTAudioPropertyID_ChannelLayout)) {
      // Creation here is always complete on return; the flags need nothing more.
    } else {
      p.propStatus = paramErr;
    }
  }
  if (!path || path->empty()) return paramErr;

  MovieDescription description;
  OSStatus status = readMovieDescription(*path, description);
  if (status != noErr) return status;
  *newMovie = std::make_shared<Movie>(*path, std::move(description), active);
  (*newMovie)->setAsyncLoadAllowed(asyncOK);
  return noErr;
}

int64_t GetMovieDuration(const Movie& movie) { return movie.description().duration; }
int32_t GetMovieTimeScale(const Movie& movie) { return movie.description().timeScale; }
long GetMovieTrackCount(const Movie& movie) { return static_cast<long>(movie.description().tracks.size()); }

Track GetMovieIndTrack(const Movie& movie, long index) {
  const auto& tracks = movie.description().tracks;
  if (index < 1 || index > static_cast<long>(tracks.size())) return nullptr;
  return &tracks[static_cast<size_t>(index - 1)];
}

bool GetTrackEnabled(Track track) { return track && track->enabled; }
std::string GetMediaType(Track track) { return track ? track->mediaType : std::string(); }

}  // namespace platform::media
