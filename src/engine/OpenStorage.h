// Opens the storage of a database file, chosen by the file's signature.
#pragma once

#include <memory>
#include <string>

namespace telvarn {

class Storage;

// 3024 when the file is missing (it is never created), 3044 when its folder
// is, 3051 when it may not be read, 3343 when it is not a database this
// engine can open.
std::shared_ptr<Storage> openStorage(const std::string& path);

// The storage of the file a link's connection text (";DATABASE=<path>")
// names: 3001 for a text that names no database file, else as openStorage.
std::shared_ptr<Storage> openLinkSource(const std::string& connect);

}  // namespace telvarn
