// SonographPlugIn as a host sees it: its class description, its ports, and what each executed
// frame does to the history and the published image.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/sonograph/SonographTestSupport.h"

using namespace platform::composition;
using sonographtest::HostedSonograph;
using sonographtest::numbers;

namespace {

double at(const SonographPlugIn& p, int band, int column) { return p.sampleBuffer()[band * SAMPLE_COLUMNS + column]; }

}  // namespace

TEST(SonographPlugInClass, AttributesModesAndKeys) {
  const auto attributes = SonographPlugIn::attributes();
  EXPECT_EQ(attributes.name, "Sonograph");
  const std::string lead = "Draws a spectral analysis of the audio input to an image. \n Version 0.52a.";
  EXPECT_EQ(attributes.description.substr(0, lead.size()), lead);
  EXPECT_GT(attributes.description.size(), lead.size() + 10) << "a credit line follows the version";
  EXPECT_EQ(SonographPlugIn::sortedPropertyPortKeys(),
            (std::vector<std::string>{"inputSpectrum", "inputWidth", "inputHeight", "inputGain", "inputColorAlgorithm",
                                      "inputRed", "inputGreen", "inputBlue", "inputAlpha"}));
  EXPECT_EQ(SonographPlugIn::colourAlgorithmKeys(), (std::vector<std::string>{"RGB", "Gray"}));
  EXPECT_TRUE(SonographPlugIn::plugInKeys().empty());
  EXPECT_EQ(SonographPlugIn::executionMode(), 2);
  EXPECT_EQ(SonographPlugIn::timeMode(), 2);

  SonographPlugIn plugIn;
  EXPECT_EQ(plugIn.bufferHeight(), 16);
  plugIn.setBufferHeight(9);
  EXPECT_EQ(plugIn.bufferHeight(), 9);
  const auto controller = plugIn.createViewController();
  ASSERT_TRUE(controller);
  EXPECT_EQ(controller->viewNibName(), "Settings");
  EXPECT_EQ(&controller->plugIn(), &plugIn);
  EXPECT_EQ(plugIn.sampleBuffer(), nullptr) << "no history outside execution";
}

TEST(SonographPlugInClass, PortAttributesAsTheTableGivesThem) {
  using A = QCPortAttributes;
  const auto none = std::nullopt;
  const std::pair<const char*, A> expected[] = {
      {"inputSpectrum", A{"Spectrum", none, none, none, "QCPortTypeStructure", {}}},
      {"inputWidth", A{"Width", 512.0, none, none, none, {}}},
      {"inputHeight", A{"Height", 384.0, none, none, none, {}}},
      {"inputGain", A{"Gain", 0.5, 0.0, 1.0, none, {}}},
      {"inputColorAlgorithm", A{"Colour", 0.0, 0.0, 1.0, "QCPortTypeIndex", {"RGB", "Gray"}}},
      {"inputRed", A{"Red", 0.5, 0.0, 1.0, none, {}}},
      {"inputGreen", A{"Green", 0.5, 0.0, 1.0, none, {}}},
      {"inputBlue", A{"Blue", 0.5, 0.0, 1.0, none, {}}},
      {"inputAlpha", A{"Alpha", 0.5, 0.0, 1.0, none, {}}},
      {"outputImage", A{"Image", none, none, none, none, {}}},
  };
  for (const auto& [key, attributes] : expected) {
    const auto actual = SonographPlugIn::attributesForPropertyPortWithKey(key);
    ASSERT_TRUE(actual) << key;
    EXPECT_EQ(*actual, attributes) << key;
  }
  for (const char* other : {"inputColour", "outputSpectrum", "", "inputspectrum"})
    EXPECT_FALSE(SonographPlugIn::attributesForPropertyPortWithKey(other)) << other;

  // Every declared property has attributes, and the declared types are the ports' types.
  const auto declarations = SonographPlugIn::dynamicProperties();
  ASSERT_EQ(declarations.size(), 10u);
  for (const auto& d : declarations) EXPECT_TRUE(SonographPlugIn::attributesForPropertyPortWithKey(d.key)) << d.key;
  EXPECT_EQ(declarations[0].type, QCPropertyType::Structure);
  EXPECT_EQ(declarations[1].type, QCPropertyType::UnsignedInteger);
  EXPECT_EQ(declarations[4].type, QCPropertyType::Index);
  EXPECT_EQ(declarations[5].type, QCPropertyType::Double);
  EXPECT_EQ(declarations[9].key, "outputImage");
  EXPECT_EQ(declarations[9].type, QCPropertyType::Image);

  // The host's store starts from the defaults.
  HostedSonograph host;
  EXPECT_EQ(std::get<uint64_t>(*host.ports.value("inputWidth")), 512u);
  EXPECT_EQ(std::get<uint64_t>(*host.ports.value("inputHeight")), 384u);
  EXPECT_EQ(std::get<uint64_t>(*host.ports.value("inputColorAlgorithm")), 0u);
  EXPECT_EQ(std::get<double>(*host.ports.value("inputAlpha")), 0.5);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(*host.ports.value("inputSpectrum")));
}

TEST(SonographPlugInExecution, HistoryScrollsOneColumnPerFrame) {
  HostedSonograph host;
  ASSERT_TRUE(host.start());
  for (int k = 0; k < 16; ++k)
    for (int j = 0; j < 512; ++j) ASSERT_EQ(at(host.plugIn, k, j), 0.0) << "zeros after start";

  // 16 numbers: every row advances; values are narrowed to float.
  QCStructure first;
  for (int k = 0; k < 16; ++k) first.append(QCValue(0.1 * (k + 1)));
  host.set("inputSpectrum", first);
  ASSERT_TRUE(host.execute());
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(at(host.plugIn, k, 511), double(float(0.1 * (k + 1)))) << k;
    EXPECT_EQ(at(host.plugIn, k, 510), 0.0) << k;
  }

  // 8 numbers: rows 0..7 advance, rows 8..15 stay.
  host.set("inputSpectrum", numbers({5, 6, 7, 8, 9, 10, 11, 12}));
  ASSERT_TRUE(host.execute());
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(at(host.plugIn, k, 511), double(5 + k)) << k;
    EXPECT_EQ(at(host.plugIn, k, 510), double(float(0.1 * (k + 1)))) << k;
  }
  for (int k = 8; k < 16; ++k) {
    EXPECT_EQ(at(host.plugIn, k, 511), double(float(0.1 * (k + 1)))) << k;
    EXPECT_EQ(at(host.plugIn, k, 510), 0.0) << k;
  }

  // More than 16: the first 16 are used.
  QCStructure many;
  for (int k = 0; k < 20; ++k) many.append(QCValue(100.0 + k));
  host.set("inputSpectrum", many);
  ASSERT_TRUE(host.execute());
  for (int k = 0; k < 16; ++k) EXPECT_EQ(at(host.plugIn, k, 511), 100.0 + k) << k;

  // Empty: nothing moves, and the frame still has its image.
  const SonographHistory before = [&] {
    SonographHistory copy;
    std::copy(host.plugIn.sampleBuffer(), host.plugIn.sampleBuffer() + copy.size(), copy.begin());
    return copy;
  }();
  host.set("inputSpectrum", QCStructure());
  ASSERT_TRUE(host.execute());
  EXPECT_TRUE(std::equal(before.begin(), before.end(), host.plugIn.sampleBuffer()));
  EXPECT_TRUE(host.image());
  // No structure at all: the same.
  host.set("inputSpectrum", std::monostate{});
  ASSERT_TRUE(host.execute());
  EXPECT_TRUE(std::equal(before.begin(), before.end(), host.plugIn.sampleBuffer()));

  // Members that are not numbers read as the platform's objects convert them.
  QCStructure mixed;
  mixed.append(QCValue("0.25"));
  mixed.append(QCValue(true));
  mixed.append(QCValue("loud"));
  host.set("inputSpectrum", mixed);
  ASSERT_TRUE(host.execute());
  EXPECT_EQ(at(host.plugIn, 0, 511), 0.25);
  EXPECT_EQ(at(host.plugIn, 1, 511), 1.0);
  EXPECT_EQ(at(host.plugIn, 2, 511), 0.0);
}

TEST(SonographPlugInExecution, OldestColumnsLeaveAfter512Frames) {
  HostedSonograph host;
  ASSERT_TRUE(host.start());
  for (int frame = 1; frame <= 600; ++frame) {
    host.set("inputSpectrum", numbers({double(frame)}));
    ASSERT_TRUE(host.execute());
  }
  // Column j holds frame 600 - 511 + j; band 1 never received anything.
  for (int j = 0; j < 512; ++j) ASSERT_EQ(at(host.plugIn, 0, j), double(89 + j)) << j;
  EXPECT_EQ(at(host.plugIn, 1, 511), 0.0);

  // A restart begins from zeros again.
  host.plugIn.stopExecution(host.context);
  EXPECT_EQ(host.plugIn.sampleBuffer(), nullptr);
  ASSERT_TRUE(host.start());
  EXPECT_EQ(at(host.plugIn, 0, 511), 0.0);
}

TEST(SonographPlugInExecution, StartRefusesWhenTheContextSaysSo) {
  for (const QCValue& refuse : {QCValue(true), QCValue("YES"), QCValue(1)}) {
    HostedSonograph host;
    host.context.userInfo()["com.Tarrowgate.Sonograph"] = refuse;
    EXPECT_FALSE(host.start()) << refuse.stringValue();
    EXPECT_EQ(host.plugIn.sampleBuffer(), nullptr);
    EXPECT_FALSE(host.execute()) << "no history, so no image";
  }
  for (const QCValue& allow : {QCValue(false), QCValue("NO"), QCValue(0), QCValue()}) {
    HostedSonograph host;
    host.context.userInfo()["com.Tarrowgate.Sonograph"] = allow;
    EXPECT_TRUE(host.start()) << allow.stringValue();
  }
  HostedSonograph other;
  other.context.userInfo()["com.Tarrowgate.Other"] = QCValue(true);
  EXPECT_TRUE(other.start());
}

TEST(SonographPlugInExecution, ZeroSizeGivesNoImageAndNoFailure) {
  HostedSonograph host;
  ASSERT_TRUE(host.start());
  host.set("inputSpectrum", numbers({1, 2}));
  ASSERT_TRUE(host.execute());
  ASSERT_TRUE(host.image());
  for (auto [w, h] : {std::pair{0, 384}, std::pair{512, 0}, std::pair{0, 0}}) {
    host.set("inputWidth", uint64_t(w));
    host.set("inputHeight", uint64_t(h));
    EXPECT_TRUE(host.execute()) << w << "x" << h;
    EXPECT_FALSE(host.image()) << w << "x" << h;
  }
  // Zero-size frames do not scroll the history.
  EXPECT_EQ(at(host.plugIn, 0, 511), 1.0);
  EXPECT_EQ(at(host.plugIn, 0, 510), 0.0);
}

TEST(SonographPlugInExecution, NoProviderIsAFailureAndKeepsTheLastImage) {
  HostedSonograph host;
  EXPECT_FALSE(host.execute()) << "before startExecution there is no history";
  ASSERT_TRUE(host.start());
  ASSERT_TRUE(host.execute());
  const auto published = host.image();
  ASSERT_TRUE(published);
  QCPlugInContext noColorSpace(nullptr, nullptr);
  EXPECT_FALSE(host.plugIn.execute(noColorSpace, 0, {}));
  EXPECT_EQ(host.image(), published);
}

TEST(SonographPlugInExecution, ThePublishedImageCarriesTheFrameSettings) {
  HostedSonograph host;
  ASSERT_TRUE(host.start());
  host.set("inputWidth", uint64_t(300));
  host.set("inputHeight", uint64_t(200));
  host.set("inputGain", 0.75);
  host.set("inputRed", 0.1);
  host.set("inputGreen", 0.2);
  host.set("inputBlue", 0.3);
  host.set("inputAlpha", 0.4);
  host.set("inputColorAlgorithm", uint64_t(1));
  ASSERT_TRUE(host.execute());
  const auto image = host.image();
  ASSERT_TRUE(image);
  EXPECT_EQ(image->imageBounds(), platform::makeRect(0, 0, 300, 200));
  EXPECT_EQ(image->imageColorSpace(), host.context.colorSpace());
  EXPECT_EQ(image->supportedRenderedTexturePixelFormats(), std::vector<std::string>{"BGRA8"});
  EXPECT_TRUE(image->canRenderWithCGLContext(nullptr));
  EXPECT_EQ(image->bufferHeight(), 16u);
  EXPECT_EQ(image->_gain(), 0.75);
  EXPECT_EQ(image->_red(), 0.1);
  EXPECT_EQ(image->_green(), 0.2);
  EXPECT_EQ(image->_blue(), 0.3);
  EXPECT_EQ(image->_alpha(), 0.4);
  EXPECT_EQ(image->colorAlgorithm(), 1u);
  // It reads the plug-in's history itself, not a copy.
  EXPECT_EQ(image->data(), host.plugIn.sampleBuffer());

  // Each frame publishes a new image.
  ASSERT_TRUE(host.execute());
  EXPECT_NE(host.image(), image);
}

TEST(SonographImageProvider, NeedsEveryPart) {
  auto space = CGColorSpaceCreateWithName(kCGColorSpaceSRGB);
  auto data = std::make_shared<SonographBuffers>();
  EXPECT_TRUE(SonographImage::initWithColorSpace(space, 16, 4, 4, data));
  EXPECT_FALSE(SonographImage::initWithColorSpace(nullptr, 16, 4, 4, data));
  EXPECT_FALSE(SonographImage::initWithColorSpace(space, 16, 0, 4, data));
  EXPECT_FALSE(SonographImage::initWithColorSpace(space, 16, 4, 0, data));
  EXPECT_FALSE(SonographImage::initWithColorSpace(space, 16, 4, 4, nullptr));
  // The row count given is not the one kept.
  EXPECT_EQ(SonographImage::initWithColorSpace(space, 3, 4, 4, data)->bufferHeight(), 16u);
}
