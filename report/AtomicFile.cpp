#include "report/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "resources/StringTable.h"

namespace orelith {
namespace {

// Room left for the suffix within the usual 255-byte name limit.
constexpr std::size_t kMaxTempStem = 200;
constexpr int kTempAttempts = 100;

ssize_t systemWrite(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
int systemClose(int fd) { return ::close(fd); }

// The file a symbolic link names, so that replacing it keeps the link.
std::string followLink(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;  // dangling: the link itself is replaced
  std::string resolved(real);
  std::free(real);
  return resolved;
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

// Creates ".NAME.XXXXXX" beside `target`. The mode 0666 lets the kernel apply
// the umask (and a default ACL of the folder) as it would to the target.
int createTemporary(const std::string& target, std::string& tempPath) {
  auto slash = target.rfind('/');
  std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (name.size() > kMaxTempStem) name.resize(kMaxTempStem);
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    tempPath = dir + "." + name + "." + uniqueSuffix();
    int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
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
// it is written in place. Non-blocking, so that a FIFO nobody reads fails at
// once instead of waiting for a reader; the writes then block as usual.
int openInPlace(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK);
  if (fd >= 0 && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    fd = -1;
  }
  return fd;
}

}  // namespace

FileCalls systemFileCalls() { return FileCalls{systemWrite, systemClose}; }

AtomicWriter::AtomicWriter(const FileCalls& calls) : calls_(calls) {}

AtomicWriter::~AtomicWriter() { abandon(); }

bool AtomicWriter::open(const std::string& path, int& failureMessage) {
  abandon();
  failureMessage = 0;
  failed_ = false;
  target_ = followLink(path);
  struct stat existing {};
  bool exists = !target_.empty() && ::stat(target_.c_str(), &existing) == 0;
  if (target_.empty() || (exists && S_ISDIR(existing.st_mode)) ||
      (exists && ::access(target_.c_str(), W_OK) != 0)) {
    failureMessage = str::UnableToCreateFile;
    return false;
  }
  // A writable file in a folder we may not add to could only be rewritten in
  // place, which a full disk would leave half written: refused.
  fd_ = exists && !S_ISREG(existing.st_mode) ? openInPlace(target_)
                                             : createTemporary(target_, tempPath_);
  if (fd_ < 0) {
    tempPath_.clear();
    failureMessage = str::UnableToCreateFile;
    return false;
  }
  if (exists && !tempPath_.empty()) {
    // A replaced file keeps its permissions and, where allowed, its owner.
    // The owner first: a change of owner clears the set-id bits.
    if (::fchown(fd_, existing.st_uid, existing.st_gid) != 0) {
      // Not ours to give away: the new file stays ours.
    }
    ::fchmod(fd_, existing.st_mode & 07777);
  }
  return true;
}

void AtomicWriter::write(std::span<const unsigned char> bytes) {
  if (fd_ < 0 || failed_) return;
  failed_ = !writeAll(fd_, bytes, calls_);
}

bool AtomicWriter::commit(int& failureMessage) {
  failureMessage = 0;
  bool ok = fd_ >= 0 && !failed_;
  if (fd_ >= 0 && calls_.close(fd_) != 0) ok = false;
  fd_ = -1;
  if (ok && !tempPath_.empty()) ok = ::rename(tempPath_.c_str(), target_.c_str()) == 0;
  if (ok) tempPath_.clear();
  abandon();
  if (!ok) failureMessage = str::UnableToSaveFile;
  return ok;
}

void AtomicWriter::abandon() {
  if (fd_ >= 0) calls_.close(fd_);
  fd_ = -1;
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
}

bool writeFileAtomically(const std::string& path, std::span<const unsigned char> bytes,
                         int& failureMessage, const FileCalls& calls) {
  AtomicWriter file(calls);
  if (!file.open(path, failureMessage)) return false;
  file.write(bytes);
  return file.commit(failureMessage);
}

}  // namespace orelith
