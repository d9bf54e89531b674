#include "engine/mdb/MdbToolsRows.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "engine/DataType.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/values/DateText.h"

namespace telvarn::test {
namespace {

std::string hex(const std::string& bytes) {
  std::string out;
  char two[3];
  for (unsigned char c : bytes) {
    std::snprintf(two, sizeof two, "%02X", c);
    out += two;
  }
  return out;
}

// The bytes hexadecimal digits stand for.
std::string unhex(const std::string& digits) {
  std::string bytes;
  for (size_t at = 0; at + 1 < digits.size(); at += 2)
    bytes += static_cast<char>(std::stoi(digits.substr(at, 2), nullptr, 16));
  return bytes;
}

std::string plainDecimal(std::string text) {
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  return text == "-0" ? "0" : text;
}

std::string rounded(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}

// One value in a form both readers' output reduces to.
std::string canonical(int type, const std::string& text) {
  switch (type) {
    case DataType::Currency:
    case 20:
      return plainDecimal(text);
    case DataType::Single:
      return rounded(std::stod(text), 6);
    case DataType::Double:
      return rounded(std::stod(text), 13);
    case DataType::Guid: {
      // mdb-export writes a GUID's last two groups as one.
      std::string upper;
      for (const char c : text) {
        if (c != '-') upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      }
      return upper;
    }
    case DataType::Binary:
    case DataType::LongBinary: {
      std::string upper = text;
      std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
      return upper;
    }
    default:
      return text;
  }
}

std::string ourText(int type, const Variant& value) {
  // mdb-export shows a Memo holding "" as Null.
  if (value.isNull() || (type == DataType::Memo && value.toText().empty())) return "<null>";
  switch (type) {
    case DataType::Boolean:
      return value.toBoolean() ? "1" : "0";
    case DataType::Date: {
      // mdb-export shows a date before 1899-12-30, or past the day numbered
      // 1,000,000, as its blank moment.
      const double serial = value.toDouble();
      if (serial < 0 || serial > 1e6) return "1900-01-00 00:00:00";
      return dateFromSerial(serial).value_or("?");
    }
    case DataType::Binary:
    case DataType::LongBinary:
      return canonical(type, hex(value.toText()));
    default:
      return canonical(type, value.toText());
  }
}

}  // namespace

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

std::vector<std::string> ourRows(mdb::MdbStorage& storage, const TableRecord& table) {
  std::vector<std::string> rows;
  storage.forEachRow(table.name, [&](const std::vector<Variant>& values) {
    std::string row;
    for (size_t i = 0; i < values.size(); ++i)
      row += ourText(table.fields[i].type, values[i]) + "\x1f";
    rows.push_back(row);
    return true;
  });
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<std::string> theirRows(const std::string& path, const TableRecord& table) {
  const std::string options = "-Q -b hex -d " + shellQuote("\x1f") + " -R " + shellQuote("\x1e") +
                              " -0 " + shellQuote("\x1d") + " -T '%Y-%m-%d %H:%M:%S'";
  std::vector<std::string> rows;
  std::vector<std::string> lines =
      split(commandOutput("mdb-export " + options + " " + shellQuote(path) + " " +
                          shellQuote(table.name)),
            '\x1e');
  if (lines.empty()) return rows;
  // mdb-export lists the columns by number, which is not always the
  // table's order: each field's value is found by the header's names.
  const std::vector<std::string> header = split(lines.front(), '\x1f');
  std::vector<size_t> place;
  for (const FieldRecord& field : table.fields)
    place.push_back(std::find(header.begin(), header.end(), field.name) - header.begin());
  for (size_t line = 1; line < lines.size(); ++line) {
    std::vector<std::string> values = split(lines[line], '\x1f');
    values.resize(header.size());
    std::string row;
    for (size_t i = 0; i < table.fields.size(); ++i) {
      // With -b hex a GUID comes as the digits of its text.
      const int type = table.fields[i].type;
      const std::string& raw = place[i] < values.size() ? values[place[i]] : "\x1d";
      const std::string value = type == DataType::Guid ? unhex(raw) : raw;
      row += (raw == "\x1d" ? "<null>" : canonical(type, value)) + "\x1f";
    }
    rows.push_back(row);
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

}  // namespace telvarn::test
