// Scope: the tables (and queries used as tables) whose fields the names of
// one query level can refer to, with the level around it for correlated
// subqueries.
#pragma once

#include <string>
#include <vector>

#include "engine/Catalog.h"

namespace telvarn::sqlite {

struct ScopeSource {
  std::string name;     // the table or query as the statement names it
  std::string alias;    // the statement's alias; empty without one
  std::string sqlName;  // what the translated text qualifies its columns with
  std::vector<FieldRecord> fields;
  bool record = false;  // a table's rows, each with its rowid (not a query's)
};

class Scope {
 public:
  explicit Scope(const Scope* outer = nullptr) : outer_(outer) {}

  void add(ScopeSource source) { sources_.push_back(std::move(source)); }
  const std::vector<ScopeSource>& sources() const { return sources_; }
  const Scope* outer() const { return outer_; }

  struct Found {
    const ScopeSource* source = nullptr;
    const FieldRecord* field = nullptr;
  };
  // The field `qualifier.name` names, looked for in this level first and
  // then outwards; an empty Found when there is none. 3079 when an
  // unqualified name is a field of more than one table of the same level.
  Found find(const std::string& qualifier, const std::string& name) const;
  // The source of this level a qualifier names (by alias or name), or
  // nullptr.
  const ScopeSource* source(const std::string& qualifier) const;

 private:
  Found findHere(const std::string& qualifier, const std::string& name, bool strict) const;

  const Scope* outer_;
  std::vector<ScopeSource> sources_;
};

}  // namespace telvarn::sqlite
