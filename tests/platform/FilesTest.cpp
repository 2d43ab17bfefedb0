// SPDX-License-Identifier: MIT
// What the file readers and writers do with what is not a file of ours: a
// FIFO, a device, a link, a directory, a file far too large.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Files.h"
#include "platform/IniFile.h"
#include "tests/support/Bytes.h"
#include "tests/support/TempDir.h"

namespace tarifuhr {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

TEST(Files, WhatIsNoRegularFileIsNeitherWaitedForNorReadNorReplaced) {
  TempDir dir;
  const std::string fifo = dir.File("fifo"), zero = dir.File("zero"), big = dir.File("big");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", zero);
  WriteFileBytes(big, std::string(4097, 'x'));
  std::filesystem::create_directory(dir.File("folder"));

  // A FIFO nobody writes to would block the open for ever.
  const auto refused = [](const std::string& path, size_t limit) {
    errno = 0;
    const bool read = ReadWholeFile(path, limit).has_value();
    return read ? 0 : errno;
  };
  EXPECT_EQ(refused(fifo, 1 << 20), kNotARegularFile);
  EXPECT_EQ(refused(zero, 1 << 20), ELOOP) << "a link is not followed, to /dev/zero least of all";
  EXPECT_EQ(refused("/dev/zero", 1 << 20), kNotARegularFile);
  EXPECT_EQ(refused(big, 4096), EFBIG);
  EXPECT_EQ(refused(big, 4097), 0);
  EXPECT_EQ(refused(dir.File("folder"), 1 << 20), EISDIR);
  EXPECT_EQ(ErrnoText(kNotARegularFile), "Keine gewöhnliche Datei (ein Gerät, eine Pipe oder ein Socket)");

  BinaryFile log;
  EXPECT_FALSE(log.Open(fifo, BinaryFile::Mode::ReadWriteCreate));
  EXPECT_EQ(log.Errno(), kNotARegularFile);

  // Written over by nobody: the FIFO, the link and the folder stay.
  for (const std::string& path : {fifo, zero, dir.File("folder")})
    EXPECT_THROW(WriteFileAtomically(path, "data"), FileError) << path;
  struct stat st {};
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_TRUE(std::filesystem::is_symlink(zero));

  // A list that can't be read is one that must not be written over.
  const IniFile list = IniFile::Load(fifo);
  EXPECT_TRUE(list.Sections().empty());
  EXPECT_TRUE(list.HasUnreadableLines());
  EXPECT_FALSE(IniFile::Load(dir.File("missing")).HasUnreadableLines());
}

}  // namespace
}  // namespace tarifuhr
