// The open-mail pipeline: when the host reports an opened mail from the carrier's handsets, the
// mail is rebuilt around an HTML rendering of it with emoji pictures, in the chosen skin, and
// handed back to the host for display.
#pragma once

#include <functional>
#include <string>

#include "common/memory_stream.h"

namespace pictolumen {

// The host's two services the pipeline uses.
struct OpenMailHost {
  // The source of the mail being opened as a zero-terminated text in the host's memory (null for
  // none); it is read while the mail is parsed, which copies what the new mail keeps, and not
  // looked at after that.
  std::function<const char*()> GetSource;
  std::function<void(const std::string&)> SetSource;  // shows a source in its place ("TEMP")
};

// Runs the pipeline once. Returns without calling the host when the display is switched off
// ("chbIsEnable_Checked" other than "-1") and without SetSource when the sender is not the
// carrier's. The page shows the mail's own text (ReadMainText of FindMainTextPart) and its
// subject with the carrier's pictographs as pictures; the plain alternative carries the text in
// the set the mail brought it in. An error of any step propagates; SetSource is then never
// called, so the host is never handed a partial source.
void RunOpenMailPipeline(const OpenMailHost& host);

// The whole content of `stream`, read from position 0; the position is left at the end.
std::string StreamToString(TMemoryStream& stream);

}  // namespace pictolumen
