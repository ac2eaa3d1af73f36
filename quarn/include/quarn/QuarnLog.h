#pragma once
// Where the framework's log lines go. Ordinary failures (an image that does not load, an unknown
// mode name, a context that cannot be made) give an empty result and one line here; programming
// errors (an index out of range) throw std::out_of_range. Lines go to standard error and the
// system log, each as "date time process[pid:tid] message".
#include <string>

// Receives each whole line instead of standard error and the system log; null restores them.
using QuarnLogSink = void (*)(const std::string& line, void* context);
void QuarnSetLogSink(QuarnLogSink sink, void* context);
