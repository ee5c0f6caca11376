// An open C file that closes itself, and opening a file for reading only when
// it is a regular file.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace orelith {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` for reading only when it is a regular file: a folder, a
// device or a FIFO (which could block the open forever) gives no file.
File openRegularFile(const std::string& path);

// Whether two names name one file: the same path, or the same device and
// inode. A device or pipe holds nothing to lose and is never the same file:
// /dev/null may take several outputs.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace orelith
