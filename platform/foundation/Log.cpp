#include "Log.h"

#include <cstdio>
#include <ctime>
#include <mutex>
#include <sys/syscall.h>
#include <sys/time.h>
#include <syslog.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

std::mutex gMutex;
std::string gProcessName;
LogSink gSink = nullptr;
void* gSinkContext = nullptr;
bool gSyslogOpen = false;

std::string defaultProcessName() {
  char buf[256];
  FILE* f = std::fopen("/proc/self/comm", "r");
  if (f) {
    if (std::fgets(buf, sizeof buf, f)) {
      std::fclose(f);
      std::string s(buf);
      while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
      return s;
    }
    std::fclose(f);
  }
  return "process";
}

std::string formatMessage(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n <= 0) return {};
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  std::vsnprintf(buf.data(), buf.size(), format, args);
  return std::string(buf.data(), static_cast<size_t>(n));
}

}  // namespace

void setLogProcessName(const std::string& name) {
  std::lock_guard<std::mutex> lock(gMutex);
  gProcessName = name;
}

const std::string& logProcessName() {
  std::lock_guard<std::mutex> lock(gMutex);
  if (gProcessName.empty()) gProcessName = defaultProcessName();
  return gProcessName;
}

void setLogSink(LogSink sink, void* context) {
  std::lock_guard<std::mutex> lock(gMutex);
  gSink = sink;
  gSinkContext = context;
}

void logv(const char* format, va_list args) {
  std::string message = formatMessage(format, args);
  const std::string& name = logProcessName();

  struct timeval tv;
  gettimeofday(&tv, nullptr);
  struct tm tmv;
  localtime_r(&tv.tv_sec, &tmv);
  char stamp[64];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tmv);

  char prefix[160];
  std::snprintf(prefix, sizeof prefix, "%s.%03ld %s[%d:%ld] ", stamp, static_cast<long>(tv.tv_usec / 1000),
                name.c_str(), static_cast<int>(getpid()), static_cast<long>(syscall(SYS_gettid)));
  // Always ends the line, so a message that ends in a line end leaves an empty line after it.
  std::string line = prefix + message + "\n";

  std::lock_guard<std::mutex> lock(gMutex);
  if (gSink) {
    gSink(line, gSinkContext);
    return;
  }
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  if (!gSyslogOpen) {
    openlog(gProcessName.c_str(), LOG_PID | LOG_NDELAY, LOG_USER);
    gSyslogOpen = true;
  }
  syslog(LOG_NOTICE, "%s", message.c_str());
}

void log(const char* format, ...) {
  va_list args;
  va_start(args, format);
  logv(format, args);
  va_end(args);
}

}  // namespace platform
