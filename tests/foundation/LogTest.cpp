#include <gtest/gtest.h>

#include <regex>

#include "platform/foundation/Log.h"
#include "tests/support/TestSupport.h"

TEST(Log, OneLineWithDateProcessAndPid) {
  testsupport::LogCapture capture;
  platform::setLogProcessName("mediaprobe");
  platform::log("%s: ERROR: QTMovie can't init with file: '%s'", "mediaprobe", "/x y.mp4");
  platform::log("%s %i.%i.%i\n", "mediaprobe", 1, 10, 6);
  ASSERT_EQ(capture.lines().size(), 2u);
  std::regex shape(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} mediaprobe\[\d+:\d+\] .*\n$)");
  EXPECT_TRUE(std::regex_match(capture.lines()[0], shape)) << capture.lines()[0];
  EXPECT_EQ(capture.messages()[0], "mediaprobe: ERROR: QTMovie can't init with file: '/x y.mp4'");
  // A message ending in a line end keeps it: the banner is followed by an empty line.
  EXPECT_EQ(capture.messages()[1], "mediaprobe 1.10.6\n");
}
