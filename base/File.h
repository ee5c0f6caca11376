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

}  // namespace orelith
