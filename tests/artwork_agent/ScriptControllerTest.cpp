// ScriptController: lazy loading, the source twin, parameters and error information.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "ArtworkTestSupport.h"
#include "artwork_agent/ScriptController.h"
#include "platform/script/ScriptErrors.h"

using platform::PlistValue;
using platform::ScriptDescriptor;

namespace {

// Describes what open received: "string:abc", "integer:2", "count:N" first.
const char* kEchoScript = R"(
function open(args)
  local parts = {"count:" .. #args}
  for i, v in ipairs(args) do parts[#parts + 1] = (math.type(v) or type(v)) .. ":" .. tostring(v) end
  return table.concat(parts, " ")
end
return "top level")";

}  // namespace

TEST(ScriptController, SourceTwinLoadsOnceAndStaysLoaded) {
  testsupport::TempDir dir;
  std::string path = dir.file("lookup.scpt");
  cftest::writeScript(path + ".txt", "calls = (calls or 0) + 1\nfunction open(a) calls = calls + 1 return tostring(calls) end");
  ScriptController controller = ScriptController::initWithScriptFile(path);
  EXPECT_FALSE(controller.isLoaded()) << "nothing loads before the first run";

  auto first = controller.runWithParameters(ScriptParameterList{PlistValue("x")});
  ASSERT_TRUE(first);
  EXPECT_EQ(first->data(), "2");
  // The source is gone and replaced by a broken one: the loaded script is used, not reloaded.
  std::filesystem::remove(path + ".txt");
  cftest::writeScript(path + ".txt", "this does not compile");
  auto second = controller.runWithParameters(ScriptParameterList{PlistValue("x")});
  ASSERT_TRUE(second);
  EXPECT_EQ(second->data(), "3");
  EXPECT_EQ(controller.errorNumber(), 0);
}

TEST(ScriptController, CompileErrorIsKeptAndTheLoadIsRetried) {
  testsupport::TempDir dir;
  std::string path = dir.file("broken.scpt");
  cftest::writeScript(path + ".txt", "function open(a) return = end");
  ScriptController controller(path);
  testsupport::LogCapture log;
  EXPECT_FALSE(controller.runWithParameters(ScriptParameterList{PlistValue("x")}));
  EXPECT_FALSE(controller.isLoaded());
  EXPECT_EQ(controller.errorNumber(), platform::kScriptCompileError);
  EXPECT_EQ(controller.errorMessage().value_or(""), "broken.scpt.txt:1: unexpected symbol near '='");
  EXPECT_EQ(controller.briefErrorMessage().value_or(""), "unexpected symbol near '='");
  EXPECT_TRUE(log.lines().empty()) << "load errors are not logged by the controller";

  cftest::writeScript(path + ".txt", "function open(a) return 'fixed' end");
  auto result = controller.runWithParameters(ScriptParameterList{PlistValue("x")});
  ASSERT_TRUE(result);
  EXPECT_EQ(result->data(), "fixed");
  EXPECT_FALSE(controller.errorInfo());
}

TEST(ScriptController, RunErrorIsLoggedAndKept) {
  testsupport::TempDir dir;
  std::string path = dir.file("fails.lua");
  cftest::writeScript(path, "function open(a) error('no track ' .. a[1]) end");
  ScriptController controller(path);
  testsupport::LogCapture log;
  EXPECT_FALSE(controller.runWithParameters(ScriptParameterList{PlistValue("42")}));
  EXPECT_EQ(controller.errorNumber(), platform::kScriptRuntimeError);
  EXPECT_EQ(controller.briefErrorMessage().value_or(""), "no track 42");
  ASSERT_EQ(log.messages().size(), 1u);
  EXPECT_EQ(log.messages()[0],
            "ScriptController: Couldn't run script: err={NSAppleScriptErrorBriefMessage = \"no track 42\"; "
            "NSAppleScriptErrorMessage = \"fails.lua:1: no track 42\"; NSAppleScriptErrorNumber = -2700; }");
  controller.clearError();
  EXPECT_FALSE(controller.errorInfo());
  EXPECT_EQ(controller.errorNumber(), 0);
  EXPECT_FALSE(controller.errorMessage());
}

TEST(ScriptController, ParametersArriveAsStringsAndTruncatedIntegers) {
  testsupport::TempDir dir;
  std::string path = dir.file("echo.lua");
  cftest::writeScript(path, kEchoScript);
  ScriptController controller(path);

  auto echoed = controller.runWithParameters(ScriptParameterList{
      PlistValue("term"), PlistValue(2.9), PlistValue(-2.9), PlistValue(int64_t(7)), PlistValue(1e20),
      ScriptDescriptor::descriptorWithString("as is")});
  ASSERT_TRUE(echoed);
  EXPECT_EQ(echoed->data(),
            "count:6 string:term integer:2 integer:-2 integer:7 integer:2147483647 string:as is");

  // An empty list still goes to open; no list runs the top level.
  EXPECT_EQ(controller.runWithParameters(ScriptParameterList{})->data(), "count:0");
  EXPECT_EQ(controller.runWithParameters(std::nullopt)->data(), "top level");
  EXPECT_EQ(controller.run()->data(), "top level");
}

TEST(ScriptController, UnsupportedParameterThrowsBeforeAnythingRuns) {
  testsupport::TempDir dir;
  std::string path = dir.file("marks.lua");
  std::string marker = dir.file("ran");
  cftest::writeScript(path, "function open(a) io.open('" + marker + "', 'w'):close() return 'x' end");
  ScriptController controller(path);
  try {
    controller.runWithParameters(ScriptParameterList{PlistValue("ok"), PlistValue(platform::PlistData{1, 2})});
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "Script parameter is not a string or number");
  }
  EXPECT_FALSE(std::filesystem::exists(marker));
  EXPECT_THROW(controller.runWithParameters(ScriptParameterList{PlistValue(platform::PlistArray{})}),
               std::invalid_argument);
  EXPECT_TRUE(controller.runWithParameters(ScriptParameterList{PlistValue("ok")}));
  EXPECT_TRUE(std::filesystem::exists(marker));
}

TEST(ScriptController, MissingScriptIsSilent) {
  testsupport::TempDir dir;
  testsupport::LogCapture log;
  ScriptController controller(dir.file("absent.scpt"));
  EXPECT_FALSE(controller.runWithParameters(ScriptParameterList{PlistValue("x")}));
  EXPECT_FALSE(controller.errorInfo());
  EXPECT_EQ(controller.errorNumber(), 0);
  EXPECT_TRUE(log.lines().empty());

  ScriptController noPath(std::nullopt);
  EXPECT_FALSE(noPath.run());
  EXPECT_FALSE(ScriptController::initWithScriptResourceNamed("NoSuchResource").scriptPath());
}

TEST(ScriptController, CompiledFileWinsOverItsSourceTwin) {
  testsupport::TempDir dir;
  std::string path = dir.file("both.scpt");
  ASSERT_TRUE(cftest::writeCompiledScript(path, "function open(a) return 'compiled' end"));
  cftest::writeScript(path + ".txt", "function open(a) return 'source' end");
  ScriptController controller(path);
  EXPECT_EQ(controller.runWithParameters(ScriptParameterList{})->data(), "compiled");
}
