// Every run happens in a child process of its own: what a script may use, and crashes, hangs and
// closed standard streams that end the run but never reach the caller.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/script/Script.h"
#include "tests/support/ScriptTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace platform;

namespace {

std::unique_ptr<Script> compiled(const std::string& source) {
  auto script = std::make_unique<Script>(source, "test.lua");
  ScriptErrorInfo error;
  EXPECT_TRUE(script->compile(error)) << (error ? describeErrorInfo(*error) : "");
  return script;
}

int64_t errorNumber(const ScriptErrorInfo& e) { return e ? e->find(kScriptErrorNumberKey)->integer() : 0; }
std::string message(const ScriptErrorInfo& e) { return e ? e->find(kScriptErrorMessageKey)->string() : ""; }

// The handler's answer as text, or "error: <message>".
std::string ask(Script& script, const std::vector<std::string>& args) {
  ScriptErrorInfo error;
  auto result = script.executeAppleEvent(testsupport::openEventWith(args), error);
  if (error) return "error: " + message(error);
  return result ? result->data() : "<nothing>";
}

}  // namespace

TEST(ScriptIsolation, LibrariesOfALookupScript) {
  testsupport::TempDir dir;
  const std::string p = dir.path();
  testsupport::writeFile(dir.file("b.txt"), "bee");
  testsupport::writeFile(dir.file("a.txt"), "ay");
  testsupport::writeFile(dir.file("code.lua"), "return 'from dofile'");
  ASSERT_EQ(mkdir(dir.file("sub").c_str(), 0755), 0);
  ASSERT_EQ(symlink("a.txt", dir.file("link").c_str()), 0);
  auto script = compiled(R"(
    function open(a)
      local m, p = a[1], a[2]
      if m == "list" then return table.concat(fs.list(p), ",") end
      if m == "types" then
        local out = {}
        for _, n in ipairs(fs.list(p)) do out[#out + 1] = n .. "=" .. fs.type(p .. "/" .. n) end
        out[#out + 1] = tostring(fs.type(p .. "/none"))
        return table.concat(out, ",")
      end
      if m == "listerror" then local ok, msg = fs.list(p .. "/none") return tostring(ok) .. " " .. msg end
      if m == "read" then local f = assert(io.open(p .. "/b.txt", "rb")) local s = f:read("a") f:close() return s end
      if m == "os" then return type(os.getenv("HOME")) .. " " .. type(os.time()) .. " " .. type(os.clock()) end
      if m == "textload" then return load("return 6 * 7")() end
      if m == "dofile" then return dofile(p .. "/code.lua") end
      if m == "binaryload" then
        local f, msg = load(string.dump(function() return 1 end))
        return tostring(f) .. " " .. msg
      end
      if m == "binaryloadfile" then
        local out = assert(io.open(p .. "/chunk", "wb")) out:write(string.dump(function() return 1 end)) out:close()
        local f, msg = loadfile(p .. "/chunk")
        return tostring(f) .. " " .. msg
      end
      if m == "package" then return tostring(package) end
      if m == "traceback" then return (debug.traceback("here"):match("^here")) end
      if m == "execute" then os.execute("true") end
      if m == "popen" then io.popen("true") end
      if m == "exit" then os.exit(1) end
      if m == "require" then require("io") end
      if m == "setlocale" then os.setlocale("C") end
      if m == "getinfo" then debug.getinfo(1) end
      if m == "getregistry" then debug.getregistry() end
      return "?"
    end)");
  EXPECT_EQ(ask(*script, {"list", p}), "a.txt,b.txt,code.lua,link,sub");
  EXPECT_EQ(ask(*script, {"types", p}), "a.txt=file,b.txt=file,code.lua=file,link=link,sub=folder,nil");
  EXPECT_EQ(ask(*script, {"listerror", p}), "nil " + p + "/none: No such file or directory");
  EXPECT_EQ(ask(*script, {"read", p}), "bee");
  EXPECT_EQ(ask(*script, {"os", p}), "string number number");
  EXPECT_EQ(ask(*script, {"textload", p}), "42");
  EXPECT_EQ(ask(*script, {"dofile", p}), "from dofile");
  EXPECT_EQ(ask(*script, {"binaryload", p}), "nil attempt to load a binary chunk (mode is 't')");
  EXPECT_EQ(ask(*script, {"binaryloadfile", p}), "nil attempt to load a binary chunk (mode is 't')");
  EXPECT_EQ(ask(*script, {"package", p}), "nil");
  EXPECT_EQ(ask(*script, {"traceback", p}), "here");
  const std::pair<const char*, const char*> refused[] = {
      {"execute", "os.execute"}, {"popen", "io.popen"},   {"exit", "os.exit"},           {"require", "require"},
      {"setlocale", "os.setlocale"}, {"getinfo", "debug.getinfo"}, {"getregistry", "debug.getregistry"}};
  for (const auto& [mode, name] : refused)
    EXPECT_NE(ask(*script, {mode, p}).find(std::string(name) + " is not available to scripts"), std::string::npos)
        << mode;
}

TEST(ScriptIsolation, TimeLimitsEndRunsThatNeverReturn) {
  testsupport::TempDir dir;
  ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
  auto script = compiled(R"(
    function open(a)
      if a[1] == "fifo" then io.open(a[2]) end  -- nobody writes: the open never returns
      if a[1] == "backtrack" then return tostring(("a"):rep(20000):find(".-.-.-.-.-b")) end
      return "ok"
    end)");
  // Waiting on the FIFO takes no processor time: the wall clock ends it.
  script->setTimeLimit(1);
  script->setProcessorTimeLimit(30);
  ScriptErrorInfo error;
  EXPECT_FALSE(script->executeAppleEvent(testsupport::openEventWith({"fifo", dir.file("fifo")}), error));
  EXPECT_EQ(errorNumber(error), kScriptLimitExceeded);
  EXPECT_EQ(message(error), "script stopped: it ran for more than 1 second");
  // Backtracking inside string.find runs no instructions of the budget: processor time ends it.
  script->setTimeLimit(60);
  script->setProcessorTimeLimit(1);
  error.reset();
  EXPECT_FALSE(script->executeAppleEvent(testsupport::openEventWith({"backtrack"}), error));
  EXPECT_EQ(errorNumber(error), kScriptLimitExceeded);
  EXPECT_EQ(message(error), "script stopped: it used more than 1 second of processor time");
  EXPECT_EQ(ask(*script, {"other"}), "ok");
}

TEST(ScriptIsolation, BadBytecodeCrashesOnlyItsOwnRun) {
  testsupport::TempDir dir;
  // Bytecode that crashes the interpreter for certain: the run fails naming the signal.
  ASSERT_TRUE(testsupport::writeCrashingScript(dir.file("crash.luac")));
  {
    ScriptErrorInfo error;
    auto crash = Script::loadFromFile(dir.file("crash.luac"), error);
    ASSERT_TRUE(crash) << (error ? describeErrorInfo(*error) : "");
    EXPECT_EQ(ask(*crash, {"x"}), "error: script stopped: its process was ended by signal SIGSEGV (Segmentation fault)");
    error.reset();
    EXPECT_FALSE(crash->executeAppleEvent(testsupport::openEventWith({"x"}), error)) << "and again in a new process";
    EXPECT_EQ(errorNumber(error), kScriptProcessFailed);
  }
  // Randomly damaged chunks: each one loads or is refused, and each run ends with an outcome.
  ASSERT_TRUE(testsupport::writeCompiledScript(dir.file("good.luac"), R"(
    local t = {}
    for i = 1, 40 do t[i] = string.rep("x", i) .. tostring(i) end
    local function size(s) return #s + 1 end
    function open(a)
      local n = 0
      for _, v in ipairs(t) do n = n + size(v) end
      return tostring(n) .. a[1]
    end)"));
  const std::string chunk = testsupport::readFile(dir.file("good.luac"));
  int loaded = 0, crashed = 0, answered = 0;
  int n = 0;
  for (const std::string& mutant : testsupport::mutatedChunks(chunk, 60, 18)) {
    const std::string path = dir.file("m" + std::to_string(n++) + ".luac");
    testsupport::writeFile(path, mutant);
    ScriptErrorInfo error;
    auto script = Script::loadFromFile(path, error);  // read here, in this process
    if (!script) {
      // Damage the loader sees, or sizes past the memory budget.
      EXPECT_TRUE(errorNumber(error) == kScriptCompileError || errorNumber(error) == kScriptOutOfMemory) << path;
      continue;
    }
    ++loaded;
    script->setInstructionLimit(10'000'000);
    script->setTimeLimit(5);
    script->setProcessorTimeLimit(2);
    auto result = script->executeAppleEvent(testsupport::openEventWith({"!"}), error);
    if (result) ++answered;
    if (errorNumber(error) == kScriptProcessFailed) {
      EXPECT_NE(message(error).find("signal SIG"), std::string::npos) << message(error);
      ++crashed;
    }
  }
  std::printf("%d of 60 mutants loaded, %d answered, %d crashed their run\n", loaded, answered, crashed);
  // This process is still here and runs scripts.
  ScriptErrorInfo error;
  auto good = Script::loadFromFile(dir.file("good.luac"), error);
  ASSERT_TRUE(good);
  EXPECT_EQ(ask(*good, {"!"}), "931!");
}

TEST(ScriptIsolation, ClosingTheStandardStreamsClosesNothingHere) {
  struct stat before1 {}, before2 {}, after1 {}, after2 {};
  ASSERT_EQ(fstat(1, &before1), 0);
  ASSERT_EQ(fstat(2, &before2), 0);
  auto script = compiled("function open(a) io.stdout:close() io.stderr:close() return 'still here' end");
  EXPECT_EQ(ask(*script, {}), "still here");
  ASSERT_EQ(fstat(1, &after1), 0) << "standard output closed";
  ASSERT_EQ(fstat(2, &after2), 0) << "standard error closed";
  EXPECT_EQ(before1.st_ino, after1.st_ino);
  EXPECT_EQ(before2.st_ino, after2.st_ino);
  EXPECT_GE(std::fprintf(stdout, "%s", ""), 0);
}

TEST(ScriptIsolation, DeepRecursionEndsTheRunWithAnError) {
  auto script = compiled(R"(
    function open(a)
      if a[1] == "lua" then local function f(n) return f(n + 1) + 1 end return f(1) end
      if a[1] == "metamethod" then
        local t = setmetatable({}, {__index = function(t, k) return t[k] end})
        return t.x
      end
      if a[1] == "gsub" then local function g(s) return (s:gsub(".", g)) end return g("ab") end
    end)");
  for (const char* mode : {"lua", "metamethod", "gsub"}) {
    std::string answer = ask(*script, {mode});
    EXPECT_EQ(answer.rfind("error: ", 0), 0u) << mode;
    EXPECT_NE(answer.find("stack overflow"), std::string::npos) << mode << ": " << answer;
  }
}
