#pragma once
// Helpers of the artwork agent tests: scripts on disk, a stand-in music application under a
// unique process name, and the tool's user defaults.
#include <string>

#include "tests/support/ScriptTestSupport.h"
#include "tests/support/StandInProcess.h"
#include "tests/support/TestSupport.h"

namespace cftest {

// Writes `source` to `path` (a source or precompiled script file).
void writeScript(const std::string& path, const std::string& source);
using testsupport::mutatedChunks;
using testsupport::openEventWith;
using testsupport::writeCompiledScript;
using testsupport::writeCrashingScript;

// The music application: a program that stays up, under a name of its own.
using StandInMusicApp = testsupport::StandInProcess;

// Points the tool's user defaults at a music application (process name and launch path).
void setMusicApplication(const std::string& processName, const std::string& path);
void setDefault(const std::string& key, long long value);

}  // namespace cftest
