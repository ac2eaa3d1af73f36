// The Lua script engine: loading, results, event delivery, errors and run budgets.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/script/Script.h"
#include "tests/support/ScriptTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace platform;

namespace {

ScriptDescriptor openEvent(const ScriptDescriptor& list) {
  ScriptDescriptor event = ScriptDescriptor::appleEvent(kCoreEventClass, kAEOpenDocuments,
                                                        ScriptDescriptor::nullDescriptor(), 0, 0);
  event.setDescriptor(list, kKeyDirectObject);
  return event;
}

std::unique_ptr<Script> compiled(const std::string& source) {
  auto script = std::make_unique<Script>(source, "test.lua");
  ScriptErrorInfo error;
  EXPECT_TRUE(script->compile(error)) << (error ? describeErrorInfo(*error) : "");
  return script;
}

int64_t errorNumber(const ScriptErrorInfo& e) { return e ? e->find(kScriptErrorNumberKey)->integer() : 0; }
std::string errorText(const ScriptErrorInfo& e, const char* key) { return e ? e->find(key)->string() : ""; }

}  // namespace

TEST(ScriptDescriptor, ListsCountFromOneAndEventsKeepKeywords) {
  ScriptDescriptor list = ScriptDescriptor::listDescriptor();
  list.insertDescriptor(ScriptDescriptor::descriptorWithString("b"), 1);
  list.insertDescriptor(ScriptDescriptor::descriptorWithString("a"), 1);  // before "b"
  list.insertDescriptor(ScriptDescriptor::descriptorWithInt32(-7), 9);    // past the end: appended
  ASSERT_EQ(list.numberOfItems(), 3u);
  EXPECT_EQ(list.descriptorAtIndex(1)->stringValue(), "a");
  EXPECT_EQ(list.descriptorAtIndex(2)->stringValue(), "b");
  EXPECT_EQ(list.descriptorAtIndex(3)->int32Value(), -7);
  EXPECT_EQ(list.descriptorAtIndex(0), nullptr);
  EXPECT_EQ(list.descriptorAtIndex(4), nullptr);

  ScriptDescriptor event = openEvent(list);
  EXPECT_EQ(event.eventClass(), 0x61657674u);
  EXPECT_EQ(event.eventID(), 0x6F646F63u);
  EXPECT_EQ(kKeyDirectObject, 0x2D2D2D2Du);
  event.setDescriptor(ScriptDescriptor::listDescriptor(), kKeyDirectObject);
  EXPECT_EQ(event.descriptorForKeyword(kKeyDirectObject)->numberOfItems(), 0u);
  EXPECT_EQ(event.descriptorForKeyword(fourCharCode("xxxx")), nullptr);
}

TEST(Script, ResultsAreBytesOrTextOrNothing) {
  auto script = compiled(R"(
    mode = ...
    function open(args)
      local m = args[1]
      if m == "bytes" then return "a\0b\255" end
      if m == "int" then return 42 end
      if m == "float" then return 2.5 end
      if m == "bool" then return true end
      if m == "table" then return {} end
      return nil
    end
    return "top", "second")");
  ScriptErrorInfo error;
  auto top = script->execute(error);
  ASSERT_TRUE(top);
  EXPECT_EQ(top->data(), "top");

  auto ask = [&](const char* mode) {
    ScriptDescriptor list = ScriptDescriptor::listDescriptor();
    list.insertDescriptor(ScriptDescriptor::descriptorWithString(mode), 1);
    error.reset();
    return script->executeAppleEvent(openEvent(list), error);
  };
  auto bytes = ask("bytes");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->data(), std::string("a\0b\xff", 4));
  EXPECT_EQ(bytes->descriptorType(), kTypeData);
  EXPECT_EQ(ask("int")->data(), "42");
  EXPECT_EQ(ask("float")->data(), "2.5");
  EXPECT_EQ(ask("bool")->data(), "true");
  EXPECT_FALSE(ask("nil"));
  EXPECT_FALSE(error);
  EXPECT_FALSE(ask("table"));
  EXPECT_EQ(errorNumber(error), kScriptRuntimeError);
  EXPECT_NE(errorText(error, kScriptErrorMessageKey).find("table"), std::string::npos);
}

TEST(Script, PrecompiledChunksLoadFromFiles) {
  testsupport::TempDir dir;
  ASSERT_TRUE(testsupport::writeCompiledScript(dir.file("c.luac"), "function open(a) return a[1] .. '!' end return 7"));
  ScriptErrorInfo error;
  auto script = Script::loadFromFile(dir.file("c.luac"), error);
  ASSERT_TRUE(script);
  EXPECT_FALSE(error);
  ScriptDescriptor list = ScriptDescriptor::listDescriptor();
  list.insertDescriptor(ScriptDescriptor::descriptorWithString("hi"), 1);
  EXPECT_EQ(script->executeAppleEvent(openEvent(list), error)->data(), "hi!");
  EXPECT_EQ(script->execute(error)->data(), "7");

  // A damaged chunk, a source with a syntax error, a folder: load errors, nothing loaded.
  std::string chunk = testsupport::readFile(dir.file("c.luac"));
  testsupport::writeFile(dir.file("cut.luac"), chunk.substr(0, chunk.size() / 2));
  EXPECT_FALSE(Script::loadFromFile(dir.file("cut.luac"), error));
  EXPECT_EQ(errorNumber(error), kScriptCompileError);
  EXPECT_NE(errorText(error, kScriptErrorMessageKey).find("truncated"), std::string::npos);
  error.reset();
  EXPECT_FALSE(Script::loadFromFile(dir.path(), error));
  EXPECT_EQ(errorNumber(error), kScriptFileUnreadable);

  // Source text compiles from source only: a precompiled chunk given as source is refused.
  Script fromSource(chunk, "c.txt");
  error.reset();
  EXPECT_FALSE(fromSource.compile(error));
  EXPECT_EQ(errorNumber(error), kScriptCompileError);
}

TEST(Script, ErrorsCarryNumberMessageAndBriefMessage) {
  ScriptErrorInfo error;
  Script broken("function open(a)\n  x = = 1\nend", "broken.lua");
  EXPECT_FALSE(broken.compile(error));
  EXPECT_EQ(errorNumber(error), kScriptCompileError);
  EXPECT_EQ(errorText(error, kScriptErrorMessageKey), "broken.lua:2: unexpected symbol near '='");
  EXPECT_EQ(errorText(error, kScriptErrorBriefMessageKey), "unexpected symbol near '='");

  auto script = compiled(R"(
    function open(a)
      if a[1] == "own" then error({number = -128, message = "User canceled."}) end
      error("boom")
    end)");
  ScriptDescriptor list = ScriptDescriptor::listDescriptor();
  list.insertDescriptor(ScriptDescriptor::descriptorWithString("x"), 1);
  error.reset();
  EXPECT_FALSE(script->executeAppleEvent(openEvent(list), error));
  EXPECT_EQ(errorNumber(error), kScriptRuntimeError);
  EXPECT_EQ(errorText(error, kScriptErrorMessageKey), "test.lua:4: boom");
  EXPECT_EQ(errorText(error, kScriptErrorBriefMessageKey), "boom");
  EXPECT_EQ(describeErrorInfo(*error),
            "{NSAppleScriptErrorBriefMessage = boom; NSAppleScriptErrorMessage = \"test.lua:4: boom\"; "
            "NSAppleScriptErrorNumber = -2700; }");

  ScriptDescriptor own = ScriptDescriptor::listDescriptor();
  own.insertDescriptor(ScriptDescriptor::descriptorWithString("own"), 1);
  error.reset();
  EXPECT_FALSE(script->executeAppleEvent(openEvent(own), error));
  EXPECT_EQ(errorNumber(error), -128);
  EXPECT_EQ(errorText(error, kScriptErrorMessageKey), "User canceled.");

  auto noHandler = compiled("x = 1");
  error.reset();
  EXPECT_FALSE(noHandler->executeAppleEvent(openEvent(list), error));
  EXPECT_EQ(errorNumber(error), kScriptHandlerMissing);
  EXPECT_EQ(errorText(error, kScriptErrorMessageKey), "test.lua doesn't understand the open message");
}

TEST(Script, TopLevelRunsOnceAndStateCarriesOverBetweenRuns) {
  testsupport::TempDir dir;
  ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
  auto script = compiled(
      "runs = (runs or 0) + 1\n"
      "function open(a) if a[1] then io.open(a[1]) end calls = (calls or 0) + 1 return runs .. ':' .. calls end\n"
      "return runs");
  ScriptErrorInfo error;
  EXPECT_EQ(script->execute(error)->data(), "1");
  EXPECT_EQ(script->executeAppleEvent(openEvent(ScriptDescriptor::listDescriptor()), error)->data(), "1:1");
  EXPECT_EQ(script->executeAppleEvent(openEvent(ScriptDescriptor::listDescriptor()), error)->data(), "1:2");
  EXPECT_FALSE(error);
  // A run that ends its process (here at the time limit, waiting on a FIFO) leaves the next run a
  // fresh copy of the loaded script.
  script->setTimeLimit(0.5);
  EXPECT_FALSE(script->executeAppleEvent(testsupport::openEventWith({dir.file("fifo")}), error));
  EXPECT_EQ(errorNumber(error), kScriptLimitExceeded);
  error.reset();
  EXPECT_EQ(script->executeAppleEvent(openEvent(ScriptDescriptor::listDescriptor()), error)->data(), "1:1");
}

TEST(Script, RunawayScriptsStopAtTheInstructionBudget) {
  // pcall in a loop catches the budget error; the loop itself must still be stopped.
  auto script = compiled(R"(
    function open(a)
      if a[1] == "spin" then
        while true do pcall(function() while true do end end) end
      end
      return "done"
    end)");
  script->setInstructionLimit(2'000'000);
  ScriptErrorInfo error;
  ScriptDescriptor spin = ScriptDescriptor::listDescriptor();
  spin.insertDescriptor(ScriptDescriptor::descriptorWithString("spin"), 1);
  EXPECT_FALSE(script->executeAppleEvent(openEvent(spin), error));
  EXPECT_EQ(errorNumber(error), kScriptLimitExceeded);
  EXPECT_NE(errorText(error, kScriptErrorMessageKey).find("2000000 instructions"), std::string::npos);

  // The budget is per run: the same script answers the next call.
  error.reset();
  auto again = script->executeAppleEvent(openEvent(ScriptDescriptor::listDescriptor()), error);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->data(), "done");
}

TEST(Script, TheBudgetStopsARunNearItsCount) {
  // An empty numeric loop takes one instruction per turn: a tenth of the budget passes, three
  // times the budget does not.
  auto script = compiled("function open(a) for i = 1, a[1] do end return 'done' end");
  script->setInstructionLimit(1'000'000);
  auto turns = [&](int32_t n, ScriptErrorInfo& error) {
    ScriptDescriptor list = ScriptDescriptor::listDescriptor();
    list.insertDescriptor(ScriptDescriptor::descriptorWithInt32(n), 1);
    return script->executeAppleEvent(openEvent(list), error);
  };
  ScriptErrorInfo error;
  auto small = turns(100'000, error);
  ASSERT_TRUE(small) << (error ? describeErrorInfo(*error) : "");
  EXPECT_EQ(small->data(), "done");
  EXPECT_FALSE(turns(3'000'000, error));
  EXPECT_EQ(errorNumber(error), kScriptLimitExceeded);
  EXPECT_NE(errorText(error, kScriptErrorMessageKey).find("1000000 instructions"), std::string::npos);
}

TEST(Script, MemoryIsBoundedAndHostEscapesAreClosed) {
  auto script = compiled(R"(
    function open(a)
      local m = a[1]
      if m == "memory" then local t = {} for i = 1, 100 do t[i] = string.rep("x", 1 << 20) .. i end end
      if m == "greedy" then
        -- catches every refusal and asks again
        local t = {}
        while true do pcall(function() t[#t + 1] = string.rep("x", 1 << 20) .. #t end) end
      end
      if m == "half" then return string.rep("y", 7 << 20) end
      if m == "sethook" then debug.sethook() end
      if m == "exit" then os.exit(3) end
      return "ok"
    end)");
  script->setMemoryLimit(16 << 20);
  for (const char* mode : {"memory", "greedy", "sethook", "exit"}) {
    ScriptDescriptor list = ScriptDescriptor::listDescriptor();
    list.insertDescriptor(ScriptDescriptor::descriptorWithString(mode), 1);
    ScriptErrorInfo error;
    EXPECT_FALSE(script->executeAppleEvent(openEvent(list), error)) << mode;
    if (std::string(mode) == "memory" || std::string(mode) == "greedy") {
      EXPECT_EQ(errorNumber(error), kScriptOutOfMemory) << mode;
      EXPECT_EQ(errorText(error, kScriptErrorMessageKey), "script stopped: it asked for more than its 16 MiB of memory");
    } else {
      EXPECT_NE(errorText(error, kScriptErrorMessageKey).find("not available to scripts"), std::string::npos);
    }
  }
  // Building a string takes twice its size: a result of nearly half the budget comes back whole.
  ScriptDescriptor half = ScriptDescriptor::listDescriptor();
  half.insertDescriptor(ScriptDescriptor::descriptorWithString("half"), 1);
  ScriptErrorInfo error;
  auto big = script->executeAppleEvent(openEvent(half), error);
  ASSERT_TRUE(big) << (error ? describeErrorInfo(*error) : "");
  EXPECT_EQ(big->data(), std::string(7 << 20, 'y'));
  EXPECT_EQ(script->executeAppleEvent(openEvent(ScriptDescriptor::listDescriptor()), error)->data(), "ok");
}
