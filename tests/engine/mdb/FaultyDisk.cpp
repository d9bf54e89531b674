#include "engine/mdb/FaultyDisk.h"

#include "engine/AppError.h"

namespace telvarn::test {
namespace {

class FaultyFile : public mdb::DiskFile {
 public:
  FaultyFile(std::unique_ptr<mdb::DiskFile> file, FaultyDisk& disk)
      : file_(std::move(file)), disk_(disk) {}

  void read(uint64_t offset, uint8_t* data, size_t length) override {
    file_->read(offset, data, length);
  }
  void write(uint64_t offset, const uint8_t* data, size_t length) override {
    disk_.operation();
    file_->write(offset, data, length);
  }
  void sync() override { disk_.operation(); }
  void truncate(uint64_t size) override {
    disk_.operation();
    file_->truncate(size);
  }
  uint64_t size() override { return file_->size(); }
  bool tryLock() override { return file_->tryLock(); }
  void unlock() override { file_->unlock(); }

 private:
  std::unique_ptr<mdb::DiskFile> file_;
  FaultyDisk& disk_;
};

}  // namespace

void FaultyDisk::arm(int countdown, int error, bool stays) {
  countdown_ = countdown;
  error_ = error;
  stays_ = stays;
  seen_ = 0;
  struck_ = false;
}

void FaultyDisk::operation() {
  ++seen_;
  if (countdown_ > 0 && (seen_ == countdown_ || (stays_ && seen_ > countdown_))) {
    struck_ = true;
    throw engineError(mdb::diskErrorNumber(error_));
  }
}

std::unique_ptr<mdb::DiskFile> FaultyDisk::open(const std::string& path, mdb::OpenMode mode) {
  if (readOnly_ && mode != mdb::OpenMode::Read) throw engineError(mdb::diskErrorNumber(EROFS));
  if (mode == mdb::OpenMode::Create) operation();
  std::unique_ptr<mdb::DiskFile> file = mdb::systemDisk().open(path, mode);
  if (!file) return nullptr;
  return std::make_unique<FaultyFile>(std::move(file), *this);
}

bool FaultyDisk::exists(const std::string& path) {
  return mdb::systemDisk().exists(path);
}

void FaultyDisk::remove(const std::string& path) {
  operation();
  mdb::systemDisk().remove(path);
}

void FaultyDisk::syncFolder(const std::string&) {
  operation();
}

}  // namespace telvarn::test
