// RowChange: one row's change (see TableWriter), whole or not at all.
// Where every rule is checked before anything is written, what can still
// fail part way is the file itself (a damaged page, a write that failed),
// and the file's transaction then ends with the file as it was before it,
// as a failed write ends it: no copy of the pages the change writes is
// kept, as a savepoint keeps one. A change whose rules are checked as it
// goes (long values, which may still make the row too long; cascades into
// other tables) is a savepoint. Outside a transaction the change is one
// of its own.
#pragma once

#include "engine/mdb/PageFile.h"

namespace telvarn::mdb {

class RowChange {
 public:
  RowChange(PageFile& file, bool checkedAsItGoes)
      : file_(file), own_(checkedAsItGoes || file.depth() == 0) {
    if (own_) file_.begin();
  }
  ~RowChange() {
    if (!open_) return;
    if (own_) {
      file_.rollback();
    } else if (writing_) {
      file_.abandon();
    }
  }
  RowChange(const RowChange&) = delete;
  RowChange& operator=(const RowChange&) = delete;

  // Every rule is checked: what follows writes.
  void writing() { writing_ = true; }
  void commit() {
    open_ = false;
    if (own_) file_.commit();
  }

 private:
  PageFile& file_;
  bool own_;
  bool open_ = true;
  bool writing_ = false;
};

}  // namespace telvarn::mdb
