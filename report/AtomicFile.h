// Writing an output file so that a failure never costs the user the file that
// was there before: the bytes go to a hidden temporary file in the same folder,
// which replaces the target only after every write and the close succeeded.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <span>
#include <string>

namespace orelith {

// What the writers of the Save command return: failed means its message
// (5, 7, 8, 9, 10, 11 or 18) has been shown.
enum WriteResult : int { kWriteOk = 0, kWriteFailed = 1 };

// The system calls the writer makes on the temporary file. Tests replace them
// to make a write or the close fail as a full disk would.
struct FileCalls {
  ssize_t (*write)(int fd, const void* data, std::size_t size);
  int (*close)(int fd);
};

// The calls of the running system.
FileCalls systemFileCalls();

// A file written in pieces that replaces its target only once complete, so
// that a failure never costs the user the file that was there before: open,
// any number of writes, commit. On failure open and commit return false with
// the string to show: 5 "Unable to create file." when the file cannot be
// created (folder missing or closed to us, also when the target itself is
// writable; target not writable or a folder; a FIFO that nobody reads), 7
// "Unable to save file." when a write, the close or the final rename failed.
// A file that was at the path then stays as it was, and no temporary file
// remains; nor does one when the writer goes before its commit.
// A device or pipe cannot be replaced and is written in place, as a plain
// create would.
// A new file gets the permissions a plain create would give it (0666 less the
// umask); a replaced file keeps its permissions. A symbolic link is followed,
// so the file it names is replaced, not the link.
class AtomicWriter {
 public:
  explicit AtomicWriter(const FileCalls& calls = systemFileCalls());
  ~AtomicWriter();
  AtomicWriter(const AtomicWriter&) = delete;
  AtomicWriter& operator=(const AtomicWriter&) = delete;

  bool open(const std::string& path, int& failureMessage);
  // A failed write is remembered and reported by the commit.
  void write(std::span<const unsigned char> bytes);
  bool commit(int& failureMessage);

 private:
  void abandon();

  FileCalls calls_;
  int fd_ = -1;
  std::string target_;
  std::string tempPath_;  // empty when the target is written in place
  bool failed_ = false;
};

// Writes `bytes` as the file `path` in one go through an AtomicWriter.
bool writeFileAtomically(const std::string& path, std::span<const unsigned char> bytes,
                         int& failureMessage, const FileCalls& calls = systemFileCalls());

}  // namespace orelith
