#include "engine/mdb/QueryFrom.h"

#include <algorithm>

#include "engine/Catalog.h"

namespace telvarn::mdb {
namespace {

// One entry of the FROM list: a table, or tables already joined.
struct FromItem {
  std::string text;
  std::vector<std::string> names;
  bool joined = false;
};

// The joins between the same two tables, their conditions ANDed.
struct JoinGroup {
  std::string left;
  std::string right;
  int kind = 1;
  std::vector<std::string> conditions;
};

bool plainName(const std::string& name) {
  if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || std::isalnum(byte) || c == '_';
  });
}

FromItem tableItem(const QueryRow& row) {
  FromItem item;
  const std::string source = row.name1.empty() ? "(" + row.expression + ")" : sqlName(row.name1);
  item.text = row.name2.empty() ? source : source + " AS " + sqlName(row.name2);
  item.names.push_back(row.name2.empty() ? row.name1 : row.name2);
  return item;
}

std::vector<JoinGroup> joinGroups(const std::vector<QueryRow>& rows) {
  std::vector<JoinGroup> groups;
  for (const QueryRow& row : rows) {
    if (row.part != QueryPart::Join) continue;
    auto group = std::find_if(groups.begin(), groups.end(), [&](const JoinGroup& g) {
      return sameName(g.left, row.name1) && sameName(g.right, row.name2) && g.kind == row.flag;
    });
    if (group == groups.end())
      group = groups.insert(groups.end(), {row.name1, row.name2, row.flag, {}});
    group->conditions.push_back(row.expression);
  }
  return groups;
}

size_t itemHolding(const std::vector<FromItem>& items, const std::string& name) {
  for (size_t i = 0; i < items.size(); ++i) {
    for (const std::string& held : items[i].names) {
      if (sameName(held, name)) return i;
    }
  }
  return items.size();
}

std::string condition(const JoinGroup& group) {
  if (group.conditions.size() == 1) return group.conditions.front();
  std::string text;
  for (const std::string& part : group.conditions) {
    text += (text.empty() ? "(" : " AND (") + part + ")";
  }
  return text;
}

const char* joinWord(int kind) {
  return kind == 2 ? " LEFT JOIN " : kind == 3 ? " RIGHT JOIN " : " INNER JOIN ";
}

void join(std::vector<FromItem>& items, const JoinGroup& group) {
  const size_t left = itemHolding(items, group.left);
  const size_t right = itemHolding(items, group.right);
  if (left == items.size() || right == items.size() || left == right) return;
  const auto wrapped = [](const FromItem& item) {
    return item.joined ? "(" + item.text + ")" : item.text;
  };
  FromItem combined;
  combined.joined = true;
  combined.text = wrapped(items[left]) + joinWord(group.kind) + wrapped(items[right]) + " ON " +
                  condition(group);
  combined.names = items[left].names;
  combined.names.insert(combined.names.end(), items[right].names.begin(), items[right].names.end());
  items[std::min(left, right)] = std::move(combined);
  items.erase(items.begin() + static_cast<std::ptrdiff_t>(std::max(left, right)));
}

}  // namespace

std::string sqlName(const std::string& name) {
  return plainName(name) ? name : "[" + name + "]";
}

std::string fromList(const std::vector<QueryRow>& rows) {
  std::vector<FromItem> items;
  for (const QueryRow& row : rows) {
    if (row.part == QueryPart::Table) items.push_back(tableItem(row));
  }
  for (const JoinGroup& group : joinGroups(rows)) join(items, group);
  std::string text;
  for (const FromItem& item : items) text += (text.empty() ? "" : ", ") + item.text;
  return text;
}

}  // namespace telvarn::mdb
