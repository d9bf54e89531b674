// The General sort order inside SQLite: the collation JETGENERAL, which
// every connection registers. The files keep their text columns declared
// COLLATE NOCASE, a collation every SQLite tool knows, so that other tools
// can read every table and view; the engine names JETGENERAL where the
// order counts: in its indexes over text, in the triggers of relationships
// on text keys, and in every statement it generates. Views, which are made
// for other tools, compare text with NOCASE instead, or those tools could
// not read them.
#pragma once

#include <sqlite3.h>

#include <string>

namespace telvarn::sqlite {

inline constexpr const char* kTextCollation = "JETGENERAL";

void registerTextOrder(sqlite3* db);

// " COLLATE JETGENERAL" after a value of a field of `type` when it is text,
// so that it compares, sorts and groups in the General sort order; nothing
// for any other type, whose indexes compare as SQLite does.
std::string collateText(int type);

}  // namespace telvarn::sqlite
