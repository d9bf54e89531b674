#include "engine/executor/ShownLinks.h"

#include <optional>
#include <utility>

#include "engine/AppError.h"

namespace telvarn::executor {

ShownLinks::ShownLinks(sqlite::Connection& connection, StorageTables& tables, Storage& own,
                       Sources sources)
    : connection_(connection), tables_(tables), own_(own), sources_(std::move(sources)) {}

sqlite::LinkedRows ShownLinks::rowsOf(const TableRecord& link) {
  const std::shared_ptr<Storage> source = sources_(link.connect);
  const std::optional<TableRecord> table = source->findTable(link.sourceTableName);
  if (!table) throw engineError(3078, {link.sourceTableName});
  if (table->kind != TableKind::Local) throw engineError(3251);
  // A table with no field yet has no rows.
  if (table->fields.empty()) return {"", {}, ""};
  if (source.get() == &own_)
    return {sqlite::Connection::quote(table->name), table->fields, table->name, true};

  const std::string name = "telvarn.link." + link.name;
  const Shown now{source.get(), table->name + '\n' + StorageTables::shapeOf(*table)};
  const auto held = shown_.find(name);
  const bool current = held != shown_.end() && held->second.source == now.source &&
                       held->second.shape == now.shape && stillShown(name);
  if (!current) {
    connection_.exec("DROP TABLE IF EXISTS temp." + sqlite::Connection::quote(name));
    opened_.emplace(source.get(), source);
    tables_.show(*source, table->name, "temp", name);
    shown_[name] = now;
  }
  return {"temp." + sqlite::Connection::quote(name), table->fields, name};
}

// A virtual table made inside a transaction goes when it is rolled back.
bool ShownLinks::stillShown(const std::string& name) {
  return connection_
             .queryInteger("SELECT count(*) FROM temp.sqlite_master WHERE name = " +
                           sqlite::Connection::literal(name))
             .value_or(0) > 0;
}

}  // namespace telvarn::executor
