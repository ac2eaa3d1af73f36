#include "tests/support/ScriptTestSupport.h"

#include <filesystem>

#include "tests/support/TestSupport.h"

namespace testsupport {

bool writeCompiledScript(const std::string& path, const std::string& source) {
  const std::string sourcePath = path + ".src.lua";
  writeFile(sourcePath, source);
  const RunResult r = run(MT_LUAC, {"-o", path, sourcePath});
  std::filesystem::remove(sourcePath);
  return r.status == 0;
}

}  // namespace testsupport
