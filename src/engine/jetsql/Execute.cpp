#include "engine/jetsql/Execute.h"

#include "engine/AppError.h"
#include "engine/Database.h"
#include "engine/OpenStorage.h"
#include "engine/Storage.h"
#include "engine/jetsql/DefinitionExecution.h"
#include "engine/jetsql/Parser.h"

namespace telvarn::jetsql {
namespace {

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// A select query makes rows to look at, which Execute has no place for; only
// one that makes a table is an action, and that one is not supported yet.
void refuseSelect(const SelectStatement& select) {
  if (select.into) throw engineError(3251);
  throw engineError(3065);
}

// A statement on a linked table runs in the file the link points to, on the
// table it names there; the link's own name stays usable as a qualifier.
void runData(Database& db, DataStatement& data) {
  static const std::string kDatabasePrefix = ";DATABASE=";
  std::string& table =
      std::visit([](auto& action) -> std::string& { return action.table; }, data.action);
  const std::optional<TableRecord> link = db.storage().findTable(table);
  if (!link || link->kind != TableKind::Linked) return db.storage().executeData(data);
  if (link->connect.rfind(kDatabasePrefix, 0) != 0) throw engineError(3001);
  const auto source = openStorage(link->connect.substr(kDatabasePrefix.size()));
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
          refuseSelect(body);
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
