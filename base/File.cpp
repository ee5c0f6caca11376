#include "base/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

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

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  const bool hasA = ::stat(a.c_str(), &sa) == 0, hasB = ::stat(b.c_str(), &sb) == 0;
  if ((hasA && !S_ISREG(sa.st_mode)) || (hasB && !S_ISREG(sb.st_mode))) return false;
  if (std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal())
    return true;
  return hasA && hasB && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace orelith
