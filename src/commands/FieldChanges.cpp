#include "commands/FieldChanges.h"

#include <optional>

#include "db/HandlerFrame.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"

namespace telvarn {
namespace {

// The type name the statement uses for a code, if the handler acts on it.
std::optional<std::string> typeName(int16_t type, TypeMapping mapping) {
  switch (type) {
    case 1:
      if (mapping == TypeMapping::WithYesNo) return "Yes/No";
      return std::nullopt;
    case 3:
      return "Integer";
    case 5:
      return "Currency";
    case 8:
      return "Date";
    case 10:
      return "Text";
    case 12:
      return "Memo";
    default:
      return std::nullopt;
  }
}

}  // namespace

void changeFieldProperties(HandlerFrame& frame, Run& run, const std::shared_ptr<Field>& field,
                           const std::string& column, TypeMapping mapping) {
  const CommandRecord& rec = run.rec;
  Reporter& report = run.report;
  frame.step([&] {
    report.setStatus("Changing Allow 0 Length To " + std::to_string(rec.intAllowZeroLength));
  });
  frame.step([&] { report.log(); });
  frame.step(
      [&] { need(field).setProperty("AllowZeroLength", Variant(int{rec.intAllowZeroLength})); });
  frame.step([&] { report.list(); });
  frame.step([&] {
    report.setStatus("Changing Default Value To " + std::to_string(rec.intDefaultValue));
  });
  frame.step([&] { report.log(); });
  frame.step([&] { report.list(); });
  frame.step([&] { need(field).setProperty("DefaultValue", Variant(int{rec.intDefaultValue})); });
  frame.step([&] { report.setStatus("Selecting Data Type... "); });
  frame.step([&] { report.log(); });
  frame.step([&] { report.list(); });
  frame.step([&] {
    const std::optional<std::string> name = typeName(rec.intType, mapping);
    if (!name) return;
    run.strTypeName = *name;
    report.setStatus("Selected.. " + run.strTypeName);
    report.log();
    report.list();
    run.strSql =
        "ALTER TABLE " + rec.varTable + " ALTER COLUMN " + " " + column + " " + run.strTypeName;
    if (rec.intType == 10) run.strSql += "(" + std::to_string(rec.intSize) + ")";
    need(run.db).execute(run.strSql);
  });
}

}  // namespace telvarn
