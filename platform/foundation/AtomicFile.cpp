#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
  if (path.empty()) return false;
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.empty()) return false;

  // The temporary name is the file's own with a dot before and a suffix after, shortened when
  // that would pass the folder's name limit: a name that fits must not fail for its temporary.
  long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
  if (nameMax <= 0) nameMax = 255;
  const size_t kAdded = 8;  // "." + ".XXXXXX"
  std::string stem = base.size() + kAdded > size_t(nameMax) ? base.substr(0, size_t(nameMax) > kAdded ? size_t(nameMax) - kAdded : 0) : base;
  std::string tmpl = folder + "/." + stem + ".XXXXXX";
  int fd = mkstemp(tmpl.data());
  if (fd < 0) return false;

  bool ok = true;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
    } else {
      done += static_cast<size_t>(n);
    }
  }
  // mkstemp creates 0600; give the file the permissions a plain create would (0666 & ~umask).
  mode_t mask = umask(0);
  umask(mask);
  if (ok && fchmod(fd, 0666 & ~mask) != 0) ok = false;
  if (ok && fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && std::rename(tmpl.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(tmpl.c_str());
  return ok;
}

std::optional<std::string> readWholeFile(const std::string& path, size_t maxBytes) {
  // Non-blocking open, so that a FIFO in place of the file can't stall us before the type check.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) > maxBytes) {
    ::close(fd);
    return std::nullopt;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::string out;
  out.resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < out.size()) {
    ssize_t n = ::read(fd, out.data() + done, out.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  out.resize(done);
  return out;
}

}  // namespace platform
