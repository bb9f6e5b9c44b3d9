// Typed errors of the plug-in's core. The core raises them; the exported entry points and the
// dialog's event handlers catch them, so none ever reaches the host.
#pragma once

#include <stdexcept>
#include <string>

namespace pictolumen {

// Base of every error the core raises on purpose.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file could not be opened, read or written. `code` is the system error number where one is
// known (2 for a missing file), otherwise 0.
class IoError : public Error {
 public:
  IoError(int code, const std::string& message) : Error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

inline constexpr int kFileNotFoundCode = 2;

// A list was asked for an entry it does not have (a table row with too few columns).
class ListIndexError : public Error {
 public:
  using Error::Error;
};

// A text could not be read as the value asked for (a setting that is not a boolean).
class ConversionError : public Error {
 public:
  using Error::Error;
};

// A settings file could not be written; the message names the file.
class WriteError : public Error {
 public:
  using Error::Error;
};

// A rewrite would grow beyond what the mail's size allows it to hold; the mail is left as it is.
class SizeLimitError : public Error {
 public:
  using Error::Error;
};

}  // namespace pictolumen
