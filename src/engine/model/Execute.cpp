#include "engine/model/Execute.h"

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/Storage.h"
#include "engine/jetsql/Executor.h"
#include "engine/jetsql/Parser.h"
#include "engine/model/Database.h"
#include "engine/model/DefinitionExecution.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"

namespace telvarn::jetsql {
namespace {

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The field SELECT ... INTO makes for a result column: its source's type
// and size, a Memo where the values' type is not known before they come,
// and an AutoNumber for a column that shows one.
std::shared_ptr<Field> fieldFor(const TableDef& table, const FieldRecord& column) {
  if (column.type == 0) return table.createField(column.name, DataType::Memo);
  std::optional<int> size;
  if (column.size > 0) size = column.size;
  const std::shared_ptr<Field> field = table.createField(column.name, column.type, size);
  if (!column.autoNumber()) return field;
  FieldRecord record = field->record();
  record.attributes |= kAutoIncrementAttribute;
  return std::make_shared<Field>(record);
}

// SELECT ... INTO: a new table made through the object model of the file
// it goes in (this one, or the file of INTO ... IN 'file'), then filled with
// the query's rows, read here, in one change of that file.
RowsAffected makeTable(Database& db, const SelectStatement& select) {
  const std::string& name = select.query->into;
  const std::string& file = select.query->intoDatabase;
  const std::shared_ptr<Database> other =
      file.empty() ? nullptr : db.openSource(";DATABASE=" + file);
  Database& target = other ? *other : db;
  RowsAffected done;
  const auto make = [&] {
    if (target.findTableDef(name) || target.storage().findQuery(name))
      throw engineError(3010, {name});
    const std::vector<FieldRecord> columns = db.executor().describe(select);
    const auto table = target.createTableDef(name);
    for (const FieldRecord& column : columns) {
      for (const auto& field : table->fields()) {
        if (sameName(field->name(), column.name)) throw engineError(3191);
      }
      table->appendField(fieldFor(*table, column));
    }
    target.appendTableDef(table);
    InsertStatement insert;
    insert.table = name;
    insert.database = file;
    insert.select = select.query;
    done = db.executor().run(DataStatement{std::move(insert), select.sql});
  };
  // The rows are read in this file's transaction, the table made in the
  // other's.
  if (other) {
    db.atomically([&] { other->atomically(make); });
  } else {
    db.atomically(make);
  }
  return done;
}

// A select query makes rows to look at, which Execute has no place for;
// only one that makes a table is an action.
RowsAffected runSelect(Database& db, const SelectStatement& select) {
  if (!select.into) throw engineError(3065);
  return makeTable(db, select);
}

// One transaction for the look-up of the table and the statement on it. A
// linked table is written where the executor shows its source table, so
// that the statement reads this file's tables too.
RowsAffected runData(Database& db, DataStatement& data) {
  RowsAffected done;
  db.atomically([&] { done = db.executor().run(data); });
  return done;
}

RowsAffected run(Database& db, Statement& statement) {
  if (statement.declaredParameters > 0) {
    throw engineError(3061, {std::to_string(statement.declaredParameters)});
  }
  return std::visit(
      [&](auto& body) {
        using Body = std::decay_t<decltype(body)>;
        if constexpr (std::is_same_v<Body, DataStatement>) {
          return runData(db, body);
        } else if constexpr (std::is_same_v<Body, SelectStatement>) {
          return runSelect(db, body);
        } else {
          executeDefinition(db, body);
          return RowsAffected{};
        }
      },
      statement.body);
}

}  // namespace

RowsAffected execute(Database& db, const std::string& sql) {
  if (!beginsWithVerb(sql)) {
    // Execute takes text that is no statement for the name of a query.
    const std::string name = trimmed(sql);
    const auto query = name.empty() ? std::nullopt : db.storage().findQuery(name);
    if (query && beginsWithVerb(query->sql)) {
      Statement statement = parseStatement(query->sql);
      return run(db, statement);
    }
  }
  Statement statement = parseStatement(sql);
  return run(db, statement);
}

void checkQueryText(const std::string& sql) {
  if (!beginsWithVerb(sql)) throw engineError(3129);
  parseStatement(sql);
}

}  // namespace telvarn::jetsql
