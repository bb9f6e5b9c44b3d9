#include "emoji/skin_page.h"

#include "common/text.h"
#include "emoji/emoji_markup.h"
#include "jtext/path_helpers.h"
#include "platform/platform.h"
#include "settings/config_model.h"
#include "settings/ini_settings.h"

namespace pictolumen {

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
  page = ReplaceAll(page, "{Body}", html_body);
  return ReplaceAll(page, "{Subject}", EmojiToHtml(subject, transfer_encoding));
}

}  // namespace pictolumen
