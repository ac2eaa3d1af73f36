// quarn-demo as a user runs it: help, bad arguments, the off-screen mode writing its last frame,
// and the window mode without a display, which says so and leaves with status 1.
#include <gtest/gtest.h>

#include <set>

#include "quarn/Quarn.h"
#include "tests/support/TestSupport.h"

namespace {

const std::vector<std::string> kNoDisplay = {"DISPLAY=", "WAYLAND_DISPLAY=", "SDL_VIDEODRIVER="};

TEST(QuarnDemoTool, HelpAndBadArguments) {
  const std::string demo = testsupport::binPath("quarn-demo");
  testsupport::RunResult help = testsupport::run(demo, {"--help"}, kNoDisplay);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--frames N --png OUT.png"), std::string::npos);

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--frames"}, {"--frames", "0", "--png", "x.png"}, {"--frames", "3"},
        {"--png", "x.png"}, {"--size", "10x10", "--frames", "1", "--png", "x.png"}, {"--bogus"}}) {
    testsupport::RunResult bad = testsupport::run(demo, args, kNoDisplay);
    EXPECT_EQ(bad.status, 2) << args.front();
    EXPECT_NE(bad.err.find("usage:"), std::string::npos) << args.front();
  }
}

TEST(QuarnDemoTool, OffscreenFramesEndInAPngWithoutADisplay) {
  testsupport::TempDir dir;
  const std::string png = dir.file("demo.png");
  testsupport::RunResult result =
      testsupport::run(testsupport::binPath("quarn-demo"), {"--frames", "12", "--png", png, "--size", "320x200"}, kNoDisplay);
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("12 frames"), std::string::npos);
  auto image = QuarnImage::imageWithContentsOfFile(png);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width(), 320);
  EXPECT_EQ(image->height(), 200);
  // The scene, not an empty frame: many colours, and the backdrop's blue at the top.
  std::set<std::uint32_t> colours;
  for (int y = 0; y < 200; y += 5)
    for (int x = 0; x < 320; x += 5) colours.insert(image->pixel(x, y));
  EXPECT_GT(colours.size(), 50u);
  const std::uint32_t top = image->pixel(160, 2);
  EXPECT_GT((top >> 8) & 0xff, (top >> 24) & 0xff) << std::hex << top;  // more blue than red

  // An unwritable destination is an error, and nothing is left behind.
  testsupport::RunResult unwritable = testsupport::run(
      testsupport::binPath("quarn-demo"), {"--frames", "1", "--png", dir.file("no/such/dir/x.png")}, kNoDisplay);
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos);
}

TEST(QuarnDemoTool, WindowModeWithoutADisplaySaysSo) {
  testsupport::RunResult result =
      testsupport::run(testsupport::binPath("quarn-demo"), {"--seconds", "1"}, kNoDisplay, 60);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("Initing OpenGL view"), std::string::npos);
  EXPECT_TRUE(result.err.find("Invalid OpenGL format... terminating") != std::string::npos ||
              result.err.find("OpenGL view not created... terminating") != std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("quarn-demo: no window"), std::string::npos);
}

}  // namespace
