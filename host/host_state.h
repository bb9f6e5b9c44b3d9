// The stand-in host's state that its BKA_ functions share with its driver.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plugin/host_interface.h"

namespace pictolumen::host {

struct RegisteredCommand {
  std::string name;
  std::intptr_t kind;
  MenuCommandFn callback;
  std::intptr_t id;
};

struct HostState {
  std::string version = "2.75.00";
  std::string current_mail;                // source of the mail being opened; BKA_GetSource
                                           // hands out its buffer
  std::optional<std::string> set_mail_id;  // arguments of the last BKA_SetSource
  std::string set_source;
  std::vector<RegisteredCommand> commands;
};

HostState& State();

}  // namespace pictolumen::host
