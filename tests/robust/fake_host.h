// The host's side for tests that drive the plug-in's exports in this very program: the 55 BKA_
// functions exported by name from the test program, as the host mail client exports them, with
// state a test can set (what GetVersion and GetSource hand out) and read (what the plug-in asked
// for). The plug-in's start-up binds them exactly as it binds the real host's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "plugin/host_interface.h"

namespace pictolumen::testing {

struct FakeHost {
  std::optional<std::string> version = std::string("2.75.00");  // nothing: GetVersion gives null
  std::optional<std::string> source;                            // nothing: GetSource gives null
  std::string handed_out;                                       // the copy GetSource gave last
  int get_source_calls = 0;
  int set_source_calls = 0;
  std::string set_mail_id;
  std::string set_source;
  int register_calls = 0;
  std::string registered_name;
  MenuCommandFn registered_callback = nullptr;

  // Forgets what the plug-in asked for.
  void ClearCalls();
};

FakeHost& Host();

}  // namespace pictolumen::testing
