// The emoji resources linked into the module: the two code tables must be the pictograph data
// written out (and the committed files, so that a stale build is caught), and every pictograph
// number must have one valid, non-blank picture.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "gif_reader.h"
#include "platform/platform.h"

namespace pictolumen {
namespace {

const std::string kSourceDir = PICTOLUMEN_SOURCE_DIR;

struct DataRow {
  std::string number;
  std::string name;       // UTF-8
  std::string sjis_mail;  // key of the 7-bit table
  std::string sjis;       // key of the 8-bit table
};

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(separator, start)) != std::string_view::npos;
       start = at + separator.size()) {
    parts.emplace_back(text.substr(start, at - start));
  }
  parts.emplace_back(text.substr(start));
  return parts;
}

// The rows of data/au-emoji.tsv: comment lines start with '#', then a header line naming the
// tab-separated columns.
std::vector<DataRow> ReadData() {
  const std::string text = platform::ReadWholeFile(kSourceDir + "/data/au-emoji.tsv");
  std::vector<DataRow> rows;
  std::map<std::string, std::size_t> column;
  for (const std::string& line : Split(text, "\n")) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> fields = Split(line, "\t");
    if (column.empty()) {
      for (std::size_t i = 0; i < fields.size(); ++i) column[fields[i]] = i;
      continue;
    }
    rows.push_back({fields.at(column.at("number")), fields.at(column.at("name_ja")),
                    fields.at(column.at("sjis_mail")), fields.at(column.at("sjis"))});
  }
  return rows;
}

std::string Table(std::string_view name) {
  const auto data = platform::FindResourceData("TEXT", name);
  return data ? std::string(*data) : std::string();
}

bool IsPictographNumber(int n) {
  return (n >= 1 && n <= 518) || (n >= 700 && n <= 822);
}

TEST(EmojiTables, AreThePictographDataWrittenOut) {
  const std::vector<DataRow> rows = ReadData();
  ASSERT_EQ(rows.size(), 641u);
  const std::pair<std::string, std::string DataRow::*> tables[] = {
      {"EMOJI_7BIT", &DataRow::sjis_mail}, {"EMOJI_8BIT", &DataRow::sjis}};
  for (const auto& [name, code] : tables) {
    SCOPED_TRACE(name);
    std::string expected;
    for (const DataRow& row : rows)
      expected += row.number + "," + row.name + "," + row.*code + "\r\n";
    const std::string table = Table(name);
    ASSERT_FALSE(table.empty());
    // Shift_JIS read as the system's code page 932 gives back the data's text.
    EXPECT_EQ(platform::AnsiToUtf8(table), expected);
    EXPECT_EQ(table, platform::ReadWholeFile(kSourceDir + "/resources/emoji/" + name + ".csv"));
  }
}

TEST(EmojiTables, FollowTheTableFormat) {
  const std::string seven = Table("EMOJI_7BIT");
  const std::string eight = Table("EMOJI_8BIT");
  ASSERT_TRUE(seven.ends_with("\r\n"));
  ASSERT_TRUE(eight.ends_with("\r\n"));
  std::vector<std::string> seven_rows = Split(seven, "\r\n");
  std::vector<std::string> eight_rows = Split(eight, "\r\n");
  seven_rows.pop_back();  // the empty rest after the last CR LF
  eight_rows.pop_back();
  ASSERT_EQ(seven_rows.size(), 641u);
  ASSERT_EQ(eight_rows.size(), 641u);
  // The carrier's lead byte of each 7-bit lead byte, and how many rows each has.
  const std::map<std::string, std::string> eight_lead = {
      {"EB", "F6"}, {"EC", "F7"}, {"ED", "F3"}, {"EE", "F4"}};
  std::map<std::string, int> rows_per_lead;
  std::set<std::string> seven_codes, eight_codes;
  int previous = 0;
  for (std::size_t i = 0; i < seven_rows.size(); ++i) {
    SCOPED_TRACE(seven_rows[i]);
    const std::vector<std::string> s = Split(seven_rows[i], ",");
    const std::vector<std::string> e = Split(eight_rows[i], ",");
    ASSERT_EQ(s.size(), 3u);
    ASSERT_EQ(e.size(), 3u);
    const int number = std::stoi(s[0]);
    EXPECT_EQ(s[0], std::to_string(number));
    EXPECT_GT(number, previous);
    EXPECT_TRUE(IsPictographNumber(number));
    previous = number;
    EXPECT_EQ(e[0], s[0]);
    EXPECT_EQ(e[1], s[1]);
    EXPECT_GE(s[1].size(), 2u);
    EXPECT_LE(s[1].size(), 36u);
    for (const char c : s[1]) EXPECT_GT(static_cast<unsigned char>(c), 0x20);
    ASSERT_EQ(s[2].size(), 4u);
    ASSERT_EQ(e[2].size(), 4u);
    EXPECT_EQ(s[2].find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(e[2].find_first_not_of("0123456789ABCDEF"), std::string::npos);
    const std::string lead = s[2].substr(0, 2), trail = s[2].substr(2);
    ASSERT_TRUE(eight_lead.contains(lead));
    EXPECT_EQ(e[2], eight_lead.at(lead) + trail);
    EXPECT_GE(trail, "40");
    EXPECT_LE(trail, lead == "EE" ? "8D" : "FC");
    EXPECT_NE(trail, "7F");
    ++rows_per_lead[lead];
    seven_codes.insert(s[2]);
    eight_codes.insert(e[2]);
  }
  EXPECT_EQ(seven_codes.size(), 641u) << "a code occurs twice";
  EXPECT_EQ(eight_codes.size(), 641u) << "a code occurs twice";
  EXPECT_EQ(rows_per_lead,
            (std::map<std::string, int>{{"EB", 188}, {"EC", 188}, {"ED", 188}, {"EE", 77}}));
  EXPECT_EQ(seven_rows.front(), "1,\x81\x49,EB59");
  EXPECT_EQ(eight_rows.front(), "1,\x81\x49,F659");
}

TEST(EmojiPictures, EveryNumberHasOneValidPicture) {
  int pictures = 0;
  for (int n = 0; n <= 1200; ++n) {
    const std::string name = "EMOJI" + std::to_string(n);
    SCOPED_TRACE(name);
    const auto data = platform::FindResourceData("GIF", name);
    ASSERT_EQ(data.has_value(), IsPictographNumber(n));
    if (!data) continue;
    ++pictures;
    EXPECT_EQ(*data, platform::ReadWholeFile(kSourceDir + "/resources/emoji/" + std::to_string(n) +
                                             ".gif"));
    testing::GifPicture picture;
    ASSERT_NO_THROW(picture = testing::ReadGif(*data));
    EXPECT_EQ(picture.version, "GIF89a");
    EXPECT_TRUE(picture.width == 16 || picture.width == 15);
    EXPECT_EQ(picture.height, 16);
    ASSERT_GE(picture.transparent, 0) << "no transparent colour";
    EXPECT_LT(static_cast<std::size_t>(picture.transparent), picture.palette.size());
    int drawn = 0;
    for (const std::uint8_t index : picture.indices) drawn += index != picture.transparent;
    EXPECT_GE(drawn, 8) << "blank picture";
  }
  EXPECT_EQ(pictures, 641);
  for (const char* name : {"EMOJI01", "EMOJI0822", "EMOJI", "EMOJI_7BIT"}) {
    EXPECT_FALSE(platform::FindResourceData("GIF", name).has_value()) << name;
  }
}

// The reader above must reject what a broken picture looks like, or the test proves nothing.
TEST(EmojiPictures, ReaderRejectsDamagedPictures) {
  const std::string good(*platform::FindResourceData("GIF", "EMOJI1"));
  EXPECT_NO_THROW(testing::ReadGif(good));
  EXPECT_THROW(testing::ReadGif(good.substr(0, good.size() - 1)), std::runtime_error);
  EXPECT_THROW(testing::ReadGif(good.substr(0, good.size() / 2)), std::runtime_error);
  EXPECT_THROW(testing::ReadGif(good + "x"), std::runtime_error);
  EXPECT_THROW(testing::ReadGif("GIF89a"), std::runtime_error);
  std::string bad_signature = good;
  bad_signature[3] = '9';
  EXPECT_THROW(testing::ReadGif(bad_signature), std::runtime_error);
}

}  // namespace
}  // namespace pictolumen
