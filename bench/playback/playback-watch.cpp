// playback-watch: starts a player and watches the X screen.
//
//   playback-watch --pixel X,Y --color R,G,B [--tolerance N] [--seconds S] [--quit KEYS] -- PROGRAM ARGS...
//
// Prints the seconds from the start to the first time the screen pixel (X, Y) shows the colour
// (each channel within the tolerance), then the program's CPU time (user + system) per second
// over the next S seconds of playback. With --quit it then focuses the program's window and
// types KEYS (xdotool syntax) and waits for the program to end; else it ends it with SIGTERM.
// The program's standard output goes to standard error.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream rest(text.substr(close + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  // Fields after the name: state (3) ... utime (14), stime (15).
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) stime = std::stoull(field);
  }
  return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

bool parsePair(const char* text, int& a, int& b) { return std::sscanf(text, "%d,%d", &a, &b) == 2; }

}  // namespace

int main(int argc, char** argv) {
  int px = -1, py = -1, r = -1, g = -1, b = -1, tolerance = 40;
  double seconds = 10;
  std::string quit;
  int i = 1;
  for (; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--") {
      ++i;
      break;
    }
    if (i + 1 >= argc) break;
    if (a == "--pixel") parsePair(argv[++i], px, py);
    else if (a == "--color") std::sscanf(argv[++i], "%d,%d,%d", &r, &g, &b);
    else if (a == "--tolerance") tolerance = std::atoi(argv[++i]);
    else if (a == "--seconds") seconds = std::atof(argv[++i]);
    else if (a == "--quit") quit = argv[++i];
  }
  if (i >= argc || px < 0 || r < 0) {
    std::fprintf(stderr, "usage: playback-watch --pixel X,Y --color R,G,B [--tolerance N] [--seconds S] "
                         "[--quit KEYS] -- PROGRAM ARGS...\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "playback-watch: no X display\n");
    return 2;
  }
  const Window root = DefaultRootWindow(display);

  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(2, 1);
    execvp(argv[i], argv + i);
    std::perror("playback-watch: exec");
    _exit(127);
  }
  double firstPicture = -1;
  while (Clock::now() - start < std::chrono::seconds(30)) {
    XImage* image = XGetImage(display, root, px, py, 1, 1, AllPlanes, ZPixmap);
    if (image) {
      const unsigned long p = XGetPixel(image, 0, 0);
      XDestroyImage(image);
      const int pr = int((p >> 16) & 0xFF), pg = int((p >> 8) & 0xFF), pb = int(p & 0xFF);
      if (std::abs(pr - r) <= tolerance && std::abs(pg - g) <= tolerance && std::abs(pb - b) <= tolerance) {
        firstPicture = std::chrono::duration<double>(Clock::now() - start).count();
        break;
      }
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      std::fprintf(stderr, "playback-watch: the player ended before showing a picture\n");
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (firstPicture < 0) {
    std::fprintf(stderr, "playback-watch: no picture at (%d, %d) within 30 s\n", px, py);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return 1;
  }
  const double cpu0 = cpuSeconds(pid);
  const auto t0 = Clock::now();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  const double cpu1 = cpuSeconds(pid);
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  std::printf("first-picture %.4f\ncpu-per-second %.4f\n", firstPicture, (cpu1 - cpu0) / wall);
  std::fflush(stdout);

  if (!quit.empty()) {
    const std::string command = "xdotool search --sync --onlyvisible --pid " + std::to_string(pid) +
                                " windowfocus key --clearmodifiers " + quit + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "playback-watch: could not type %s\n", quit.c_str());
  } else {
    kill(pid, SIGTERM);
  }
  for (int tries = 0; tries < 200; ++tries) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::fprintf(stderr, "playback-watch: the player did not quit; killed\n");
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return 1;
}
