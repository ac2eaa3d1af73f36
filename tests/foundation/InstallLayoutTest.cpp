// Where programs look for their plug-ins, modules and data, and the --help/--version answers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <regex>

#include "platform/foundation/CommandLineHelp.h"
#include "platform/foundation/InstallLayout.h"
#include "tests/support/TestSupport.h"

using namespace platform;

namespace {

void touch(const std::string& path) { std::ofstream(path) << "x"; }

}  // namespace

TEST(InstallLayout, ResolvesFoldersRelativeToTheProgramLexically) {
  EXPECT_EQ(resolvedPath("/opt/mt/bin", "../lib/mediatools"), "/opt/mt/lib/mediatools");
  EXPECT_EQ(resolvedPath("/usr/bin/", "./../share//mediatools/"), "/usr/share/mediatools");
  EXPECT_EQ(resolvedPath("/bin", "../lib/mediatools"), "/lib/mediatools");
  EXPECT_EQ(resolvedPath("/", "../../lib"), "/lib");  // nothing above the root
  EXPECT_EQ(resolvedPath("/usr/bin", "/opt/modules"), "/opt/modules");
  // A folder that could not be told stays relative rather than turning into the root's.
  EXPECT_EQ(resolvedPath(".", "../lib/mediatools"), "./../lib/mediatools");
}

TEST(InstallLayout, AnInstalledProgramLooksBesideItselfThenUnderItsPrefixOnly) {
  // However the build was configured, an installed program never reaches into a build tree.
  for (const char* bin : {"/usr/bin", "/opt/mediatools/bin", "/home/u/.local/bin"}) {
    const std::string prefix = resolvedPath(bin, "..");
    EXPECT_EQ(moduleFolders(bin), (std::vector<std::string>{bin, prefix + "/lib/mediatools"})) << bin;
    EXPECT_EQ(dataFolders(bin), (std::vector<std::string>{bin, prefix + "/share/mediatools"})) << bin;
  }
}

TEST(InstallLayout, ProgramsInsideTheBuildTreeFallBackToItsBinFolder) {
  // This test program lives in the build tree, outside its bin folder.
  const auto folders = moduleFolders(executableDirectory());
  ASSERT_EQ(folders.size(), 3u);
  EXPECT_EQ(folders.front(), executableDirectory());
  EXPECT_EQ(folders.back(), MT_BIN_DIR);
  // The build's own bin folder is not listed twice.
  const auto built = dataFolders(MT_BIN_DIR);
  EXPECT_EQ(std::count(built.begin(), built.end(), std::string(MT_BIN_DIR)), 1);
}

TEST(InstallLayout, FindsTheFirstRegularFileOfThatName) {
  testsupport::TempDir root;
  const std::string bin = root.file("bin"), modules = root.file("lib/mediatools");
  ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
  ASSERT_EQ(mkdir(root.file("lib").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(modules.c_str(), 0755), 0);
  const auto folders = moduleFolders(bin);

  EXPECT_FALSE(findFileIn(folders, "Plugin.so"));
  touch(modules + "/Plugin.so");
  EXPECT_EQ(findFileIn(folders, "Plugin.so"), modules + "/Plugin.so");
  touch(bin + "/Plugin.so");  // beside the program wins
  EXPECT_EQ(findFileIn(folders, "Plugin.so"), bin + "/Plugin.so");

  // A folder of that name is no module; a name with a folder in it never leaves the folders.
  ASSERT_EQ(mkdir((bin + "/Folder.so").c_str(), 0755), 0);
  touch(modules + "/Folder.so");
  EXPECT_EQ(findFileIn(folders, "Folder.so"), modules + "/Folder.so");
  touch(root.file("secret"));
  EXPECT_FALSE(findFileIn(folders, "../secret"));
  EXPECT_FALSE(findFileIn(folders, "../../secret"));
  EXPECT_FALSE(findFileIn(folders, ""));
}

TEST(CommandLineHelp, AnswersOnlyALoneHelpOrVersion) {
  const std::string usage = "usage: tool MEDIA RESULTS\n";
  testing::internal::CaptureStdout();
  EXPECT_TRUE(answeredHelpOrVersion({"--help"}, usage, "tool", "2.3.4"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), usage);

  testing::internal::CaptureStdout();
  EXPECT_TRUE(answeredHelpOrVersion({"--version"}, usage, "tool", "2.3.4"));
  const std::string version = testing::internal::GetCapturedStdout();
  EXPECT_EQ(version, std::string("tool 2.3.4 (mediatools ") + MT_PROJECT_VERSION + ")\n");

  // Positional command lines keep their meaning: these are paths and further arguments.
  testing::internal::CaptureStdout();
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"--help", "out.plist"}, {"/media/--help"}, {"movie.mp4", "--version"}, {"-h"}, {"--HELP"}})
    EXPECT_FALSE(answeredHelpOrVersion(args, usage, "tool", "2.3.4")) << (args.empty() ? "" : args[0]);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(CommandLineHelp, TakesTheArgumentsAfterTheProgramName) {
  char program[] = "tool", first[] = "a", second[] = "b";
  char* argv[] = {program, first, second, nullptr};
  EXPECT_EQ(argumentsAfterProgramName(3, argv), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(argumentsAfterProgramName(1, argv).empty());
  EXPECT_TRUE(argumentsAfterProgramName(0, argv).empty());  // started without even a name
  EXPECT_EQ(std::string(suiteVersion()), MT_PROJECT_VERSION);
}

TEST(CommandLineHelp, WholeNumbersOnlyInRange) {
  EXPECT_EQ(wholeNumber("1", 1, 8192), 1);
  EXPECT_EQ(wholeNumber("8192", 1, 8192), 8192);
  EXPECT_EQ(wholeNumber("007", 1, 8192), 7);
  for (const char* text : {"", "0", "8193", "-1", "+3", " 5", "5 ", "5x", "0x10", "1e3", "99999999999999999999999"})
    EXPECT_FALSE(wholeNumber(text, 1, 8192)) << '"' << text << '"';
}

TEST(CommandLineHelp, UsageErrorsNameTheProgramAndGoToStandardError) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(usageError("tool", "usage: tool IN OUT\n", "--width takes a whole number"), 2);
  EXPECT_EQ(usageError("tool", "usage: tool IN OUT\n"), 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "tool: --width takes a whole number\nusage: tool IN OUT\nusage: tool IN OUT\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}
