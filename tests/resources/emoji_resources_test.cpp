// The emoji resources linked into the module: every carrier's code tables must be its pictograph
// data written out (and the committed files, so that a stale build is caught), every
// pictograph must have one valid, non-blank picture of a name no other carrier's picture has,
// and the generated code rows must be the data too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "emoji/docomo_unicode_table.h"
#include "emoji/softbank_unicode_table.h"
#include "gif_reader.h"
#include "jtext/csv_column.h"
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

// The rows of data/<file>, column name to value: comment lines start with '#', then a header
// line naming the tab-separated columns.
std::vector<std::map<std::string, std::string>> ReadTsv(const std::string& file) {
  const std::string text = platform::ReadWholeFile(kSourceDir + "/data/" + file);
  std::vector<std::map<std::string, std::string>> rows;
  std::vector<std::string> header;
  for (const std::string& line : Split(text, "\n")) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> fields = Split(line, "\t");
    if (header.empty()) {
      header = fields;
      continue;
    }
    auto& row = rows.emplace_back();
    for (std::size_t i = 0; i < header.size(); ++i) row[header[i]] = fields.at(i);
  }
  return rows;
}

std::vector<DataRow> ReadData() {
  std::vector<DataRow> rows;
  for (const auto& r : ReadTsv("au-emoji.tsv")) {
    rows.push_back({r.at("number"), r.at("name_ja"), r.at("sjis_mail"), r.at("sjis")});
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

// The picture resource "EMOJI" + `name` is the committed file <name>.gif and a valid 16 x 16
// GIF89a with a transparent colour and at least a few drawn pixels.
void ExpectValidPicture(const std::string& name, std::string_view data) {
  SCOPED_TRACE(name);
  EXPECT_EQ(data, platform::ReadWholeFile(kSourceDir + "/resources/emoji/" + name + ".gif"));
  testing::GifPicture picture;
  ASSERT_NO_THROW(picture = testing::ReadGif(data));
  EXPECT_EQ(picture.version, "GIF89a");
  EXPECT_EQ(picture.width, 16);
  EXPECT_EQ(picture.height, 16);
  ASSERT_GE(picture.transparent, 0) << "no transparent colour";
  EXPECT_LT(static_cast<std::size_t>(picture.transparent), picture.palette.size());
  int drawn = 0;
  for (const std::uint8_t index : picture.indices) drawn += index != picture.transparent;
  EXPECT_GE(drawn, 8) << "blank picture";
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
    ExpectValidPicture(std::to_string(n), *data);
  }
  EXPECT_EQ(pictures, 641);
  for (const char* name : {"EMOJI01", "EMOJI0822", "EMOJI", "EMOJI_7BIT"}) {
    EXPECT_FALSE(platform::FindResourceData("GIF", name).has_value()) << name;
  }
}

// docomo's and SoftBank's pictographs are named in the cache by their number behind a prefix,
// and each has one table keyed by the carrier's Shift_JIS codes.
struct OtherCarrier {
  std::string data, prefix, table;
  std::size_t table_rows;
  bool (*in_code_range)(unsigned code);
};
const OtherCarrier kOtherCarriers[] = {
    {"docomo-emoji.tsv", "d", "EMOJI_DOCOMO", 252,
     [](unsigned c) { return c >= 0xF89F && c <= 0xF9FC; }},
    {"softbank-emoji.tsv", "s", "EMOJI_SOFTBANK", 474, [](unsigned c) {
       return (c >= 0xF741 && c <= 0xF7F7) || (c >= 0xF941 && c <= 0xF9F5) ||
              (c >= 0xFB41 && c <= 0xFBDE);
     }}};

// The table as the plug-in reads it: every data row, in order, keyed by its Shift_JIS code; the
// three of SoftBank's that have only the escape form (page F, codes 75-77) by the codes of their
// place in SoftBank's layout of page F (F7F5-F7F7), "prefix+number,name,code" CR LF, the name in
// code page 932.
TEST(CarrierTables, AreThePictographDataWrittenOut) {
  for (const OtherCarrier& carrier : kOtherCarriers) {
    SCOPED_TRACE(carrier.table);
    const std::string table = Table(carrier.table);
    EXPECT_EQ(table,
              platform::ReadWholeFile(kSourceDir + "/resources/emoji/" + carrier.table + ".csv"));
    ASSERT_TRUE(table.ends_with("\r\n"));
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'),
              std::count(table.begin(), table.end(), '\r'));
    std::vector<std::string> lines = Split(table, "\r\n");
    lines.pop_back();
    ASSERT_EQ(lines.size(), carrier.table_rows);
    std::size_t line = 0;
    for (const auto& row : ReadTsv(carrier.data)) {
      std::string code = row.at("sjis");
      if (code.size() != 4) {  // ESC $ F <cell> SI
        char place[5];
        std::snprintf(place, sizeof place, "F7%02X",
                      std::stoi(code.substr(6, 2), nullptr, 16) + 0x80);
        code = place;
      }
      SCOPED_TRACE(lines.at(line));
      const StringList fields = SplitCsvLine(lines.at(line++));
      ASSERT_EQ(fields.size(), 3u);
      EXPECT_EQ(fields[0], carrier.prefix + row.at("number"));
      // Code page 932 reads the wave dash of Shift_JIS (8160) as the full-width tilde.
      std::string name = row.at("name_ja");
      for (std::size_t at; (at = name.find("\u301C")) != std::string::npos;) {
        name.replace(at, 3, "\uFF5E");
      }
      EXPECT_EQ(platform::AnsiToUtf8(fields[1]), name);
      EXPECT_EQ(fields[2], code);
      EXPECT_TRUE(carrier.in_code_range(std::stoul(fields[2], nullptr, 16)));
    }
    EXPECT_EQ(line, lines.size());
  }
}

// Every carrier's pictures share the cache folder, whose names ignore letter case on Windows.
TEST(CarrierPictures, EveryPictographHasOneValidPictureOfItsOwnName) {
  std::set<std::string> files;
  for (const DataRow& row : ReadData()) files.insert(row.number + ".gif");
  for (const OtherCarrier& carrier : kOtherCarriers) {
    for (const auto& row : ReadTsv(carrier.data)) {
      const std::string name = carrier.prefix + row.at("number");
      std::string file = name + ".gif";
      std::transform(file.begin(), file.end(), file.begin(), ::tolower);
      EXPECT_TRUE(files.insert(file).second) << file;
      const auto data = platform::FindResourceData("GIF", "EMOJI" + name);
      ASSERT_TRUE(data.has_value()) << name;
      ExpectValidPicture(name, *data);
    }
  }
  EXPECT_EQ(files.size(), 641 + 252 + 474u);
}

unsigned Hex(const std::string& digits) {
  return static_cast<unsigned>(std::stoul(digits, nullptr, 16));
}

TEST(CarrierCodeRows, AreThePictographData) {
  const auto docomo = ReadTsv("docomo-emoji.tsv");
  ASSERT_EQ(kDocomoEmoji.size(), docomo.size());
  for (std::size_t i = 0; i < docomo.size(); ++i) {
    SCOPED_TRACE(docomo[i].at("number"));
    EXPECT_EQ(kDocomoEmoji[i].number, std::stoi(docomo[i].at("number")));
    EXPECT_EQ(kDocomoEmoji[i].sjis, Hex(docomo[i].at("sjis")));
    EXPECT_EQ(kDocomoEmoji[i].pua, Hex(docomo[i].at("pua")));
  }
  const auto softbank = ReadTsv("softbank-emoji.tsv");
  ASSERT_EQ(kSoftbankEmoji.size(), softbank.size());
  for (std::size_t i = 0; i < softbank.size(); ++i) {
    SCOPED_TRACE(softbank[i].at("number"));
    const std::string& sjis = softbank[i].at("sjis");
    EXPECT_EQ(kSoftbankEmoji[i].number, std::stoi(softbank[i].at("number")));
    EXPECT_EQ(kSoftbankEmoji[i].webcode, Hex(softbank[i].at("webcode")));
    // The Sky services have no Shift_JIS code; the data gives their escape form instead.
    EXPECT_EQ(kSoftbankEmoji[i].sjis, sjis.size() == 4 ? Hex(sjis) : 0u);
    EXPECT_EQ(kSoftbankEmoji[i].pua, Hex(softbank[i].at("pua")));
  }
  EXPECT_EQ(kSoftbankEmoji[0].webcode, 'G' << 8 | '!');  // ESC $ G ! SI
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
