#include "engine/jetsql/Execute.h"

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/Database.h"
#include "engine/Field.h"
#include "engine/OpenStorage.h"
#include "engine/Storage.h"
#include "engine/TableDef.h"
#include "engine/jetsql/DefinitionExecution.h"
#include "engine/jetsql/Parser.h"

namespace telvarn::jetsql {
namespace {

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The field SELECT ... INTO makes for a result column: its source's type
// and size, a Memo where the values' type is not known before they come.
std::shared_ptr<Field> fieldFor(const TableDef& table, const FieldRecord& column) {
  if (column.type == 0) return table.createField(column.name, DataType::Memo);
  std::optional<int> size;
  if (column.size > 0) size = column.size;
  return table.createField(column.name, column.type, size);
}

// SELECT ... INTO: a new table made through the object model, then filled
// with the query's rows, in one change of the file.
void makeTable(Database& db, const SelectStatement& select) {
  const std::string& name = select.query->into;
  db.storage().atomically([&] {
    if (db.storage().findTable(name) || db.storage().findQuery(name))
      throw engineError(3010, {name});
    const std::vector<FieldRecord> columns = db.storage().describeQuery(select);
    const auto table = db.createTableDef(name);
    for (const FieldRecord& column : columns) {
      for (const auto& field : table->fields()) {
        if (sameName(field->name(), column.name)) throw engineError(3191);
      }
      table->appendField(fieldFor(*table, column));
    }
    db.appendTableDef(table);
    InsertStatement insert;
    insert.table = name;
    insert.select = select.query;
    db.storage().executeData(DataStatement{std::move(insert), select.sql});
  });
}

// A select query makes rows to look at, which Execute has no place for;
// only one that makes a table is an action.
void runSelect(Database& db, const SelectStatement& select) {
  if (!select.into) throw engineError(3065);
  makeTable(db, select);
}

// A statement on a linked table runs in the file the link points to, on the
// table it names there; the link's own name stays usable as a qualifier.
void runLinked(Database& db, DataStatement& data) {
  std::string& table =
      std::visit([](auto& action) -> std::string& { return action.table; }, data.action);
  const std::optional<TableRecord> link = db.storage().findTable(table);
  if (!link || link->kind != TableKind::Linked) return db.storage().executeData(data);
  const auto source = openLinkSource(link->connect);
  std::visit(
      [&](auto& action) {
        if constexpr (!std::is_same_v<std::decay_t<decltype(action)>, InsertStatement>) {
          if (action.alias.empty()) action.alias = action.table;
        }
      },
      data.action);
  table = link->sourceTableName;
  source->executeData(data);
}

// One transaction for the look-up of the table and the statement on it.
void runData(Database& db, DataStatement& data) {
  db.storage().atomically([&] { runLinked(db, data); });
}

void run(Database& db, Statement& statement) {
  if (statement.declaredParameters > 0) {
    throw engineError(3061, {std::to_string(statement.declaredParameters)});
  }
  std::visit(
      [&](auto& body) {
        using Body = std::decay_t<decltype(body)>;
        if constexpr (std::is_same_v<Body, DataStatement>) {
          runData(db, body);
        } else if constexpr (std::is_same_v<Body, SelectStatement>) {
          runSelect(db, body);
        } else {
          executeDefinition(db, body);
        }
      },
      statement.body);
}

}  // namespace

void execute(Database& db, const std::string& sql) {
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
  run(db, statement);
}

void checkQueryText(const std::string& sql) {
  if (!beginsWithVerb(sql)) throw engineError(3129);
  parseStatement(sql);
}

}  // namespace telvarn::jetsql
