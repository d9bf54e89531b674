#include "engine/mdb/DesktopLock.h"

#include <vector>

#include "engine/AppError.h"

namespace telvarn::mdb {
namespace {

constexpr size_t kEntrySize = 64;
constexpr size_t kNameSize = 32;
// Only the first entries are read: one user is enough to refuse.
constexpr size_t kEntriesRead = 16;

std::string nameAt(const std::vector<uint8_t>& bytes, size_t at) {
  std::string name;
  for (size_t i = at; i < at + kNameSize && bytes[i] != 0; ++i) name += static_cast<char>(bytes[i]);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

}  // namespace

std::string desktopLockPath(const std::string& databasePath) {
  const size_t slash = databasePath.find_last_of('/');
  const size_t dot = databasePath.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? databasePath.substr(0, dot) : databasePath) + ".ldb";
}

void refuseWhileOpenInDesktopProgram(Disk& disk, const std::string& databasePath) {
  const std::unique_ptr<DiskFile> lock = disk.open(desktopLockPath(databasePath), OpenMode::Read);
  if (!lock) return;
  const uint64_t size = lock->size();
  const size_t entries = std::min<uint64_t>(size / kEntrySize, kEntriesRead);
  std::vector<uint8_t> bytes(entries * kEntrySize);
  if (!bytes.empty()) lock->read(0, bytes.data(), bytes.size());
  for (size_t entry = 0; entry < entries; ++entry) {
    const std::string machine = nameAt(bytes, entry * kEntrySize);
    const std::string user = nameAt(bytes, entry * kEntrySize + kNameSize);
    if (!machine.empty() || !user.empty()) throw engineError(3260, {machine, user});
  }
}

}  // namespace telvarn::mdb
