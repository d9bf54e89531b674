// The syntax tree of one statement of the engine's SQL dialect, as the
// parser builds it and the executors read it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "engine/Catalog.h"

namespace telvarn::jetsql {

enum class Op {
  Negate,
  Not,  // unary
  Power,
  Multiply,
  Divide,
  IntDivide,
  Modulo,
  Add,
  Subtract,
  Concat,
  Equal,
  NotEqual,
  Less,
  Greater,
  LessEqual,
  GreaterEqual,
  Like,
  And,
  Or,
  Xor,
  Eqv,
  Imp,
};

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;
struct SelectQuery;
using QueryPtr = std::shared_ptr<SelectQuery>;

struct Expr {
  enum class Kind {
    Null,
    Integer,
    Double,
    Text,
    Date,    // literals; True and False are the Integers -1 and 0
    Column,  // name, with qualifier when written t.name
    Unary,
    Binary,      // op over two or more operands, left to right: a run such as
                 // a + b + c is one node
    IsNull,      // operand Is [Not] Null
    Between,     // operands: value, one bound, the other bound
    In,          // operands: value, then the list (or `query`)
    Call,        // function name with its arguments
    Star,        // "*" as a function argument: Count(*)
    Subquery,    // (SELECT ...) as a value: `query`
    Exists,      // Exists (SELECT ...): `query`
    Quantified,  // operand op ANY, SOME or ALL (SELECT ...): `query`, `every`
  };

  Kind kind = Kind::Null;
  Op op = Op::Add;
  bool negated = false;  // Is Not Null, Not Between, Not In, Not Like
  bool every = false;    // Quantified: ALL (rather than ANY or SOME)
  int64_t integer = 0;
  double number = 0;      // a Double, or a Date's day number
  std::string text;       // Text value, column or function name
  std::string qualifier;  // table of a column reference
  std::vector<ExprPtr> operands;
  QueryPtr query;
  size_t begin = 0;  // where it stands in the statement text
  size_t end = 0;
};

// ---- Data definition ----

struct FieldType {
  int type = 0;
  int size = 0;  // the length of Text and Binary; 0 for the others
  bool autoIncrement = false;
  int64_t seed = 1;  // COUNTER(seed, increment)
  int64_t increment = 1;
};

struct ConstraintDef {
  enum class Kind { PrimaryKey, Unique, ForeignKey };
  Kind kind = Kind::PrimaryKey;
  std::string name;                            // empty when the statement gave none
  std::vector<std::string> columns;            // empty on a column: that column
  std::string referencedTable;                 // ForeignKey: the table it points at
  std::vector<std::string> referencedColumns;  // empty: that table's primary key
  bool noIndex = false;                        // FOREIGN KEY NO INDEX
};

struct ColumnDef {
  std::string name;
  FieldType type;
  bool notNull = false;
  std::string defaultValue;  // the literal of DEFAULT as written; empty without one
  std::optional<ConstraintDef> constraint;
  std::optional<ConstraintDef> references;  // REFERENCES t [(f)] after the type
};

struct CreateTable {
  std::string table;
  std::vector<ColumnDef> columns;  // none for "CREATE TABLE t"
  std::vector<ConstraintDef> constraints;
};

struct DropTable {
  std::vector<std::string> tables;
};

struct AlterTable {
  enum class Action { AddColumn, AlterColumn, DropColumn, AddConstraint, DropConstraint };
  std::string table;
  Action action = Action::AddColumn;
  ColumnDef column;          // AddColumn, AlterColumn (type only)
  ConstraintDef constraint;  // AddConstraint
  std::string name;          // DropColumn, DropConstraint
};

struct CreateIndex {
  std::string name;
  std::string table;
  std::vector<IndexColumn> columns;
  bool unique = false;
  bool primary = false;       // WITH PRIMARY
  bool disallowNull = false;  // WITH DISALLOW NULL
  bool ignoreNull = false;    // WITH IGNORE NULL
};

struct DropIndex {
  std::string name;
  std::string table;
};

// ---- Queries ----

// One item of a select list: an expression, "*" or "t.*".
struct SelectItem {
  ExprPtr expr;           // null for "*" and "t.*"
  std::string qualifier;  // the t of "t.*"
  std::string alias;      // AS name
};

// A FROM item: a table or stored query, a parenthesised query with an
// alias, or two items joined.
struct TableSource {
  enum class Kind { Table, Subquery, Join };
  enum class JoinKind { Inner, Left, Right };
  Kind kind = Kind::Table;
  std::string name;      // Table
  std::string database;  // Table: the file of FROM ... IN 'file'; empty for this one
  std::string alias;     // Table, Subquery
  QueryPtr query;        // Subquery
  JoinKind join = JoinKind::Inner;
  std::unique_ptr<TableSource> left, right;  // Join
  ExprPtr on;                                // Join
};
using SourcePtr = std::unique_ptr<TableSource>;

struct OrderItem {
  ExprPtr expr;
  bool descending = false;
};

struct SelectQuery {
  enum class Predicate { All, Distinct, DistinctRow };
  Predicate predicate = Predicate::All;
  std::optional<double> top;  // TOP n
  bool topPercent = false;
  std::vector<SelectItem> items;
  std::string into;             // SELECT ... INTO table; empty otherwise
  std::string intoDatabase;     // INTO table IN 'file': the file it is made in
  std::vector<SourcePtr> from;  // items separated by ","; none without FROM
  ExprPtr where;
  std::vector<ExprPtr> groupBy;
  ExprPtr having;
  struct UnionPart {
    bool all = false;
    QueryPtr query;
  };
  std::vector<UnionPart> unions;   // further SELECTs joined by UNION [ALL]
  std::vector<OrderItem> orderBy;  // of the whole union when there is one
  // Where it stands in the statement text: from its word SELECT to the end
  // of its own clauses (`blockEnd`, before UNION and ORDER BY) and to the
  // end of all of it (`end`).
  size_t begin = 0;
  size_t blockEnd = 0;
  size_t end = 0;
};

// TRANSFORM value [AS alias] SELECT ... PIVOT expression [In (...)].
struct Crosstab {
  ExprPtr value;
  std::string valueAlias;
  QueryPtr select;
  ExprPtr pivot;  // an In when the statement lists the pivot's values
  bool ownerAccess = false;
};

// ---- Data statements ----

struct ColumnRef {
  std::string qualifier;
  std::string name;
  size_t begin = 0;  // where it stands in the statement text
  size_t end = 0;
};

struct Assignment {
  ColumnRef column;
  ExprPtr value;
};

struct InsertStatement {
  std::string table;
  std::string database;              // INSERT INTO table IN 'file': the file it is in
  std::vector<std::string> columns;  // empty: every field in order
  std::vector<ExprPtr> values;
  QueryPtr select;  // INSERT INTO ... SELECT: the rows to add, instead of values
};

// UPDATE and DELETE name one table (`table`, `alias`) or, for a join,
// carry the whole FROM item in `source` and leave `table` empty.
struct UpdateStatement {
  std::string table;
  std::string alias;
  std::shared_ptr<TableSource> source;
  std::vector<Assignment> assignments;
  ExprPtr where;  // null: every row
};

struct DeleteStatement {
  std::string table;
  std::string alias;
  std::shared_ptr<TableSource> source;
  bool distinctRow = false;
  std::string target;  // "t" of "DELETE t.* FROM ..."; empty otherwise
  ExprPtr where;
};

// An action on rows, handed to the storage whole. `sql` is the statement
// text the expressions' offsets refer to.
struct DataStatement {
  std::variant<InsertStatement, UpdateStatement, DeleteStatement> action;
  std::string sql;
};

// A query that returns rows; Execute refuses it unless it makes a table.
// A crosstab (TRANSFORM) is only read to its end and has no tree.
struct SelectStatement {
  bool into = false;
  QueryPtr query;
  std::string sql;  // the text the query's offsets refer to
};

// One declaration of PARAMETERS: its name as written (brackets kept), its
// type (a DataType; 0 for Value, nullopt for a word no type has) and the
// length a Text was declared with (0 without one).
struct ParameterDecl {
  std::string name;
  std::optional<int> type;
  int size = 0;
};

struct Statement {
  std::variant<CreateTable, DropTable, AlterTable, CreateIndex, DropIndex, DataStatement,
               SelectStatement>
      body;
  int declaredParameters = 0;  // from a PARAMETERS declaration in front
  std::vector<ParameterDecl> parameters;
  // WITH OWNERACCESS OPTION after a query: it runs with its owner's
  // permissions, which every user has here (there are no accounts).
  bool ownerAccess = false;
};

}  // namespace telvarn::jetsql
