#include "emoji/skin_page.h"

#include <optional>
#include <utility>

#include "common/errors.h"
#include "emoji/emoji_markup.h"
#include "jtext/path_helpers.h"
#include "platform/platform.h"
#include "settings/config_model.h"
#include "settings/ini_settings.h"

namespace pictolumen {
namespace {

// `skin` with each "{Body}" and "{Subject}" of its own text replaced in one pass. The mail's
// text that is put in is never searched again: a mail whose text holds these words is shown as
// written, and cannot make the page many times the size of the mail. Where "{Body}" stands once,
// as in every skin that comes with the plug-in, the page is made around the body in its own
// storage, so that a large body is not copied into a new buffer.
std::string FillPlaceholders(std::string_view skin, std::string body, std::string_view subject) {
  constexpr std::string_view kBody = "{Body}";
  constexpr std::string_view kSubject = "{Subject}";
  // The part of the skin from `from` to `to` with each "{Subject}" replaced, appended to `page`.
  const auto append_with_subject = [&](std::string& page, std::size_t from, std::size_t to) {
    for (std::size_t found = skin.find(kSubject, from); found < to;
         found = skin.find(kSubject, from)) {
      page.append(skin.substr(from, found - from));
      page.append(subject);
      from = found + kSubject.size();
    }
    page.append(skin.substr(from, to - from));
  };
  const std::size_t first_body = skin.find(kBody);
  if (first_body != std::string_view::npos &&
      skin.find(kBody, first_body + kBody.size()) == std::string_view::npos) {
    std::string before;
    append_with_subject(before, 0, first_body);
    std::string after;
    append_with_subject(after, first_body + kBody.size(), skin.size());
    // Made afresh at its exact size rather than in the body's storage, which may have much room
    // to spare and would keep it for as long as the page lives.
    std::string page = platform::LargeText(before.size() + body.size() + after.size());
    page.append(before);
    page.append(body);
    page.append(after);
    return page;
  }
  std::string page;
  std::size_t at = 0;
  for (std::size_t found = skin.find(kBody); found != std::string_view::npos;
       found = skin.find(kBody, at)) {
    append_with_subject(page, at, found);
    page.append(body);
    at = found + kBody.size();
  }
  append_with_subject(page, at, skin.size());
  return page;
}

// Whether the skin name from the settings names a file of the skin folder itself: no path
// separator ("/", "\\", and ":" for a drive on Windows) and no "..".
bool IsNameInSkinFolder(std::string_view name) {
  if (name.find("..") != std::string_view::npos) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (platform::IsFileNameLeadByte(static_cast<unsigned char>(name[i]))) {
      ++i;
    } else if (name[i] == '/' || name[i] == '\\' ||
               (platform::kPathSeparator == '\\' && name[i] == ':')) {
      return false;
    }
  }
  return true;
}

// The skin file `path`, or nothing when it is missing or cannot be a skin (ReadFileText refuses
// it as missing).
std::optional<std::string> ReadSkin(const std::string& path) {
  try {
    return ReadFileText(path);
  } catch (const IoError& error) {
    if (error.code() != kFileNotFoundCode) throw;
    return std::nullopt;
  }
}

}  // namespace

std::string GetSkinFolder() {
  return FolderOfPath(ModuleFileName()) + kSkinFolderName + platform::kPathSeparator;
}

std::string ToForwardSlashes(std::string_view text) {
  std::string output(text);
  for (std::size_t i = 0; i < output.size(); ++i) {
    if (platform::IsFileNameLeadByte(static_cast<unsigned char>(output[i]))) {
      ++i;
    } else if (output[i] == '\\') {
      output[i] = '/';
    }
  }
  return output;
}

std::string BuildHtmlPage(std::string html_body, std::string_view subject,
                          std::string_view transfer_encoding) {
  const std::string folder = GetSkinFolder();
  const std::string skin =
      ReadIniString(SettingsFilePath(), kSettingsSection, kSkinKey, kDefaultSkin);
  std::optional<std::string> chosen;
  if (IsNameInSkinFolder(skin)) chosen = ReadSkin(folder + skin + kSkinExtension);
  std::string page =
      chosen ? std::move(*chosen) : ReadFileText(folder + kDefaultSkin + kSkinExtension);

  const std::string slash_folder = ToForwardSlashes(folder);
  page = ReplaceAll(page, "<img src=\"", "<img src=\"" + slash_folder);
  page = ReplaceAll(page, " background=\"", " background=\"" + slash_folder);
  return FillPlaceholders(page, std::move(html_body), EmojiToHtml(subject, transfer_encoding));
}

}  // namespace pictolumen
