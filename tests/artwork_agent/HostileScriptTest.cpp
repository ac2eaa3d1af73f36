// Coverfetch against lookup scripts that crash, hang, hoard memory or close its streams: each run
// ends with status 0, the results file written, and a log line naming the limit or the signal.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "ArtworkTestSupport.h"
#include "artwork_agent/MusicApplication.h"
#include "platform/foundation/PropertyList.h"

using testsupport::RunResult;

namespace {

class HostileScript : public ::testing::Test {
 protected:
  testsupport::ScopedHome home;
  testsupport::TempDir dir;
  cftest::StandInMusicApp app{dir};
  std::string results = dir.file("results.plist");

  void SetUp() override {
    cftest::setMusicApplication(app.name(), app.path());
    ASSERT_TRUE(app.start());
  }

  // A lookup script whose open handler is `body`, as source at path + ".txt".
  std::string script(const std::string& name, const std::string& body) {
    std::string path = dir.file(name + ".scpt");
    cftest::writeScript(path + ".txt", "function open(args)\n" + body + "\nend\n");
    return path;
  }

  RunResult coverfetch(const std::string& scriptPath) {
    std::filesystem::remove(results);
    RunResult r = testsupport::run(testsupport::binPath("Coverfetch"), {"a track", scriptPath, results, "verbose"}, {}, 120);
    std::printf("%s: status %d, %.2f s, peak %ld KB\n", std::filesystem::path(scriptPath).filename().c_str(), r.status,
                r.seconds, r.maxRssKB);
    return r;
  }

  platform::PlistDictionary readResults() {
    auto v = platform::plist::readFile(results);
    EXPECT_TRUE(v && v->isDictionary()) << "results file missing or malformed";
    return v && v->isDictionary() ? v->dictionary() : platform::PlistDictionary();
  }

  // Status 0, the results file with the search term only, and the run's error in the log.
  void expectStoppedWith(const RunResult& r, const std::string& logged) {
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Coverfetch 0.1.0\n");
    auto d = readResults();
    EXPECT_EQ(d.keys(), std::vector<std::string>{"searchTerm"});
    EXPECT_NE(r.err.find("GetArtwork script returned error {"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(logged), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Wrote data to file '" + results + "'..."), std::string::npos) << r.err;
  }
};

}  // namespace

TEST_F(HostileScript, WorkInsideLibraryFunctionsIsStoppedByProcessorTime) {
  // The wall clock well out of the way, so that a busy machine can't make it end the run first.
  cftest::setDefault(kScriptTimeLimitKey, 100);
  RunResult r = coverfetch(script("backtrack", "  return ('a'):rep(20000):find('.-.-.-.-.-b')"));
  expectStoppedWith(r, "script stopped: it used more than 5 seconds of processor time");
}

TEST_F(HostileScript, ProcessesCannotBeStarted) {
  expectStoppedWith(coverfetch(script("execute", "  os.execute('sleep 30') return 'x'")),
                    "os.execute is not available to scripts");
  expectStoppedWith(coverfetch(script("popen", "  io.popen('sleep 30'):read('a') return 'x'")),
                    "io.popen is not available to scripts");
}

TEST_F(HostileScript, CatchingOutOfMemoryErrorsDoesNotKeepARunGoing) {
  // Time to spare (a sanitizer build allocates slowly): the memory budget must end it.
  cftest::setDefault(kScriptProcessorTimeLimitKey, 100);
  cftest::setDefault(kScriptTimeLimitKey, 100);
  RunResult r = coverfetch(script("greedy", "  local t = {}\n"
                                            "  while true do pcall(function() t[#t + 1] = string.rep('x', 1 << 26) .. #t end) end"));
  expectStoppedWith(r, "script stopped: it asked for more than its 1024 MiB of memory");
}

TEST_F(HostileScript, DeepRecursionAndAWaitThatNeverEnds) {
  expectStoppedWith(coverfetch(script("recursion", "  local function f(n) return f(n + 1) + 1 end\n  return f(1)")),
                    "stack overflow");
  // Opening a FIFO nobody writes waits for ever: the wall-clock limit ends it.
  ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
  cftest::setDefault(kScriptTimeLimitKey, 2);
  expectStoppedWith(coverfetch(script("fifo", "  return io.open('" + dir.file("fifo") + "'):read('a')")),
                    "script stopped: it ran for more than 2 seconds");
}

TEST_F(HostileScript, ClosingTheStandardStreamsLeavesTheToolsOwnIntact) {
  RunResult r = coverfetch(script("streams", "  io.stdout:close() io.stderr:close() return 'art'"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Coverfetch 0.1.0\n");
  EXPECT_NE(r.err.find("Wrote data to file '" + results + "'..."), std::string::npos) << r.err;
  auto d = readResults();
  ASSERT_TRUE(d.contains("imageData"));
  EXPECT_EQ(d.find("imageData")->data(), (platform::PlistData{'a', 'r', 't'}));
}

TEST_F(HostileScript, BytecodeIsNeverLoadedBySourceScripts) {
  RunResult r = coverfetch(script("load", "  local f, message = load(string.dump(function() return 'ran' end))\n"
                                          "  return f and f() or message"));
  EXPECT_EQ(r.status, 0);
  auto d = readResults();
  ASSERT_TRUE(d.contains("imageData"));
  const auto& bytes = d.find("imageData")->data();
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "attempt to load a binary chunk (mode is 't')");
}

TEST_F(HostileScript, MutatedPrecompiledScriptsNeverTakeTheToolDown) {
  ASSERT_TRUE(cftest::writeCompiledScript(dir.file("good.scpt"), R"(
    local covers = {}
    for i = 1, 20 do covers[i] = string.rep("c", i) end
    function open(args)
      local found = covers[#args[1] % 20 + 1]
      return found .. args[1]
    end)"));
  RunResult good = coverfetch(dir.file("good.scpt"));
  ASSERT_EQ(good.status, 0);
  ASSERT_TRUE(readResults().contains("imageData"));

  // One that crashes the interpreter for certain, then randomly damaged ones.
  ASSERT_TRUE(cftest::writeCrashingScript(dir.file("crash.scpt")));
  RunResult crash = coverfetch(dir.file("crash.scpt"));
  expectStoppedWith(crash, "script stopped: its process was ended by signal SIGSEGV (Segmentation fault)");

  int crashed = 0, n = 0;
  for (const std::string& mutant : cftest::mutatedChunks(testsupport::readFile(dir.file("good.scpt")), 16, 7)) {
    const std::string path = dir.file("mutant" + std::to_string(n++) + ".scpt");
    testsupport::writeFile(path, mutant);
    RunResult r = coverfetch(path);
    EXPECT_EQ(r.status, 0) << path << "\n" << r.err;
    auto d = readResults();
    ASSERT_TRUE(d.contains("searchTerm")) << path;
    EXPECT_EQ(d.find("searchTerm")->string(), "a track");
    if (r.err.find("its process was ended by signal") != std::string::npos) ++crashed;
  }
  std::printf("%d of 16 mutants crashed their run\n", crashed);
}

// Building a string takes twice its size; the 1 GiB budget leaves room for a 400 MiB answer.
TEST_F(HostileScript, ResultOf400MiBComesBackWhole) {
#ifdef __SANITIZE_ADDRESS__
  // Instrumented, building and encoding the answer can take more than the standard processor time.
  cftest::setDefault(kScriptProcessorTimeLimitKey, 60);
#endif
  RunResult r = coverfetch(script("big", "  return string.rep('x', 400 << 20)"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("error"), std::string::npos) << r.err;
  // The property list holds the bytes in base64: four characters for every three bytes.
  struct stat st {};
  ASSERT_EQ(stat(results.c_str(), &st), 0);
  EXPECT_GE(uint64_t(st.st_size), (uint64_t(400) << 20) / 3 * 4);
  std::string head(1024, '\0');
  FILE* f = std::fopen(results.c_str(), "rb");
  ASSERT_TRUE(f);
  head.resize(std::fread(head.data(), 1, head.size(), f));
  std::fclose(f);
  EXPECT_NE(head.find("<key>imageData</key>"), std::string::npos) << head;
  EXPECT_NE(head.find("eHh4eHh4"), std::string::npos) << "base64 of xxx...";
}
