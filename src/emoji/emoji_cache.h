// The image cache folder: the emoji pictures and tables carried as resources in the plug-in's
// own module, copied on demand into a folder of the user's temporary area, from which the HTML
// refers to the pictures by file address. Files there are never refreshed or deleted; each one
// is written to a temporary file beside it and moved into place unless a file stands there
// already, so that a crash never leaves a truncated file at its final path and two host
// processes copying at once both succeed, the one that comes second leaving the first's file
// alone (another process may be reading it).
#pragma once

#include <string>
#include <string_view>

#include "emoji/carrier.h"

namespace pictolumen {

// The user's temporary folder followed by "_AE.tmp" and the path separator, asked for anew at
// every call and made when missing ("C:\Users\u\AppData\Local\Temp\_AE.tmp\"; natively
// "/tmp/_AE.tmp/", or a folder of the user's own where that one is another's or open to others:
// platform::PrivateTempFolder). Raises IoError when no such folder can be had.
std::string GetCacheFolder();

// The file address of GetCacheFolder() that the page's pictures are linked by: "file://" and the
// folder, with "%", "#" and "?" percent-encoded and every other byte as it is.
std::string CacheFolderAddress();

// Makes sure the picture of emoji `number` (decimal text, as in column 0 of a table) exists in
// the cache folder as `number`.gif, copied from the resource "EMOJI" + number of type "GIF". An
// existing file is used as it is. Raises Error for a number without a picture and IoError
// when the folder or the file cannot be written.
void EnsureEmojiImage(std::string_view number);
// The same in `folder`, the cache folder as GetCacheFolder gave it, for a caller that makes sure
// of many pictures.
void EnsureEmojiImage(std::string_view number, const std::string& folder);

// The emoji table that a mail with this transfer encoding is looked up in: "EMOJI_8BIT" for
// "8bit" in any letter case, else "EMOJI_7BIT".
std::string EmojiTableName(std::string_view transfer_encoding);

// The table that the private-use pictographs of `carrier`'s Unicode mail are looked up in:
// au's "EMOJI_7BIT", "EMOJI_DOCOMO", "EMOJI_SOFTBANK" (each keyed by the carrier's codes, see
// TableCodeOfCodePoint).
std::string CarrierTableName(Carrier carrier);

// Makes sure the table `name` exists in the cache folder as <name>.csv, copied from the resource
// of that name and type "TEXT", and returns its path. An existing file is used as it is. Raises
// like EnsureEmojiImage.
std::string ExtractTable(const std::string& name);

// Makes sure the table of EmojiTableName(transfer_encoding) exists in the cache folder as
// <name>.csv, copied from the resource of that name and type "TEXT", and returns its path.
// An existing file is used as it is. Raises like EnsureEmojiImage.
std::string ExtractEmojiTable(std::string_view transfer_encoding);

}  // namespace pictolumen
