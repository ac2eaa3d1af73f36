#include "MediaProbe.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  return mediaprobe::run(arguments);
}
