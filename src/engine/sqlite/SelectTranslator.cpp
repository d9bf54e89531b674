#include "engine/sqlite/SelectTranslator.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/NumberText.h"
#include "engine/Storage.h"
#include "engine/jetsql/Parser.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/Grouping.h"
#include "engine/sqlite/LinkedTables.h"
#include "engine/sqlite/ValueCodec.h"

namespace telvarn::sqlite {
namespace {

using jetsql::SelectQuery;
using jetsql::TableSource;

// Stored queries used by stored queries: deeper than this is a cycle.
constexpr int kMaxQueryDepth = 32;

constexpr int kLongestText = 255;

std::string quote(const std::string& name) {
  return Connection::quote(name);
}

// The result column that shows a field as it is: its type and size, and an
// AutoNumber stays one, so that a table made from the query numbers its
// rows on from there.
FieldRecord shownColumn(const std::string& name, const FieldRecord& field) {
  FieldRecord column;
  column.name = name;
  column.type = field.type;
  column.size = field.size;
  column.attributes = field.attributes & kAutoIncrementAttribute;
  return column;
}

// The result column of a value: a field's own (see shownColumn), else the
// type of its kind (text of the most a Text field holds).
FieldRecord columnOf(const std::string& name, const Translated& value) {
  if (value.field && value.field->type != 0) return shownColumn(name, *value.field);
  FieldRecord column;
  column.name = name;
  column.type = fieldTypeOf(value.kind);
  column.size = column.type == DataType::Text ? kLongestText : 0;
  return column;
}

// One value of a select list, and the value of its kind column where its
// kind differs by row (empty where it does not).
struct Shown {
  std::string sql;
  std::string kind;
};

// The FROM items of one level, each table joining the level's scope.
class Sources {
 public:
  Sources(Scope& scope, ExpressionTranslator& translator)
      : scope_(scope), translator_(translator) {}

  std::string translateSource(const TableSource& source) {
    switch (source.kind) {
      case TableSource::Kind::Table:
        return table(source);
      case TableSource::Kind::Subquery: {
        const TranslatedQuery inner = translateQuery(translator_, *source.query);
        return named(nested(inner), "", source.alias, inner.columns);
      }
      case TableSource::Kind::Join:
        break;
    }
    static constexpr const char* kJoins[] = {" INNER JOIN ", " LEFT JOIN ", " RIGHT JOIN "};
    const std::string left = translateSource(*source.left);
    const std::string right = translateSource(*source.right);
    return "(" + left + kJoins[static_cast<int>(source.join)] + right + " ON " +
           translator_.condition(*source.on) + ")";
  }

  std::string named(const std::string& text, const std::string& name, const std::string& alias,
                    const std::vector<FieldRecord>& fields, bool record = false) {
    std::string sqlName = alias.empty() ? name : alias;
    if (sqlName.empty()) sqlName = "Query" + std::to_string(scope_.sources().size() + 1);
    scope_.add({name, alias, sqlName, fields, record});
    return text + " AS " + quote(sqlName);
  }

  // A table, or a stored query used as one.
  std::string table(const TableSource& source) {
    if (!source.database.empty())
      return linked(externalTable(source.name, source.database),
                    source.alias.empty() ? source.name : source.alias);
    Storage& storage = *translator_.storage();
    if (const auto table = storage.findTable(source.name)) {
      if (table->kind != TableKind::Local) return linked(*table, source.alias);
      // A table with no field yet has no SQLite table, and no rows.
      if (table->fields.empty())
        return named("(SELECT NULL WHERE 0)", table->name, source.alias, {});
      return named(quote(table->name), table->name, source.alias, table->fields, true);
    }
    const auto stored = storage.findQuery(source.name);
    if (!stored) throw engineError(3078, {source.name});
    if (translator_.depth() >= kMaxQueryDepth) throw engineError(3102, {stored->name});
    const jetsql::Statement statement = jetsql::parseStatement(stored->sql);
    const auto* select = std::get_if<jetsql::SelectStatement>(&statement.body);
    if (!select || !select->query || select->into) throw engineError(3078, {source.name});
    const Scope unrelated;
    ExpressionTranslator own(unrelated, translator_, std::string_view(select->sql));
    const TranslatedQuery inner = translateQuery(own, *select->query);
    return named(nested(inner), stored->name, source.alias, inner.columns);
  }

  // A query in FROM: a common table of the statement, unless it reads the
  // levels around it.
  std::string nested(const TranslatedQuery& inner) {
    return translator_.commonTable(inner.sql, inner.readsOuterLevels)
        .value_or("(" + inner.sql + ")");
  }

  // A linked table reads its rows where the executor shows them; a view,
  // which outlives the statement and its connection's temporary tables,
  // cannot.
  std::string linked(const TableRecord& link, const std::string& alias) {
    LinkedTables* links = translator_.links();
    if (!links || translator_.inlined()) throw engineError(3251);
    const LinkedRows rows = links->rowsOf(link);
    if (rows.table.empty()) return named("(SELECT NULL WHERE 0)", link.name, alias, {});
    return named(rows.table, link.name, alias, rows.fields, true);
  }

 private:
  Scope& scope_;
  ExpressionTranslator& translator_;
};

// `percent` percent of `count` (both SQLite text).
std::string share(const std::string& count, double percent) {
  return "(" + count + " * " + writeDouble(percent, Notation::General, 17) + " / 100.0)";
}

std::string roundedUp(const std::string& value) {
  const std::string whole = "CAST(" + value + " AS INTEGER)";
  return whole + " + (" + value + " > " + whole + ")";
}

// One SELECT ... FROM ... WHERE ... GROUP BY ... HAVING of a query.
class Level {
 public:
  // `forced`: the columns whose kind differs among the parts of a union,
  // which carry a kind column whatever their kind in this part.
  Level(ExpressionTranslator& outer, const SelectQuery& query, const std::vector<bool>& forced)
      : query_(query), forced_(forced), scope_(&outer.scope()), translator_(scope_, outer) {}

  // The level's text without ORDER BY and TOP; with `order`, those too.
  TranslatedQuery build(bool order) {
    std::string from;
    for (const auto& source : query_.from) {
      from += (from.empty() ? " FROM " : ", ") + translateSource(*source, scope_, translator_);
    }
    TranslatedQuery out;
    const std::vector<Shown> values = items(out.columns);
    std::string rest = from;
    if (query_.where) rest += " WHERE " + translator_.condition(*query_.where);
    std::string groups;
    for (const auto& group : query_.groupBy) {
      groups += (groups.empty() ? " GROUP BY " : ", ") + translator_.ordered(*group).sql;
    }
    rest += groups.empty() ? distinctRecords(query_, scope_) : groups;
    if (query_.having) rest += " HAVING " + translator_.condition(*query_.having);
    checkGrouping(query_, scope_, translator_.sql());
    if (order) checkDistinctOrder(query_, scope_, translator_.sql());
    if (order && query_.top && !query_.orderBy.empty()) {
      out.sql = topWithTies(values, out.columns, rest);
      return out;
    }
    out.sql = select() + list(values, out.columns, "") + rest;
    if (!order) return out;
    std::string sorted;
    for (const auto& item : query_.orderBy) {
      sorted += (sorted.empty() ? " ORDER BY " : ", ") + translator_.ordered(*item.expr).sql +
                (item.descending ? " DESC" : "");
    }
    out.sql += sorted;
    return out;
  }

  // Whether a name of the level, or of a query inside it, is a field of a
  // level around it.
  bool readsOuterLevels() const { return translator_.readsOuterLevels(); }

 private:
  std::string select() const {
    return query_.predicate == SelectQuery::Predicate::Distinct ? "SELECT DISTINCT " : "SELECT ";
  }

  // The select list, each value named after its column (its kind column
  // after it) or, with a `prefix`, numbered after it: prefix c1, prefix k1.
  static std::string list(const std::vector<Shown>& values, const std::vector<FieldRecord>& columns,
                          const std::string& prefix) {
    std::string out;
    for (size_t i = 0; i < values.size(); ++i) {
      const std::string number = std::to_string(i + 1);
      out += (i ? ", " : "") + values[i].sql + " AS " +
             quote(prefix.empty() ? columns[i].name : prefix + "c" + number);
      if (!values[i].kind.empty())
        out += ", " + values[i].kind + " AS " +
               quote(prefix.empty() ? kindColumn(columns[i].name) : prefix + "k" + number);
    }
    return out;
  }

  // TOP over sorted rows: the first n (or n percent, rounded up) and every
  // row equal to the last of them in all the sort keys, which rank with it.
  std::string topWithTies(const std::vector<Shown>& values, const std::vector<FieldRecord>& columns,
                          const std::string& rest) {
    std::string keys;
    std::string ranking;
    for (size_t i = 0; i < query_.orderBy.size(); ++i) {
      const std::string key = quote("telvarn.r" + std::to_string(i + 1));
      keys += ", " + translator_.ordered(*query_.orderBy[i].expr).sql + " AS " + key;
      ranking += (i ? ", " : "") + key + (query_.orderBy[i].descending ? " DESC" : "");
    }
    std::string shown;
    for (size_t i = 0; i < columns.size(); ++i) {
      const std::string number = std::to_string(i + 1);
      shown += (i ? ", " : "") + quote("telvarn.c" + number) + " AS " + quote(columns[i].name);
      if (!values[i].kind.empty())
        shown += ", " + quote("telvarn.k" + number) + " AS " + quote(kindColumn(columns[i].name));
    }
    const std::string cutoff = query_.topPercent
                                   ? roundedUp(share("\"telvarn.count\"", *query_.top))
                                   : std::to_string(static_cast<int64_t>(*query_.top));
    return "SELECT " + shown + " FROM (SELECT *, RANK() OVER (ORDER BY " + ranking +
           ") AS \"telvarn.rank\", COUNT(*) OVER () AS \"telvarn.count\" FROM (" + select() +
           list(values, columns, "telvarn.") + keys + rest +
           ")) WHERE \"telvarn.rank\" <= " + cutoff + " ORDER BY \"telvarn.rank\"";
  }

  std::vector<Shown> items(std::vector<FieldRecord>& columns) {
    std::vector<Shown> values;
    // A column whose kind differs by row (or among a union's parts) comes
    // with its kind column.
    const auto add = [&](Shown shown, FieldRecord column, ValueKind kind) {
      const bool forced = columns.size() < forced_.size() && forced_[columns.size()];
      if (column.type == 0 || forced) {
        if (shown.kind.empty())
          shown.kind = kind ? Connection::literal(std::string(1, kindLetter(*kind)))
                            : translator_.ownCall("telvarn_kind", shown.sql);
        column.type = 0;
      }
      values.push_back(std::move(shown));
      columns.push_back(std::move(column));
    };
    int unnamed = 0;
    for (const jetsql::SelectItem& item : query_.items) {
      if (!item.expr) {
        for (const ScopeSource& source : scope_.sources()) {
          if (!item.qualifier.empty() && &source != scope_.source(item.qualifier)) continue;
          for (const FieldRecord& field : source.fields) {
            const std::string table = quote(source.sqlName) + ".";
            const std::string name = item.qualifier.empty() ? starName(source, field) : field.name;
            const FieldRecord column = shownColumn(name, field);
            if (field.type == 0) {
              add({table + quote(field.name), table + quote(kindColumn(field.name))}, column, {});
            } else {
              add({table + quote(field.name), ""}, column, kindOfField(field.type));
            }
          }
        }
        if (!item.qualifier.empty() && !scope_.source(item.qualifier))
          translator_.noteUnknown(item.qualifier, "*");
        continue;
      }
      std::string name = item.alias;
      const FieldRecord* field = item.expr->kind == jetsql::Expr::Kind::Column
                                     ? translator_.resolve(item.expr->qualifier, item.expr->text)
                                     : nullptr;
      if (name.empty() && item.expr->kind == jetsql::Expr::Kind::Column)
        name = field ? field->name : item.expr->text;
      if (name.empty()) name = "Expr" + std::to_string(1000 + unnamed++);
      const Translated value = translator_.ordered(*item.expr);
      add({value.sql, ""}, columnOf(name, value), value.kind);
    }
    return values;
  }

  // "*" names a column after its field, or "table.field" when another
  // table of the level has a field of that name too.
  std::string starName(const ScopeSource& source, const FieldRecord& field) const {
    for (const ScopeSource& other : scope_.sources()) {
      if (&other == &source) continue;
      for (const FieldRecord& f : other.fields) {
        if (sameName(f.name, field.name)) return source.sqlName + "." + field.name;
      }
    }
    return field.name;
  }

  const SelectQuery& query_;
  const std::vector<bool>& forced_;
  Scope scope_;
  ExpressionTranslator translator_;
};

// ORDER BY of a union names the columns of its result.
std::string unionOrder(const SelectQuery& query, const std::vector<FieldRecord>& columns) {
  std::string sorted;
  for (const auto& item : query.orderBy) {
    const auto& expr = *item.expr;
    const auto found = std::find_if(columns.begin(), columns.end(), [&](const FieldRecord& c) {
      return expr.kind == jetsql::Expr::Kind::Column && sameName(c.name, expr.text);
    });
    if (found == columns.end()) throw engineError(3138);
    // Its place in the select list, counting the kind columns before it.
    const auto kindColumns =
        std::count_if(columns.begin(), found, [](const FieldRecord& c) { return c.type == 0; });
    sorted += (sorted.empty() ? " ORDER BY " : ", ") +
              std::to_string(found - columns.begin() + kindColumns + 1) +
              (item.descending ? " DESC" : "");
  }
  return sorted;
}

// TOP n without ORDER BY (or over a union) as a limit; TOP n PERCENT as
// that share of the rows, rounded up.
std::string limit(const SelectQuery& query, const std::string& body) {
  if (!query.top) return "";
  if (!query.topPercent) return " LIMIT " + std::to_string(static_cast<int64_t>(*query.top));
  return " LIMIT (SELECT " + roundedUp(share("count(*)", *query.top)) + " FROM (" + body + "))";
}

}  // namespace

std::string translateSource(const TableSource& source, Scope& scope,
                            ExpressionTranslator& translator) {
  return Sources(scope, translator).translateSource(source);
}

std::string kindColumn(const std::string& name) {
  return "telvarn.kind:" + name;
}

// A union's parts, each a level; a column whose type differs among them
// is made again with a kind column in every part.
TranslatedQuery translateQuery(ExpressionTranslator& outer, const SelectQuery& query) {
  const bool compound = !query.unions.empty();
  std::vector<bool> forced;
  for (;;) {
    Level first(outer, query, forced);
    TranslatedQuery out = first.build(!compound);
    out.readsOuterLevels = first.readsOuterLevels();
    std::vector<bool> differing(out.columns.size());
    for (const SelectQuery::UnionPart& part : query.unions) {
      Level level(outer, *part.query, forced);
      const TranslatedQuery next = level.build(false);
      if (next.columns.size() != out.columns.size()) throw engineError(3307);
      for (size_t i = 0; i < out.columns.size(); ++i)
        differing[i] = differing[i] || next.columns[i].type != out.columns[i].type;
      out.sql += (part.all ? " UNION ALL " : " UNION ") + next.sql;
      out.readsOuterLevels = out.readsOuterLevels || level.readsOuterLevels();
    }
    if (std::find(differing.begin(), differing.end(), true) != differing.end() &&
        differing != forced) {
      forced = differing;
      continue;
    }
    if (compound) out.sql += unionOrder(query, out.columns);
    if (compound || query.orderBy.empty()) out.sql += limit(query, out.sql);
    return out;
  }
}

}  // namespace telvarn::sqlite
