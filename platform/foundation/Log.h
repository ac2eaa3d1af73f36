#pragma once
// NSLog stand-in: one line on standard error ("date time process[pid:tid] message") and in syslog.
#include <cstdarg>
#include <string>

namespace platform {

// printf-style; a line end is always added, so a message ending in "\n" is followed by an empty line.
void log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logv(const char* format, va_list args);

// Name used in the line prefix; defaults to the executable's name.
void setLogProcessName(const std::string& name);
const std::string& logProcessName();

// Tests capture lines here instead of (not in addition to) standard error.
using LogSink = void (*)(const std::string& line, void* context);
void setLogSink(LogSink sink, void* context);

}  // namespace platform
