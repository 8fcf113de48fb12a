#include "filter/LogFileReset.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marvik::filter {

bool EmptyLogFile(const char* path) {
  // O_NOFOLLOW: /tmp is shared, and a link there could point at any file the
  // print user may write. O_NONBLOCK: opening a planted FIFO must not hang.
  // No O_TRUNC: the file type is checked before anything is cut. A second
  // hard link makes the file someone else's as much as ours (where the
  // kernel lets users link to others' files), so it is left alone too.
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd < 0) return false;
  struct stat st {};
  const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 && ::ftruncate(fd, 0) == 0;
  ::close(fd);
  return ok;
}

}  // namespace marvik::filter
