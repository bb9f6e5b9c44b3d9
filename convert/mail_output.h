// One mail of an archive written into the output folder: its page, its attachments, its
// rewritten mail where asked for, and the record of its index row.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

#include "convert/mail_index.h"
#include "emoji/carrier.h"

namespace pictolumen {

// The output folder cannot be written: the run stops.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct OutputSettings {
  std::string folder;  // the output folder, ending in the path separator
  std::string skin = "Simple";
  bool any_sender = false;  // convert every mail, reading codes in `carrier`'s table
  Carrier carrier = Carrier::kAu;
  bool write_eml = false;
  bool force = false;  // convert again what an earlier run wrote
};

// A mail taken from an input, or the reason no mail could be taken.
struct MailSource {
  std::string text;
  std::string input_path;  // the file it came from
  std::size_t number = 1;  // its place there, from 1
  std::string error;       // not empty where the mail could not be read from the input
};

// Makes the output folder and its folders "mail", "pictures" and "skin", marks it as an output
// folder (so that it is never read as input) and copies the skin's own pictures into "skin".
// Raises OutputError when a folder or file cannot be made, or the skin is none of the skin
// folder's.
void PrepareOutputFolder(const OutputSettings& settings);

// The name of the file that marks a folder as the converter's output.
inline constexpr char kOutputMarkName[] = ".pictolumen-output";

// Converts `mail` into the output folder, or, where its page and record stand already and
// `force` is not set, reads its row from the record (`kept` is then set). Never throws but
// OutputError: a mail that cannot be converted gives an unreadable row.
IndexEntry WriteMail(const MailSource& mail, const OutputSettings& settings, bool& kept);

}  // namespace pictolumen
