// Resources compiled into the module as arrays where the platform has no resource section of
// its own. The table is generated from the resource script at build time.
#pragma once

#include <cstddef>

namespace pictolumen::platform {

struct EmbeddedResource {
  const char* type;
  const char* name;
  const unsigned char* data;
  std::size_t size;
};

extern const EmbeddedResource kEmbeddedResources[];
extern const std::size_t kEmbeddedResourceCount;

}  // namespace pictolumen::platform
