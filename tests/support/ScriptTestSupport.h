#pragma once
// Scripts for the script-layer and artwork-agent tests.
#include <string>
#include <vector>

#include "platform/script/ScriptDescriptor.h"

namespace testsupport {

// Precompiles Lua `source` with luac into `path`; true when luac succeeded.
bool writeCompiledScript(const std::string& path, const std::string& source);
// `count` copies of a precompiled chunk, each with one to three bytes past its header changed,
// the same ones for the same seed.
std::vector<std::string> mutatedChunks(const std::string& chunk, int count, unsigned seed);
// A precompiled lookup script whose open handler crashes the interpreter for certain: one
// instruction is changed to read a table with an integer constant taken as a string, whose
// "pointer" no process maps. False when luac gave other code than expected.
bool writeCrashingScript(const std::string& path);
// An Open Documents event whose direct object lists the strings.
platform::ScriptDescriptor openEventWith(const std::vector<std::string>& strings);

}  // namespace testsupport
