// Running a program as a user would, from a directory of the test's own.
#pragma once

#include <filesystem>
#include <string>

namespace orelith::test {

// Runs `program args` (args as a shell would split them) in `dir`, standard output to dir/out.txt
// and standard error to dir/err.txt. Its exit status, or -1 when it did not exit.
int runIn(const std::filesystem::path& dir, const std::string& program, const std::string& args);

std::string readText(const std::filesystem::path& path);

}  // namespace orelith::test
