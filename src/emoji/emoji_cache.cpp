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
  const std::string folder = GetCacheFolder();
  if (!platform::FolderExists(folder) && !platform::CreateFolder(folder) &&
      !platform::FolderExists(folder)) {
    throw IoError(0, "Cannot create the folder " + folder);
  }
  // When another host process has put the file there meanwhile, its copy is the same resource.
  platform::WriteNewFileAtomically(path, *data);
}

}  // namespace

std::string GetCacheFolder() {
  const std::string temp = platform::TempFolder();
  if (temp.empty()) throw IoError(0, "The system names no temporary folder");
  return temp + "_AE.tmp" + platform::kPathSeparator;
}

void EnsureEmojiImage(std::string_view number) {
  const std::string name(number);
  EnsureCacheFile(GetCacheFolder() + name + ".gif", "GIF", "EMOJI" + name);
}

std::string EmojiTableName(std::string_view transfer_encoding) {
  return CompareIgnoringCase(transfer_encoding, "8bit") == 0 ? "EMOJI_8BIT" : "EMOJI_7BIT";
}

std::string ExtractEmojiTable(std::string_view transfer_encoding) {
  const std::string name = EmojiTableName(transfer_encoding);
  const std::string path = GetCacheFolder() + name + ".csv";
  EnsureCacheFile(path, "TEXT", name);
  return path;
}

}  // namespace pictolumen
