// The whole open-mail pipeline on one message, as the host runs it when a mail is opened. The
// image cache lives in a fresh temporary folder; the settings file (absent: display on, default
// skin) and the skin folder are the fuzzer's own, beside the program. Any error must come out
// as one of our typed errors, which the export turns into "mail left as it was"; a source handed
// to the host must be a mail that reads back, and every picture its page shows must be a GIF in
// the cache.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/errors.h"
#include "emoji/emoji_cache.h"
#include "emoji/open_mail_pipeline.h"
#include "emoji/skin_page.h"
#include "fuzz_check.h"
#include "mime/mime_mess.h"
#include "platform/platform.h"
#include "scratch_folder.h"
#include "settings/ini_settings.h"

using namespace pictolumen;

namespace {

// The HTML alternative of a rewritten mail: the last sub-part of the chain of last sub-parts.
std::string HtmlOf(TMimeMess& message) {
  TMimePart* part = message.MessagePart.get();
  while (part->SubPartCount() != 0) part = part->SubPartAt(part->SubPartCount() - 1);
  FUZZ_CHECK(part->Description == "HTML text", part->Description);
  part->DecodeBody();
  return StreamToString(part->DecodedData);
}

// Every picture the page shows from the cache names a GIF file that is there.
void CheckPictures(std::string_view html, std::string_view cache) {
  const std::string start = "<img src=\"file://";
  for (std::size_t at = html.find(start); at != std::string_view::npos;
       at = html.find(start, at + 1)) {
    const std::size_t path = at + start.size();
    const std::size_t end = html.find('"', path);
    FUZZ_CHECK(end != std::string_view::npos, html.substr(at));
    const std::string_view file = html.substr(path, end - path);
    if (file.substr(0, cache.size()) != cache) continue;
    FUZZ_CHECK(platform::FileExists(std::string(file)), file);
    FUZZ_CHECK(platform::ReadWholeFile(std::string(file)).compare(0, 6, "GIF89a") == 0, file);
  }
}

// The new frame reads back whole: mixed > related > alternative > the plain and the HTML text,
// the root itself where the mail had one part, else the root's last sub-part. A line of the
// mail that a reader took for a delimiter would cut it short or add parts to it.
void CheckFrame(const TMimePart& root) {
  FUZZ_CHECK(root.SubPartCount() != 0, "the new mail has no parts");
  const TMimePart& mixed = root.SubPartCount() == 1 ? root : *root.SubParts.back();
  FUZZ_CHECK(mixed.SubType == "MIXED" && mixed.SubPartCount() == 1, mixed.SubType);
  const TMimePart& related = *mixed.SubParts[0];
  FUZZ_CHECK(related.SubType == "RELATED" && related.SubPartCount() == 1, related.SubType);
  const TMimePart& alternative = *related.SubParts[0];
  FUZZ_CHECK(alternative.SubType == "ALTERNATIVE" && alternative.SubPartCount() == 2,
             alternative.SubType);
  FUZZ_CHECK(alternative.SubParts[0]->Description == "Message text",
             alternative.SubParts[0]->Description);
  FUZZ_CHECK(alternative.SubParts[1]->Description == "HTML text",
             alternative.SubParts[1]->Description);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (fuzz::ScratchFolder().empty()) return 1;
  setenv("TMPDIR", fuzz::ScratchFolder().c_str(), 1);
  std::filesystem::remove(SettingsFilePath());
  std::filesystem::create_directories(GetSkinFolder());
  platform::WriteWholeFile(GetSkinFolder() + kDefaultSkin + ".html",
                           "<html><title>{Subject}</title><body><img src=\"frame.gif\">"
                           "<pre>{Body}</pre></body></html>");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string source(reinterpret_cast<const char*>(data), size);
  std::optional<std::string> handed;
  try {
    RunOpenMailPipeline(
        {[&] { return source.c_str(); }, [&](const std::string& s) { handed = s; }});
  } catch (const Error&) {
    FUZZ_CHECK(!handed, "a source handed to the host before an error");
    return 0;
  }
  if (!handed) return 0;

  TMimeMess rewritten;
  rewritten.ParseMessageText(*handed);
  CheckFrame(*rewritten.MessagePart);
  CheckPictures(HtmlOf(rewritten), GetCacheFolder());
  return 0;
}
