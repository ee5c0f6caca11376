#include "tests/support/Process.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace orelith::test {

int runIn(const std::filesystem::path& dir, const std::string& program, const std::string& args) {
  const std::string command =
      "cd '" + dir.string() + "' && '" + program + "' " + args + " >out.txt 2>err.txt";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace orelith::test
