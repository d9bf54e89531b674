#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/AppError.h"
#include "engine/mdb/ByteView.h"
#include "engine/mdb/PageSource.h"

namespace telvarn::mdb {

FilePageSource::FilePageSource(const std::string& path, uint32_t pageSize)
    : path_(path), pageSize_(pageSize) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    if (errno == EACCES || errno == EPERM) throw engineError(3051, {path});
    throw engineError(3024, {path});
  }
  struct stat info {};
  if (::fstat(fd_, &info) != 0) {
    ::close(fd_);
    throw engineError(3043);
  }
  pageCount_ = static_cast<uint32_t>(static_cast<uint64_t>(info.st_size) / pageSize_);
}

FilePageSource::~FilePageSource() {
  if (fd_ >= 0) ::close(fd_);
}

Page FilePageSource::readPage(uint32_t number) {
  if (number >= pageCount_) damaged("a page past the end of the file");
  Page page(pageSize_);
  size_t done = 0;
  const off_t start = static_cast<off_t>(number) * pageSize_;
  while (done < page.size()) {
    const ssize_t got =
        ::pread(fd_, page.data() + done, page.size() - done, start + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) throw engineError(3043);
    done += static_cast<size_t>(got);
  }
  return page;
}

}  // namespace telvarn::mdb
