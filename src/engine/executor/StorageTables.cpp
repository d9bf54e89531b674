#include "engine/executor/StorageTables.h"

#include <cmath>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/ValueCodec.h"

namespace telvarn::executor {
namespace {

constexpr char kModule[] = "telvarn_rows";

// Whether SQLite keeps values of a field of engine type `type` in the
// storage class `storageClass`.
bool keptAs(int storageClass, int type) {
  if (isTextType(type)) return storageClass == SQLITE_TEXT;
  if (type == DataType::Binary || type == DataType::LongBinary) return storageClass == SQLITE_BLOB;
  return storageClass == SQLITE_INTEGER || storageClass == SQLITE_FLOAT;
}

// A value SQLite hands back for a column of engine type `type`: the kind
// its subtype names; else, when SQLite keeps it as the field's values are
// kept, the field's own kind; else the kind its storage class suggests (a
// text for a number field, which the storage then converts or refuses).
Variant fieldValueOf(sqlite3_value* value, int type) {
  const bool ownForm = sqlite3_value_subtype(value) == 0 && keptAs(sqlite3_value_type(value), type);
  return sqlite::readValue(
      value, ownForm ? sqlite::kindLetter(sqlite::kindOfField(type)) : sqlite::kVaries);
}

// Whether an index seek for `value` finds every row the comparison
// `column = value` takes: only for a key kept as the column's values are
// (SQLite's comparison converts between kinds where an index does not).
bool seekable(sqlite3_value* value, int type) {
  return keptAs(sqlite3_value_type(value), type);
}

// Every virtual table of one storage shares its transaction: the first
// table SQLite begins one on opens it, the first to sync commits it.
struct Session {
  explicit Session(Storage& s) : storage(s) {}
  Storage& storage;
  int tables = 0;      // tables SQLite began the transaction on
  bool ended = false;  // committed or rolled back, waiting for the rest
  int savepoints = 0;  // storage levels opened for SQLite's savepoints

  void begin() {
    if (tables++ == 0) {
      storage.begin();
      ended = false;
      savepoints = 0;
    }
  }
  void sync() {
    if (ended) return;
    while (savepoints > 0) {
      storage.commit();
      --savepoints;
    }
    ended = true;
    storage.commit();
  }
  void rollBack() {
    if (!ended) {
      ended = true;
      for (; savepoints > 0; --savepoints) storage.rollBack();
      storage.rollBack();
    }
    finish();
  }
  void finish() {
    if (--tables <= 0) tables = 0;
  }
  void savepoint(int level) {
    for (; savepoints < level + 1; ++savepoints) storage.begin();
  }
  void release(int level) {
    for (; savepoints > level; --savepoints) storage.commit();
  }
  void rollBackTo(int level) {
    if (savepoints <= level) return;
    for (; savepoints > level + 1; --savepoints) storage.rollBack();
    storage.rollBack();
    storage.begin();
  }
};

struct Shown {
  Session* session;
  std::string table;
};

}  // namespace

struct StorageTables::Registry {
  std::map<Storage*, std::unique_ptr<Session>> sessions;
  std::vector<Shown> shown;  // a CREATE VIRTUAL TABLE names its entry's place
};

namespace {

struct Table {
  sqlite3_vtab base{};
  Session* session = nullptr;
  TableRecord record;
  std::vector<std::vector<size_t>> indexColumns;  // field positions, per index
  double rows = 0;                                // for the planner's costs
  // SQLite also syncs and commits a table it has just created, without
  // beginning a transaction on it: only a table that began one ends it.
  bool began = false;
};

struct Cursor {
  sqlite3_vtab_cursor base{};
  std::unique_ptr<RowCursor> rows;
  bool atEnd = true;
  size_t fieldCount = 0;
};

Table& tableOf(sqlite3_vtab* vtab) {
  return *reinterpret_cast<Table*>(vtab);
}
Cursor& cursorOf(sqlite3_vtab_cursor* cursor) {
  return *reinterpret_cast<Cursor*>(cursor);
}

// Runs `step`; an engine error (or any other) becomes the virtual table's
// failure, carried whole to the statement's caller.
template <typename Step>
int guarded(sqlite3_vtab* vtab, Step&& step) {
  try {
    step();
    return SQLITE_OK;
  } catch (const std::exception& error) {
    sqlite3_free(vtab->zErrMsg);
    vtab->zErrMsg = sqlite3_mprintf("%s", sqlite::failureMessage(asAppError(error)).c_str());
    return SQLITE_ERROR;
  }
}

std::string declaration(const TableRecord& record) {
  std::string sql = "CREATE TABLE x(";
  for (size_t i = 0; i < record.fields.size(); ++i) {
    if (i > 0) sql += ", ";
    sql += sqlite::Connection::quote(record.fields[i].name) + " " +
           storageDeclaration(record.fields[i].type);
  }
  // SQLite needs a column; a table without fields shows a hidden one.
  if (record.fields.empty()) sql += "telvarn_no_field HIDDEN";
  return sql + ")";
}

int connect(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out,
            char** error) {
  auto& registry = *static_cast<StorageTables::Registry*>(aux);
  const size_t entry = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : registry.shown.size();
  if (entry >= registry.shown.size()) {
    *error = sqlite3_mprintf("%s", "no such storage table");
    return SQLITE_ERROR;
  }
  const Shown& shown = registry.shown[entry];
  auto table = std::make_unique<Table>();
  try {
    const std::optional<TableRecord> record = shown.session->storage.findTable(shown.table);
    if (!record) throw engineError(3078, {shown.table});
    if (record->kind != TableKind::Local) throw engineError(3251);
    table->session = shown.session;
    table->record = *record;
    table->rows = static_cast<double>(shown.session->storage.rowCount(shown.table));
  } catch (const std::exception& failure) {
    *error = sqlite3_mprintf("%s", sqlite::failureMessage(asAppError(failure)).c_str());
    return SQLITE_ERROR;
  }
  for (const IndexRecord& index : table->record.indexes) {
    std::vector<size_t> columns;
    for (const IndexColumn& column : index.columns) {
      for (size_t i = 0; i < table->record.fields.size(); ++i) {
        if (sameName(table->record.fields[i].name, column.field)) columns.push_back(i);
      }
    }
    if (columns.size() != index.columns.size()) columns.clear();  // cannot seek through it
    table->indexColumns.push_back(std::move(columns));
  }
  const int rc = sqlite3_declare_vtab(db, declaration(table->record).c_str());
  if (rc != SQLITE_OK) return rc;
  *out = &table.release()->base;
  return SQLITE_OK;
}

int disconnect(sqlite3_vtab* vtab) {
  delete &tableOf(vtab);
  return SQLITE_OK;
}

// The plan that reads one row by its id (idxNum), when the row id has an
// "=" constraint.
constexpr int kByRowId = -1;

// The row asked for by its id, a seek through the first index whose every
// column has an "=" constraint (a unique one preferred), otherwise a scan.
int bestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
  const Table& table = tableOf(vtab);
  for (int c = 0; c < info->nConstraint; ++c) {
    const auto& constraint = info->aConstraint[c];
    if (constraint.usable && constraint.op == SQLITE_INDEX_CONSTRAINT_EQ &&
        constraint.iColumn == -1) {
      info->aConstraintUsage[c].argvIndex = 1;
      info->aConstraintUsage[c].omit = 1;
      info->idxNum = kByRowId;
      info->estimatedCost = 1;
      info->estimatedRows = 1;
      info->idxFlags |= SQLITE_INDEX_SCAN_UNIQUE;
      return SQLITE_OK;
    }
  }
  int chosen = -1;
  for (size_t i = 0; i < table.indexColumns.size(); ++i) {
    const std::vector<size_t>& columns = table.indexColumns[i];
    if (columns.empty()) continue;
    bool covered = true;
    for (const size_t column : columns) {
      bool found = false;
      for (int c = 0; c < info->nConstraint; ++c) {
        const auto& constraint = info->aConstraint[c];
        found = found || (constraint.usable && constraint.op == SQLITE_INDEX_CONSTRAINT_EQ &&
                          constraint.iColumn == static_cast<int>(column));
      }
      covered = covered && found;
    }
    if (!covered) continue;
    const IndexRecord& index = table.record.indexes[i];
    const bool unique = index.primary || index.unique;
    if (chosen < 0 ||
        (unique && !(table.record.indexes[chosen].primary || table.record.indexes[chosen].unique)))
      chosen = static_cast<int>(i);
  }
  if (chosen < 0) {
    info->idxNum = 0;
    info->estimatedCost = 10 + table.rows;
    info->estimatedRows = static_cast<sqlite3_int64>(table.rows);
    return SQLITE_OK;
  }
  const std::vector<size_t>& columns = table.indexColumns[chosen];
  for (size_t k = 0; k < columns.size(); ++k) {
    for (int c = 0; c < info->nConstraint; ++c) {
      const auto& constraint = info->aConstraint[c];
      if (constraint.usable && constraint.op == SQLITE_INDEX_CONSTRAINT_EQ &&
          constraint.iColumn == static_cast<int>(columns[k])) {
        info->aConstraintUsage[c].argvIndex = static_cast<int>(k + 1);
        break;
      }
    }
  }
  const IndexRecord& index = table.record.indexes[chosen];
  const bool unique = index.primary || index.unique;
  info->idxNum = chosen + 1;
  info->estimatedCost = unique ? 2 : 2 + std::log2(table.rows + 2);
  info->estimatedRows = unique ? 1 : 10;
  if (unique) info->idxFlags |= SQLITE_INDEX_SCAN_UNIQUE;
  return SQLITE_OK;
}

int open(sqlite3_vtab* vtab, sqlite3_vtab_cursor** out) {
  Cursor* cursor = new Cursor;
  cursor->fieldCount = tableOf(vtab).record.fields.size();
  *out = &cursor->base;
  return SQLITE_OK;
}

int close(sqlite3_vtab_cursor* cursor) {
  delete &cursorOf(cursor);
  return SQLITE_OK;
}

int next(sqlite3_vtab_cursor* cursor) {
  Cursor& rows = cursorOf(cursor);
  return guarded(cursor->pVtab, [&] { rows.atEnd = !rows.rows->next(); });
}

int filter(sqlite3_vtab_cursor* cursor, int idxNum, const char*, int argc, sqlite3_value** argv) {
  Table& table = tableOf(cursor->pVtab);
  Cursor& rows = cursorOf(cursor);
  return guarded(cursor->pVtab, [&] {
    Storage& storage = table.session->storage;
    // The last scan ends (and gives up what it holds of the file) first.
    rows.rows.reset();
    rows.atEnd = true;
    if (idxNum == kByRowId) {
      rows.rows = storage.row(table.record.name, sqlite3_value_int64(argv[0]));
      rows.atEnd = !rows.rows->next();
      return;
    }
    std::vector<Variant> key;
    if (idxNum > 0) {
      const std::vector<size_t>& columns = table.indexColumns[static_cast<size_t>(idxNum - 1)];
      for (int i = 0; i < argc && key.size() == static_cast<size_t>(i); ++i) {
        const int type = table.record.fields[columns[static_cast<size_t>(i)]].type;
        if (seekable(argv[i], type)) key.push_back(fieldValueOf(argv[i], type));
      }
    }
    if (idxNum > 0 && key.size() == static_cast<size_t>(argc))
      rows.rows = storage.seek(table.record.name,
                               table.record.indexes[static_cast<size_t>(idxNum - 1)].name, key);
    else
      rows.rows = storage.scan(table.record.name);
    rows.atEnd = !rows.rows->next();
  });
}

int eof(sqlite3_vtab_cursor* cursor) {
  return cursorOf(cursor).atEnd;
}

int column(sqlite3_vtab_cursor* cursor, sqlite3_context* context, int i) {
  // An UPDATE that leaves this column alone does not need its value.
  if (sqlite3_vtab_nochange(context)) return SQLITE_OK;
  const Cursor& rows = cursorOf(cursor);
  if (i >= 0 && static_cast<size_t>(i) < rows.fieldCount)
    sqlite::setResult(context, rows.rows->value(static_cast<size_t>(i)));
  return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor* cursor, sqlite3_int64* out) {
  *out = cursorOf(cursor).rows->id();
  return SQLITE_OK;
}

int update(sqlite3_vtab* vtab, int argc, sqlite3_value** argv, sqlite3_int64* rowidOut) {
  Table& table = tableOf(vtab);
  return guarded(vtab, [&] {
    Storage& storage = table.session->storage;
    const std::string& name = table.record.name;
    if (argc == 1) return storage.deleteRow(name, sqlite3_value_int64(argv[0]));
    std::vector<Variant> values;
    for (size_t i = 0; i < table.record.fields.size(); ++i) {
      sqlite3_value* value = argv[i + 2];
      values.push_back(sqlite3_value_nochange(value)
                           ? Variant()
                           : fieldValueOf(value, table.record.fields[i].type));
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
      *rowidOut = storage.insertRow(name, values);
      return;
    }
    const RowId row = sqlite3_value_int64(argv[0]);
    if (sqlite3_value_int64(argv[1]) != row) throw engineError(3000, {"a row's id cannot change"});
    storage.updateRow(name, row, values);
  });
}

int begin(sqlite3_vtab* vtab) {
  Table& table = tableOf(vtab);
  return guarded(vtab, [&] {
    table.session->begin();
    table.began = true;
  });
}
int sync(sqlite3_vtab* vtab) {
  Table& table = tableOf(vtab);
  return guarded(vtab, [&] {
    if (table.began) table.session->sync();
  });
}
int commit(sqlite3_vtab* vtab) {
  Table& table = tableOf(vtab);
  if (table.began) table.session->finish();
  table.began = false;
  return SQLITE_OK;
}
int rollBack(sqlite3_vtab* vtab) {
  Table& table = tableOf(vtab);
  const bool began = std::exchange(table.began, false);
  return guarded(vtab, [&] {
    if (began) table.session->rollBack();
  });
}
// SQLite also brings a table it created in the open transaction into that
// transaction's savepoints; only a table that began one takes part.
int savepoint(sqlite3_vtab* vtab, int level) {
  Table& table = tableOf(vtab);
  return guarded(vtab, [&] {
    if (table.began) table.session->savepoint(level);
  });
}
int release(sqlite3_vtab* vtab, int level) {
  Table& table = tableOf(vtab);
  return guarded(vtab, [&] {
    if (table.began) table.session->release(level);
  });
}
int rollBackTo(sqlite3_vtab* vtab, int level) {
  Table& table = tableOf(vtab);
  return guarded(vtab, [&] {
    if (table.began) table.session->rollBackTo(level);
  });
}

sqlite3_module makeModule() {
  sqlite3_module module{};
  module.iVersion = 2;
  module.xCreate = connect;
  module.xConnect = connect;
  module.xBestIndex = bestIndex;
  module.xDisconnect = disconnect;
  module.xDestroy = disconnect;
  module.xOpen = open;
  module.xClose = close;
  module.xFilter = filter;
  module.xNext = next;
  module.xEof = eof;
  module.xColumn = column;
  module.xRowid = rowid;
  module.xUpdate = update;
  module.xBegin = begin;
  module.xSync = sync;
  module.xCommit = commit;
  module.xRollback = rollBack;
  module.xSavepoint = savepoint;
  module.xRelease = release;
  module.xRollbackTo = rollBackTo;
  return module;
}

const sqlite3_module kRowsModule = makeModule();

}  // namespace

StorageTables::StorageTables(sqlite3* db) : db_(db), registry_(new Registry) {
  const int rc = sqlite3_create_module_v2(db, kModule, &kRowsModule, registry_,
                                          [](void* aux) { delete static_cast<Registry*>(aux); });
  if (rc != SQLITE_OK) sqlite::fail(db, rc, "");
}

StorageTables::~StorageTables() = default;

std::string StorageTables::shapeOf(const TableRecord& table) {
  std::string text;
  for (const FieldRecord& field : table.fields)
    text += field.name + '\n' + std::to_string(field.type) + '\n';
  for (const IndexRecord& index : table.indexes) {
    text += index.name + (index.primary || index.unique ? "\n1" : "\n0");
    for (const IndexColumn& column : index.columns) text += '\n' + column.field;
    text += '\n';
  }
  return text;
}

void StorageTables::show(Storage& storage, const std::string& table, const std::string& schema,
                         const std::string& name) {
  std::unique_ptr<Session>& session = registry_->sessions[&storage];
  if (!session) session = std::make_unique<Session>(storage);
  registry_->shown.push_back({session.get(), table});
  const std::string sql = "CREATE VIRTUAL TABLE " + sqlite::Connection::quote(schema) + "." +
                          sqlite::Connection::quote(name) + " USING " + kModule + "(" +
                          std::to_string(registry_->shown.size() - 1) + ")";
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    sqlite3_free(message);
    sqlite::fail(db_, sqlite3_extended_errcode(db_), "");
  }
}

}  // namespace telvarn::executor
