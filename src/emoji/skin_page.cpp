#include "emoji/skin_page.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "common/text.h"
#include "jtext/path_helpers.h"
#include "platform/platform.h"
#include "settings/config_model.h"
#include "settings/ini_settings.h"

namespace pictolumen {
namespace {

// `skin` with its first "{Body}" and its first "{Subject}" replaced by the body and the subject,
// and any further ones left out: each is filled once per page, so that a skin of many
// placeholders cannot make the page many times the size of the mail. The mail's text that is
// put in is never searched again: a mail whose text holds these words is shown as written.
std::string FillPlaceholders(std::string_view skin, std::string_view body,
                             std::string_view subject) {
  constexpr std::string_view kBody = "{Body}";
  constexpr std::string_view kSubject = "{Subject}";
  std::vector<std::string_view> pieces;
  std::size_t next_body = skin.find(kBody);
  std::size_t next_subject = skin.find(kSubject);
  bool body_filled = false;
  bool subject_filled = false;
  std::size_t from = 0;
  while (std::min(next_body, next_subject) != std::string_view::npos) {
    const bool is_body = next_body < next_subject;
    const std::size_t at = is_body ? next_body : next_subject;
    pieces.push_back(skin.substr(from, at - from));
    bool& filled = is_body ? body_filled : subject_filled;
    if (!filled) pieces.push_back(is_body ? body : subject);
    filled = true;
    from = at + (is_body ? kBody : kSubject).size();
    (is_body ? next_body : next_subject) = skin.find(is_body ? kBody : kSubject, from);
  }
  pieces.push_back(skin.substr(from));
  std::size_t size = 0;
  for (const std::string_view piece : pieces) size += piece.size();
  std::string page = platform::LargeText(size);
  for (const std::string_view piece : pieces) page.append(piece);
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

// The skin file `path`, or nothing when it is missing or cannot be a skin (platform::ReadWholeFile
// refuses it as missing).
std::optional<std::string> ReadSkin(const std::string& path) {
  try {
    return platform::ReadWholeFile(path, kTextFileSizeLimit);
  } catch (const IoError& error) {
    if (error.code() != kFileNotFoundCode) throw;
    return std::nullopt;
  }
}

}  // namespace

std::string GetSkinFolder() {
  return FolderOfPath(platform::OwnModuleFileName()) + kSkinFolderName + platform::kPathSeparator;
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

std::string BuildHtmlPage(std::string html_body, std::string_view subject_html) {
  return BuildHtmlPage(std::move(html_body), subject_html,
                       {ReadIniString(SettingsFilePath(), kSettingsSection, kSkinKey, kDefaultSkin),
                        ToForwardSlashes(GetSkinFolder())});
}

std::string BuildHtmlPage(std::string html_body, std::string_view subject_html,
                          const SkinChoice& choice) {
  const std::string folder = GetSkinFolder();
  std::optional<std::string> chosen;
  if (IsNameInSkinFolder(choice.name)) chosen = ReadSkin(folder + choice.name + kSkinExtension);
  std::string page =
      chosen ? std::move(*chosen)
             : platform::ReadWholeFile(folder + kDefaultSkin + kSkinExtension, kTextFileSizeLimit);
  page = ReplaceAll(page, "<img src=\"", "<img src=\"" + choice.picture_prefix);
  page = ReplaceAll(page, " background=\"", " background=\"" + choice.picture_prefix);
  return FillPlaceholders(page, html_body, subject_html);
}

}  // namespace pictolumen
