// An open file descriptor owned by its scope, for the POSIX side of the platform.
#pragma once

#include <unistd.h>

namespace pictolumen::platform {

// An open file descriptor, closed with its owner.
class ScopedDescriptor {
 public:
  explicit ScopedDescriptor(int descriptor) : descriptor_(descriptor) {}
  ~ScopedDescriptor() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  ScopedDescriptor(const ScopedDescriptor&) = delete;
  ScopedDescriptor& operator=(const ScopedDescriptor&) = delete;
  int get() const { return descriptor_; }

 private:
  int descriptor_;
};

}  // namespace pictolumen::platform
