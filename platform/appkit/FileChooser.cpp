// Choosing the desktop's file chooser, and the choosers that are programs (zenity, kdialog): each
// runs as a child process whose standard output a thread reads, so the caller never waits.
#include "platform/appkit/FileChooser.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

extern char** environ;

namespace platform::appkit {

std::optional<std::string> pathFromFileURI(const std::string& uri) {
  const std::string scheme = "file://";
  if (uri.compare(0, scheme.size(), scheme) != 0) return std::nullopt;
  std::string rest = uri.substr(scheme.size());
  // An authority other than empty or "localhost" names another machine.
  const size_t slash = rest.find('/');
  if (slash == std::string::npos) return std::nullopt;
  const std::string host = rest.substr(0, slash);
  if (!host.empty() && host != "localhost") return std::nullopt;
  rest = rest.substr(slash);
  std::string path;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && std::isxdigit(static_cast<unsigned char>(rest[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(rest[i + 2]))) {
      path.push_back(static_cast<char>(std::stoi(rest.substr(i + 1, 2), nullptr, 16)));
      i += 2;
    } else {
      path.push_back(rest[i]);
    }
  }
  if (path.find('\0') != std::string::npos) return std::nullopt;
  return path;
}

std::vector<std::string> globPatterns(const std::vector<std::string>& fileTypes) {
  std::vector<std::string> patterns;
  for (const std::string& type : fileTypes) {
    std::string upper = type;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    patterns.push_back("*." + type);
    if (upper != type) patterns.push_back("*." + upper);
  }
  return patterns;
}

namespace {

std::optional<std::string> findOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (!path) return std::nullopt;
  std::string all = path;
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find(':', start);
    if (end == std::string::npos) end = all.size();
    // An empty entry is the current folder.
    const std::string candidate = (end > start ? all.substr(start, end - start) : std::string(".")) + "/" + program;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return std::nullopt;
}

// What the chooser thread and its session share.
struct ChildState {
  std::atomic<bool> cancelled{false};
  std::mutex mutex;
  pid_t pid = 0;  // 0 once reaped
};

class ProcessChooserSession final : public FileChooserSession {
 public:
  ProcessChooserSession(FileChooserBackend backend, std::shared_ptr<ChildState> state)
      : backend_(backend), state_(std::move(state)) {}
  ~ProcessChooserSession() override { cancel(); }
  void cancel() override {
    state_->cancelled = true;
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->pid > 0) ::kill(state_->pid, SIGTERM);
  }
  FileChooserBackend backend() const override { return backend_; }

 private:
  FileChooserBackend backend_;
  std::shared_ptr<ChildState> state_;
};

// Runs `argv`, reads what it prints; status 0 and a non-empty first line is the chosen path.
std::unique_ptr<FileChooserSession> beginProcessChooser(FileChooserBackend backend, const std::string& program,
                                                        std::vector<std::string> args,
                                                        FileChooserCompletion completion) {
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return nullptr;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  args.insert(args.begin(), program);
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int status = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (status != 0) {
    ::close(out[0]);
    platform::log("NSOpenPanel: can't start %s: %s", program.c_str(), std::strerror(status));
    return nullptr;
  }
  auto state = std::make_shared<ChildState>();
  state->pid = pid;
  std::thread([state, fd = out[0], completion = std::move(completion)] {
    std::string text;
    char buffer[4096];
    for (;;) {
      ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n > 0) {
        text.append(buffer, static_cast<size_t>(n));
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      break;
    }
    ::close(fd);
    int wstatus = 0;
    pid_t child;
    {
      std::lock_guard<std::mutex> lock(state->mutex);
      child = state->pid;
    }
    while (::waitpid(child, &wstatus, 0) < 0 && errno == EINTR) {
    }
    {
      std::lock_guard<std::mutex> lock(state->mutex);
      state->pid = 0;
    }
    std::optional<std::string> chosen;
    const size_t newline = text.find('\n');
    std::string first = text.substr(0, newline);
    if (WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0 && !first.empty()) chosen = first;
    if (state->cancelled) return;
    platform::RunLoop::mainRunLoop().perform([state, chosen, completion] {
      if (!state->cancelled) completion(chosen);
    });
  }).detach();
  return std::make_unique<ProcessChooserSession>(backend, std::move(state));
}

std::unique_ptr<FileChooserSession> beginZenity(const std::string& program, const FileChooserRequest& r,
                                                FileChooserCompletion completion) {
  std::vector<std::string> args = {"--file-selection", "--title=" + r.title};
  if (!r.directory.empty()) args.push_back("--filename=" + r.directory + (r.directory.back() == '/' ? "" : "/"));
  if (r.chooseDirectories) args.emplace_back("--directory");
  if (!r.fileTypes.empty()) {
    std::string filter = "Media files |";
    for (const std::string& p : globPatterns(r.fileTypes)) filter += " " + p;
    args.push_back("--file-filter=" + filter);
  }
  return beginProcessChooser(FileChooserBackend::Zenity, program, std::move(args), std::move(completion));
}

std::unique_ptr<FileChooserSession> beginKDialog(const std::string& program, const FileChooserRequest& r,
                                                 FileChooserCompletion completion) {
  std::vector<std::string> args = {"--title", r.title};
  const std::string start = r.directory.empty() ? "." : r.directory;
  if (r.chooseDirectories) {
    args.insert(args.end(), {"--getexistingdirectory", start});
  } else {
    std::string filter;
    for (const std::string& p : globPatterns(r.fileTypes)) filter += (filter.empty() ? "" : " ") + p;
    args.insert(args.end(), {"--getopenfilename", start});
    if (!filter.empty()) args.push_back(filter + "|Media files");
  }
  return beginProcessChooser(FileChooserBackend::KDialog, program, std::move(args), std::move(completion));
}

}  // namespace

std::unique_ptr<FileChooserSession> beginProgramFileChooser(const FileChooserRequest& request,
                                                            FileChooserCompletion completion) {
  if (auto zenity = findOnPath("zenity"))
    if (auto session = beginZenity(*zenity, request, completion)) return session;
  if (auto kdialog = findOnPath("kdialog"))
    if (auto session = beginKDialog(*kdialog, request, completion)) return session;
  platform::log("NSOpenPanel: no file chooser on this desktop (tried the XDG desktop portal, zenity and kdialog)");
  return nullptr;
}

std::unique_ptr<FileChooserSession> beginFileChooser(const FileChooserRequest& request,
                                                     FileChooserCompletion completion) {
  if (auto session = beginPortalFileChooser(request, completion)) return session;
  return beginProgramFileChooser(request, std::move(completion));
}

}  // namespace platform::appkit
