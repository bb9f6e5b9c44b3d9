#include "jtext/path_helpers.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/errors.h"
#include "platform/platform.h"
#include "support/temp_folder.h"

namespace pictolumen {
namespace {

TEST(FolderOfPath, KeepsTheLastSeparator) {
  EXPECT_EQ(FolderOfPath("C:\\Host\\PlugIns\\Pictolumen.dll"), "C:\\Host\\PlugIns\\");
  EXPECT_EQ(FolderOfPath("C:\\Host\\PlugIns\\"), "C:\\Host\\");
  EXPECT_EQ(FolderOfPath("C:\\a.txt"), "C:\\");
  EXPECT_EQ(FolderOfPath("C:\\dir\\"), "C:\\");
  EXPECT_EQ(FolderOfPath("a.txt"), "");
  EXPECT_EQ(FolderOfPath(""), "");
  // ソ (83 5C) and 表 (95 5C): their second byte is not a separator.
  EXPECT_EQ(FolderOfPath("C:\\\x83\x5C\x83\x74\x83\x67\\x.dll"), "C:\\\x83\x5C\x83\x74\x83\x67\\");
  EXPECT_EQ(FolderOfPath("C:\\d\\\x95\x5C"), "C:\\d\\");
}

#ifndef _WIN32
// Natively file names are UTF-8: あ (E3 81 82) holds two bytes that are Shift_JIS lead bytes.
TEST(FolderOfPath, SplitsUtf8NamesByteByByte) {
  EXPECT_EQ(FolderOfPath("/x/\xE3\x81\x82/P.so"), "/x/\xE3\x81\x82/");
  EXPECT_EQ(ChangeFileExtension("/x/\xE3\x81\x82.so", ".ini"), "/x/\xE3\x81\x82.ini");
}
#endif

TEST(ChangeFileExtension, ReplacesOnlyTheNamesExtension) {
  EXPECT_EQ(ChangeFileExtension("C:\\Host\\PlugIns\\Pictolumen.dll", ".ini"),
            "C:\\Host\\PlugIns\\Pictolumen.ini");
  EXPECT_EQ(ChangeFileExtension("C:\\a.b\\plugin", ".ini"), "C:\\a.b\\plugin.ini");
  EXPECT_EQ(ChangeFileExtension("C:plugin.x.dll", ".ini"), "C:plugin.x.ini");
}

TEST(FileAttrMatches, FollowsTheAttributeSet) {
  EXPECT_FALSE(FileAttrMatches(kListAllFiles, platform::kAttrFolder));
  EXPECT_FALSE(FileAttrMatches(kListAllFiles, platform::kAttrVolume | platform::kAttrArchive));
  EXPECT_TRUE(FileAttrMatches(kListPlain, 0));
  EXPECT_FALSE(FileAttrMatches(kListArchive, 0));
  EXPECT_TRUE(FileAttrMatches(kListArchive, platform::kAttrArchive));
  EXPECT_TRUE(FileAttrMatches(kListReadOnly, platform::kAttrReadOnly | 0x80));
  EXPECT_FALSE(FileAttrMatches(kListHidden, platform::kAttrArchive));
  EXPECT_TRUE(FileAttrMatches(kListAllFiles, 0x80));   // normal alone
  EXPECT_TRUE(FileAttrMatches(kListAllFiles, 0x100));  // temporary alone
}

TEST(ListFiles, SortsWithoutCaseSkipsFoldersAndCallsBackForEveryEntry) {
  testing::TempFolder folder;
  for (const char* name : {"Simple.html", "dark.HTML", "Blue.html", "a.b.html", "notes.txt"}) {
    platform::WriteWholeFile(folder / name, "x");
  }
  std::filesystem::create_directory(folder / "x.html");
  StringList list;
  list.push_back(folder / "Blue.html");  // already present: not added twice
  int callbacks = 0;
  ListFiles(folder / "*.html", kListAllFiles, list, [&](const std::string&) { ++callbacks; });
  EXPECT_EQ(list.lines(), (std::vector<std::string>{folder / "a.b.html", folder / "Blue.html",
                                                    folder / "dark.HTML", folder / "Simple.html"}));
  EXPECT_EQ(callbacks, 5);

  StringList none;
  ListFiles(folder / "missing" + platform::kPathSeparator + "*.html", kListAllFiles, none);
  EXPECT_TRUE(none.empty());
}

TEST(ReadWholeFile, ReturnsEveryByteOrRaises) {
  testing::TempFolder folder;
  platform::WriteWholeFile(folder / "empty", "");
  platform::WriteWholeFile(folder / "zeros", std::string("a\0b\0", 4));
  EXPECT_EQ(platform::ReadWholeFile(folder / "empty", kTextFileSizeLimit), "");
  EXPECT_EQ(platform::ReadWholeFile(folder / "zeros", kTextFileSizeLimit),
            std::string("a\0b\0", 4));
  std::filesystem::resize_file(folder / "zeros", std::uintmax_t{8} << 20);
  for (const char* refused : {"missing", "zeros"}) {
    try {
      platform::ReadWholeFile(folder / refused, kTextFileSizeLimit);
      FAIL() << "no error for " << refused;
    } catch (const IoError& e) {
      EXPECT_EQ(e.code(), kFileNotFoundCode);
    }
  }
}

TEST(ModuleFileName, NamesAnExistingFile) {
  const std::string path = platform::OwnModuleFileName();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(platform::FileExists(path));
  EXPECT_TRUE(platform::FolderExists(FolderOfPath(path)));
}

}  // namespace
}  // namespace pictolumen
