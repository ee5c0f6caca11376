// Writing an output file so that a failure never costs the user the file that
// was there before: the bytes go to a hidden temporary file in the same folder,
// which replaces the target only after every write and the close succeeded.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <span>
#include <string>

#include "resources/StringTable.h"

namespace orelith {

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
// writable; target not writable or a folder; a FIFO that nobody reads; a
// link the kernel will not follow for us), 7 "Unable to save file." when a
// write, the close or the final rename failed. A file that was at the path
// then stays as it was, and no temporary file remains; nor does one when the
// writer goes before its commit.
//
// The named path is first opened for writing by the kernel, as a plain
// create would open it, so that its checks decide: permissions and ACLs with
// the effective ids, and the refusal to follow another user's link in a
// sticky folder (fs.protected_symlinks). A link the kernel follows keeps
// pointing at its file, which is replaced where the kernel found it; a link
// to nothing is itself replaced. A device or pipe cannot be replaced and is
// written in place, through that same opening.
//
// The temporary file is created 0600 and gets its final permissions at the
// commit: a new file those of a plain create (0666 less the umask), a
// replaced one its old permissions, its owner where we may give it away,
// else at least its group.
class AtomicWriter {
 public:
  explicit AtomicWriter(const FileCalls& calls = systemFileCalls());
  ~AtomicWriter();
  AtomicWriter(const AtomicWriter&) = delete;
  AtomicWriter& operator=(const AtomicWriter&) = delete;

  bool open(const std::string& path, StringId& failureMessage);
  // A failed write is remembered and reported by the commit.
  void write(std::span<const unsigned char> bytes);
  bool commit(StringId& failureMessage);

 private:
  bool prepare(const std::string& path);
  bool placeAt(const std::string& path);
  bool placeOf(const std::string& path, int fd, const struct stat& file);
  void abandon();

  FileCalls calls_;
  int fd_ = -1;
  int dirFd_ = -1;        // the folder of the replaced file; -1 when written in place
  std::string name_;      // the replaced file's name in that folder
  std::string tempName_;  // the temporary file's name there while it exists
  mode_t finalMode_ = 0;
  bool failed_ = false;
};

// Writes `bytes` as the file `path` in one go through an AtomicWriter.
bool writeFileAtomically(const std::string& path, std::span<const unsigned char> bytes,
                         StringId& failureMessage, const FileCalls& calls = systemFileCalls());

}  // namespace orelith
