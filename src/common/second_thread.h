// Work done on a second thread beside the calling one, for the halves of large texts.
#pragma once

#include <future>
#include <system_error>
#include <utility>

namespace pictolumen {

// Starts `work` on a thread of its own and returns the future that waits for it; get() also
// raises what the work raised, and the future waits in its destructor too, so the work never
// outlives the caller's scope. Where no thread can be started (a process short of threads or of
// address space for a stack), the work is left to the calling thread, done when it waits: a
// shortage of threads costs time, never the result.
template <class Work>
std::future<void> StartOnSecondThread(Work work) {
  try {
    return std::async(std::launch::async, work);
  } catch (const std::system_error&) {
    return std::async(std::launch::deferred, std::move(work));
  }
}

}  // namespace pictolumen
