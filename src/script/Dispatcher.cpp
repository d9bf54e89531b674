#include "commands/Commands.h"
#include "db/Run.h"
#include "script/SplitText.h"

namespace telvarn {
namespace {

// Fields 1 to 3 of the commands that name a database, a table and a field.
void readTarget(CommandRecord& rec) {
  rec.varDatabase = rec.text(1);
  rec.varTable = rec.text(2);
  rec.varField = rec.text(3);
}

// "prk" and "idx" read the same nine fields.
void readIndexFields(CommandRecord& rec) {
  readTarget(rec);
  rec.intType = rec.integer(4);
  rec.intSize = rec.integer(5);
  rec.strIndexName = rec.text(6);
  rec.varIndexPrimary = rec.text(7);
  rec.varIndexUnique = rec.text(8);
  rec.strIndexRequired = rec.text(9);
}

void dispatchAdd(Run& run) {
  CommandRecord& rec = run.rec;
  readTarget(rec);
  if (rec.varField.empty()) {
    run.report.status("Processing Creating Table..");
    return CreateTable(run);
  }
  rec.intType = rec.integer(4);
  if (rec.intType == 1) return AddYesNoField(run);
  if (rec.intType == 8) return AddDateField(run);
  if (rec.intType == 3 || rec.intType == 4 || rec.intType == 5) return AddNumberField(run);
  rec.intSize = rec.integer(5);
  rec.intAllowZeroLength = rec.integer(6);
  rec.strDefaultValue = rec.text(7);
  run.report.status("Processing Adding Field..");
  AddField(run);
}

}  // namespace

bool dispatchLine(Run& run) {
  CommandRecord& rec = run.rec;
  const std::string keyword = rec.text(0);
  if (keyword == "qdf") {
    rec.varDatabase = rec.text(1);
    rec.strQueryName = rec.text(2);
    rec.varQuerySql = rec.text(3);
    run.report.status("Processing QueryDef..");
    CreateStoredQuery(run);
  } else if (keyword == "del") {
    readTarget(rec);
    run.report.status("Processing Deleting Field..");
    DeleteField(run);
  } else if (keyword == "lnk") {
    rec.varDatabase = rec.text(1);
    rec.varSourceDatabase = rec.text(2);
    rec.varTable = rec.text(3);
    run.report.status("Processing Linking Table..");
    LinkTable(run);
  } else if (keyword == "chg") {
    readTarget(rec);
    rec.strNewName = rec.text(4);
    rec.intAllowZeroLength = rec.integer(5);
    rec.intDefaultValue = rec.integer(6);
    rec.intType = rec.integer(7);
    rec.intSize = rec.integer(8);
    run.report.status("Processing Changing Field Properties..");
    rec.strNewName.empty() ? ChangeProperties(run) : RenameField(run);
  } else if (keyword == "add") {
    dispatchAdd(run);
  } else if (keyword == "prk") {
    readIndexFields(rec);
    run.report.status("Processing PrimaryKey..");
    AddPrimaryKey(run);
  } else if (keyword == "idx") {
    readIndexFields(rec);
    run.report.status("Processing Index..");
    AddIndex(run);
  } else if (keyword == "exe") {
    rec.strCommandLine = rec.text(1);
    ExecuteUtility(run);
  } else if (keyword == "sql") {
    rec.varDatabase = rec.text(1);
    rec.strSqlText = rec.text(2);
    ExecuteSql(run);
  } else if (keyword == "chgCaption") {
    readTarget(rec);
    rec.strCaption = rec.text(4);
    ChangeFieldCaption(run);
  } else {
    return false;
  }
  return true;
}

}  // namespace telvarn
