// A window with a running scene: the five lines of the README, and a spinning box.
//   c++ -std=c++20 window.cpp $(pkg-config --cflags --libs quarn) -o window
//   ./window [seconds]
#include <cstdlib>

#include <quarn/Quarn.h>

int main(int argc, char** argv) {
  auto view = QuarnView::viewWithFrame({{100, 100}, {640, 480}});
  if (!view) return 1;
  auto box = view->newModelWithGeometry(view->newGeometryWithType("box"));
  box->setScale({10, 10, 10});
  box->setAnimated(true);
  box->setAngularVelocity({0.5f, 1, 0});
  if (argc > 1) QuarnView::runMainLoopFor(std::atof(argv[1]));
  else QuarnView::runMainLoop();
  return 0;
}
