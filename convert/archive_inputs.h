// The converter's inputs: the files named and the files of the folders named (searched through,
// Maildir folders by their "cur" and "new"), each read into its mails.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "convert/archive_split.h"
#include "mail_output.h"

namespace pictolumen {

struct InputFile {
  std::string path;
  ArchiveKind kind = ArchiveKind::kUnknown;
  std::uint64_t size = 0;
};

struct InputSearch {
  std::vector<InputFile> files;      // in the order named, a folder's files by name
  std::size_t passed_over = 0;       // files of the folders that hold no mail
  std::vector<std::string> missing;  // names of neither a file nor a folder
};

// The inputs named by `names`. A file named is taken whatever it holds (one of unknown kind is
// reported unreadable); a folder's files are taken when their content is a mail, an mbox or a
// vMessage file. Folders holding the converter's output mark are left out, and so is a
// Maildir's "tmp".
InputSearch FindInputs(const std::vector<std::string>& names);

// Calls `take` with each mail of `file` in order (mbox files read a piece at a time). A file
// that cannot be read, or holds no mail, gives one mail with an error.
void ReadMails(const InputFile& file, const std::function<void(MailSource)>& take);

}  // namespace pictolumen
