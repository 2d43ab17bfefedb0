// SPDX-License-Identifier: MIT
#include "platform/Stream.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Files.h"
#include "platform/TempDir.h"
#include "tests/support/TempDir.h"

namespace tarifuhr {
namespace {

TEST(MemoryStream, ReadWriteSeekAndSize) {
  MemoryStream s;
  s.WriteString("hello world");
  EXPECT_EQ(s.Position(), 11);
  s.SetPosition(6);
  s.WriteString("WORLD!");
  EXPECT_EQ(s.Bytes(), "hello WORLD!");
  EXPECT_EQ(s.Seek(-6, SeekOrigin::End), 6);
  char buf[16] = {};
  EXPECT_EQ(s.Read(buf, sizeof buf), 6);
  EXPECT_EQ(std::string(buf, 6), "WORLD!");
  EXPECT_EQ(s.Read(buf, 1), 0);
  EXPECT_THROW(s.ReadBuffer(buf, 1), EStreamError);
  EXPECT_THROW(s.Seek(-1, SeekOrigin::Beginning), EStreamError);
  s.SetSize(5);
  EXPECT_EQ(s.Bytes(), "hello");
  EXPECT_EQ(s.Position(), 5);
  s.Clear();
  EXPECT_EQ(s.Size(), 0);
}

struct FileStreamTest : ::testing::Test {
  testing::TempDir dir;
  const std::string dir_ = dir.Path();
};

TEST_F(FileStreamTest, CreateWriteReadBack) {
  const std::string path = dir_ + "/f.bin";
  {
    FileStream out(path, FileStream::Mode::Create);
    out.WriteString(std::string("a\0b", 3));
    EXPECT_EQ(out.Size(), 3);
  }
  FileStream in(path, FileStream::Mode::OpenRead);
  char buf[8];
  EXPECT_EQ(in.Read(buf, sizeof buf), 3);
  EXPECT_EQ(std::string(buf, 3), std::string("a\0b", 3));
  MemoryStream mem;
  mem.LoadFromFile(path);
  EXPECT_EQ(mem.Bytes(), std::string("a\0b", 3));
  EXPECT_THROW(FileStream(dir_ + "/missing", FileStream::Mode::OpenRead), FileError);
  EXPECT_THROW(mem.LoadFromFile(dir_ + "/missing"), FileError);
}

TEST_F(FileStreamTest, TemporaryFilesAreNewAndPrivate) {
  FileStream a = FileStream::CreateTemporary(dir_, "t.");
  FileStream b = FileStream::CreateTemporary(dir_ + "/", "t.");
  EXPECT_NE(a.Path(), b.Path());
  EXPECT_EQ(a.Path().rfind(dir_ + "/t.", 0), 0u);
  struct stat st {};
  ASSERT_EQ(stat(a.Path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_THROW(FileStream::CreateTemporary(dir_ + "/nodir", "t."), FileError);
}

TEST_F(FileStreamTest, FullDeviceReportsTheFileError) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "/dev/full is not available";
  FileStream full("/dev/full", FileStream::Mode::Create);
  EXPECT_THROW(full.WriteString("x"), FileError);
}

TEST(TempDirectory, TmpdirWhenItIsADirectory) {
  auto env = [](const char* value) {
    return [value](const std::string& name) -> std::optional<std::string> {
      if (name == "TMPDIR" && value) return std::string(value);
      return std::nullopt;
    };
  };
  for (auto [tmpdir, want] : {std::pair<const char*, const char*>{nullptr, "/tmp/"},
                              {"", "/tmp/"},
                              {"/", "/"},
                              {"/var/tmp", "/var/tmp/"},
                              {"/no/such/dir", "/tmp/"}})
    EXPECT_EQ(TempDirectory(env(tmpdir)), want) << (tmpdir ? tmpdir : "unset");
}

}  // namespace
}  // namespace tarifuhr
