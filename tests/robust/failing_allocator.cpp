#include "robust/failing_allocator.h"

#include <cstdlib>
#include <new>

namespace pictolumen::testing {
namespace {

// The program is single-threaded while armed; plain counters keep the allocator free of any
// allocation of its own.
long countdown = 0;  // 0: disarmed
long made_since_arming = 0;
bool failed = false;
long live = 0;

// Whether this allocation is the one to fail.
bool ShouldFail() {
  if (countdown == 0) return false;
  ++made_since_arming;
  if (--countdown != 0) return false;
  failed = true;
  return true;
}

void* Allocate(std::size_t size) {
  if (ShouldFail()) throw std::bad_alloc();
  void* block = std::malloc(size == 0 ? 1 : size);
  if (!block) throw std::bad_alloc();
  ++live;
  return block;
}

void* AllocateNoThrow(std::size_t size) noexcept {
  if (ShouldFail()) return nullptr;
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block) ++live;
  return block;
}

void Release(void* block) noexcept {
  if (!block) return;
  --live;
  std::free(block);
}

}  // namespace

void FailAllocationNumber(long n) {
  countdown = n;
  made_since_arming = 0;
  failed = false;
}

bool DisarmAllocationFailure() {
  countdown = 0;
  return failed;
}

long AllocationsSinceArming() {
  return made_since_arming;
}

long LiveAllocations() {
  return live;
}

AllocationFailurePause::AllocationFailurePause() : saved_(countdown) {
  countdown = 0;
}

AllocationFailurePause::~AllocationFailurePause() {
  countdown = saved_;
}

}  // namespace pictolumen::testing

using pictolumen::testing::Allocate;
using pictolumen::testing::AllocateNoThrow;
using pictolumen::testing::Release;

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateNoThrow(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateNoThrow(size);
}
void operator delete(void* block) noexcept {
  Release(block);
}
void operator delete[](void* block) noexcept {
  Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
  Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  Release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
  Release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  Release(block);
}
