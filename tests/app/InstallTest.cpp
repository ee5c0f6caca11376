// The installed tree works wherever it is put: the batch tool finds its fit
// library and its diagram templates beside itself.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/Process.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;

TEST(Install, InstalledBatchToolRunsFromAnywhere) {
  const fs::path prefix = test::makeTempDir();
  const fs::path work = test::makeTempDir();
  const std::string install = "'" CMAKE_COMMAND "' --install '" ORELITH_BUILD_DIR "' --prefix '" +
                              prefix.string() + "' >/dev/null";
  ASSERT_EQ(std::system(install.c_str()), 0);
  for (const char* file :
       {"bin/orelith-batch", "share/orelith/DIB01.DAT", "share/orelith/DIB02.DAT"})
    EXPECT_TRUE(fs::exists(prefix / file)) << file;
  const std::string samples = ORELITH_SAMPLES_DIR;
  EXPECT_EQ(test::runIn(work, (prefix / "bin/orelith-batch").string(),
                        "--blue '" + samples + "/cluster.b' --green '" + samples +
                            "/cluster.g' --background-blue 1130 --background-green 1130 --search "
                            "--compare --calibration '" +
                            samples + "/calibration.csv' --calculate --cmd-mono cmd"),
            0)
      << test::readText(work / "err.txt");
  EXPECT_EQ(fs::file_size(work / "cmd.bmp"), 33382u);
  fs::remove_all(prefix);
  fs::remove_all(work);
}

}  // namespace
}  // namespace orelith
