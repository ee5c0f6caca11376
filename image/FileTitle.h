#pragma once

#include <string_view>

namespace orelith {

// Writes the file name of `path` (without directory) into `title`, cut to
// fit `size` - 1 bytes without splitting a UTF-8 character, and terminated.
void makeFileTitle(std::string_view path, char* title, int size);

}  // namespace orelith
