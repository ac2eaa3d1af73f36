#include <gtest/gtest.h>

#include "XMHQTFileInvestigator.h"
#include "tests/support/TestSupport.h"

using testsupport::fixture;
using testsupport::LogCapture;

TEST(Investigator, DurationTruncatesWholeSeconds) {
  EXPECT_EQ(XMHQTFileInvestigator::durationOfFileNamed(fixture("odd-1799-600.mov")), 2);
  EXPECT_EQ(XMHQTFileInvestigator::durationOfFileNamed(fixture("odd-59999-1000.mp4")), 59);
  EXPECT_EQ(XMHQTFileInvestigator::durationOfFileNamed(fixture("audio.m4a")), 3);
  EXPECT_EQ(XMHQTFileInvestigator::durationOfQTMovie(nullptr), std::nullopt);
}

TEST(Investigator, ZeroTimeScaleLeavesTotalTimeOut) {
  auto props = XMHQTFileInvestigator::propertiesOfFileNamed(fixture("zero-scale.mp4"));
  ASSERT_TRUE(props);
  EXPECT_FALSE(props->contains("Total Time"));
  EXPECT_TRUE(props->contains("Has Video"));
}

TEST(Investigator, PresenceKeysOnlyWhenTrue) {
  auto audio = XMHQTFileInvestigator::propertiesOfFileNamed(fixture("audio.mp3"));
  ASSERT_TRUE(audio);
  EXPECT_EQ(audio->find("Has Audio")->integer(), 1);
  EXPECT_FALSE(audio->contains("Has Video"));
  EXPECT_FALSE(audio->contains("Chapters"));
  EXPECT_TRUE(audio->find("Total Time")->isInteger());

  auto video = XMHQTFileInvestigator::propertiesOfFileNamed(fixture("video-only.mp4"));
  ASSERT_TRUE(video);
  EXPECT_EQ(video->find("Has Video")->integer(), 1);
  EXPECT_FALSE(video->contains("Has Audio"));
  EXPECT_EQ(video->keys().front(), "Total Time");
}

TEST(Investigator, UnopenablePathGivesNullEverywhereWithOneLineEach) {
  LogCapture log;
  std::string path = fixture("not-a-movie.txt");
  EXPECT_EQ(XMHQTFileInvestigator::newQTMovieFromPropertiesWithPath(path), nullptr);
  EXPECT_EQ(XMHQTFileInvestigator::propertiesOfFileNamed(path), std::nullopt);
  EXPECT_EQ(XMHQTFileInvestigator::durationOfFileNamed(path), std::nullopt);
  EXPECT_EQ(XMHQTFileInvestigator::metaDataOfFileNamed(path), std::nullopt);
  std::string expected = "XMHQTFileInvestigator: QTMovie can't init with file: '" + path + "'";
  ASSERT_EQ(log.messages().size(), 4u);
  for (const auto& m : log.messages()) EXPECT_EQ(m, expected);
}

TEST(Investigator, CreationFailureIsLoggedWhateverTheVerboseFlag) {
  LogCapture log;
  EXPECT_EQ(XMHQTFileInvestigator::newQTMovieFromPropertiesWithPath(fixture("truncated.mp4")), nullptr);
  ASSERT_EQ(log.messages().size(), 1u);
  EXPECT_EQ(log.messages()[0], "XMHQTFileInvestigator: error NewMovieFromProperties:");
}

TEST(Investigator, VerboseOpenLogsExactlyTheTwoProgressLines) {
  {
    LogCapture quiet;
    XMHQTFileInvestigator::setVerboseLoggingMode(false);
    EXPECT_NE(XMHQTFileInvestigator::newQTMovieFromPropertiesWithPath(fixture("movie.mp4")), nullptr);
    EXPECT_TRUE(quiet.lines().empty());
  }
  LogCapture log;
  XMHQTFileInvestigator::setVerboseLoggingMode(true);
  EXPECT_NE(XMHQTFileInvestigator::newQTMovieFromPropertiesWithPath(fixture("movie.mp4")), nullptr);
  XMHQTFileInvestigator::setVerboseLoggingMode(false);
  EXPECT_EQ(log.messages(), (std::vector<std::string>{
                                "XMHQTFileInvestigator: will NewMovieFromProperties NOT asyncronously...",
                                "XMHQTFileInvestigator: did newMovieProperties"}));
}
