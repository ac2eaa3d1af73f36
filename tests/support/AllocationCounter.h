#pragma once
// Counts the heap allocations (operator new) a program makes between start and stop. Linking
// the allocation_counter object library replaces the program's allocation functions; under
// AddressSanitizer, which owns them, nothing is replaced and available() is false.
namespace testsupport {

struct AllocationCounter {
  static bool available();
  static void start();  // from 0
  static long stop();   // allocations since start
};

}  // namespace testsupport
