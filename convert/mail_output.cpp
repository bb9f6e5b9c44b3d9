#include "mail_output.h"

#include <new>
#include <optional>
#include <vector>

#include "charset/mail_date.h"
#include "common/errors.h"
#include "convert/archive_split.h"
#include "convert/output_names.h"
#include "emoji/emoji_markup.h"
#include "emoji/emoji_message.h"
#include "emoji/mail_conversion.h"
#include "emoji/main_text.h"
#include "emoji/skin_page.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

constexpr char kSep = platform::kPathSeparator;

void MakeFolder(const std::string& path) {
  if (!platform::FolderExists(path) && !platform::CreateFolder(path)) {
    throw OutputError("Cannot make the folder " + path);
  }
}

// Makes `path` and the folders above it that are missing.
void MakeFolders(const std::string& path) {
  for (std::size_t at = 1; at <= path.size(); ++at) {
    if (at == path.size() || path[at] == '/' || path[at] == '\\') {
      const std::string part = path.substr(0, at);
      if (part.empty() || part.back() == ':' || platform::FolderExists(part)) continue;
      MakeFolder(part);
    }
  }
}

void Write(const std::string& path, std::string_view data) {
  try {
    platform::WriteFileAtomically(path, data);
  } catch (const IoError& error) {
    throw OutputError(error.what());
  }
}

// The names of the skin's own pictures (after `<img src="` and ` background="`) that are plain
// file names of its folder.
std::vector<std::string> SkinPictures(std::string_view skin) {
  std::vector<std::string> names;
  for (const std::string_view opening :
       {std::string_view("<img src=\""), std::string_view(" background=\"")}) {
    for (std::size_t at = skin.find(opening); at != std::string_view::npos;
         at = skin.find(opening, at + 1)) {
      const std::size_t start = at + opening.size();
      const std::size_t end = skin.find('"', start);
      if (end == std::string_view::npos) break;
      const std::string name(skin.substr(start, end - start));
      if (!name.empty() && SafeFileName(name) == name) names.push_back(name);
    }
  }
  return names;
}

// The attachments of the tree below `root`, in their order.
std::vector<TMimePart*> Attachments(TMimePart& root) {
  std::vector<TMimePart*> found;
  std::vector<TMimePart*> pending{&root};
  while (!pending.empty()) {
    TMimePart* part = pending.back();
    pending.pop_back();
    if (part->SubPartCount() != 0) {
      for (auto sub = part->SubParts.rbegin(); sub != part->SubParts.rend(); ++sub) {
        pending.push_back(sub->get());
      }
    } else if (part != &root && IsAttachment(*part)) {
      found.push_back(part);
    }
  }
  return found;
}

// The bytes of an attachment as it was sent: transfer encoding undone, character set kept.
std::string ContentOf(TMimePart& part) {
  part.TargetCharset = part.CharsetCode;
  part.DecodeTakenBody();
  return part.DecodedData.Take();
}

std::string HeaderRow(std::string_view label, const std::string& html) {
  return "<tr><th style=\"text-align:left;padding:0 10px 0 0;color:#777;font-weight:normal;"
         "vertical-align:top\">" +
         std::string(label) + "</th><td>" + html + "</td></tr>";
}

std::string JoinedList(const StringList& list, const EmojiReading& reading) {
  std::string html;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i != 0) html += ", ";
    html += Utf8EmojiToHtml(list[i], reading);
  }
  return html;
}

std::size_t CountOf(std::string_view text, std::string_view word) {
  std::size_t count = 0;
  for (std::size_t at = text.find(word); at != std::string_view::npos;
       at = text.find(word, at + word.size())) {
    ++count;
  }
  return count;
}

IndexEntry Unreadable(IndexEntry entry, std::string reason) {
  entry.state = MailState::kUnreadable;
  entry.reason = std::move(reason);
  return entry;
}

IndexEntry Convert(const MailSource& mail, const OutputSettings& settings, IndexEntry entry,
                   const std::string& base) {
  const std::string mail_folder = settings.folder + "mail" + kSep;
  const PictureFolder pictures{settings.folder + "pictures" + kSep, "../pictures/"};

  TMimeMessEmoji message;
  message.ParseMessageText(mail.text);
  const TMessHeader& header = *message.Header;
  const std::optional<Carrier> sender = CarrierOfDomain(MailDomainOf(header.From));
  const bool pictographs = settings.any_sender || sender.has_value();
  const Carrier carrier = settings.any_sender ? settings.carrier : sender.value_or(Carrier::kAu);
  const EmojiReading reading{carrier, pictures, kNoSizeLimit, pictographs};

  std::string preface =
      "<table style=\"border-collapse:collapse;margin:0 0 12px 0;white-space:normal\">";
  const std::string date =
      entry.date_text.empty() ? HeaderFieldOf(mail.text, "Date") : entry.date_text;
  if (!date.empty()) preface += HeaderRow("Date", EscapeHtml(date));
  entry.from_html = Utf8EmojiToHtml(header.From, reading);
  preface += HeaderRow("From", entry.from_html);
  if (header.ToList.size() != 0) preface += HeaderRow("To", JoinedList(header.ToList, reading));
  if (header.CcList.size() != 0) preface += HeaderRow("Cc", JoinedList(header.CcList, reading));

  std::string links;
  std::size_t number = 0;
  for (TMimePart* part : Attachments(*message.MessagePart)) {
    const std::string name = AttachmentFileName(base, ++number, part->FileName);
    Write(mail_folder + name, ContentOf(*part));
    const std::string shown = part->FileName.empty() ? name : part->FileName;
    links += (links.empty() ? "" : ", ") + std::string("<a href=\"") + name + "\">" +
             EscapeHtml(platform::FileNameToAnsi(shown)) + "</a>";
  }
  if (!links.empty()) preface += HeaderRow("Files", links);
  preface += "</table>";

  ConversionOptions options;
  options.pictures = pictures;
  options.skin = SkinChoice{settings.skin, "../skin/"};
  options.body_preface_html = std::move(preface);
  options.keep_page = true;
  if (settings.any_sender) options.carrier = settings.carrier;
  options.read_pictographs = pictographs;
  const ConvertedMail converted = ConvertMail(mail.text, options);
  if (converted.outcome == ConversionOutcome::kTooManyParts) {
    return Unreadable(std::move(entry), "more parts than can be read");
  }
  if (converted.outcome != ConversionOutcome::kConverted) {
    return Unreadable(std::move(entry), "the mail only encloses another mail");
  }
  entry.state = pictographs ? MailState::kConverted : MailState::kPlain;
  entry.subject_html = converted.subject_html;
  entry.pictographs = CountOf(converted.page, "<img src=\"../pictures/");
  if (settings.write_eml) Write(mail_folder + base + ".eml", converted.source);
  Write(mail_folder + base + ".row", EntryRecord(entry));
  Write(mail_folder + entry.page, converted.page);
  return entry;
}

}  // namespace

void PrepareOutputFolder(const OutputSettings& settings) {
  MakeFolders(settings.folder.substr(0, settings.folder.size() - 1));
  for (const char* name : {"mail", "pictures", "skin"}) MakeFolder(settings.folder + name);
  Write(settings.folder + kOutputMarkName, "Written by pictolumen-convert.\n");
  const std::string skin_folder = GetSkinFolder();
  if (SafeFileName(settings.skin) != settings.skin ||
      !platform::FileExists(skin_folder + settings.skin + ".html")) {
    throw OutputError("No skin named \"" + settings.skin + "\" in " + skin_folder);
  }
  try {
    const std::string skin = platform::ReadWholeFile(skin_folder + settings.skin + ".html");
    for (const std::string& name : SkinPictures(skin)) {
      if (platform::FileExists(skin_folder + name)) {
        Write(settings.folder + "skin" + kSep + name, platform::ReadWholeFile(skin_folder + name));
      }
    }
  } catch (const IoError& error) {
    throw OutputError(error.what());
  }
}

IndexEntry WriteMail(const MailSource& mail, const OutputSettings& settings, bool& kept) {
  kept = false;
  IndexEntry entry;
  entry.origin_html =
      EscapeHtml(platform::FileNameToAnsi(mail.input_path)) + " #" + std::to_string(mail.number);
  if (!mail.error.empty()) return Unreadable(std::move(entry), mail.error);
  if (mail.text.find_first_not_of(" \t\r\n") == std::string::npos) {
    return Unreadable(std::move(entry), "the mail is empty");
  }
  if (!LooksLikeMail(mail.text)) return Unreadable(std::move(entry), "no mail header");

  const std::string date = HeaderFieldOf(mail.text, "Date");
  entry.utc_date = date.empty() ? 0 : ParseRfc822Date(date, 0);
  entry.date_text = DateText(date.empty() ? 0 : ParseRfc822Date(date));
  const std::string base = PageBaseName(mail.input_path, mail.number, entry.utc_date);
  entry.page = base + ".html";
  const std::string mail_folder = settings.folder + "mail" + kSep;
  if (!settings.force && platform::FileExists(mail_folder + entry.page)) {
    try {
      if (std::optional<IndexEntry> earlier =
              EntryFromRecord(platform::ReadWholeFile(mail_folder + base + ".row", 1 << 20));
          earlier && earlier->page == entry.page) {
        kept = true;
        return *earlier;
      }
    } catch (const IoError&) {
      // No record: the mail is converted again.
    }
  }
  try {
    return Convert(mail, settings, entry, base);
  } catch (const IoError& error) {
    throw OutputError(error.what());
  } catch (const Error& error) {
    return Unreadable(std::move(entry), error.what());
  } catch (const std::bad_alloc&) {
    return Unreadable(std::move(entry), "too large to convert in memory");
  }
}

}  // namespace pictolumen
