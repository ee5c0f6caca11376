// Writing an output file so that a failure never costs the user the file that
// was there before: the bytes go to a hidden temporary file in the same folder,
// which replaces the target only after every write and the close succeeded.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <span>
#include <string>

namespace orelith {

// The system calls the writer makes on the temporary file. Tests replace them
// to make a write or the close fail as a full disk would.
struct FileCalls {
  ssize_t (*write)(int fd, const void* data, std::size_t size);
  int (*close)(int fd);
};

// The calls of the running system.
FileCalls systemFileCalls();

// Writes `bytes` as the file `path`. On failure returns false with
// `failureMessage` set to the string to show: 5 "Unable to create file." when
// the file cannot be created (folder missing or closed to us, target not
// writable or a folder), 7 "Unable to save file." when a write, the close or
// the final rename fails. A file that was at `path` then stays as it was, and
// no temporary file remains.
// Two targets cannot be replaced and are rewritten in place, as a plain create
// would: a device or pipe, and a writable file in a folder that lets no new
// file be made there.
// A new file gets the permissions a plain create would give it (0666 less the
// umask); a replaced file keeps its permissions. A symbolic link is followed,
// so the file it names is replaced, not the link.
bool writeFileAtomically(const std::string& path, std::span<const unsigned char> bytes,
                         int& failureMessage, const FileCalls& calls = systemFileCalls());

}  // namespace orelith
