// Hands every message the tests build to an independent reader: when the environment variable
// PICTOLUMEN_MIME_READBACK_DIR names a folder, SaveForReadBack writes the message there as
// NAME.eml with NAME.tree, the tree as this engine reads it back (readback_test.py compares it
// with what Python's email package reads from the same file).
#pragma once

#include <string>
#include <string_view>

#include "mime/mime_mess.h"

namespace pictolumen::testing {

// The subject and the part tree of a message source as this engine reads it, one line each:
// "subject HEX" (decoded to UTF-8), then per part in tree order "part DEPTH TYPE HEX", HEX
// being the part's transfer-decoded content ("-" for multiparts and enclosed messages).
std::string DescribeAsParsed(std::string_view source);

// Saves the message text `source` for the read-back check. `original`, when given, names a
// sample mail that Python must read into the same tree as the saved one.
void SaveForReadBack(const std::string& name, const std::string& source,
                     const std::string& original = "");

}  // namespace pictolumen::testing
