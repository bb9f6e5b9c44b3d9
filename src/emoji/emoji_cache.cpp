#include "emoji/emoji_cache.h"

#include "common/errors.h"
#include "common/text.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

// Copies the resource `name` of `type` to `path` in the cache folder unless a file is there.
void EnsureCacheFile(const std::string& path, std::string_view type, const std::string& name) {
  if (platform::FileExists(path)) return;
  const auto data = platform::FindResourceData(type, name);
  if (!data) throw Error("The plug-in has no resource " + std::string(type) + " " + name);
  // When another host process has put the file there meanwhile, its copy is the same resource.
  platform::WriteNewFileAtomically(path, *data);
}

}  // namespace

std::string GetCacheFolder() {
  const std::string folder = platform::PrivateTempFolder("_AE.tmp");
  if (folder.empty()) throw IoError(0, "Cannot make the image cache folder _AE.tmp");
  return folder;
}

std::string CacheFolderAddress() {
  std::string address = "file://";
  // "%", "#" and "?" are the bytes of a path that would end or change a file address; none of
  // them is ever the second byte of a Shift_JIS character.
  for (const char c : GetCacheFolder()) {
    switch (c) {
      case '%':
        address.append("%25");
        break;
      case '#':
        address.append("%23");
        break;
      case '?':
        address.append("%3F");
        break;
      default:
        address.push_back(c);
    }
  }
  return address;
}

void EnsureEmojiImage(std::string_view number) {
  EnsureEmojiImage(number, GetCacheFolder());
}

void EnsureEmojiImage(std::string_view number, const std::string& folder) {
  const std::string name(number);
  EnsureCacheFile(folder + name + ".gif", "GIF", "EMOJI" + name);
}

std::string EmojiTableName(std::string_view transfer_encoding) {
  return CompareIgnoringCase(transfer_encoding, "8bit") == 0 ? "EMOJI_8BIT" : "EMOJI_7BIT";
}

std::string CarrierTableName(Carrier carrier) {
  switch (carrier) {
    case Carrier::kDocomo:
      return "EMOJI_DOCOMO";
    case Carrier::kSoftbank:
      return "EMOJI_SOFTBANK";
    case Carrier::kAu:
      break;
  }
  return "EMOJI_7BIT";
}

std::string ExtractTable(const std::string& name) {
  const std::string path = GetCacheFolder() + name + ".csv";
  EnsureCacheFile(path, "TEXT", name);
  return path;
}

std::string ExtractEmojiTable(std::string_view transfer_encoding) {
  return ExtractTable(EmojiTableName(transfer_encoding));
}

}  // namespace pictolumen
