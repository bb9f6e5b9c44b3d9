#include "jtext/csv_column.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/errors.h"
#include "platform/platform.h"
#include "support/temp_folder.h"

namespace pictolumen {
namespace {

std::vector<std::string> Fields(std::string_view line) {
  return SplitCsvLine(line).lines();
}

using Strings = std::vector<std::string>;

TEST(SplitCsvLine, SplitsAtCommasAndBlanks) {
  EXPECT_EQ(Fields("1,\x81\x49,EB59"), (Strings{"1", "\x81\x49", "EB59"}));
  EXPECT_EQ(Fields("x,,z"), (Strings{"x", "", "z"}));
  EXPECT_EQ(Fields("x,"), (Strings{"x", ""}));
  EXPECT_EQ(Fields("x, "), (Strings{"x"}));
  EXPECT_EQ(Fields("  a , b"), (Strings{"a", "b"}));
  EXPECT_EQ(Fields("two words,c"), (Strings{"two", "words", "c"}));
  EXPECT_EQ(Fields(""), Strings{});
  EXPECT_EQ(Fields(" \t "), Strings{});
  EXPECT_EQ(Fields(std::string("a,b\0,c", 6)), (Strings{"a", "b"}));  // 0x00 ends the line
  // Shift_JIS names stay whole, the trail byte 0x5C or 0x7C included.
  EXPECT_EQ(Fields("822,\x83\x5c\x95\x7c,EE8D"), (Strings{"822", "\x83\x5c\x95\x7c", "EE8D"}));
}

TEST(SplitCsvLine, TakesQuotedFieldsWhole) {
  EXPECT_EQ(Fields("\"a,\"\"b\"\" c\",d"), (Strings{"a,\"b\" c", "d"}));
  EXPECT_EQ(Fields("\"\",x"), (Strings{"", "x"}));
  EXPECT_EQ(Fields("\"open, to the end"), (Strings{"open, to the end"}));
  EXPECT_EQ(Fields("\"ab\"cd,e"), (Strings{"ab", "cd", "e"}));
}

class CsvFile : public ::testing::Test {
 protected:
  std::string Write(const std::string& content) {
    const std::string path = folder_ / "table.csv";
    platform::WriteWholeFile(path, content);
    return path;
  }
  testing::TempFolder folder_;
};

TEST_F(CsvFile, ReadsOneColumnOfEveryLine) {
  const std::string path = Write("1,\x81\x49,EB59\r\n3,\x81\x48,EB5B\r\n");
  StringList codes, names, numbers;
  ReadCsvColumn(codes, path, 2);
  ReadCsvColumn(names, path, 1);
  ReadCsvColumn(numbers, path, 0);
  EXPECT_EQ(codes.lines(), (Strings{"EB59", "EB5B"}));
  EXPECT_EQ(names.lines(), (Strings{"\x81\x49", "\x81\x48"}));
  EXPECT_EQ(numbers.lines(), (Strings{"1", "3"}));

  StringList kept({"before"});
  ReadCsvColumn(kept, Write("a,b\nc,d"), 1);  // LF only, last line without a break
  EXPECT_EQ(kept.lines(), (Strings{"before", "b", "d"}));

  StringList joined;
  ReadCsvColumn(joined, Write("a,b\rc\r\nd,e\r\n"), 1);  // a lone CR is dropped
  EXPECT_EQ(joined.lines(), (Strings{"bc", "e"}));

  StringList none;
  ReadCsvColumn(none, Write(""), 5);
  EXPECT_TRUE(none.empty());
}

TEST_F(CsvFile, ReadsSeveralColumnsInOnePassAsOneEach) {
  const std::string content =
      "1,\x81\x49,EB59\r\n \"3\" , \"q,\"\"\" ,EB5B\r\n4,a\rb,EB5C\nx,y,z,w";
  const std::string path = Write(content);
  StringList codes({"kept"}), names, numbers;
  ReadCsvColumns(path, {{2, &codes}, {1, &names}, {0, &numbers}});
  for (const auto& [column, list] : {std::pair{2, &codes}, {1, &names}, {0, &numbers}}) {
    StringList alone;
    if (column == 2) alone.push_back("kept");
    ReadCsvColumn(alone, path, column);
    EXPECT_EQ(list->lines(), alone.lines()) << column;
  }
  EXPECT_EQ(names.lines(), (Strings{"\x81\x49", "q,\"", "ab", "y"}));

  // A short line names the first column of the list that it lacks; the lines before it stay.
  StringList a, b;
  try {
    ReadCsvColumns(Write("1,a,EB59\r\n2,b\r\n"), {{2, &a}, {0, &b}});
    FAIL() << "no error for a short line";
  } catch (const ListIndexError& error) {
    EXPECT_NE(std::string(error.what()).find("(2)"), std::string::npos) << error.what();
  }
  EXPECT_EQ(a.lines(), Strings{"EB59"});
  EXPECT_EQ(b.lines().front(), "1");
  StringList c;
  EXPECT_THROW(ReadCsvColumns(folder_ / "missing.csv", {{0, &c}}), IoError);
  EXPECT_TRUE(c.empty());
}

TEST_F(CsvFile, TableHoldsTheFieldsOfEveryLineAsTheColumnReaderReadsThem) {
  // Quoted fields of one line in several columns, unquoted ones, a lone CR, a line without a
  // break and fields beyond the width.
  const std::string content =
      "1,\x81\x49,EB59\r\n \"3\" , \"q,\"\"\" ,\"EB\"\r\n4,a\rb,EB5C\nx,y,z,w";
  const std::string path = Write(content);
  const CsvTable table(path, 3);
  ASSERT_EQ(table.RowCount(), 4u);
  for (std::size_t column = 0; column < 3; ++column) {
    StringList alone;
    ReadCsvColumn(alone, path, static_cast<int>(column));
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
      EXPECT_EQ(table.Field(row, column), alone[row]) << row << "," << column;
    }
  }
  EXPECT_EQ(table.Field(1, 1), "q,\"");

  // Many quoted fields, each kept whole while the next ones are read.
  std::string quoted_rows;
  for (int row = 0; row < 100; ++row) {
    quoted_rows += "\"" + std::to_string(row) + "\",\"a long name " + std::to_string(row) + "\"\n";
  }
  const CsvTable quoted(Write(quoted_rows), 2);
  ASSERT_EQ(quoted.RowCount(), 100u);
  EXPECT_EQ(quoted.Field(0, 0), "0");
  EXPECT_EQ(quoted.Field(99, 1), "a long name 99");

  try {
    const CsvTable short_line(Write("1,a,EB59\r\n\r\n"), 3);
    FAIL() << "no error for an empty line";
  } catch (const ListIndexError& error) {
    EXPECT_NE(std::string(error.what()).find("(2)"), std::string::npos) << error.what();
  }
  EXPECT_EQ(CsvTable(Write(""), 3).RowCount(), 0u);
  EXPECT_THROW(CsvTable(folder_ / "missing.csv", 1), IoError);
}

TEST_F(CsvFile, ReportsMissingFilesAndShortLines) {
  StringList list({"kept"});
  try {
    ReadCsvColumn(list, folder_ / "missing.csv", 0);
    FAIL() << "no error for a missing file";
  } catch (const IoError& error) {
    EXPECT_EQ(error.code(), kFileNotFoundCode);
  }
  EXPECT_EQ(list.lines(), Strings{"kept"});

  // An empty line in the middle: the lines before it stay appended.
  const std::string path = Write("1,a,EB59\r\n\r\n2,b,EB5A\r\n");
  try {
    ReadCsvColumn(list, path, 2);
    FAIL() << "no error for an empty line";
  } catch (const ListIndexError& error) {
    EXPECT_NE(std::string(error.what()).find("(2)"), std::string::npos) << error.what();
  }
  EXPECT_EQ(list.lines(), (Strings{"kept", "EB59"}));

  StringList short_row;
  EXPECT_THROW(ReadCsvColumn(short_row, Write("x, \r\n"), 1), ListIndexError);
  EXPECT_THROW(ReadCsvColumn(short_row, Write("x,y\r\n"), -1), ListIndexError);
}

}  // namespace
}  // namespace pictolumen
