// A SQLite VFS that stands between the engine and the disk and fails on
// purpose: from the Nth write or sync on, every one fails, as a disk that
// fills up or goes bad does. Registered as the default VFS, so the engine
// uses it without knowing.
#pragma once

namespace telvarn::test {

enum class Fault { None, DiskFull, WriteError, SyncError };

void installFaultVfs();
// Arms the fault: the `countdown`-th write or sync from now on fails, and
// every later one too, until clearFault().
void armFault(Fault fault, int countdown);
void clearFault();
// Writes and syncs seen since the last armFault or clearFault.
int operationsSeen();
// Whether the armed fault struck.
bool faultStruck();

}  // namespace telvarn::test
