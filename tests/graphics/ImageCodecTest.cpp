#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/graphics/ImageCodec.h"
#include "tests/support/TestSupport.h"

using namespace platform::graphics;
using testsupport::fixture;

namespace {

Image patternImage(int w, int h, bool alpha) {
  Image image(w, h, {}, alpha);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      image.setPixel(x, y, {uint8_t(x * 7), uint8_t(y * 13), uint8_t((x ^ y) * 5), uint8_t(alpha ? (x * y) % 256 : 255)});
  return image;
}

void expectUniform(const Image& image, RGBA8 expected, int tolerance) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      RGBA8 p = image.pixel(x, y);
      ASSERT_LE(std::abs(p.r - expected.r), tolerance) << x << "," << y;
      ASSERT_LE(std::abs(p.g - expected.g), tolerance) << x << "," << y;
      ASSERT_LE(std::abs(p.b - expected.b), tolerance) << x << "," << y;
      ASSERT_EQ(p.a, expected.a) << x << "," << y;
    }
}

// The first coefficient of each quantisation table, in table order.
std::vector<int> firstQuantisers(const std::string& jpeg) {
  std::vector<int> out;
  for (size_t i = 2; i + 4 < jpeg.size();) {
    if (uint8_t(jpeg[i]) != 0xff) break;
    const uint8_t marker = uint8_t(jpeg[i + 1]);
    const size_t length = (uint8_t(jpeg[i + 2]) << 8) | uint8_t(jpeg[i + 3]);
    if (marker == 0xdb)
      for (size_t p = i + 4; p + 1 < i + 2 + length; p += 65) out.push_back(uint8_t(jpeg[p + 1]));
    if (marker == 0xda) break;
    i += 2 + length;
  }
  return out;
}

bool hasMarker(const std::string& jpeg, uint8_t marker) {
  for (size_t i = 2; i + 4 < jpeg.size();) {
    if (uint8_t(jpeg[i]) != 0xff) return false;
    if (uint8_t(jpeg[i + 1]) == marker) return true;
    if (uint8_t(jpeg[i + 1]) == 0xda) return false;
    i += 2 + ((uint8_t(jpeg[i + 2]) << 8) | uint8_t(jpeg[i + 3]));
  }
  return false;
}

}  // namespace

TEST(PNGCodec, RoundTripsExactlyWithAndWithoutAlpha) {
  for (bool alpha : {true, false}) {
    Image original = patternImage(37, 21, alpha);
    auto bytes = encodePNG(original);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(sniffImageFormat(*bytes), ImageFormat::PNG);
    auto back = decodeImage(*bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width(), 37);
    EXPECT_EQ(back->height(), 21);
    EXPECT_EQ(back->hasAlpha(), alpha);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(back->data()), back->byteCount()),
              std::string(reinterpret_cast<const char*>(original.data()), original.byteCount()));
  }
}

TEST(PNGCodec, DecodesFilesOfEveryPixelFormat) {
  for (const char* name : {"solid-3366cc.png", "solid-palette.png", "solid-16bit.png"}) {
    SCOPED_TRACE(name);
    auto image = readImageFile(fixture(name));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 64);
    EXPECT_EQ(image->height(), 48);
    expectUniform(*image, {0x33, 0x66, 0xcc, 255}, 1);
  }
  EXPECT_FALSE(readImageFile(fixture("solid-3366cc.png"))->hasAlpha());
  auto grey = readImageFile(fixture("solid-grey.png"));
  ASSERT_TRUE(grey);
  EXPECT_FALSE(grey->hasAlpha());
  expectUniform(*grey, {126, 126, 126, 255}, 2);

  auto half = readImageFile(fixture("half-red.png"));
  ASSERT_TRUE(half);
  EXPECT_TRUE(half->hasAlpha());
  EXPECT_EQ(half->pixel(3, 3).r, 255);
  EXPECT_EQ(half->pixel(3, 3).a, 127);
}

TEST(PNGCodec, DamagedInputGivesNothing) {
  EXPECT_FALSE(readImageFile(fixture("truncated.png")));
  EXPECT_FALSE(decodePNG("\x89PNG\r\n\x1a\n garbage"));
  EXPECT_FALSE(decodeImage(""));
  EXPECT_FALSE(decodeImage("not an image at all"));
  EXPECT_FALSE(readImageFile("/nonexistent/file.png"));
  EXPECT_FALSE(encodePNG(Image()));
}

TEST(JPEGCodec, EncodesBaselineAtQualityNinety) {
  EXPECT_EQ(jpegQualityForCompressionFactor(0.9f), 90);
  EXPECT_EQ(jpegQualityForCompressionFactor(2.0f), 100);
  EXPECT_EQ(jpegQualityForCompressionFactor(-1.0f), 0);
  auto bytes = encodeJPEG(patternImage(64, 64, false));
  ASSERT_TRUE(bytes);
  EXPECT_EQ(sniffImageFormat(*bytes), ImageFormat::JPEG);
  EXPECT_TRUE(hasMarker(*bytes, 0xc0));   // baseline frame
  EXPECT_FALSE(hasMarker(*bytes, 0xc2));  // not progressive
  // The standard tables scaled for quality 90: 16 and 17 become (x * 20 + 50) / 100 = 3.
  EXPECT_EQ(firstQuantisers(*bytes), (std::vector<int>{3, 3}));
  auto progressive = encodeJPEG(patternImage(64, 64, false), {0.5f, true});
  ASSERT_TRUE(progressive);
  EXPECT_TRUE(hasMarker(*progressive, 0xc2));
  EXPECT_EQ(firstQuantisers(*progressive), (std::vector<int>{16, 17}));  // quality 50: tables as they are
}

TEST(JPEGCodec, RoundTripKeepsColoursClose) {
  Image solid(48, 40, {0x33, 0x66, 0xcc, 255}, false);
  auto bytes = encodeJPEG(solid);
  ASSERT_TRUE(bytes);
  auto back = decodeJPEG(*bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width(), 48);
  EXPECT_EQ(back->height(), 40);
  EXPECT_FALSE(back->hasAlpha());
  expectUniform(*back, {0x33, 0x66, 0xcc, 255}, 3);
}

TEST(JPEGCodec, DecodesFilesMadeByFFmpeg) {
  auto solid = readImageFile(fixture("solid-3366cc.jpg"));
  ASSERT_TRUE(solid);
  EXPECT_EQ(solid->width(), 64);
  EXPECT_EQ(solid->height(), 48);
  expectUniform(*solid, {0x33, 0x66, 0xcc, 255}, 4);

  // The test pattern agrees with the lossless PNG of the same frame.
  auto jpeg = readImageFile(fixture("testsrc.jpg"));
  auto png = readImageFile(fixture("testsrc.png"));
  ASSERT_TRUE(jpeg && png);
  ASSERT_EQ(jpeg->width(), 320);
  ASSERT_EQ(jpeg->height(), 240);
  double total = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      RGBA8 a = jpeg->pixel(x, y), b = png->pixel(x, y);
      total += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
    }
  EXPECT_LT(total / (320 * 240 * 3), 6.0);
}

TEST(JPEGCodec, DamagedAndOversizedInput) {
  // A truncated file decodes what it has (its top rows) without failing or reading past the end.
  auto full = readImageFile(fixture("testsrc.jpg"));
  auto cut = readImageFile(fixture("truncated.jpg"));
  ASSERT_TRUE(full && cut);
  EXPECT_EQ(cut->pixel(10, 2), full->pixel(10, 2));
  EXPECT_FALSE(decodeJPEG("\xff\xd8\xff"));
  EXPECT_FALSE(decodeJPEG(""));
  // A frame header claiming 65000 x 65000 pixels is refused before any allocation.
  auto bytes = testsupport::readFile(fixture("solid-3366cc.jpg"));
  size_t sof = bytes.find("\xff\xc0");
  ASSERT_NE(sof, std::string::npos);
  bytes[sof + 5] = char(0xfd), bytes[sof + 6] = char(0xe8), bytes[sof + 7] = char(0xfd), bytes[sof + 8] = char(0xe8);
  EXPECT_FALSE(decodeJPEG(bytes));
}

TEST(ImageFiles, WritesAtomicallyAndFailsCleanly) {
  testsupport::TempDir dir;
  Image image = patternImage(16, 16, false);
  ASSERT_TRUE(writeJPEGFile(image, dir.file("a.plist")));
  auto back = readImageFile(dir.file("a.plist"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width(), 16);
  ASSERT_TRUE(writePNGFile(image, dir.file("a.png")));
  EXPECT_FALSE(writePNGFile(image, dir.file("missing/a.png")));
  EXPECT_FALSE(writeJPEGFile(Image(), dir.file("empty.jpg")));
  EXPECT_FALSE(readImageFile(dir.file("empty.jpg")));
}
