#include "reliability/FaultVfs.h"

#include <sqlite3.h>

namespace telvarn::test {
namespace {

struct FaultFile {
  sqlite3_file base;
  sqlite3_file* real;
};

sqlite3_vfs* realVfs = nullptr;
sqlite3_vfs faultVfs;
sqlite3_io_methods faultMethods;
Fault armed = Fault::None;
int countdown = 0;
int seen = 0;
bool struck = false;

sqlite3_file* real(sqlite3_file* file) {
  return reinterpret_cast<FaultFile*>(file)->real;
}

// Counts an operation of `kind` and says whether it must fail.
bool mustFail(Fault kind) {
  ++seen;
  if (armed == Fault::None) return false;
  const bool matches = armed == kind || (armed == Fault::DiskFull && kind == Fault::WriteError);
  if (!matches) return false;
  if (--countdown > 0) return false;
  struck = true;
  return true;
}

int faultWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
  if (mustFail(Fault::WriteError))
    return armed == Fault::DiskFull ? SQLITE_FULL : SQLITE_IOERR_WRITE;
  return real(file)->pMethods->xWrite(real(file), data, amount, offset);
}

int faultSync(sqlite3_file* file, int flags) {
  if (mustFail(Fault::SyncError)) return SQLITE_IOERR_FSYNC;
  return real(file)->pMethods->xSync(real(file), flags);
}

int faultClose(sqlite3_file* file) {
  return real(file)->pMethods->xClose(real(file));
}
int faultRead(sqlite3_file* file, void* data, int amount, sqlite3_int64 offset) {
  return real(file)->pMethods->xRead(real(file), data, amount, offset);
}
int faultTruncate(sqlite3_file* file, sqlite3_int64 size) {
  return real(file)->pMethods->xTruncate(real(file), size);
}
int faultFileSize(sqlite3_file* file, sqlite3_int64* size) {
  return real(file)->pMethods->xFileSize(real(file), size);
}
int faultLock(sqlite3_file* file, int level) {
  return real(file)->pMethods->xLock(real(file), level);
}
int faultUnlock(sqlite3_file* file, int level) {
  return real(file)->pMethods->xUnlock(real(file), level);
}
int faultCheckReservedLock(sqlite3_file* file, int* out) {
  return real(file)->pMethods->xCheckReservedLock(real(file), out);
}
int faultFileControl(sqlite3_file* file, int op, void* arg) {
  return real(file)->pMethods->xFileControl(real(file), op, arg);
}
int faultSectorSize(sqlite3_file* file) {
  return real(file)->pMethods->xSectorSize(real(file));
}
int faultDeviceCharacteristics(sqlite3_file* file) {
  return real(file)->pMethods->xDeviceCharacteristics(real(file));
}

int faultOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
  auto* wrapper = reinterpret_cast<FaultFile*>(file);
  wrapper->real = reinterpret_cast<sqlite3_file*>(wrapper + 1);
  wrapper->base.pMethods = nullptr;
  const int rc = realVfs->xOpen(realVfs, name, wrapper->real, flags, outFlags);
  if (rc == SQLITE_OK && wrapper->real->pMethods) wrapper->base.pMethods = &faultMethods;
  return rc;
}

int faultDelete(sqlite3_vfs*, const char* name, int syncDir) {
  return realVfs->xDelete(realVfs, name, syncDir);
}
int faultAccess(sqlite3_vfs*, const char* name, int flags, int* out) {
  return realVfs->xAccess(realVfs, name, flags, out);
}
int faultFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
  return realVfs->xFullPathname(realVfs, name, size, out);
}
int faultRandomness(sqlite3_vfs*, int size, char* out) {
  return realVfs->xRandomness(realVfs, size, out);
}
int faultSleep(sqlite3_vfs*, int microseconds) {
  return realVfs->xSleep(realVfs, microseconds);
}
int faultCurrentTime(sqlite3_vfs*, double* out) {
  return realVfs->xCurrentTime(realVfs, out);
}
int faultGetLastError(sqlite3_vfs*, int size, char* out) {
  return realVfs->xGetLastError(realVfs, size, out);
}

}  // namespace

void installFaultVfs() {
  if (realVfs) return;
  realVfs = sqlite3_vfs_find(nullptr);
  faultMethods = {};
  faultMethods.iVersion = 1;
  faultMethods.xClose = faultClose;
  faultMethods.xRead = faultRead;
  faultMethods.xWrite = faultWrite;
  faultMethods.xTruncate = faultTruncate;
  faultMethods.xSync = faultSync;
  faultMethods.xFileSize = faultFileSize;
  faultMethods.xLock = faultLock;
  faultMethods.xUnlock = faultUnlock;
  faultMethods.xCheckReservedLock = faultCheckReservedLock;
  faultMethods.xFileControl = faultFileControl;
  faultMethods.xSectorSize = faultSectorSize;
  faultMethods.xDeviceCharacteristics = faultDeviceCharacteristics;
  faultVfs = {};
  faultVfs.iVersion = 1;
  faultVfs.szOsFile = static_cast<int>(sizeof(FaultFile)) + realVfs->szOsFile;
  faultVfs.mxPathname = realVfs->mxPathname;
  faultVfs.zName = "telvarn-faults";
  faultVfs.xOpen = faultOpen;
  faultVfs.xDelete = faultDelete;
  faultVfs.xAccess = faultAccess;
  faultVfs.xFullPathname = faultFullPathname;
  faultVfs.xDlOpen = nullptr;
  faultVfs.xRandomness = faultRandomness;
  faultVfs.xSleep = faultSleep;
  faultVfs.xCurrentTime = faultCurrentTime;
  faultVfs.xGetLastError = faultGetLastError;
  sqlite3_vfs_register(&faultVfs, 1);
}

void armFault(Fault fault, int after) {
  armed = fault;
  countdown = after;
  seen = 0;
  struck = false;
}

void clearFault() {
  armFault(Fault::None, 0);
}
int operationsSeen() {
  return seen;
}
bool faultStruck() {
  return struck;
}

}  // namespace telvarn::test
