// The settings dialog natively: a form on the terminal for the stand-in host's set-up command.
#pragma once

#include <iosfwd>

#include "platform/settings_dialog.h"

namespace pictolumen::platform {

// Shows the model's form on `out` and reads one command per line from `in`: "e" toggles the
// check box, a number chooses that skin, "o" is OK, "c" is Cancel. OK that fails prints the
// error as "[caption] text" and the form stays; input that ends closes the form like the
// window's close box, writing nothing. Texts are converted from the ANSI code page to UTF-8.
void RunSettingsTerminal(SettingsDialogModel& model, std::istream& in, std::ostream& out);

}  // namespace pictolumen::platform
