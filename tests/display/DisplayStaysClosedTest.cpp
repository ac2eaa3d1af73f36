// The command-line tools and Kestrix's results mode never open the display, even where there is
// one: the display library is never loaded (the dynamic loader says what it loads).
#include <gtest/gtest.h>

#include "tests/support/DisplayTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace testsupport;

namespace {
// Runs a built program with the loader's file log on; its standard error, and its exit status.
RunResult runLogged(const std::string& program, const std::vector<std::string>& args) {
  const char* display = std::getenv("DISPLAY");
  std::vector<std::string> env = {"LD_DEBUG=files", std::string("DISPLAY=") + (display ? display : ":0")};
  return run(binPath(program), args, env, 120);
}
bool loadedDisplayLibrary(const RunResult& r) { return r.err.find("libSDL2") != std::string::npos; }
}  // namespace

TEST(DisplayStaysClosed, KestrixResultsModeAndMediaprobeNeverLoadIt) {
  TempDir dir;
  ScopedHome home;
  const RunResult poster = runLogged("Kestrix", {fixture("frames.mp4"), dir.file("poster.jpg")});
  EXPECT_EQ(poster.status, 0) << poster.err.substr(0, 2000);
  EXPECT_FALSE(loadedDisplayLibrary(poster));
  EXPECT_NE(poster.err.find("file="), std::string::npos);  // the loader did log what it loads

  const RunResult probe = runLogged("mediaprobe", {fixture("frames.mp4"), dir.file("results.plist")});
  EXPECT_EQ(probe.status, 0);
  EXPECT_FALSE(loadedDisplayLibrary(probe));
}

TEST(DisplayStaysClosed, AWindowThatIsShownDoesLoadIt) {
  // The same check sees the library when a program does use the display.
  const std::string why = windowTestsUnavailable();
  if (!why.empty()) GTEST_SKIP() << why;
  TempDir dir;
  ScopedHome home;
  const RunResult shown = run("/usr/bin/timeout", {"-s", "INT", "3", binPath("Kestrix"), fixture("frames.mp4")},
                              {"LD_DEBUG=files"}, 60);
  EXPECT_TRUE(loadedDisplayLibrary(shown)) << shown.err.substr(0, 2000);
}
