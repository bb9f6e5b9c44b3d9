#include "emoji/skin_page.h"

#include "common/text.h"
#include "emoji/emoji_markup.h"
#include "jtext/path_helpers.h"
#include "platform/platform.h"
#include "settings/config_model.h"
#include "settings/ini_settings.h"

namespace pictolumen {
namespace {

// `skin` with each "{Body}" and "{Subject}" of its own text replaced in one pass. The mail's
// text that is put in is never searched again: a mail whose text holds these words is shown as
// written, and cannot make the page many times the size of the mail.
std::string FillPlaceholders(std::string_view skin, std::string_view body,
                             std::string_view subject) {
  constexpr std::string_view kBody = "{Body}";
  constexpr std::string_view kSubject = "{Subject}";
  std::string page;
  std::size_t at = 0;
  std::size_t next_body = skin.find(kBody);
  std::size_t next_subject = skin.find(kSubject);
  while (next_body != std::string_view::npos || next_subject != std::string_view::npos) {
    const bool is_body = next_body < next_subject;
    const std::size_t found = is_body ? next_body : next_subject;
    page.append(skin.substr(at, found - at));
    page.append(is_body ? body : subject);
    at = found + (is_body ? kBody : kSubject).size();
    if (next_body < at) next_body = skin.find(kBody, at);
    if (next_subject < at) next_subject = skin.find(kSubject, at);
  }
  page.append(skin.substr(at));
  return page;
}

}  // namespace

std::string GetSkinFolder() {
  return FolderOfPath(ModuleFileName()) + kSkinFolderName + platform::kPathSeparator;
}

std::string ToForwardSlashes(std::string_view text) {
  std::string output(text);
  for (std::size_t i = 0; i < output.size(); ++i) {
    if (IsSjisLeadByte(static_cast<unsigned char>(output[i]))) {
      ++i;
    } else if (output[i] == '\\') {
      output[i] = '/';
    }
  }
  return output;
}

std::string BuildHtmlPage(std::string_view html_body, std::string_view subject,
                          std::string_view transfer_encoding) {
  const std::string folder = GetSkinFolder();
  std::string skin = ReadIniString(SettingsFilePath(), kSettingsSection, kSkinKey, kDefaultSkin);
  if (!platform::FileExists(folder + skin + kSkinExtension)) skin = kDefaultSkin;
  std::string page = ReadFileText(folder + skin + kSkinExtension);

  const std::string slash_folder = ToForwardSlashes(folder);
  page = ReplaceAll(page, "<img src=\"", "<img src=\"" + slash_folder);
  page = ReplaceAll(page, " background=\"", " background=\"" + slash_folder);
  return FillPlaceholders(page, html_body, EmojiToHtml(subject, transfer_encoding));
}

}  // namespace pictolumen
