// Stays up until killed, or for at most the number of seconds given as its argument (60 by
// default), so that a test that forgets it leaves nothing behind for long.
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
  int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  for (int i = 0; i < seconds * 10; ++i) usleep(100000);
  return 0;
}
