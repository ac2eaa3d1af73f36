#pragma once
// Running processes by name (/proc/PID/comm) and launching an application hidden.
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform {

// Live processes (zombies excluded) whose /proc/PID/comm equals `name`. The kernel keeps at most
// 15 bytes of a name, so a longer name is compared by its first 15 bytes. Processes whose
// information can't be read are skipped.
std::vector<pid_t> processesNamed(const std::string& name);
bool isProcessRunning(const std::string& name);

// Starts `programPath` without arguments, detached (own session, standard streams on /dev/null,
// no inherited descriptors) and waits until a process called `processName` runs and is still
// running a moment (150 ms) later. Fails when the
// program can't be started, exits with a non-zero status or by a signal, or no such process
// appears within `timeoutSeconds` (a launcher that exits with status 0 is waited out until then).
bool launchApplicationHidden(const std::string& programPath, const std::string& processName,
                             double timeoutSeconds = 10.0);

}  // namespace platform
