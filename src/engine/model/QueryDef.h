// QueryDef: a stored query, a name with its SQL text as written.
#pragma once

#include <string>

namespace telvarn {

class QueryDef {
 public:
  QueryDef(std::string name, std::string sql) : name_(std::move(name)), sql_(std::move(sql)) {}
  const std::string& name() const { return name_; }
  const std::string& sql() const { return sql_; }

 private:
  std::string name_;
  std::string sql_;
};

}  // namespace telvarn
