#include "tests/support/ScriptTestSupport.h"

#include <filesystem>
#include <random>

#include "tests/support/TestSupport.h"

namespace testsupport {

bool writeCompiledScript(const std::string& path, const std::string& source) {
  const std::string sourcePath = path + ".src.lua";
  writeFile(sourcePath, source);
  const RunResult r = run(MT_LUAC, {"-o", path, sourcePath});
  std::filesystem::remove(sourcePath);
  return r.status == 0;
}

std::vector<std::string> mutatedChunks(const std::string& chunk, int count, unsigned seed) {
  // The header (signature, version, format, check bytes, sizes, test integer and number, 32
  // bytes in Lua 5.4) is checked by the loader; the code after it is not.
  constexpr size_t kHeader = 32;
  std::vector<std::string> out;
  std::mt19937 rng(seed);
  for (int i = 0; i < count && chunk.size() > kHeader; ++i) {
    std::string m = chunk;
    int edits = 1 + int(rng() % 3);
    for (int e = 0; e < edits; ++e) m[kHeader + rng() % (m.size() - kHeader)] = static_cast<char>(rng());
    out.push_back(std::move(m));
  }
  return out;
}

bool writeCrashingScript(const std::string& path) {
  // "return t[K]" compiles to LOADK then GETTABLE 1 1 2 (bytes 8c 00 01 02); GETFIELD 1 1 0
  // (8e 00 01 00) takes constant 0, the integer 0x4141414141414141, for a string.
  if (!writeCompiledScript(path, "local t = {}\nfunction open(a) return t[0x4141414141414141] end\n")) return false;
  std::string chunk = testsupport::readFile(path);
  const std::string getTable("\x8c\x00\x01\x02", 4), getField("\x8e\x00\x01\x00", 4);
  size_t at = chunk.find(getTable);
  if (at == std::string::npos || chunk.find(getTable, at + 1) != std::string::npos) return false;
  chunk.replace(at, 4, getField);
  testsupport::writeFile(path, chunk);
  return true;
}

platform::ScriptDescriptor openEventWith(const std::vector<std::string>& strings) {
  using platform::ScriptDescriptor;
  ScriptDescriptor list = ScriptDescriptor::listDescriptor();
  for (size_t i = 0; i < strings.size(); ++i) list.insertDescriptor(ScriptDescriptor::descriptorWithString(strings[i]), i + 1);
  ScriptDescriptor event = ScriptDescriptor::appleEvent(platform::kCoreEventClass, platform::kAEOpenDocuments,
                                                        ScriptDescriptor::nullDescriptor(), 0, 0);
  event.setDescriptor(std::move(list), platform::kKeyDirectObject);
  return event;
}

}  // namespace testsupport
