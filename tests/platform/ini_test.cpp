#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ini_text.h"
#include "platform/platform.h"
#include "support/temp_folder.h"

namespace pictolumen::platform {
namespace {

TEST(IniLookup, MatchesSectionAndKeyWithoutRegardToCase) {
  const std::string text = "[other]\r\nkey=no\r\n[PICTOLUMEN]\r\n  SkinList_SELETCED =  Blue  \r\n";
  EXPECT_EQ(IniLookup(text, "Pictolumen", "SkinList_Seletced", "Simple"), "Blue");
  EXPECT_EQ(IniLookup(text, "Pictolumen", "missing", "Simple"), "Simple");
  EXPECT_EQ(IniLookup(text, "absent", "key", "d"), "d");
  EXPECT_EQ(IniLookup(text, "other", "key", "d"), "no");
}

TEST(IniLookup, ToleratesGarbageAndOddLineEnds) {
  EXPECT_EQ(IniLookup("key=top\rgarbage line\r[S]\rnoequals\r=empty\rkey=v\r", "S", "key", "d"),
            "v");
  EXPECT_EQ(IniLookup("key=outside\n", "S", "key", "d"), "d");
  EXPECT_EQ(IniLookup("[S\nkey=unclosed\n", "S", "key", "d"), "unclosed");
  EXPECT_EQ(IniLookup("[S]\nkey=\n", "S", "key", "d"), "");
  EXPECT_EQ(IniLookup("[S]\nkey= \"a b\" \n", "S", "key", "d"), "a b");
  EXPECT_EQ(IniLookup("[S]\nkey='x'\n", "S", "key", "d"), "x");
  EXPECT_EQ(IniLookup("[S]\nkey=\"x'\n", "S", "key", "d"), "\"x'");
}

TEST(IniLookup, CutsValuesAt2047Bytes) {
  const std::string value(5000, 'x');
  EXPECT_EQ(IniLookup("[S]\nk=" + value + "\n", "S", "k", "").size(), 2047u);
}

TEST(IniAssign, ReplacesAppendsOrCreates) {
  EXPECT_EQ(IniAssign("", "S", "k", "v"), "[S]\r\nk=v\r\n");
  EXPECT_EQ(IniAssign("[s]\r\nK = old\r\nz=1\r\n", "S", "k", "new"), "[s]\r\nk=new\r\nz=1\r\n");
  EXPECT_EQ(IniAssign("[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n", "S", "k", "v"),
            "[S]\r\na=1\r\nk=v\r\n\r\n[T]\r\nb=2\r\n");
  EXPECT_EQ(IniAssign("[T]\nb=2\n", "S", "k", "v"), "[T]\r\nb=2\r\n[S]\r\nk=v\r\n");
  EXPECT_EQ(IniAssign("[T]\r\nk=1\r\n[S]\r\n", "S", "k", "v"), "[T]\r\nk=1\r\n[S]\r\nk=v\r\n");
}

// The system's profile functions (Windows: the real ones) and our text reader and writer must
// understand each other's files.
TEST(Profile, SystemFunctionsAndOurTextAgree) {
  testing::TempFolder folder;
  const std::string file = folder / "settings.ini";
  ASSERT_TRUE(ProfileWrite("Pictolumen", "chbIsEnable_Checked", "0", file));
  ASSERT_TRUE(ProfileWrite("Pictolumen", "SkinList_Seletced", "Blue", file));
  ASSERT_TRUE(ProfileWrite("Other", "x", "1", file));
  ASSERT_TRUE(ProfileWrite("Pictolumen", "chbIsEnable_Checked", "-1", file));
  const std::string written = ReadWholeFile(file);
  EXPECT_EQ(IniLookup(written, "pictolumen", "CHBISENABLE_CHECKED", "d"), "-1");
  EXPECT_EQ(IniLookup(written, "Pictolumen", "SkinList_Seletced", "d"), "Blue");
  EXPECT_EQ(IniLookup(written, "Other", "x", "d"), "1");

  WriteWholeFile(file, IniAssign(IniAssign("", "Pictolumen", "SkinList_Seletced", "Pop"),
                                 "Pictolumen", "chbIsEnable_Checked", "0"));
  EXPECT_EQ(ProfileRead("PICTOLUMEN", "skinlist_seletced", "d", file), "Pop");
  EXPECT_EQ(ProfileRead("Pictolumen", "chbIsEnable_Checked", "d", file), "0");
  EXPECT_EQ(ProfileRead("Pictolumen", "absent", "d", file), "d");
  WriteWholeFile(file, IniAssign("", "S", "quoted", "\"Blue Sky\""));
  EXPECT_EQ(ProfileRead("S", "quoted", "d", file), "Blue Sky");
  EXPECT_EQ(ProfileRead("Pictolumen", "x", "d", folder / "missing.ini"), "d");
}

TEST(Profile, WriteIntoMissingFolderFails) {
  testing::TempFolder folder;
  EXPECT_FALSE(ProfileWrite("S", "k", "v", folder / "no" + kPathSeparator + "such.ini"));
}

// A file without write permission counts as read-only, whoever runs the program, and our own
// profile writer leaves it alone, as the Windows functions leave a read-only file. (On Windows the
// system's functions decide; Wine run by the superuser writes it all the same.)
TEST(Profile, ReadOnlyFileIsNeitherWrittenNorReplaced) {
  namespace fs = std::filesystem;
  testing::TempFolder folder;
  const std::string file = folder / "settings.ini";
  ASSERT_TRUE(ProfileWrite("S", "k", "old", file));
  const auto write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  fs::permissions(file, write, fs::perm_options::remove);
  const auto entries = ListDirectory(file);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].attributes & (kAttrReadOnly | kAttrFolder), kAttrReadOnly);
#ifndef _WIN32
  EXPECT_FALSE(ProfileWrite("S", "k", "new", file));
  EXPECT_FALSE(ProfileWrite("S", "other", "v", file));
  EXPECT_EQ(ProfileRead("S", "k", "d", file), "old");
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_TRUE(ProfileWrite("S", "k", "new", file));
  EXPECT_EQ(ProfileRead("S", "k", "d", file), "new");
#endif
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
}

TEST(Files, AtomicWriteReplacesWholeFileAndLeavesNoTemporary) {
  testing::TempFolder folder;
  const std::string file = folder / "table.csv";
  WriteFileAtomically(file, std::string("old content that is long", 24));
  WriteFileAtomically(file, std::string("n\0w", 3));
  EXPECT_EQ(ReadWholeFile(file), std::string("n\0w", 3));
  std::vector<std::string> files;
  for (const auto& entry : ListDirectory(folder / "*")) {
    if (!(entry.attributes & kAttrFolder)) files.push_back(entry.name);
  }
  EXPECT_EQ(files, std::vector<std::string>{"table.csv"});
}

TEST(Resources, HandCursorIsEmbedded) {
#ifdef _WIN32
  // On Windows a cursor is a resource group that the system's cursor loader reads.
  EXPECT_FALSE(FindResourceData("GIF", "NO_SUCH").has_value());
#else
  const auto cursor = FindResourceData("CURSOR", "HAND");
  ASSERT_TRUE(cursor.has_value());
  EXPECT_EQ(cursor->substr(0, 4), std::string_view("\0\0\2\0", 4));
  EXPECT_FALSE(FindResourceData("GIF", "NO_SUCH").has_value());
#endif
}

TEST(Locale, TempFolderEndsInSeparatorAndCodePageIsJapanese) {
  const std::string temp = TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), kPathSeparator);
  EXPECT_EQ(AnsiCodePage(), 932u);
}

TEST(Memory, HugePageAdviceLeavesEveryByteOfTheBufferAsItWas) {
  // A buffer written before and after the advice, which covers whole huge pages inside it
  // only: bytes already there and bytes written later both stay, at the edges too.
  std::string buffer(9u << 20, '\0');
  for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<char>(i * 7 + i / 4096);
  const std::string before = buffer;
  AdviseHugePages(buffer.data() + 1, buffer.size() - 1);
  EXPECT_EQ(buffer, before);
  for (std::size_t i = 0; i < buffer.size(); i += 4096) buffer[i] = 'x';
  for (std::size_t i = 0; i < buffer.size(); ++i) {
    ASSERT_EQ(buffer[i], i % 4096 == 0 ? 'x' : before[i]) << i;
  }
  // Buffers smaller than a huge page, and none at all, are left alone.
  std::string small = "small";
  AdviseHugePages(small.data(), small.size());
  AdviseHugePages(nullptr, 0);
  EXPECT_EQ(small, "small");
}

}  // namespace
}  // namespace pictolumen::platform
