// QuarnView and its inspector in real windows on a virtual X display, driven by real X input
// (xdotool): the frame timer's pace, suspension, drags and double clicks, full screen and back,
// resizes, keys, and the inspector's buttons acting on the core. Screenshots are kept under
// build/tests/screenshots/ to look at.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <X11/Xlib.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "QuarnLogCapture.h"
#include "quarn/Quarn.h"
#include "tests/support/DisplayTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::xdotool;

// Runs `input` (xdotool calls) on a thread of its own while Quarn's main run loop runs, then
// lets the loop serve what is left for `settle` seconds.
void drive(const std::function<void()>& input, double settle = 0.4) {
  std::atomic<bool> done{false};
  std::thread thread([&] {
    input();
    done = true;
  });
  while (!done) QuarnView::runMainLoopFor(0.02);
  thread.join();
  QuarnView::runMainLoopFor(settle);
}

void pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

std::string id(unsigned long window) { return std::to_string(window); }

// What a window manager sends when the user closes a window: WM_PROTOCOLS / WM_DELETE_WINDOW.
bool sendCloseRequest(unsigned long window) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(display, window, False, NoEventMask, &event) != 0;
  XFlush(display);
  XCloseDisplay(display);
  return sent;
}

// A view that keeps the keys it is sent.
class KeyView : public QuarnView {
 public:
  std::string keys;
  void keyDown(const QuarnEvent& event) override {
    QuarnView::keyDown(event);
    keys += event.characters;
  }
};

class QuarnViewWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string why = testsupport::windowTestsUnavailable();
    if (!why.empty()) GTEST_SKIP() << why;
    view = QuarnView::viewWithFrame<KeyView>({{60, 1024 - 60 - 300}, {400, 300}});  // top-left at (60, 60)
    ASSERT_TRUE(view) << "no window";
    QuarnView::runMainLoopFor(0.3);  // mapped and drawn
    window = view->systemWindowID();
    ASSERT_NE(window, 0u);
  }
  void TearDown() override {
    view.reset();
    QuarnView::runMainLoopFor(0.1);
  }

  // Clicks inside the view at (x, y) from its top-left, `count` times in a row.
  void click(int x, int y, int count = 1) {
    drive([&] {
      xdotool({"mousemove", "--window", id(window), std::to_string(x), std::to_string(y)});
      pause(100);
      xdotool({"click", "--repeat", std::to_string(count), "--delay", "60", "1"});
    });
  }

  std::unique_ptr<KeyView> view;
  unsigned long window = 0;
};

TEST_F(QuarnViewWindowTest, GrantedFormatAndFramesAtTheTimersPace) {
  EXPECT_TRUE(view->doubleBuffered());
  EXPECT_EQ(view->colorBits(), 32);
  EXPECT_GE(view->depthBits(), 24);
  EXPECT_EQ(view->frameSize(), (QuarnSize{400, 300}));
  EXPECT_EQ(view->camera()->bounds(), (QuarnSize{400, 300}));
  const testsupport::WindowGeometry geometry = testsupport::windowGeometry(window);
  EXPECT_TRUE(geometry.viewable);
  EXPECT_EQ(geometry.width, 400);
  EXPECT_EQ(geometry.x, 60);
  EXPECT_EQ(geometry.y, 60);

  const auto before = view->renderedFrames();
  QuarnView::runMainLoopFor(1.0);
  const auto frames = view->renderedFrames() - before;
  EXPECT_GE(frames, 15u);  // about 66 at 15 ms; fewer on a loaded machine
  EXPECT_LE(frames, 70u);
  EXPECT_EQ(view->flushedBuffers(), view->renderedFrames());
}

TEST_F(QuarnViewWindowTest, SuspendedViewLeavesItsLastFrameAndState) {
  auto shader = view->newShaderWithDiffuse(QuarnColor::colorWithCalibratedRed(1, 0.5f, 0, 1));
  auto box = view->newModelWithGeometry(view->newGeometryWithType("box"), shader);
  box->setScale({12, 12, 12});
  box->setAnimated(true);
  box->setAngularVelocity({3, 5, 0});
  auto particles = view->newParticles();
  view->newModelWithGeometry(particles);
  QuarnView::runMainLoopFor(0.3);
  view->setSuspended(true);
  QuarnView::runMainLoopFor(0.1);
  const Vector rotation = box->rotation();
  const int age = particles->particles()[0].age;
  const auto swaps = view->flushedBuffers();
  const platform::Image first = testsupport::screenshot();
  QuarnView::runMainLoopFor(0.5);
  const platform::Image second = testsupport::screenshot(testsupport::screenshotFile("quarn-suspended.png"));
  EXPECT_EQ(box->rotation().x, rotation.x);
  EXPECT_EQ(box->rotation().y, rotation.y);
  EXPECT_EQ(particles->particles()[0].age, age);
  EXPECT_EQ(view->flushedBuffers(), swaps);
  ASSERT_FALSE(first.empty());
  // The view's pixels on screen did not change.
  int changed = 0;
  for (int y = 60; y < 360; y += 4)
    for (int x = 60; x < 460; x += 4) changed += !(first.pixel(x, y) == second.pixel(x, y));
  EXPECT_EQ(changed, 0);

  view->setSuspended(false);
  QuarnView::runMainLoopFor(0.2);
  EXPECT_NE(box->rotation().y, rotation.y);
  EXPECT_GT(view->flushedBuffers(), swaps);
}

TEST_F(QuarnViewWindowTest, DoubleClickTogglesFullScreenAndBack) {
  const std::uint32_t ownWindow = view->windowID();
  // A green box in the middle of the picture, unlit so that its colour is exact.
  auto shader = view->newShaderWithDiffuse(QuarnColor::colorWithCalibratedRed(0, 0, 0, 1));
  shader->setEmissive(QuarnColor::colorWithCalibratedRed(0, 1, 0, 1));
  view->newModelWithGeometry(view->newGeometryWithType("box"), shader)->setScale({8, 8, 8});
  view->camera()->setPosition({0, 0, 50});
  click(200, 150, 1);  // a single click does not toggle; the cursor hides until the mouse moves
  EXPECT_FALSE(view->fullScreenMode());
  EXPECT_TRUE(view->cursorHidden());
  drive([&] { xdotool({"mousemove_relative", "5", "5"}); });
  EXPECT_FALSE(view->cursorHidden());

  click(200, 150, 2);
  ASSERT_TRUE(view->fullScreenMode());
  EXPECT_FALSE(view->faded());
  EXPECT_NE(view->windowID(), ownWindow);
  EXPECT_TRUE(view->cursorHidden());
  const testsupport::WindowGeometry full = testsupport::windowGeometry(view->systemWindowID());
  EXPECT_TRUE(full.viewable);
  EXPECT_EQ(full.x, 0);
  EXPECT_EQ(full.y, 0);
  EXPECT_EQ(full.width, 1280);
  EXPECT_EQ(full.height, 1024);
  QuarnView::runMainLoopFor(0.3);  // the camera follows the new size at the next frame
  EXPECT_EQ(view->camera()->bounds(), (QuarnSize{1280, 1024}));
  GLint viewport[4] = {};
  view->makeCurrentContext();
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 1280);
  // The context now draws into the full-screen window: the box is in the middle of the screen.
  const platform::Image fullShot = testsupport::screenshot(testsupport::screenshotFile("quarn-fullscreen.png"));
  EXPECT_TRUE(testsupport::pixelNear(fullShot, 640, 512, 0, 255, 0, 8)) << testsupport::describePixel(fullShot, 640, 512);
  EXPECT_TRUE(testsupport::pixelNear(fullShot, 20, 20, 0, 0, 0, 8)) << testsupport::describePixel(fullShot, 20, 20);

  // The second double click lands on the full-screen window and brings the view back.
  const unsigned long fullWindow = view->systemWindowID();
  drive([&] {
    xdotool({"mousemove", "--window", id(fullWindow), "640", "500"});
    pause(100);
    xdotool({"click", "--repeat", "2", "--delay", "60", "1"});
  });
  EXPECT_FALSE(view->fullScreenMode());
  EXPECT_EQ(view->windowID(), ownWindow);
  EXPECT_FALSE(view->cursorHidden());
  EXPECT_FALSE(testsupport::windowGeometry(fullWindow).found && testsupport::windowGeometry(fullWindow).viewable);
  QuarnView::runMainLoopFor(0.2);
  EXPECT_EQ(view->camera()->bounds(), (QuarnSize{400, 300}));
  // And back in its own window, at (60, 60) on the screen.
  const platform::Image back = testsupport::screenshot();
  EXPECT_TRUE(testsupport::pixelNear(back, 60 + 200, 60 + 150, 0, 255, 0, 8)) << testsupport::describePixel(back, 260, 210);
}

TEST_F(QuarnViewWindowTest, BlackQuadFadeDarkensTheViewOnly) {
  view->camera()->setClearColor(QuarnColor::colorWithCalibratedRed(1, 1, 1, 1));
  QuarnView::runMainLoopFor(0.2);
  const platform::Image before = testsupport::screenshot();
  ASSERT_FALSE(before.empty());
  ASSERT_TRUE(testsupport::pixelNear(before, 260, 210, 255, 255, 255, 8)) << testsupport::describePixel(before, 260, 210);

  view->setFadeStyle(QuarnView::FadeStyle::BlackQuad);
  view->fadeOut();
  EXPECT_TRUE(view->faded());
  const platform::Image faded = testsupport::screenshot(testsupport::screenshotFile("quarn-faded.png"));
  EXPECT_TRUE(testsupport::pixelNear(faded, 260, 210, 0, 0, 0, 8)) << testsupport::describePixel(faded, 260, 210);
  view->fadeIn();
  EXPECT_FALSE(view->faded());
  view->render();
  const platform::Image after = testsupport::screenshot();
  EXPECT_TRUE(testsupport::pixelNear(after, 260, 210, 255, 255, 255, 8)) << testsupport::describePixel(after, 260, 210);
}

TEST_F(QuarnViewWindowTest, PlainFullScreenSwitchOfTheSameWindow) {
  const std::uint32_t ownWindow = view->windowID();
  view->setScreenModeCGL();
  QuarnView::runMainLoopFor(0.5);
  EXPECT_TRUE(view->fullScreenMode());
  EXPECT_EQ(view->windowID(), ownWindow);
  testsupport::WindowGeometry geometry = testsupport::windowGeometry(window);
  EXPECT_EQ(geometry.width, 1280);
  EXPECT_EQ(geometry.height, 1024);
  EXPECT_EQ(view->camera()->bounds(), (QuarnSize{1280, 1024}));
  view->setScreenModeCGL();
  QuarnView::runMainLoopFor(0.5);
  EXPECT_FALSE(view->fullScreenMode());
  geometry = testsupport::windowGeometry(window);
  EXPECT_EQ(geometry.width, 400);
  EXPECT_EQ(geometry.height, 300);
  EXPECT_EQ(view->camera()->bounds(), (QuarnSize{400, 300}));
}

TEST_F(QuarnViewWindowTest, DragTracksTheOffsetWhileFramesGoOn) {
  const auto before = view->renderedFrames();
  std::uint64_t duringDrag = 0;
  drive([&] {
    xdotool({"mousemove", "--window", id(window), "100", "100"});
    pause(100);
    xdotool({"mousedown", "1"});
    pause(100);
    xdotool({"mousemove", "--window", id(window), "160", "140"});
    pause(100);
    xdotool({"mousemove", "--window", id(window), "200", "80"});
    pause(400);  // the button is held: the loop runs in the tracking mode
    duringDrag = view->renderedFrames();
    xdotool({"mouseup", "1"});
  });
  // From the mouse-down point, y up, scaled by 0.001.
  EXPECT_NEAR(view->mouseDelta().x, 0.100f, 1e-4);
  EXPECT_NEAR(view->mouseDelta().y, 0.020f, 1e-4);
  EXPECT_GT(duringDrag, before + 10);  // frames kept coming while the mouse was down
  EXPECT_FALSE(view->fullScreenMode());
}

TEST_F(QuarnViewWindowTest, KeysReachTheViewAndResizesOnlyItsOwn) {
  drive([&] {
    xdotool({"mousemove", "--window", id(window), "50", "50"});
    xdotool({"click", "1"});
    pause(100);
    xdotool({"type", "--delay", "40", "qi"});
  });
  EXPECT_EQ(view->keys, "qi");

  // Another view's window resized: this camera is left alone.
  auto other = QuarnView::viewWithFrame({{600, 300}, {200, 150}});
  ASSERT_TRUE(other);
  QuarnView::runMainLoopFor(0.2);
  const unsigned long otherWindow = other->systemWindowID();
  drive([&] { xdotool({"windowsize", id(otherWindow), "300", "220"}); });
  EXPECT_EQ(other->camera()->bounds(), (QuarnSize{300, 220}));
  EXPECT_EQ(view->camera()->bounds(), (QuarnSize{400, 300}));
  view->aWindowDidResize(other->windowID());  // as the notification for another window
  EXPECT_EQ(view->camera()->bounds(), (QuarnSize{400, 300}));

  // Its own window resized: the camera follows.
  drive([&] { xdotool({"windowsize", id(window), "500", "350"}); });
  EXPECT_EQ(view->frameSize(), (QuarnSize{500, 350}));
  EXPECT_EQ(view->camera()->bounds(), (QuarnSize{500, 350}));
  other.reset();
  QuarnView::runMainLoopFor(0.1);
}

TEST_F(QuarnViewWindowTest, ClosingTheLastWindowEndsTheMainLoop) {
  EXPECT_EQ(QuarnView::openViewWindows(), 1);
  std::thread closer([&] {
    pause(300);
    EXPECT_TRUE(sendCloseRequest(window));
  });
  const auto start = std::chrono::steady_clock::now();
  QuarnView::runMainLoop();  // returns when the window is closed
  closer.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_FALSE(view->windowIsOpen());
  EXPECT_EQ(QuarnView::openViewWindows(), 0);
}

TEST(QuarnDemoWindow, SpaceSuspendsAndIOpensTheInspector) {
  const std::string why = testsupport::windowTestsUnavailable();
  if (!why.empty()) GTEST_SKIP() << why;
  std::thread input([] {
    // Wait for the demo's window, then type into it.
    for (int i = 0; i < 100; ++i) {
      testsupport::RunResult found = testsupport::run("/usr/bin/xdotool", {"search", "--name", "Quarn demo"});
      if (found.status == 0 && !found.out.empty()) {
        const std::string window = found.out.substr(0, found.out.find('\n'));
        pause(500);
        xdotool({"mousemove", "--window", window, "30", "30"});
        xdotool({"click", "1"});
        pause(200);
        xdotool({"type", "--delay", "300", "  i"});
        return;
      }
      pause(100);
    }
  });
  testsupport::RunResult demo =
      testsupport::run(testsupport::binPath("quarn-demo"), {"--seconds", "5", "--size", "320x240"}, {}, 120);
  input.join();
  EXPECT_EQ(demo.status, 0) << demo.err;
  // Space, space again, then I: suspended, resumed, and the inspector woke up.
  const size_t suspended = demo.err.find("QuarnView setSuspended: 1");
  ASSERT_NE(suspended, std::string::npos) << demo.err;
  const size_t resumed = demo.err.find("QuarnView setSuspended: 0", suspended);
  ASSERT_NE(resumed, std::string::npos) << demo.err;
  const size_t inspector = demo.err.find("quarnCoreController awoke from nib", resumed);
  EXPECT_NE(inspector, std::string::npos) << demo.err;
}

class QuarnInspectorWindowTest : public QuarnViewWindowTest {
 protected:
  QuarnInspectorWindowController& inspector = QuarnInspectorWindowController::sharedWindowController();

  void clickControl(const std::string& name) {
    std::optional<QuarnRect> frame = inspector.controlFrame(name);
    ASSERT_TRUE(frame) << "no control " << name;
    const int x = static_cast<int>(frame->origin.x + frame->size.width / 2);
    const int y = static_cast<int>(frame->origin.y + frame->size.height / 2);
    const unsigned long w = inspector.systemWindowID();
    drive([&] {
      xdotool({"mousemove", "--window", id(w), std::to_string(x), std::to_string(y)});
      pause(120);
      xdotool({"click", "1"});
      pause(120);
    });
  }
};

TEST_F(QuarnInspectorWindowTest, ToggleShowsTheInspectorWhoseButtonsActOnTheCore) {
  QuarnCore* core = view->core3d();
  view->toggleInspector();
  ASSERT_TRUE(inspector.isWindowVisible());
  EXPECT_EQ(inspector.QuarnCoreControllerObj().quarncoreObj(), core);
  QuarnView::runMainLoopFor(0.5);
  EXPECT_GT(inspector.framesDrawn(), 3u);
  ASSERT_NE(inspector.systemWindowID(), 0u);
  EXPECT_TRUE(testsupport::windowGeometry(inspector.systemWindowID()).viewable);

  // A new model appears in the core and in the models table.
  clickControl("New Model");
  ASSERT_EQ(core->models().size(), 1u);
  EXPECT_EQ(core->models()[0]->name(), "model_1");
  clickControl("tab:models");
  EXPECT_EQ(inspector.QuarnCoreControllerObj().selectedTabIdentifier(), "models");
  EXPECT_EQ(inspector.QuarnCoreControllerObj().numberOfRowsInTableView(), 1);
  QuarnView::runMainLoopFor(0.2);
  EXPECT_TRUE(inspector.controlFrame("row:models:0").has_value());
  clickControl("New Light");
  EXPECT_EQ(core->lights().size(), 2u);

  // The outline: Scene, then the camera, the default light and the new nodes in creation order.
  QuarnView::runMainLoopFor(0.2);
  std::vector<float> rows;
  for (const char* name : {"outline:Scene", "outline:Main Camera", "outline:light_0", "outline:model_1", "outline:light_1"}) {
    std::optional<QuarnRect> frame = inspector.controlFrame(name);
    ASSERT_TRUE(frame) << name;
    rows.push_back(frame->origin.y);
  }
  EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));

  // Lighting: on (already on) at the first press, off at the second, in the view's context.
  clickControl("Lighting");
  EXPECT_TRUE(inspector.QuarnCoreControllerObj().lighting());
  view->makeCurrentContext();
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  clickControl("Lighting");
  EXPECT_FALSE(inspector.QuarnCoreControllerObj().lighting());
  view->makeCurrentContext();
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  clickControl("Lighting");

  // Reset World twice leaves the scene running.
  clickControl("Reset World");
  EXPECT_TRUE(view->suspended());
  clickControl("Reset World");
  EXPECT_FALSE(view->suspended());
  EXPECT_EQ(core->models().size(), 1u);
  {
    quarntest::QuarnLogCapture log;
    clickControl("Suspend");
    EXPECT_TRUE(view->suspended());
    EXPECT_TRUE(log.contains("toggleSuspended"));
  }
  clickControl("Suspend");  // now "Resume"
  EXPECT_FALSE(view->suspended());

  testsupport::screenshot(testsupport::screenshotFile("quarn-inspector.png"));
  // The view's toggle hides it again.
  view->toggleInspector();
  EXPECT_FALSE(inspector.isWindowVisible());
  QuarnView::runMainLoopFor(0.2);
  EXPECT_FALSE(testsupport::windowGeometry(inspector.systemWindowID()).viewable);
}

TEST_F(QuarnInspectorWindowTest, TheInspectorLetsGoOfAViewThatIsGone) {
  view->toggleInspector();
  ASSERT_TRUE(inspector.isWindowVisible());
  view.reset();
  EXPECT_EQ(inspector.QuarnCoreControllerObj().quarncoreObj(), nullptr);
  EXPECT_FALSE(inspector.isWindowVisible());
  QuarnView::runMainLoopFor(0.2);  // nothing left to draw from
}

}  // namespace
