// CommandRecord: the fields the dispatcher fills from one script line and
// the handlers read. A command sets only its own fields; the others keep
// what earlier lines left in them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace telvarn {

struct CommandRecord {
  std::string strLine;
  std::vector<std::string> varFields;
  std::string varDatabase;
  std::string varTable;
  std::string varField;
  std::string varSourceDatabase;
  std::string strNewName;
  int16_t intAllowZeroLength = 0;
  int16_t intDefaultValue = 0;
  int16_t intType = 0;
  int16_t intSize = 0;
  std::string strDefaultValue;
  std::string strQueryName;
  std::string varQuerySql;
  std::string strIndexName;
  std::string varIndexPrimary;
  std::string varIndexUnique;
  std::string strIndexRequired;
  std::string strCommandLine;
  std::string strSqlText;
  std::string strCaption;

  // Field `index` of the current line as text; 9 when the line has fewer.
  const std::string& text(size_t index) const;
  // The same field as a 16-bit integer; 13 or 6 when it does not convert.
  int16_t integer(size_t index) const;
};

// The line split at every ";", with no quoting: "a;;b" is three fields, and
// the empty line none.
std::vector<std::string> splitFields(const std::string& line);

}  // namespace telvarn
