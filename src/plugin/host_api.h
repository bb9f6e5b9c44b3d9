// THostApi: the plug-in's binding to the host mail client's BKA_ functions. The library has
// exactly one, HostApi, from start-up to unload; every call into the host goes through it.
#pragma once

#include <array>
#include <memory>
#include <string_view>

#include "plugin/host_interface.h"

namespace pictolumen {

class THostApi {
 public:
  // Binds every host function from the host's main executable. True on success; on failure
  // HostModule is none again. A second call after success returns true at once.
  bool BindHostFunctions();

  // The host's functions the plug-in uses. Callable only after a successful binding.
  const char* GetVersion() const;
  std::intptr_t RegisterCommand(const char* name, std::intptr_t kind, MenuCommandFn callback) const;
  char* GetSource(const char* mail_id) const;
  std::intptr_t SetSource(const char* mail_id, const char* source) const;

  void* HostModule = nullptr;

 private:
  std::array<void*, kHostFunctionNames.size()> functions_{};
};

// True when a host of this version may lack BKA_SetStatus: the text is at most 7 bytes and
// sorts below "2.00.06", comparing bytes with ASCII letter case ignored.
// HostVersionPredatesSetStatus("2.00.05") == true;  HostVersionPredatesSetStatus("2.00.06") ==
// false
bool HostVersionPredatesSetStatus(std::string_view version);

// The library's one host binding; null before start-up and after unload.
extern std::unique_ptr<THostApi> HostApi;

}  // namespace pictolumen
