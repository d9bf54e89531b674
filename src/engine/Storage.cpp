#include "engine/Storage.h"

namespace telvarn {

namespace {

// The one row of a scan that has the id asked for.
class FoundRow : public RowCursor {
 public:
  FoundRow(std::unique_ptr<RowCursor> rows, RowId wanted)
      : rows_(std::move(rows)), wanted_(wanted) {}
  bool next() override {
    if (done_) return false;
    done_ = true;
    while (rows_->next()) {
      if (rows_->id() == wanted_) return true;
    }
    return false;
  }
  RowId id() const override { return rows_->id(); }
  const std::vector<Variant>& values() const override { return rows_->values(); }
  const Variant& value(size_t field) const override { return rows_->value(field); }

 private:
  std::unique_ptr<RowCursor> rows_;
  RowId wanted_;
  bool done_ = false;
};

}  // namespace

std::unique_ptr<RowCursor> StorageRows::row(const std::string& table, RowId row) {
  return std::make_unique<FoundRow>(scan(table), row);
}

void StorageRows::forEachRow(const std::string& table, const RowVisitor& visit) {
  const std::unique_ptr<RowCursor> rows = scan(table);
  while (rows->next()) {
    if (!visit(rows->values())) return;
  }
}

}  // namespace telvarn
