// Process lookup by name and hidden launch.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/StandInProcess.h"
#include "platform/process/Processes.h"

TEST(Processes, FindsLiveProcessesByNameOnly) {
  testsupport::TempDir dir;
  testsupport::StandInProcess app(dir);
  EXPECT_FALSE(platform::isProcessRunning(app.name()));
  ASSERT_TRUE(app.start());
  auto pids = platform::processesNamed(app.name());
  ASSERT_EQ(pids.size(), 1u);
  EXPECT_FALSE(platform::isProcessRunning(app.name().substr(0, app.name().size() - 1)));
  EXPECT_FALSE(platform::isProcessRunning(""));

  // Killed but not yet reaped: a zombie does not count as running.
  kill(pids[0], SIGKILL);
  for (int i = 0; i < 200 && platform::isProcessRunning(app.name()); ++i) usleep(10000);
  EXPECT_FALSE(platform::isProcessRunning(app.name()));
  waitpid(pids[0], nullptr, 0);
}

TEST(Processes, LongNamesCompareByTheKernelsFifteenBytes) {
  testsupport::TempDir dir;
  std::string name = "cflong" + std::to_string(getpid());
  name += std::string(15 - name.size(), 'n');
  testsupport::StandInProcess app(dir, name);
  ASSERT_TRUE(app.start());
  EXPECT_TRUE(platform::isProcessRunning(name));
  EXPECT_TRUE(platform::isProcessRunning(name + "-and-more"));
  EXPECT_FALSE(platform::isProcessRunning(name.substr(0, 14)));
}

TEST(Processes, LaunchWaitsUntilTheApplicationRuns) {
  testsupport::TempDir dir;
  testsupport::StandInProcess app(dir);
  EXPECT_TRUE(platform::launchApplicationHidden(app.path(), app.name()));
  EXPECT_EQ(app.running().size(), 1u);
}

TEST(Processes, LaunchFailures) {
  testsupport::TempDir dir;
  // Not there, not executable, exits with an error, or never shows up under the expected name.
  EXPECT_FALSE(platform::launchApplicationHidden(dir.file("missing"), "missing"));
  testsupport::writeFile(dir.file("plain"), "not a program");
  EXPECT_FALSE(platform::launchApplicationHidden(dir.file("plain"), "plain"));
  // (A copy under a name of our own: another test may be running a "false" at the same time.)
  std::string failing = "cffalse" + std::to_string(getpid());
  std::filesystem::copy_file("/bin/false", dir.file(failing));
  EXPECT_FALSE(platform::launchApplicationHidden(dir.file(failing), failing));
  EXPECT_FALSE(platform::launchApplicationHidden("/bin/true", "cfNeverThere", 0.3));
  EXPECT_FALSE(platform::launchApplicationHidden("", ""));
}
