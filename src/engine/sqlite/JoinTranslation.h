// UPDATE and DELETE over joined tables. The rows to change are the rowids
// of one table found by the join; UPDATE takes its new values from the
// joined row of each.
#pragma once

#include <string>

#include "engine/jetsql/Ast.h"
#include "engine/sqlite/SqlTranslator.h"

namespace telvarn::sqlite {

// 3073 when the fields SET names belong to more than one table, or to a
// query rather than a table.
TranslatedStatement translateJoinedUpdate(Storage& storage, const jetsql::UpdateStatement& update,
                                          const std::string& sql, LinkedTables* links);
// 3086 without DISTINCTROW, or when the table to delete from is not named
// ("DELETE t.* FROM ...") or is no table of the join.
TranslatedStatement translateJoinedDelete(Storage& storage, const jetsql::DeleteStatement& remove,
                                          const std::string& sql, LinkedTables* links);

}  // namespace telvarn::sqlite
