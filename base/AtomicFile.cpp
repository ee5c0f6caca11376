#include "base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>

#include "base/File.h"
#include "resources/StringTable.h"

namespace orelith {
namespace {

// Room left for the suffix within the usual 255-byte name limit.
constexpr std::size_t kMaxTempStem = 200;
constexpr int kTempAttempts = 100;

ssize_t systemWrite(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
int systemClose(int fd) { return ::close(fd); }

// The umask, read without changing it: umask() is read only by setting it,
// which a create in another thread could meet.
mode_t currentUmask() {
  if (const File status{std::fopen("/proc/self/status", "re")}) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status.get()) != nullptr)
      found = std::sscanf(line, "Umask: %o", &mask) == 1;
    if (found) return static_cast<mode_t>(mask);
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

// Six characters that differ between calls and between processes.
std::string uniqueSuffix() {
  static unsigned counter = 0;
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  unsigned long long mix = static_cast<unsigned long long>(now.tv_nsec) ^
                           (static_cast<unsigned long long>(::getpid()) << 20) ^
                           (static_cast<unsigned long long>(++counter) * 0x9E3779B97F4A7C15ull);
  static constexpr char kAlphabet[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string suffix(6, 'x');
  for (char& c : suffix) {
    c = kAlphabet[mix % 62];
    mix /= 62;
  }
  return suffix;
}

// Creates ".NAME.XXXXXX" in the folder `dir`, readable by us alone until
// the commit gives it its permissions.
int createTemporary(int dir, const std::string& target, std::string& tempName) {
  const std::string stem = "." + target.substr(0, kMaxTempStem) + ".";
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    tempName = stem + uniqueSuffix();
    int fd = ::openat(dir, tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// A replaced file's owner and group. A user who may not give the file away
// may still give it a group of theirs: a shared folder lives on that.
void keepOwner(int fd, const struct stat& old) {
  if (::fchown(fd, old.st_uid, old.st_gid) == 0) return;
  if (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
    // Not a group of ours: the file keeps our group.
  }
}

bool writeAll(int fd, std::span<const unsigned char> bytes, const FileCalls& calls) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = calls.write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A device or pipe holds nothing to lose and cannot be replaced by a rename:
// it is written in place. It was opened non-blocking, so that a FIFO nobody
// reads failed at once instead of waiting for a reader; the writes block.
bool writeInPlace(int fd) { return ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0; }

}  // namespace

FileCalls systemFileCalls() { return FileCalls{systemWrite, systemClose}; }

AtomicWriter::AtomicWriter(const FileCalls& calls) : calls_(calls) {}

AtomicWriter::~AtomicWriter() { abandon(); }

bool AtomicWriter::open(const std::string& path, StringId& failureMessage) {
  abandon();
  failed_ = false;
  failureMessage = kNoString;
  if (prepare(path)) return true;
  abandon();
  failureMessage = str::UnableToCreateFile;
  return false;
}

bool AtomicWriter::prepare(const std::string& path) {
  // Opened as a plain create opens it, less the create and the truncation,
  // so that the kernel's checks decide whether we may write there.
  const int named =
      path.empty() ? -1 : ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat existing {};
  if (named < 0) {
    // Nothing there, or a link to nothing: a new file, put at the name.
    if (path.empty() || errno != ENOENT || !placeAt(path)) return false;
    finalMode_ = 0666 & ~currentUmask();
  } else {
    fd_ = named;
    if (::fstat(fd_, &existing) != 0) return false;
    if (!S_ISREG(existing.st_mode)) return writeInPlace(fd_);
    if (!placeOf(path, fd_, existing)) return false;
    ::close(fd_);
    fd_ = -1;
    finalMode_ = existing.st_mode & 07777;
  }
  // A writable file in a folder we may not add to could only be rewritten in
  // place, which a full disk would leave half written: refused.
  fd_ = createTemporary(dirFd_, name_, tempName_);
  if (fd_ < 0) {
    tempName_.clear();
    return false;
  }
  if (named >= 0) keepOwner(fd_, existing);
  return true;
}

void AtomicWriter::write(std::span<const unsigned char> bytes) {
  if (fd_ < 0 || failed_) return;
  failed_ = !writeAll(fd_, bytes, calls_);
}

bool AtomicWriter::commit(StringId& failureMessage) {
  failureMessage = kNoString;
  bool ok = fd_ >= 0 && !failed_;
  // After the change of owner, which clears the set-id bits. Where no mode
  // can be set (some removable media), the file stays ours alone.
  if (ok && dirFd_ >= 0) ::fchmod(fd_, finalMode_);
  if (fd_ >= 0 && calls_.close(fd_) != 0) ok = false;
  fd_ = -1;
  if (ok && dirFd_ >= 0) ok = ::renameat(dirFd_, tempName_.c_str(), dirFd_, name_.c_str()) == 0;
  if (ok) tempName_.clear();
  abandon();
  if (!ok) failureMessage = str::UnableToSaveFile;
  return ok;
}

// Opens the folder of `path`, which is to hold the temporary file, and keeps
// the name in it.
bool AtomicWriter::placeAt(const std::string& path) {
  const auto slash = path.rfind('/');
  name_ = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name_.empty() || name_ == "." || name_ == "..") return false;
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + (slash == 0));
  dirFd_ = ::open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  return dirFd_ >= 0;
}

// The folder and name of the regular file the kernel opened for `path` as
// `fd`: the path itself, or for a link where the kernel found the file. Only
// while that name still holds the very file is it replaced.
bool AtomicWriter::placeOf(const std::string& path, int fd, const struct stat& file) {
  std::string where = path;
  struct stat named {};
  if (::lstat(path.c_str(), &named) == 0 && S_ISLNK(named.st_mode)) {
    char found[PATH_MAX];
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = ::readlink(self.c_str(), found, sizeof found);
    if (n <= 0 || n == static_cast<ssize_t>(sizeof found)) return false;
    where.assign(found, static_cast<std::size_t>(n));
  }
  struct stat there {};
  return placeAt(where) && ::fstatat(dirFd_, name_.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
         there.st_dev == file.st_dev && there.st_ino == file.st_ino;
}

void AtomicWriter::abandon() {
  if (fd_ >= 0) calls_.close(fd_);
  fd_ = -1;
  if (!tempName_.empty()) ::unlinkat(dirFd_, tempName_.c_str(), 0);
  tempName_.clear();
  if (dirFd_ >= 0) ::close(dirFd_);
  dirFd_ = -1;
}

bool writeFileAtomically(const std::string& path, std::span<const unsigned char> bytes,
                         StringId& failureMessage, const FileCalls& calls) {
  AtomicWriter file(calls);
  if (!file.open(path, failureMessage)) return false;
  file.write(bytes);
  return file.commit(failureMessage);
}

}  // namespace orelith
