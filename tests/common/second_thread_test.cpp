#include "common/second_thread.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define PL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PL_ADDRESS_SANITIZER 1
#endif
#endif

#if !defined(_WIN32)
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#endif

namespace pictolumen {
namespace {

TEST(StartOnSecondThread, DoesTheWorkAsideAndRaisesWhatItRaised) {
  std::thread::id worker;
  std::future<void> done = StartOnSecondThread([&] { worker = std::this_thread::get_id(); });
  done.get();
  EXPECT_NE(worker, std::thread::id());
  EXPECT_NE(worker, std::this_thread::get_id());
  std::future<void> failed = StartOnSecondThread([] { throw std::runtime_error("half failed"); });
  EXPECT_THROW(failed.get(), std::runtime_error);
}

#if !defined(_WIN32) && !defined(PL_ADDRESS_SANITIZER)
// In a child process: limits the address space to a little more than the process uses, too
// little for a thread's stack, and starts work; 0 when the work was done, by the caller. New
// threads get larger stacks than any the C library kept from threads that ended, so that one
// of those cannot be reused.
int StartWithoutRoomForAThread() {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0 ||
      pthread_attr_setstacksize(&attributes, std::size_t{64} << 20) != 0 ||
      pthread_setattr_default_np(&attributes) != 0) {
    return 1;
  }
  long pages = 0;
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 2;
  const bool read = std::fscanf(statm, "%ld", &pages) == 1;
  std::fclose(statm);
  if (!read) return 2;
  const rlim_t used = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
  const rlimit limit{used + (1 << 20), used + (1 << 20)};
  if (setrlimit(RLIMIT_AS, &limit) != 0) return 3;
  std::thread::id worker;
  std::future<void> done = StartOnSecondThread([&] { worker = std::this_thread::get_id(); });
  done.get();
  return worker == std::this_thread::get_id() ? 0 : 4;
}

// AddressSanitizer needs far more address space than that for itself.
TEST(StartOnSecondThread, LeavesTheWorkToTheCallerWhereNoThreadCanStart) {
  EXPECT_EXIT(std::_Exit(StartWithoutRoomForAThread()), testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace pictolumen
