// The HTML page shown for a converted mail: a skin (an HTML template in the skin folder beside
// the plug-in, chosen in the settings) with the mail's body and subject poured into it.
#pragma once

#include <string>
#include <string_view>

namespace pictolumen {

inline constexpr char kDefaultSkin[] = "Simple";

// The folder of the plug-in's library file followed by "Pictolumen_SKIN" and the path separator
// ("C:\Host\PlugIns\Pictolumen_SKIN\").
std::string GetSkinFolder();

// `text` with every "\" turned into "/", two-byte characters of the file names' code page
// stepped over (platform::IsFileNameLeadByte), so that Shift_JIS characters such as 0x83 0x5C
// keep their second byte on Windows.
// ToForwardSlashes("C:\\Mail\\Pictolumen_SKIN\\") == "C:/Mail/Pictolumen_SKIN/"
std::string ToForwardSlashes(std::string_view text);

// The page made from the skin named in the settings (key "SkinList_Seletced", default
// "Simple"; "Simple" when that skin's file is missing or no file platform::ReadWholeFile reads, or
// when the name holds a path separator or ".." and so would leave the skin folder): every `<img
// src="` and ` background="` gets the skin folder in slash form after it, then the first "{Body}"
// of the skin becomes `html_body` and the first "{Subject}" becomes `subject_html` (both markup
// made by EmojiToHtml or UnicodeEmojiMarkup), further ones are left out; the words in the mail's
// own text stay as they are. Raises IoError when the skin file cannot be read.
std::string BuildHtmlPage(std::string html_body, std::string_view subject_html);

// Which skin a page is made from, and where its own pictures are found.
struct SkinChoice {
  std::string name;            // as the settings name it; falls back to "Simple" as there
  std::string picture_prefix;  // put after every `<img src="` and ` background="` of the skin
};

// The page as BuildHtmlPage makes it, from the skin and picture prefix of `choice`.
std::string BuildHtmlPage(std::string html_body, std::string_view subject_html,
                          const SkinChoice& choice);

}  // namespace pictolumen
