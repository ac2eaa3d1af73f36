#pragma once
// Scripts for the script-layer and artwork-agent tests.
#include <string>

namespace testsupport {

// Precompiles Lua `source` with luac into `path`; true when luac succeeded.
bool writeCompiledScript(const std::string& path, const std::string& source);

}  // namespace testsupport
