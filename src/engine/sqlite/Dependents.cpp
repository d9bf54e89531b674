#include "engine/sqlite/Dependents.h"

#include "engine/AppError.h"
#include "engine/jetsql/Parser.h"
#include "engine/sqlite/AutoNumbers.h"
#include "engine/sqlite/CatalogTables.h"
#include "engine/sqlite/RelationCatalog.h"
#include "engine/sqlite/SelectTranslator.h"
#include "engine/sqlite/SqliteStorage.h"

namespace telvarn::sqlite {

bool Dependents::known() {
  return knownAt_ == storage_.connection().stamp();
}

void Dependents::committed() {
  knownAt_ = storage_.connection().stamp();
}

void Dependents::dropAll() {
  Connection& db = storage_.connection();
  Statement found(db,
                  "SELECT type, name FROM sqlite_master WHERE (type = 'trigger' AND name LIKE "
                  "'telvarn.%') OR (type = 'view' AND name IN (SELECT Name FROM MSysObjects "
                  "WHERE Type = 5))");
  std::vector<std::string> drops;
  while (found.step()) {
    drops.push_back("DROP " + std::string(found.text(0) == "view" ? "VIEW " : "TRIGGER ") +
                    Connection::quote(found.text(1)));
  }
  for (const std::string& drop : drops) db.exec(drop);
}

void Dependents::createAll() {
  Connection& db = storage_.connection();
  for (const RelationRecord& relation : relations::readAll(db)) {
    relations::createTriggers(db, relation);
  }
  autonumbers::createTriggers(db);
  createViews(catalog::objectNames(db, catalog::kQuery, catalog::kQuery));
}

void Dependents::createFor(const std::string& table) {
  autonumbers::createTrigger(storage_.connection(), table);
  const std::vector<std::string> retried = std::move(untranslated_);
  createViews(retried);
}

void Dependents::createViews(const std::vector<std::string>& queries) {
  untranslated_.clear();
  for (const std::string& name : queries) {
    const auto query = storage_.findQuery(name);
    if (query && !createView(storage_, *query)) untranslated_.push_back(name);
  }
}

bool createView(SqliteStorage& storage, const QueryRecord& query) {
  try {
    const jetsql::Statement statement = jetsql::parseStatement(query.sql);
    const auto* select = std::get_if<jetsql::SelectStatement>(&statement.body);
    if (!select || !select->query || select->into) return false;
    std::vector<Variant> parameters;
    const Scope none;
    ExpressionTranslator translator(none, select->sql, parameters, &storage);
    translator.inlineLiterals();
    const TranslatedQuery translated = translateQuery(translator, *select->query);
    // A view is for other tools: none where they could not read it.
    if (!translator.unknownNames().empty() || translator.usesOwnFunctions()) return false;
    storage.connection().exec("CREATE VIEW " + Connection::quote(query.name) + " AS " +
                              translator.withClause() + translated.sql);
    return true;
  } catch (const AppError&) {
    return false;
  }
}

}  // namespace telvarn::sqlite
