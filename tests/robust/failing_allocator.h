// A global allocator for the test program that can be told to fail: operator new and new[] of
// this program (and, linked statically on Windows, of the whole C++ library in it) count their
// calls, and the N-th one after arming throws std::bad_alloc (the nothrow forms return null).
// Only that one call fails; later ones succeed, as when memory is short for a moment. The count
// of blocks alive lets a test see that a failed call released everything it had taken.
#pragma once

#include <cstddef>

namespace pictolumen::testing {

// Arms the allocator: the `n`-th allocation from now on fails (n >= 1).
void FailAllocationNumber(long n);
// Disarms it; true when the armed failure happened.
bool DisarmAllocationFailure();
// Allocations made since the last arming.
long AllocationsSinceArming();
// Blocks allocated with operator new and not yet deleted.
long LiveAllocations();

// Holds the armed failure back for its life: what the stand-in host allocates on its own side
// is not the plug-in's to fail.
class AllocationFailurePause {
 public:
  AllocationFailurePause();
  ~AllocationFailurePause();
  AllocationFailurePause(const AllocationFailurePause&) = delete;
  AllocationFailurePause& operator=(const AllocationFailurePause&) = delete;

 private:
  long saved_;
};

}  // namespace pictolumen::testing
