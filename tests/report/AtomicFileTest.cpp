#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "report/AtomicFile.h"
#include "tests/report/ReportTestSupport.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;

std::vector<unsigned char> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

class AtomicFile : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::makeTempDir(); }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const char* name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

ssize_t failingWrite(int, const void*, std::size_t) {
  errno = ENOSPC;
  return -1;
}

// Writes half of what it is given (at least one byte), then fails like a
// full disk: the first part of the file reaches the disk, the rest does not.
ssize_t writeHalfThenFail(int fd, const void* data, std::size_t size) {
  static bool wroteOnce = false;
  if (wroteOnce) {
    wroteOnce = false;
    errno = ENOSPC;
    return -1;
  }
  wroteOnce = true;
  return ::write(fd, data, size > 1 ? size / 2 : size);
}

ssize_t oneByteWrite(int fd, const void* data, std::size_t size) {
  return ::write(fd, data, size > 0 ? 1 : 0);
}

int failingClose(int fd) {
  ::close(fd);
  errno = EIO;
  return -1;
}

TEST_F(AtomicFile, WritesANewFileWithTheUmaskApplied) {
  mode_t old = ::umask(027);
  int failure = -1;
  auto bytes = bytesOf("new\ncontent");
  bool ok = writeFileAtomically(path("a.out"), bytes, failure);
  ::umask(old);
  EXPECT_TRUE(ok);
  EXPECT_EQ(failure, 0);
  EXPECT_EQ(test::readText(dir_ / "a.out"), "new\ncontent");
  struct stat st {};
  ASSERT_EQ(::stat(path("a.out").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // 0666 less the umask 027
  EXPECT_EQ(test::dirEntries(dir_), std::vector<std::string>{"a.out"});
}

TEST_F(AtomicFile, ReplacesAnExistingFileAndKeepsItsPermissions) {
  test::writeText(dir_ / "a.out", "old old old");
  ::chmod(path("a.out").c_str(), 0604);
  int failure = -1;
  auto bytes = bytesOf("new");
  EXPECT_TRUE(writeFileAtomically(path("a.out"), bytes, failure));
  EXPECT_EQ(test::readText(dir_ / "a.out"), "new");
  struct stat st {};
  ASSERT_EQ(::stat(path("a.out").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0604u);
  EXPECT_EQ(test::dirEntries(dir_), std::vector<std::string>{"a.out"});
}

TEST_F(AtomicFile, ShortWritesAreContinued) {
  int failure = -1;
  auto bytes = bytesOf("written one byte at a time");
  EXPECT_TRUE(writeFileAtomically(path("a.out"), bytes, failure, {oneByteWrite, ::close}));
  EXPECT_EQ(test::readText(dir_ / "a.out"), "written one byte at a time");
}

struct FailureCase {
  const char* name;
  FileCalls calls;
};

class AtomicFileFailure : public AtomicFile, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(AtomicFileFailure, LeavesTheOldFileAndNoTemporaryBehind) {
  test::writeText(dir_ / "a.out", "the user's old file");
  int failure = -1;
  auto bytes = bytesOf(std::string(4096, 'n'));
  EXPECT_FALSE(writeFileAtomically(path("a.out"), bytes, failure, GetParam().calls));
  EXPECT_EQ(failure, 7);
  EXPECT_EQ(test::readText(dir_ / "a.out"), "the user's old file");
  EXPECT_EQ(test::dirEntries(dir_), std::vector<std::string>{"a.out"});
}

TEST_P(AtomicFileFailure, CreatesNothingWhenThereWasNoFile) {
  int failure = -1;
  auto bytes = bytesOf("data");
  EXPECT_FALSE(writeFileAtomically(path("a.out"), bytes, failure, GetParam().calls));
  EXPECT_EQ(failure, 7);
  EXPECT_TRUE(test::dirEntries(dir_).empty());
}

INSTANTIATE_TEST_SUITE_P(Calls, AtomicFileFailure,
                         ::testing::Values(FailureCase{"WriteFails", {failingWrite, ::close}},
                                           FailureCase{"WriteFailsHalfWay",
                                                       {writeHalfThenFail, ::close}},
                                           FailureCase{"CloseFails", {::write, failingClose}}),
                         [](const auto& c) { return std::string(c.param.name); });

// Targets that cannot be created give message 5 and change nothing: a
// missing folder, a folder, a FIFO nobody reads (at once, not blocking).
TEST_F(AtomicFile, UncreatableTargetsGiveMessage5) {
  fs::create_directory(dir_ / "sub");
  ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  for (const char* name : {"no/such/a.out", "sub", "fifo"}) {
    int failure = -1;
    auto bytes = bytesOf("data");
    EXPECT_FALSE(writeFileAtomically(path(name), bytes, failure)) << name;
    EXPECT_EQ(failure, 5) << name;
  }
  EXPECT_TRUE(fs::is_directory(dir_ / "sub"));
  EXPECT_EQ(test::dirEntries(dir_), (std::vector<std::string>{"fifo", "sub"}));
}

TEST_F(AtomicFile, ALinkKeepsPointingAtTheReplacedFile) {
  test::writeText(dir_ / "real.out", "old");
  fs::create_symlink(dir_ / "real.out", dir_ / "link.out");
  int failure = -1;
  auto bytes = bytesOf("new");
  EXPECT_TRUE(writeFileAtomically(path("link.out"), bytes, failure));
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.out"));
  EXPECT_EQ(test::readText(dir_ / "real.out"), "new");
  EXPECT_EQ(test::dirEntries(dir_), (std::vector<std::string>{"link.out", "real.out"}));
}

TEST_F(AtomicFile, ADeviceIsWrittenInPlace) {
  int failure = -1;
  auto bytes = bytesOf("discarded");
  EXPECT_TRUE(writeFileAtomically("/dev/null", bytes, failure));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

}  // namespace
}  // namespace orelith
