// Reading the script: line ends, the last line, code pages, and the errors
// of a script that cannot be read.
#include <gtest/gtest.h>

#include "db/CommandRecord.h"
#include "engine/AppError.h"
#include "script/ScriptReader.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

std::vector<std::string> linesOf(const std::string& bytes) {
  TempDir dir;
  writeFile(dir.file("s.ini"), bytes);
  ScriptReader reader(dir.file("s.ini"));
  std::vector<std::string> lines;
  while (auto line = reader.next()) lines.push_back(*line);
  return lines;
}

int openError(const std::string& path) {
  try {
    ScriptReader reader(path);
  } catch (const AppError& error) {
    return error.number();
  }
  return 0;
}

using Lines = std::vector<std::string>;

TEST(ScriptReader, WithACrAnywhereLinesEndAtCrOrCrLfAndALoneLfStaysInTheLine) {
  EXPECT_EQ(linesOf("a\r\nb\rc\r\n"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(linesOf("a\nb\r\nc"), (Lines{"a\nb", "c"}));
  EXPECT_EQ(linesOf("last without end"), (Lines{"last without end"}));
  EXPECT_EQ(linesOf(""), Lines{});
  EXPECT_EQ(linesOf("\r\n"), (Lines{""}));
  EXPECT_EQ(linesOf("a\r\n\r\n\r\nb\r\n"), (Lines{"a", "", "", "b"}));
  EXPECT_EQ(linesOf("\r\r\n"), (Lines{"", ""}));
}

TEST(ScriptReader, WithoutAnyCrLinesEndAtLf) {
  EXPECT_EQ(linesOf("a\nb\n"), (Lines{"a", "b"}));
  EXPECT_EQ(linesOf("a\n\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(linesOf("\n"), (Lines{""}));
  EXPECT_EQ(linesOf("a\nb\rc\n"), (Lines{"a\nb", "c\n"}));
}

TEST(ScriptReader, AByteOrderMarkAtTheStartIsNoPartOfTheFirstLine) {
  const std::string mark = "\xEF\xBB\xBF";
  EXPECT_EQ(linesOf(mark + "add;x\r\nsql;y\r\n"), (Lines{"add;x", "sql;y"}));
  EXPECT_EQ(linesOf(mark + "add;x\nsql;y"), (Lines{"add;x", "sql;y"}));
  EXPECT_EQ(linesOf(mark), Lines{});
  EXPECT_EQ(linesOf(mark + mark + "a"), (Lines{mark + "a"}));
  EXPECT_EQ(linesOf("a" + mark), (Lines{"a" + mark}));
}

TEST(ScriptReader, ReadsUtf8AsItIsAndOtherTextAsWindows1252) {
  EXPECT_EQ(linesOf("add;ZulData.mdb;Kund\xc3\xa4r\r\n"), (Lines{"add;ZulData.mdb;Kund\xc3\xa4r"}));
  EXPECT_EQ(linesOf("Kund\xe4r \x80 \x93x\x94\r\n"),
            (Lines{"Kund\xc3\xa4r \xe2\x82\xac \xe2\x80\x9cx\xe2\x80\x9d"}));
  EXPECT_EQ(decodeLine(std::string("\x00\xff", 2)), std::string("\x00\xc3\xbf", 3));
}

TEST(ScriptReader, AVeryLongLineIsReadWhole) {
  const std::string longLine(1 << 20, 'x');
  const Lines lines = linesOf(longLine + "\r\nnext\r\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), longLine.size());
}

TEST(ScriptReader, AScriptThatCannotBeOpenedHasTheRuntimeNumbers) {
  TempDir dir;
  EXPECT_EQ(openError(dir.file("missing.ini")), 53);
  EXPECT_EQ(openError(dir.file("no/folder/TELVARN.ini")), 76);
  EXPECT_EQ(openError(dir.path()), 75);
  EXPECT_EQ(openError("/dev/null"), 75);
}

TEST(SplitFields, SplitsAtEverySemicolonWithoutQuoting) {
  EXPECT_EQ(splitFields("a;b;;c"), (Lines{"a", "b", "", "c"}));
  EXPECT_EQ(splitFields(""), Lines{});
  EXPECT_EQ(splitFields("sql;x;'a;b'"), (Lines{"sql", "x", "'a", "b'"}));
  EXPECT_EQ(splitFields(" add ;"), (Lines{" add ", ""}));
}

}  // namespace
}  // namespace telvarn::test
