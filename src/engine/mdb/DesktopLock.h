// While the desktop program has a database open it keeps a lock file beside
// it (the database's name with the extension ".ldb") that lists who has it
// open: one 64-byte entry per user, the machine's name and then the user's
// name, each in 32 bytes padded with zeros. Its own locks on the file's
// pages are out of this engine's sight, so a file that someone has open
// there is not written at all.
#pragma once

#include <string>

#include "engine/mdb/Disk.h"

namespace telvarn::mdb {

std::string desktopLockPath(const std::string& databasePath);

// 3260, naming the first machine and user the lock file lists, when the
// file is open in the desktop program. An empty lock file lets the write go
// on; one left behind by a program that stopped must be removed by hand,
// since nothing here can tell it from one in use.
void refuseWhileOpenInDesktopProgram(Disk& disk, const std::string& databasePath);

}  // namespace telvarn::mdb
