#include "engine/sqlite/ActionRun.h"

#include <memory>
#include <optional>
#include <vector>

#include "engine/AppError.h"

namespace telvarn::sqlite {
namespace {

struct ValueFree {
  void operator()(sqlite3_value* value) const { sqlite3_value_free(value); }
};
using HeldValue = std::unique_ptr<sqlite3_value, ValueFree>;
using HeldRow = std::vector<HeldValue>;

void bindAll(Statement& statement, const SqlText& text) {
  for (size_t i = 0; i < text.parameters.size(); ++i)
    statement.bind(static_cast<int>(i + 1), text.parameters[i]);
}

uint64_t changes(Connection& connection) {
  return static_cast<uint64_t>(sqlite3_changes64(connection.handle()));
}

// The error of the rule `work` found a row breaking, or nullopt when it
// ran; any other error is raised.
template <typename Work>
std::optional<AppError> brokenRule(Connection& connection, Work&& work) {
  Transaction transaction(connection);
  try {
    work();
  } catch (const AppError& error) {
    if (!breaksRowRule(error.number())) throw;
    return error;
  }
  transaction.commit();
  return std::nullopt;
}

void leaveOut(RowsAffected& done, const AppError& rule) {
  ++done.skipped[rule.number()];
  done.reasons.emplace(rule.number(), rule.description());
}

// The rows `text` yields, each value copied out of SQLite.
std::vector<HeldRow> rowsOf(Connection& connection, const SqlText& text, std::string_view source) {
  Statement statement(connection, text.sql, source);
  bindAll(statement, text);
  std::vector<HeldRow> rows;
  while (statement.step()) {
    HeldRow& row = rows.emplace_back();
    for (int i = 0; i < statement.columnCount(); ++i) {
      row.emplace_back(sqlite3_value_dup(statement.rawValue(i)));
      if (!row.back()) throw engineError(7);
    }
  }
  return rows;
}

RowsAffected rowByRow(Connection& connection, const TranslatedStatement& statement,
                      std::string_view source) {
  RowsAffected done;
  const std::vector<HeldRow> rows = rowsOf(connection, statement.rows, source);
  for (const HeldRow& row : rows) {
    const auto rule = brokenRule(connection, [&] {
      Statement one(connection, statement.oneRow.sql, source);
      bindAll(one, statement.oneRow);
      for (size_t i = 0; i < row.size(); ++i)
        one.bind((":r" + std::to_string(i + 1)).c_str(), row[i].get());
      one.run();
      done.changed += changes(connection);
    });
    if (rule) leaveOut(done, *rule);
  }
  return done;
}

}  // namespace

RowsAffected runAction(Connection& connection, const TranslatedStatement& statement,
                       std::string_view source) {
  if (statement.whole.sql.empty()) return {};
  RowsAffected done;
  const auto rule = brokenRule(connection, [&] {
    Statement whole(connection, statement.whole.sql, source);
    bindAll(whole, statement.whole);
    whole.run();
    done.changed = changes(connection);
  });
  if (rule && statement.rows.sql.empty()) {
    done = {};
    leaveOut(done, *rule);
  } else if (rule) {
    done = rowByRow(connection, statement, source);
  }
  return done;
}

}  // namespace telvarn::sqlite
