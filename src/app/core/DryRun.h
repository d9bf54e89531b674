// DryRun: what makes a run leave the installation as it was (--dry-run).
// The run works on copies in a private folder under $TMPDIR (or /tmp),
// removed with everything in it when the run ends:
// - each database file is copied, one consistent state with the files
//   beside it that belong to it (DatabaseCopy.h), into a folder of its own
//   under its own name; a file named twice (one file as both databases) is
//   copied once. A file that cannot be read or may not be written (missing,
//   not permitted, immutable, on a read-only file system, no regular file)
//   is not copied: the run meets it where it is and is refused as a real
//   run is, since nothing can write it. The copy of a file whose folder
//   takes no new file is in such a folder too (a journal cannot be made).
// - every link in a copy to a file is pointed at a copy of that file, made
//   the same way, and so on for the links in that copy: no statement on a
//   link reaches a file outside the folder.
// - the log is a file in the folder, discarded with it.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace telvarn {

class DBEngine;

class DryRun {
 public:
  struct Copy {
    std::string real;  // the real file, by the path the run names
    std::string path;  // the copy it opens instead
  };

  // Makes the folder: 75 when it cannot be made. Every refusal of the dry
  // run's own work names what it was doing (the folder, the file, the link).
  DryRun();
  ~DryRun();
  DryRun(const DryRun&) = delete;
  DryRun& operator=(const DryRun&) = delete;

  std::string logPath() const { return folder_ + "/ErrorLog.txt"; }

  // Copies the files at `paths`, then points the links of each copy at
  // copies (opening the copies through `engine`). Raises what
  // copyDatabaseFile raises (3045, 61, 57, 75), and 75 when a copy's folder
  // cannot be made; a link the copy's storage cannot change raises the
  // storage's refusal (3027 for the desktop program's files, which are not
  // written yet), since the run could reach the link's file through it.
  void copyDatabases(const std::vector<std::string>& paths, DBEngine& engine);

  // Every copy made, by the path it stands for.
  const std::vector<Copy>& copies() const { return copies_; }

 private:
  // The copy standing for `path`, made now if need be; empty when the file
  // is not copied.
  std::string copyOf(const std::string& path);
  void pointLinksAtCopies(const Copy& copy, DBEngine& engine);

  std::string folder_;
  std::vector<Copy> copies_;
  std::map<std::pair<dev_t, ino_t>, std::string> byIdentity_;
  std::vector<Copy> unscanned_;
  std::vector<std::string> folders_;
};

}  // namespace telvarn
