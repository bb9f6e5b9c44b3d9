#include "archive_inputs.h"

#include <algorithm>
#include <utility>

#include "common/errors.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

constexpr char kSep = platform::kPathSeparator;
// Folders deeper than this, and more folders than this, are not searched: links back to a
// folder above (or junctions on Windows) cannot make the search go on for ever.
constexpr int kDepthLimit = 32;
constexpr std::size_t kFolderLimit = 100000;
// Links and junctions as Windows reports them.
constexpr std::uint32_t kAttrReparsePoint = 0x400;
// A mail or vMessage file is read whole; a larger one is reported unreadable.
constexpr std::size_t kWholeFileLimit = std::size_t{1} << 30;
// An mbox file is read in pieces of this size.
constexpr std::size_t kPieceSize = std::size_t{4} << 20;
constexpr std::size_t kHeadSize = 4096;

std::string Joined(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' || folder.back() == '\\' ? folder + name
                                                                         : folder + kSep + name;
}

ArchiveKind KindOfFile(const std::string& path) {
  try {
    return KindOfContent(platform::ReadFilePart(path, 0, kHeadSize));
  } catch (const IoError&) {
    return ArchiveKind::kUnknown;
  }
}

void SearchFolder(const std::string& folder, int depth, InputSearch& search, std::size_t& folders) {
  if (depth > kDepthLimit || ++folders > kFolderLimit ||
      platform::FileExists(Joined(folder, kOutputMarkName))) {
    return;
  }
  std::vector<platform::DirectoryEntry> entries = platform::ListDirectory(Joined(folder, "*"));
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.name < b.name; });
  const auto has_folder = [&](std::string_view name) {
    return std::any_of(entries.begin(), entries.end(), [&](const auto& entry) {
      return entry.name == name && (entry.attributes & platform::kAttrFolder) != 0;
    });
  };
  const bool maildir = has_folder("cur") && has_folder("new");
  for (const platform::DirectoryEntry& entry : entries) {
    const std::string path = Joined(folder, entry.name);
    if ((entry.attributes & platform::kAttrFolder) != 0) {
      const bool skipped = entry.name == "." || entry.name == ".." ||
                           (entry.attributes & kAttrReparsePoint) != 0 ||
                           (maildir && entry.name == "tmp");
      if (!skipped) SearchFolder(path, depth + 1, search, folders);
      continue;
    }
    const ArchiveKind kind = KindOfFile(path);
    if (kind == ArchiveKind::kUnknown) {
      ++search.passed_over;
      continue;
    }
    search.files.push_back({path, kind, platform::FileSizeOf(path).value_or(0)});
  }
}

MailSource ErrorMail(const InputFile& file, std::string error) {
  MailSource mail;
  mail.input_path = file.path;
  mail.error = std::move(error);
  return mail;
}

void ReadMbox(const InputFile& file, const std::function<void(MailSource)>& take) {
  std::size_t number = 0;
  MboxSplitter splitter([&](std::string text) {
    MailSource mail;
    mail.text = std::move(text);
    mail.input_path = file.path;
    mail.number = ++number;
    take(std::move(mail));
  });
  for (std::uint64_t offset = 0;;) {
    const std::string piece = platform::ReadFilePart(file.path, offset, kPieceSize);
    if (piece.empty()) break;
    offset += piece.size();
    splitter.Feed(piece);
  }
  splitter.Finish();
}

void ReadVmg(const InputFile& file, const std::function<void(MailSource)>& take) {
  std::vector<VmgRecord> records = SplitVmg(platform::ReadWholeFile(file.path, kWholeFileLimit));
  if (records.empty()) take(ErrorMail(file, "no vMessage record"));
  for (std::size_t i = 0; i < records.size(); ++i) {
    MailSource mail;
    mail.input_path = file.path;
    mail.number = i + 1;
    if (records[i].has_body) {
      mail.text = std::move(records[i].mail);
    } else {
      mail.error = "a vMessage record without a BEGIN:VBODY block";
    }
    take(std::move(mail));
  }
}

}  // namespace

InputSearch FindInputs(const std::vector<std::string>& names) {
  InputSearch search;
  std::size_t folders = 0;
  for (const std::string& name : names) {
    if (platform::FolderExists(name)) {
      SearchFolder(name, 0, search, folders);
    } else if (platform::FileExists(name)) {
      search.files.push_back({name, KindOfFile(name), platform::FileSizeOf(name).value_or(0)});
    } else {
      search.missing.push_back(name);
    }
  }
  return search;
}

void ReadMails(const InputFile& file, const std::function<void(MailSource)>& take) {
  try {
    switch (file.kind) {
      case ArchiveKind::kMbox:
        ReadMbox(file, take);
        break;
      case ArchiveKind::kVmg:
        ReadVmg(file, take);
        break;
      case ArchiveKind::kMail: {
        MailSource mail;
        mail.text = platform::ReadWholeFile(file.path, kWholeFileLimit);
        mail.input_path = file.path;
        take(std::move(mail));
        break;
      }
      case ArchiveKind::kUnknown:
        take(ErrorMail(file, "neither a mail nor an mbox or vMessage file"));
        break;
    }
  } catch (const IoError& error) {
    take(ErrorMail(file, error.what()));
  }
}

}  // namespace pictolumen
