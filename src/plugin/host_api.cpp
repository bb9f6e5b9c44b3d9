#include "plugin/host_api.h"

#include <cstdint>
#include <string>

#include "common/text.h"
#include "platform/platform.h"

namespace pictolumen {

std::unique_ptr<THostApi> HostApi;

namespace {

// Module handles below 32 are error codes on the platforms the host runs on.
bool IsValidModule(void* module) {
  return reinterpret_cast<std::uintptr_t>(module) >= 32;
}

template <typename Fn>
Fn As(void* function) {
  return reinterpret_cast<Fn>(function);
}

}  // namespace

bool HostVersionPredatesSetStatus(std::string_view version) {
  return version.size() <= 7 && CompareIgnoringCase(version, "2.00.06") < 0;
}

bool THostApi::BindHostFunctions() {
  if (HostModule) return true;
  // The module is kept only once every function is bound, so that a failure on the way, an
  // exception included, leaves the binding undone and a later call tries again.
  const auto module = platform::MainModuleHandle();
  bool bound = IsValidModule(module);
  for (std::size_t i = 0; bound && i < kHostFunctionNames.size(); ++i) {
    if (i == kHostSetStatus) continue;
    functions_[i] = platform::ModuleSymbol(module, std::string("BKA_") + kHostFunctionNames[i]);
    bound = functions_[i] != nullptr;
  }
  if (bound) {
    functions_[kHostSetStatus] =
        platform::ModuleSymbol(module, std::string("BKA_") + kHostFunctionNames[kHostSetStatus]);
    const char* version = GetVersion();
    bound = functions_[kHostSetStatus] != nullptr ||
            HostVersionPredatesSetStatus(version ? version : "");
  }
  if (bound) HostModule = module;
  return bound;
}

const char* THostApi::GetVersion() const {
  return As<HostGetVersionFn>(functions_[kHostGetVersion])();
}

std::intptr_t THostApi::RegisterCommand(const char* name, std::intptr_t kind,
                                        MenuCommandFn callback) const {
  return As<HostRegisterCommandFn>(functions_[kHostRegisterCommand])(name, kind, callback);
}

char* THostApi::GetSource(const char* mail_id) const {
  return As<HostGetSourceFn>(functions_[kHostGetSource])(mail_id);
}

std::intptr_t THostApi::SetSource(const char* mail_id, const char* source) const {
  return As<HostSetSourceFn>(functions_[kHostSetSource])(mail_id, source);
}

}  // namespace pictolumen
