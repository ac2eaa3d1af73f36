#include "DirectFuzz.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "ContainerFuzz.h"
#include "platform/media/Movie.h"
#include "platform/media/TagMapping.h"
#include "platform/media/direct/Readers.h"
#include "platform/media/id3/Id3Reader.h"

namespace fuzz {

int runDirectInput(DirectReader reader, const uint8_t* data, size_t size) {
  using namespace platform::media;
  int fd = memfd_create("fuzz-direct", MFD_CLOEXEC);
  if (fd < 0) return 0;
  for (size_t done = 0; done < size;) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  {
    isobmff::FileReader file(path);
    MovieDescription d;
    DirectRead result = DirectRead::NotRecognised;
    uint64_t start = 0;
    switch (reader) {
      case DirectReader::Any:
        direct::forgetLastRead();
        result = readDirectly(file, d);
        break;
      case DirectReader::Flac:
        if (direct::skipId3v2Tags(file, start)) result = direct::readFlac(file, start, d);
        break;
      case DirectReader::Mp3:
        if (direct::skipId3v2Tags(file, start)) result = direct::readMp3(file, start, d);
        break;
      case DirectReader::Wav: result = direct::readWav(file, d); break;
      case DirectReader::Aiff: result = direct::readAiff(file, d); break;
      case DirectReader::Ogg: result = direct::readOgg(file, d); break;
      case DirectReader::Matroska: result = direct::readMatroska(file, d); break;
    }
    if (result == DirectRead::Read) {
      // What a read file must satisfy, and what the media layer does with it next.
      if (d.tracks.empty() || d.timeScale <= 0 || d.duration < 0) std::abort();
      addTags(id3::readTag(file), d);
      addContainerChapters(d);
      Movie movie(path, std::move(d), true);
      if (investigateHook) investigateHook(movie);
    }
  }
  ::close(fd);
  return 0;
}

}  // namespace fuzz
