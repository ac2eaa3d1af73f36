// The host side: loading modules, driving a patch, reading rendered images back.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <memory>

#include "platform/composition/host/QCPatch.h"
#include "platform/composition/host/QCRenderedImage.h"
#include "platform/gl/HeadlessGLContext.h"
#include "tests/support/TestSupport.h"

using namespace platform::composition;
using testsupport::binPath;

namespace {

const QCPlugInInterface* check(const QCPlugInInterface& record, std::string& error) {
  return checkedPlugInInterface(&record, error);
}

}  // namespace

TEST(QCPlugInModule, RefusesWhatItCannotUse) {
  std::string error;
  EXPECT_FALSE(QCPlugInModule::load("/nonexistent/Plug.so", error));
  EXPECT_NE(error.find("cannot load '/nonexistent/Plug.so'"), std::string::npos) << error;

  testsupport::TempDir dir;
  testsupport::writeFile(dir.file("text.so"), "not a library");
  EXPECT_FALSE(QCPlugInModule::load(dir.file("text.so"), error));
  EXPECT_NE(error.find("cannot load"), std::string::npos) << error;

  // An audio unit is a module, but not a composition plug-in.
  EXPECT_FALSE(QCPlugInModule::load(binPath("OrrinthAU.so"), error));
  EXPECT_NE(error.find("is not a composition plug-in (it has no QCPlugInFactory)"), std::string::npos) << error;

  EXPECT_FALSE(QCPlugInModule::load(binPath("composition_test_oldinterface.so"), error));
  EXPECT_NE(error.find("cannot be used: it was built for plug-in interface version 0; this host takes version 1"),
            std::string::npos)
      << error;
}

TEST(QCPlugInModule, ChecksTheRecordBeforeUsingIt) {
  QCPlugInInterface record{};
  record.interfaceVersion = kQCPlugInInterfaceVersion;
  record.size = sizeof record;
  record.libraryABI = kQCPlugInLibraryABI;
  std::string error;
  EXPECT_FALSE(check(record, error));
  EXPECT_EQ(error, "its interface record is incomplete");

  auto module = QCPlugInModule::load(binPath("Sonograph.so"), error);
  ASSERT_TRUE(module) << error;
  record = module->plugInClass();
  EXPECT_TRUE(check(record, error));
  record.interfaceVersion = 2;
  EXPECT_FALSE(check(record, error));
  EXPECT_EQ(error, "it was built for plug-in interface version 2; this host takes version 1");
  record = module->plugInClass();
  record.size -= 8;
  EXPECT_FALSE(check(record, error));
  EXPECT_NE(error.find("interface record has"), std::string::npos);
  record = module->plugInClass();
  record.libraryABI ^= 1;
  EXPECT_FALSE(check(record, error));
  EXPECT_EQ(error, "it was built against another C++ library ABI");
  record = module->plugInClass();
  record.attributes = nullptr;
  EXPECT_FALSE(check(record, error));
  EXPECT_FALSE(checkedPlugInInterface(nullptr, error));
}

TEST(QCPatch, DrivesTheSonographModule) {
  std::string error;
  auto module = QCPlugInModule::load(binPath("Sonograph.so"), error);
  ASSERT_TRUE(module) << error;
  EXPECT_STREQ(module->plugInClass().className, "SonographPlugIn");
  auto patch = QCPatch::create(module, error);
  ASSERT_TRUE(patch) << error;
  std::vector<std::string> keys;
  for (const QCPort* p : patch->portsInOrder()) keys.push_back(p->declaration.key);
  EXPECT_EQ(keys, (std::vector<std::string>{"inputSpectrum", "inputWidth", "inputHeight", "inputGain",
                                            "inputColorAlgorithm", "inputRed", "inputGreen", "inputBlue",
                                            "inputAlpha", "outputImage"}));
  ASSERT_TRUE(patch->firstImageOutput());
  EXPECT_EQ(patch->firstImageOutput()->declaration.key, "outputImage");

  platform::gl::HeadlessGLContext gl(8, 8);
  ASSERT_TRUE(gl.valid());
  QCPlugInContext context(CGColorSpaceCreateWithName(kCGColorSpaceGenericRGB), cglContextFor(gl));
  EXPECT_FALSE(patch->execute(0)) << "not started";
  ASSERT_TRUE(patch->start(context));
  EXPECT_TRUE(patch->running());
  ASSERT_TRUE(patch->ports().setInputValue("inputWidth", uint64_t(20)));
  ASSERT_TRUE(patch->ports().setInputValue("inputHeight", uint64_t(10)));
  ASSERT_TRUE(patch->ports().setInputValue("inputSpectrum", QCStructure{0.1}));
  for (int i = 0; i < 512; ++i) ASSERT_TRUE(patch->execute(i / 60.0));
  auto provider = std::get<QCImageProviderRef>(*patch->ports().value("outputImage"));
  ASSERT_TRUE(provider);
  auto image = renderProviderImage(*provider, gl, error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->width(), 20);
  EXPECT_EQ(image->height(), 10);
  // Band 0 fills the bottom sixteenth: the bottom row of ten, red (hue 0) at value 0.5 (gain 0.5 ×
  // 0.1 × 10) times the red multiplier 0.5, opaque (100 × 0.5 × 0.1 × 0.5 = 2.5, clamped).
  EXPECT_EQ(image->pixel(5, 9), (platform::RGBA8{64, 0, 0, 255}));
  EXPECT_EQ(image->pixel(5, 8).a, 0);
  provider.reset();
  patch->stop();
  EXPECT_FALSE(patch->running());
  // The same module again: the refusal the context can ask for.
  auto second = QCPatch::create(module, error);
  ASSERT_TRUE(second);
  context.userInfo()["com.Tarrowgate.Sonograph"] = QCValue(true);
  EXPECT_FALSE(second->start(context));
}

namespace {

// A provider with a fixed 3 × 2 texture: rows bottom-up red, green, blue / white, black, clear.
class PatternProvider : public QCPlugInOutputImageProvider {
 public:
  explicit PatternProvider(std::vector<std::string> formats, bool flipped = false, bool fail = false)
      : formats_(std::move(formats)), flipped_(flipped), fail_(fail) {}
  platform::Rect imageBounds() const override { return platform::makeRect(0, 0, 3, 2); }
  CGColorSpaceRef imageColorSpace() const override { return CGColorSpaceCreateWithName(kCGColorSpaceSRGB); }
  const std::vector<std::string>& supportedRenderedTexturePixelFormats() const override { return formats_; }
  bool canRenderWithCGLContext(CGLContextObj context) const override { return context != nullptr; }
  GLTextureName copyRenderedTextureForCGLContext(CGLContextObj, const std::string& format, platform::Rect bounds,
                                                 bool* isFlipped) override {
    requested = format;
    requestedBounds = bounds;
    if (fail_) return 0;
    const uint8_t texels[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255,
                              255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 0};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA8, 3, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, 0);
    if (isFlipped) *isFlipped = flipped_;
    made = texture;
    return texture;
  }
  void releaseRenderedTexture(GLTextureName name, CGLContextObj) override {
    released = name;
    const GLuint texture = name;
    glDeleteTextures(1, &texture);
  }
  std::string requested;
  platform::Rect requestedBounds;
  GLTextureName made = 0, released = 0;

 private:
  std::vector<std::string> formats_;
  bool flipped_, fail_;
};

}  // namespace

TEST(QCRenderedImage, ReadsTheTextureBackTheRightWayUp) {
  platform::gl::HeadlessGLContext gl(8, 8);
  ASSERT_TRUE(gl.valid());
  std::string error;
  PatternProvider upright({"ARGB8", "BGRA8"});
  auto image = renderProviderImage(upright, gl, error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(upright.requested, "BGRA8");
  EXPECT_EQ(upright.requestedBounds, platform::makeRect(0, 0, 3, 2));
  EXPECT_EQ(upright.released, upright.made);
  EXPECT_FALSE(glIsTexture(upright.made));
  // The texture's first row is the bottom one.
  EXPECT_EQ(image->pixel(0, 1), (platform::RGBA8{255, 0, 0, 255}));
  EXPECT_EQ(image->pixel(2, 1), (platform::RGBA8{0, 0, 255, 255}));
  EXPECT_EQ(image->pixel(0, 0), (platform::RGBA8{255, 255, 255, 255}));
  EXPECT_EQ(image->pixel(2, 0), (platform::RGBA8{0, 0, 0, 0}));

  PatternProvider flipped({"BGRA8"}, true);
  image = renderProviderImage(flipped, gl, error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->pixel(0, 0), (platform::RGBA8{255, 0, 0, 255}));

  PatternProvider argbOnly({"ARGB8"});
  EXPECT_FALSE(renderProviderImage(argbOnly, gl, error));
  EXPECT_EQ(error, "the image offers no BGRA8 texture");
  EXPECT_EQ(argbOnly.made, 0u);
  PatternProvider failing({"BGRA8"}, false, true);
  EXPECT_FALSE(renderProviderImage(failing, gl, error));
  EXPECT_EQ(error, "the image made no texture");
  // A texture name that is not what was asked for is not read.
  EXPECT_FALSE(readRectangleTexture(0, 3, 2));
}
