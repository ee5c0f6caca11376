// The atomic writer with failures injected where a full disk would strike.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/AtomicFile.h"
#include "tests/report/ReportTestSupport.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

ssize_t failingWrite(int, const void*, std::size_t) { return errno = ENOSPC, -1; }
// One byte at a time, noting the permissions the file has meanwhile.
mode_t modeWhileWritten = 0;
ssize_t oneByteWrite(int fd, const void* data, std::size_t size) {
  struct stat st {};
  modeWhileWritten = ::fstat(fd, &st) == 0 ? st.st_mode & 0777 : 0;
  return ::write(fd, data, size > 0 ? 1 : 0);
}
int failingClose(int fd) { return ::close(fd), errno = EIO, -1; }

// Writes half of what it is given, then fails: the first part reaches the disk, the rest not.
ssize_t writeHalfThenFail(int fd, const void* data, std::size_t size) {
  static bool wroteOnce = false;
  wroteOnce = !wroteOnce;
  return wroteOnce ? ::write(fd, data, size > 1 ? size / 2 : size) : failingWrite(fd, data, size);
}

class AtomicFile : public testing::Test {
 protected:
  void SetUp() override { dir = test::makeTempDir(); }
  void TearDown() override { fs::remove_all(dir); }
  bool write(const char* name, const std::string& text,
             const FileCalls& calls = systemFileCalls()) {
    const std::vector<unsigned char> bytes(text.begin(), text.end());
    failure = StringId{-1};
    return writeFileAtomically((dir / name).string(), bytes, failure, calls);
  }
  mode_t mode(const char* name) {
    struct stat st {};
    EXPECT_EQ(::stat((dir / name).c_str(), &st), 0);
    return st.st_mode & 0777;
  }
  fs::path dir;
  StringId failure{-1};
};

// A new file gets 0666 less the umask, a replaced one keeps its permissions, both only once
// complete (written, they are ours alone); short writes are continued, a link keeps pointing
// at the replaced file, and no temporary file stays.
TEST_F(AtomicFile, WritesAndReplaces) {
  const mode_t old = ::umask(027);
  EXPECT_TRUE(write("a.out", "new\ncontent", {oneByteWrite, ::close}));
  ::umask(old);
  EXPECT_EQ(failure, kNoString);
  EXPECT_EQ(std::pair(modeWhileWritten, mode("a.out")), std::pair(mode_t{0600}, mode_t{0640}));
  test::writeText(dir / "b.out", "old old old");
  ::chmod((dir / "b.out").c_str(), 0604);
  EXPECT_TRUE(write("b.out", "written one byte at a time", {oneByteWrite, ::close}));
  EXPECT_EQ(test::readText(dir / "b.out"), "written one byte at a time");
  EXPECT_EQ(mode("b.out"), 0604u);
  fs::create_symlink(dir / "b.out", dir / "link.out");
  EXPECT_TRUE(write("link.out", "new"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.out"));
  EXPECT_EQ(test::readText(dir / "b.out"), "new");
  EXPECT_EQ(test::dirEntries(dir), (Names{"a.out", "b.out", "link.out"}));
  // A device cannot be replaced: it is written in place.
  EXPECT_TRUE(writeFileAtomically("/dev/null", std::vector<unsigned char>{'x'}, failure));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

// A failed write or close is message 7 and leaves the old file, or none, and no temporary.
TEST_F(AtomicFile, FailuresKeepTheOldFile) {
  const FileCalls failing[] = {
      {failingWrite, ::close}, {writeHalfThenFail, ::close}, {::write, failingClose}};
  for (const FileCalls& calls : failing) {
    EXPECT_FALSE(write("new.out", "data", calls));
    EXPECT_EQ(failure, str::UnableToSaveFile);
    EXPECT_TRUE(test::dirEntries(dir).empty());
    test::writeText(dir / "a.out", "the user's old file");
    EXPECT_FALSE(write("a.out", std::string(4096, 'n'), calls));
    EXPECT_EQ(failure, str::UnableToSaveFile);
    EXPECT_EQ(test::readText(dir / "a.out"), "the user's old file");
    EXPECT_EQ(test::dirEntries(dir), Names{"a.out"});
    fs::remove(dir / "a.out");
  }
}

// Targets that cannot be created give message 5 and change nothing: a missing folder, a folder,
// a FIFO nobody reads (at once, not blocking).
TEST_F(AtomicFile, UncreatableTargetsGiveMessage5) {
  fs::create_directory(dir / "sub");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  for (const char* name : {"no/such/a.out", "sub", "fifo"}) {
    EXPECT_FALSE(write(name, "data")) << name;
    EXPECT_EQ(failure, str::UnableToCreateFile) << name;
  }
  EXPECT_TRUE(fs::is_directory(dir / "sub"));
  EXPECT_EQ(test::dirEntries(dir), (Names{"fifo", "sub"}));
}

}  // namespace
}  // namespace orelith
