// The page layer under the .mdb writer: reads see the open transaction,
// savepoints undo only their own pages (some of which went to the file
// early), a journal left behind is rolled back at the next open, and a
// file someone else is writing or the desktop program has open is not
// written. (MdbWriteFault puts a fault at every write and sync.)
#include <gtest/gtest.h>

#include <chrono>

#include "engine/AppError.h"
#include "engine/mdb/DesktopLock.h"
#include "engine/mdb/FaultyDisk.h"
#include "engine/mdb/Journal.h"
#include "engine/mdb/PageFile.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using mdb::Page;
using mdb::PageFile;

constexpr uint32_t kSize = 4096;

Page filled(uint8_t value) {
  return Page(kSize, value);
}

// A file of `pages` pages, page i filled with the byte i.
std::string makeFile(const TempDir& dir, int pages) {
  std::string bytes;
  for (int i = 0; i < pages; ++i) bytes.append(kSize, static_cast<char>(i));
  writeFile(dir.file("pages.mdb"), bytes);
  return dir.file("pages.mdb");
}

uint8_t firstByte(PageFile& file, uint32_t page) {
  return file.readPage(page)[0];
}

TEST(MdbPageFile, ReadsSeeTheTransactionAndCommitMakesItDurable) {
  TempDir dir;
  const std::string path = makeFile(dir, 4);
  PageFile file(path, kSize);
  file.begin();
  file.writePage(1, filled(0xAA));
  const uint32_t added = file.appendPage();
  file.writePage(added, filled(0xBB));
  EXPECT_EQ(added, 4u);
  EXPECT_EQ(firstByte(file, 1), 0xAA);
  {
    PageFile other(path, kSize);
    EXPECT_EQ(other.pageCount(), 4u);
    EXPECT_EQ(firstByte(other, 1), 1);
  }
  file.commit();
  EXPECT_FALSE(mdb::systemDisk().exists(mdb::journalPath(path)));
  PageFile after(path, kSize);
  EXPECT_EQ(after.pageCount(), 5u);
  EXPECT_EQ(firstByte(after, 1), 0xAA);
  EXPECT_EQ(firstByte(after, 4), 0xBB);
  EXPECT_EQ(errorOf([&] { after.writePage(1, filled(0)); }), 3219);
}

TEST(MdbPageFile, SavepointsUndoOnlyTheirOwnPages) {
  TempDir dir;
  const std::string path = makeFile(dir, 4);
  const std::string before = readFile(path);
  // Few pages held, so that some go to the file and come back from the
  // journal.
  PageFile file(path, kSize, mdb::systemDisk(), 2);
  file.begin();
  file.writePage(1, filled(0x11));
  file.begin();
  file.writePage(1, filled(0x22));
  file.writePage(2, filled(0x22));
  file.appendPage();
  file.rollback();
  EXPECT_EQ(firstByte(file, 1), 0x11);
  EXPECT_EQ(firstByte(file, 2), 2);
  EXPECT_EQ(file.pageCount(), 4u);
  file.begin();
  file.writePage(3, filled(0x33));
  file.begin();
  file.writePage(0, filled(0x44));
  file.commit();
  file.commit();
  EXPECT_EQ(firstByte(file, 0), 0x44);
  EXPECT_EQ(firstByte(file, 3), 0x33);
  file.rollback();
  EXPECT_EQ(file.depth(), 0u);
  EXPECT_EQ(readFile(path), before);
}

// A page changed in place (changePage) is the transaction's own copy: a
// savepoint keeps what the page held before its first change there, also
// for a page changed again, and pages still go to the file early.
TEST(MdbPageFile, PagesChangedInPlaceKeepWhatSavepointsNeed) {
  TempDir dir;
  const std::string path = makeFile(dir, 5);
  PageFile file(path, kSize, mdb::systemDisk(), 2);
  file.begin();
  file.changePage(1)[0] = 0x11;
  file.begin();
  file.changePage(1)[0] = 0x22;
  file.changePage(1)[1] = 0x23;
  file.changePage(2)[0] = 0x22;
  file.changePage(3)[0] = 0x22;  // past the pages held: some go to the file
  EXPECT_EQ(file.page(1)[1], 0x23);
  EXPECT_EQ(file.page(4)[0], 4);
  file.rollback();
  EXPECT_EQ(firstByte(file, 1), 0x11);
  EXPECT_EQ(file.page(1)[1], 1);
  EXPECT_EQ(firstByte(file, 2), 2);
  EXPECT_EQ(firstByte(file, 3), 3);
  file.commit();
  PageFile after(path, kSize);
  EXPECT_EQ(firstByte(after, 1), 0x11);
  EXPECT_EQ(firstByte(after, 2), 2);
  EXPECT_EQ(errorOf([&] { after.changePage(1); }), 3219);
}

// Pages a transaction reads from the file are read once; whatever puts
// other contents in the file (pages going early, a savepoint going back
// through the journal) is seen by the next read.
TEST(MdbPageFile, PagesReadInATransactionFollowTheFile) {
  TempDir dir;
  const std::string path = makeFile(dir, 5);
  PageFile file(path, kSize, mdb::systemDisk(), 2);
  file.begin();
  file.begin();
  for (uint32_t page = 1; page <= 4; ++page) EXPECT_EQ(firstByte(file, page), page);
  file.changePage(1)[0] = 0x11;
  file.writePage(2, filled(0x22));
  file.changePage(3)[0] = 0x33;  // past the pages held: they go to the file
  EXPECT_EQ(firstByte(file, 1), 0x11);
  EXPECT_EQ(firstByte(file, 2), 0x22);
  file.rollback();
  for (uint32_t page = 1; page <= 4; ++page) EXPECT_EQ(firstByte(file, page), page);
  // A savepoint with pages written before it: its pages go to the file,
  // are read from there, and come back from memory.
  file.changePage(1)[0] = 0x11;
  file.begin();
  file.changePage(2)[0] = 0x22;
  file.changePage(3)[0] = 0x33;
  EXPECT_EQ(firstByte(file, 2), 0x22);
  file.rollback();
  file.changePage(4)[0] = 0x44;
  file.changePage(0)[0] = 0x55;
  for (uint32_t page = 2; page <= 3; ++page) EXPECT_EQ(firstByte(file, page), page);
  file.commit();
  EXPECT_EQ(firstByte(file, 1), 0x11);
  EXPECT_EQ(firstByte(file, 2), 2);
  EXPECT_EQ(firstByte(file, 4), 0x44);
}

// A savepoint begun before anything was written goes back to the
// transaction's start through the journal, however many of its pages went
// to the file; the transaction goes on from there.
TEST(MdbPageFile, ASavepointAtTheStartComesBackFromTheJournal) {
  TempDir dir;
  const std::string path = makeFile(dir, 6);
  const std::string before = readFile(path);
  PageFile file(path, kSize, mdb::systemDisk(), 2);
  file.begin();
  file.begin();
  for (uint32_t page = 0; page < 6; ++page) file.writePage(page, filled(0x55));
  file.appendPage();
  file.begin();  // nested inside: keeps its own copies
  file.writePage(4, filled(0x66));
  file.commit();
  file.rollback();
  EXPECT_EQ(file.depth(), 1u);
  EXPECT_EQ(file.pageCount(), 6u);
  EXPECT_EQ(readFile(path), before);
  for (uint32_t page = 0; page < 6; ++page) EXPECT_EQ(firstByte(file, page), page);
  file.begin();
  file.writePage(5, filled(0x77));
  file.rollback();
  file.writePage(3, filled(0x33));
  file.commit();
  EXPECT_EQ(firstByte(file, 3), 0x33);
  EXPECT_EQ(firstByte(file, 5), 5);
  EXPECT_EQ(file.depth(), 0u);
  std::string expected = before;
  std::fill_n(expected.begin() + 3 * kSize, kSize, static_cast<char>(0x33));
  EXPECT_EQ(readFile(path), expected);
}

TEST(MdbPageFile, AJournalLeftByAStoppedRunIsRolledBackAtOpen) {
  TempDir dir;
  const std::string path = makeFile(dir, 3);
  const std::string before = readFile(path);
  FaultyDisk disk;
  {
    // Everything after the journal's sync and the first page's write
    // fails, the rollback too: the journal stays beside a changed file.
    PageFile file(path, kSize, disk);
    file.begin();
    file.writePage(0, filled(0xEE));
    file.writePage(2, filled(0xEE));
    file.appendPage();
    disk.arm(8, EIO);
    EXPECT_EQ(errorOf([&] { file.commit(); }), 3043);
  }
  EXPECT_TRUE(mdb::systemDisk().exists(mdb::journalPath(path)));
  EXPECT_NE(readFile(path), before);
  PageFile reopened(path, kSize);
  EXPECT_EQ(readFile(path), before);
  EXPECT_FALSE(mdb::systemDisk().exists(mdb::journalPath(path)));
}

TEST(MdbPageFile, AFileSomeoneElseWritesOrCannotBeWrittenIsRefused) {
  TempDir dir;
  const std::string path = makeFile(dir, 2);
  PageFile reader(path, kSize);
  FaultyDisk readOnly;
  readOnly.setReadOnly(true);
  PageFile onReadOnlyDisk(path, kSize, readOnly);
  EXPECT_EQ(errorOf([&] { onReadOnlyDisk.begin(); }), 3027);
  EXPECT_EQ(firstByte(onReadOnlyDisk, 1), 1);

  writeFile(mdb::desktopLockPath(path), "");
  PageFile writer(path, kSize);
  writer.begin();
  writer.rollback();
  std::string entry(64, '\0');
  entry.replace(0, 4, "PC07");
  entry.replace(32, 5, "Admin");
  writeFile(mdb::desktopLockPath(path), entry);
  try {
    writer.begin();
    ADD_FAILURE() << "wrote a file the desktop program has open";
  } catch (const AppError& error) {
    EXPECT_EQ(error.number(), 3260);
    EXPECT_EQ(error.description(),
              "Could not update; currently locked by user 'Admin' on machine 'PC07'.");
  }
  ::remove(mdb::desktopLockPath(path).c_str());

  writer.begin();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(errorOf([&] { reader.begin(); }), 3045);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2900));
  writer.commit();
  reader.begin();
  reader.commit();
}

}  // namespace
}  // namespace telvarn::test
