#include "engine/mdb/Journal.h"

#include <cstring>
#include <random>

#include "engine/mdb/ByteView.h"

namespace telvarn::mdb {
namespace {

constexpr char kMark[16] = "TELVARN journal";
constexpr size_t kHeaderSize = 64;
constexpr size_t kChecksumAt = 32;
constexpr size_t kRecordHead = 12;  // page number, checksum

uint64_t checksum(uint64_t seed, const uint8_t* data, size_t length) {
  uint64_t hash = 0xcbf29ce484222325ull ^ seed;
  for (size_t i = 0; i < length; ++i) {
    hash ^= data[i];
    hash *= 0x100000001b3ull;
  }
  return hash;
}

void put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}
void put64(uint8_t* at, uint64_t value) {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t recordChecksum(uint64_t salt, uint32_t number, const uint8_t* page, size_t size) {
  uint8_t head[4];
  put32(head, number);
  return checksum(checksum(salt, head, sizeof head), page, size);
}

struct Header {
  uint32_t pageSize = 0;
  uint32_t pageCountBefore = 0;
  uint64_t salt = 0;
};

bool readHeader(DiskFile& journal, Header& header) {
  if (journal.size() < kHeaderSize) return false;
  uint8_t bytes[kHeaderSize];
  journal.read(0, bytes, sizeof bytes);
  const ByteView view(bytes, sizeof bytes);
  if (std::memcmp(bytes, kMark, sizeof kMark) != 0) return false;
  if (view.i64(kChecksumAt) != static_cast<int64_t>(checksum(0, bytes, kChecksumAt))) return false;
  header.pageSize = view.u32(16);
  header.pageCountBefore = view.u32(20);
  header.salt = static_cast<uint64_t>(view.i64(24));
  return true;
}

}  // namespace

std::string journalPath(const std::string& databasePath) {
  return databasePath + "-journal";
}

JournalWriter::JournalWriter(Disk& disk, std::string path, uint32_t pageSize,
                             uint32_t pageCountBefore)
    : disk_(disk), path_(std::move(path)), pageSize_(pageSize), end_(kHeaderSize) {
  std::random_device random;
  salt_ = (uint64_t{random()} << 32) ^ random();
  file_ = disk_.open(path_, OpenMode::Create);
  uint8_t header[kHeaderSize] = {};
  std::memcpy(header, kMark, sizeof kMark);
  put32(header + 16, pageSize);
  put32(header + 20, pageCountBefore);
  put64(header + 24, salt_);
  put64(header + kChecksumAt, checksum(0, header, kChecksumAt));
  file_->write(0, header, sizeof header);
}

void JournalWriter::append(uint32_t number, const uint8_t* before) {
  constexpr size_t kRecordsAWrite = 32;
  const size_t at = gathered_.size();
  gathered_.resize(at + kRecordHead + pageSize_);
  uint8_t* record = gathered_.data() + at;
  put32(record, number);
  put64(record + 4, recordChecksum(salt_, number, before, pageSize_));
  std::memcpy(record + kRecordHead, before, pageSize_);
  end_ += kRecordHead + pageSize_;
  if (gathered_.size() >= kRecordsAWrite * (kRecordHead + pageSize_)) writeGathered();
}

void JournalWriter::writeGathered() {
  if (gathered_.empty()) return;
  file_->write(end_ - gathered_.size(), gathered_.data(), gathered_.size());
  gathered_.clear();
}

void JournalWriter::sync() {
  writeGathered();
  file_->sync();
  if (!folderSynced_) {
    disk_.syncFolder(path_);
    folderSynced_ = true;
  }
}

void JournalWriter::remove() {
  file_.reset();
  disk_.remove(path_);
  disk_.syncFolder(path_);
}

void rollBackJournal(Disk& disk, DiskFile& database, const std::string& path, uint32_t pageSize) {
  std::unique_ptr<DiskFile> journal = disk.open(path, OpenMode::Read);
  if (!journal) return;
  Header header;
  if (readHeader(*journal, header) && header.pageSize == pageSize) {
    const uint64_t length = journal->size();
    std::vector<uint8_t> record(kRecordHead + pageSize);
    for (uint64_t at = kHeaderSize; at + record.size() <= length; at += record.size()) {
      journal->read(at, record.data(), record.size());
      const ByteView view(record);
      const uint32_t number = view.u32(0);
      const uint8_t* page = record.data() + kRecordHead;
      if (static_cast<uint64_t>(view.i64(4)) != recordChecksum(header.salt, number, page, pageSize))
        break;
      database.write(uint64_t{number} * pageSize, page, pageSize);
    }
    const uint64_t lengthBefore = uint64_t{header.pageCountBefore} * pageSize;
    if (database.size() > lengthBefore) database.truncate(lengthBefore);
    database.sync();
  }
  journal.reset();
  disk.remove(path);
  disk.syncFolder(path);
}

}  // namespace telvarn::mdb
