// TableWriter: the rows of one table changed in place, the row interface
// of the .mdb storage. A row is named by its row id: the row pointer of the
// record that stands for it. A row that outgrows its page moves to another
// (marked deleted there, so that a scan meets it once) and its record
// becomes a pointer to the new place, so the id stays. Every physical
// index follows each change; the table definition keeps the row count and
// the last AutoNumber given.
//
// Values are one per column in the table's order, in the forms forEachRow
// gives them (see FixedValue.h). Each call is whole or nothing, within the
// file's open transaction or as one of its own: a rule broken leaves the
// file as it was; should the file itself fail part way (a damaged page, a
// write that failed), the open transaction ends with the file as it was
// before it, as after a failed write. The relationships the table takes
// part in are kept (see Relationships.h): 3201 and 3200 before anything is
// written, cascades after.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "engine/Variant.h"
#include "engine/mdb/IndexWriter.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/Relationships.h"
#include "engine/mdb/RowEncoder.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

class TableWriter final : private HeldPages {
 public:
  // The table whose definition starts on `definitionPage` (3049 when that
  // is no table definition).
  TableWriter(PageFile& file, uint32_t definitionPage);
  // The row count and AutoNumber held back are written; should that fail,
  // the file's transaction ends (see PageFile::abandon).
  ~TableWriter();
  TableWriter(const TableWriter&) = delete;
  TableWriter& operator=(const TableWriter&) = delete;

  const TableDefinition& definition() const { return table_; }

  // 3167 for an id that names no live row.
  std::vector<Variant> read(uint32_t row);

  // An Empty or Null value of an AutoNumber column takes the next number
  // (a new GUID for a GUID one). Errors, before anything is written: 3022
  // for a duplicate in a unique index, 3058 for Null in a primary key or a
  // Required index, 3163 / 3349 / 3421 for a value that does not fit its
  // column (StoredValue.h), 3047 for a row over 4,060 bytes, 3027 for an
  // index whose keys this engine cannot make; then 3026 / 3027 / 3043 from
  // the disk.
  uint32_t insert(std::vector<Variant> values);
  // As insert; an Empty value leaves the column as it is, and an AutoNumber
  // column cannot change (3164). 3167 for an id that names no live row.
  void update(uint32_t row, std::vector<Variant> values);
  // 3167 for an id that names no live row.
  void remove(uint32_t row);

  // For schema changes that rewrite every row: the stored bytes of a row,
  // wherever it moved, and new stored bytes in their place (the row moves
  // when they do not fit its page). Indexes and long values are the
  // caller's. 3167 for an id that names no live row; 3047 for a row over
  // 4,060 bytes.
  std::vector<uint8_t> storedRow(uint32_t row);
  void rewrite(uint32_t row, const std::vector<uint8_t>& bytes);
  // The same for several rows: those that lie unmoved on one page (ids in
  // page order) are laid out on it together, which costs one layout of the
  // page rather than one a row.
  void rewriteRows(const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& rows);

 private:
  struct Located {
    bool moved = false;
    uint32_t at = 0;  // where the row's bytes are
    std::vector<uint8_t> bytes;
  };
  Located locate(uint32_t row);
  static ColumnBytes columnOf(const ColumnDef& column, const Variant& value);
  std::vector<ColumnBytes> columnsOf(const std::vector<Variant>& values);
  // The row's key in each physical index; `check` raises 3058 for Nulls
  // an index refuses (not for rows already stored).
  std::vector<RowKey> keysOf(const std::vector<uint8_t>& row, bool check);
  void checkKeys(const std::vector<RowKey>& keys, const std::vector<RowKey>& old, uint32_t row);
  std::vector<uint8_t> withLongValues(std::vector<ColumnBytes>& columns,
                                      const std::vector<Variant>& values);
  void removeLongValues(const std::vector<uint8_t>& row);
  uint32_t placeNew(const std::vector<uint8_t>& row, uint16_t flags);
  void place(uint32_t row, const Located& old, const std::vector<uint8_t>& bytes);
  size_t rewriteTogether(const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& rows,
                         size_t begin, size_t end);
  void removeRecordAt(uint32_t pointer);
  // The row count and the last AutoNumber given change: held back (see
  // PageFile's HeldPages), they reach the definition's page once.
  void changeDefinition(int rowCountChange, uint32_t lastAutoNumber);
  uint32_t lastAutoNumber();
  void writeHeldPages() override;
  void dropHeldPages() override;

  PageFile& file_;
  TableDefinition table_;
  bool longValues_;                  // whether a column holds Memo or OLE Object values
  std::deque<IndexWriter> indexes_;  // the file knows each by its address
  std::vector<IndexRules> rules_;
  Relationships relationships_;
  struct HeldCounts {
    bool held = false;
    int64_t rowCountChange = 0;
    uint32_t lastAutoNumber = 0;
  };
  HeldCounts counts_;
  uint32_t insertPage_ = 0;  // where the last new row went
  uint64_t insertGeneration_ = 0;
};

}  // namespace telvarn::mdb
