#include "base/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orelith {

File openRegularFile(const std::string& path) {
  // Without O_NONBLOCK a FIFO with no writer would block the open forever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return nullptr;
  }
  File f(::fdopen(fd, "rb"));
  if (!f) ::close(fd);
  return f;
}

}  // namespace orelith
