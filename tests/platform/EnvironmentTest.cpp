// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "platform/Environment.h"
#include "tests/support/Env.h"
#include "tests/support/TempDir.h"

namespace tarifuhr {
namespace {

TEST(Environment, TarifuhrHomeOverridesEverything) {
  EXPECT_EQ(ProgramDirectory(Env({{"TARIFUHR_HOME", "/srv/tu/"}, {"HOME", "/h"}}), "/usr/bin/x"), "/srv/tu");
}

TEST(Environment, TheExecutablesDirectoryWhenWritable) {
  testing::TempDir dir;
  EXPECT_EQ(ProgramDirectory(Env({{"HOME", "/h"}}), dir.File("tarifuhr")), dir.Path());
}

TEST(Environment, AnInstalledProgramKeepsItsFilesInTheUsersDataDirectory) {
  testing::TempDir dir;
  ASSERT_TRUE(MakeDirectories(dir.File("usr/bin")) && MakeDirectories(dir.File("usr/share/tarifuhr")));
  EXPECT_EQ(ProgramDirectory(Env({{"XDG_DATA_HOME", "/d"}}), dir.File("usr/bin/tarifuhr")), "/d/tarifuhr");
}

TEST(Environment, ElseTheUsersDataDirectory) {
  EXPECT_EQ(ProgramDirectory(Env({{"HOME", "/home/erika"}}), "/nonexistent-tarifuhr-dir/tarifuhr"),
            "/home/erika/.local/share/tarifuhr");
  EXPECT_EQ(ProgramDirectory(Env({{"XDG_DATA_HOME", "/d/"}}), "/nonexistent-tarifuhr-dir/tarifuhr"),
            "/d/tarifuhr");
  EXPECT_EQ(ConfigHome(Env({{"HOME", "/home/erika"}})), "/home/erika/.config");
  EXPECT_EQ(ConfigHome(Env({{"XDG_CONFIG_HOME", "/c"}})), "/c");
}

TEST(Environment, MakeDirectoriesCreatesParents) {
  testing::TempDir dir;
  EXPECT_TRUE(MakeDirectories(dir.File("a/b/c")));
  struct stat st {};
  EXPECT_EQ(::stat(dir.File("a/b/c").c_str(), &st), 0);
  EXPECT_TRUE(MakeDirectories(dir.File("a/b/c")));
}

}  // namespace
}  // namespace tarifuhr

#include "platform/Files.h"
#include "platform/InstanceLock.h"

namespace tarifuhr {
namespace {

TEST(InstanceLock, OnlyOneHolderPerDirectory) {
  testing::TempDir dir;
  {
    InstanceLock first(dir.Path());
    EXPECT_TRUE(first.Acquired());
    InstanceLock second(dir.Path());
    EXPECT_FALSE(second.Acquired());
    // Deleting the lock file lets no second program in.
    ASSERT_TRUE(RemoveFile(dir.File("tarifuhr.lock")));
    InstanceLock third(dir.Path());
    EXPECT_FALSE(third.Acquired());
    EXPECT_EQ(third.Error(), 0) << "held by another, not a fault";
  }
  InstanceLock again(dir.Path());
  EXPECT_TRUE(again.Acquired()) << "the lock goes with its holder";
}

}  // namespace
}  // namespace tarifuhr
