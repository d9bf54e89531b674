// EmptyFile: a new database file of the format's version 4 (the 2000-2003
// editions) holding what the engine puts into every file it creates, and
// nothing else: the header page; page 1 with the file's map of free pages;
// the system tables MSysObjects (its definition on page 2), MSysACEs,
// MSysQueries and MSysRelationships with their indexes; the catalog's
// rows for the Tables, Databases and Relationships containers, the
// database object MSysDb and the four tables; and the permissions of the
// engine's default accounts on them (MSysACEs). The desktop program adds
// its own objects (MSysAccessObjects, forms, ...) when it first opens such
// a file.
//
// The header keeps its fields as the engine writes them: the format
// version, the Windows-1252 code page, the General sort order, the creation
// date, an empty database password and the engine's build number; the
// part from 0x18 is encoded with the format's fixed key.
#pragma once

#include <string>

#include "engine/mdb/Disk.h"
#include "engine/mdb/PageSource.h"

namespace telvarn::mdb {

// Makes the file: 3204 when one exists at `path`, 3044 when its folder is
// missing; 3026, 3027 or 3043 when it cannot be written, and then nothing
// is left at `path`.
void createEmptyFile(const std::string& path, Disk& disk = systemDisk());

// The header page of a file created at `created` (a day number).
Page headerPage(double created);

}  // namespace telvarn::mdb
