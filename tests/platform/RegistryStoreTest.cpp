// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Registry.h"
#include "tests/support/Bytes.h"
#include "tests/support/TempDir.h"

namespace tarifuhr {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

TEST(RegistryStore, WritesTypedValuesAsARegFile) {
  TempDir dir;
  RegistryStore reg = RegistryStore::ForConfigHome(dir.Path());
  reg.CreateKey(kTarifuhrKey);
  reg.WriteInteger(kTarifuhrKey, "first", 1);
  reg.WriteString(kTarifuhrKey, "currentuser", "Erika (Erika.tfd)");
  reg.WriteInteger(kTarifuhrKey, "left", 0);
  reg.WriteInteger(kTarifuhrKey, "top", -1);
  reg.WriteString(kTarifuhrKey, "path", "C:\\Pro \"gramme\"\\Jürgen");
  EXPECT_EQ(ReadFileBytes(dir.File("tarifuhr/registry.reg")),
            "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Tarifuhr]\r\n"
            "\"first\"=dword:00000001\r\n\"currentuser\"=\"Erika (Erika.tfd)\"\r\n"
            "\"left\"=dword:00000000\r\n\"top\"=dword:ffffffff\r\n"
            "\"path\"=\"C:\\\\Pro \\\"gramme\\\"\\\\J\xFCrgen\"\r\n\r\n");
  // A fresh store reads the file back.
  RegistryStore again = RegistryStore::ForConfigHome(dir.Path());
  EXPECT_EQ(again.ReadInteger("hkey_local_machine\\software\\tarifuhr", "TOP"), -1);
  EXPECT_EQ(again.ReadString(kTarifuhrKey, "path"), "C:\\Pro \"gramme\"\\Jürgen");
  EXPECT_TRUE(again.KeyExists(kTarifuhrKey));
}

TEST(RegistryStore, AFileWithUnreadableLinesIsKeptBeforeItIsRewritten) {
  TempDir dir;
  const std::string damaged =
      "REGEDIT4\r\n; a comment\r\n[HKEY_LOCAL_MACHINE\\Software\\Tarifuhr]\r\n"
      "\"left\"=dword:00000007\r\n\"top\"=dword:zz\r\n\"broken=\r\n";
  std::filesystem::create_directories(dir.File("tarifuhr"));
  WriteFileBytes(dir.File("tarifuhr/registry.reg"), damaged);
  RegistryStore reg = RegistryStore::ForConfigHome(dir.Path());
  std::vector<std::string> told;
  reg.OnDamaged = [&told](const std::string& text) { told.push_back(text); };
  EXPECT_EQ(reg.ReadInteger(kTarifuhrKey, "left"), 7);
  reg.WriteInteger(kTarifuhrKey, "top", 1);
  reg.WriteInteger(kTarifuhrKey, "top", 2);
  EXPECT_EQ(ReadFileBytes(dir.File("tarifuhr/registry.reg.defekt")), damaged);
  ASSERT_EQ(told.size(), 1u) << "said once";
  EXPECT_NE(told[0].find("registry.reg.defekt"), std::string::npos);
  EXPECT_EQ(reg.ReadInteger(kTarifuhrKey, "top"), 2);
}

TEST(RegistryStore, ReadsFailLikeThePlatformRegistry) {
  TempDir dir;
  RegistryStore reg = RegistryStore::ForConfigHome(dir.Path());
  EXPECT_THROW(reg.ReadInteger(kTarifuhrKey, "left"), RegistryError);  // no file at all
  EXPECT_EQ(reg.ReadString(kTarifuhrKey, "currentuser"), "");          // missing = empty
  reg.WriteString(kTarifuhrKey, "left", "12");
  reg.WriteInteger(kTarifuhrKey, "first", 1);
  EXPECT_THROW(reg.ReadInteger(kTarifuhrKey, "left"), RegistryError);  // wrong type
  EXPECT_THROW(reg.ReadString(kTarifuhrKey, "first"), RegistryError);
  EXPECT_TRUE(reg.ValueExists(kTarifuhrKey, "FIRST"));
  EXPECT_TRUE(reg.DeleteValue(kTarifuhrKey, "first"));
  EXPECT_FALSE(reg.DeleteValue(kTarifuhrKey, "first"));
  EXPECT_FALSE(reg.ValueExists(kTarifuhrKey, "first"));
}

TEST(RegistryStore, ItsFileHoldsSecretsAndIsReadOnlyWhenItIsOne) {
  TempDir dir;
  std::filesystem::create_directories(dir.File("tarifuhr"));
  const std::string path = dir.File("tarifuhr/registry.reg");
  WriteFileBytes(path, "REGEDIT4\r\n");
  ::chmod(path.c_str(), 0644);
  RegistryStore reg = RegistryStore::ForConfigHome(dir.Path());
  reg.WriteString("HKEY_LOCAL_MACHINE\\Software\\Tarifuhr\\Fehlerbericht", "password", "geheim");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "tightened on the next write";

  // A FIFO in its place: neither waited for, nor read as empty, nor written.
  std::filesystem::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  try {
    reg.ReadString(kTarifuhrKey, "currentuser");
    ADD_FAILURE() << "read";
  } catch (const RegistryError& e) {
    EXPECT_NE(std::string(e.what()).find("kann nicht gelesen werden: Keine gewöhnliche Datei"),
              std::string::npos)
        << e.what();
  }
  EXPECT_THROW(reg.WriteInteger(kTarifuhrKey, "left", 1), RegistryError);
  ASSERT_EQ(::lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(RegistryStore, KeepsValuesItDoesNotUseAndSurvivesGarbage) {
  TempDir dir;
  std::filesystem::create_directories(dir.File("tarifuhr"));
  WriteFileBytes(dir.File("tarifuhr/registry.reg"),
                 "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Other]\n\"bin\"=hex:01,02\n"
                 "nonsense here\n\"left\"=dword:zz\n[HKEY_LOCAL_MACHINE\\Software\\Tarifuhr]\n"
                 "\"left\"=dword:0000000a\n");
  RegistryStore reg = RegistryStore::ForConfigHome(dir.Path());
  EXPECT_EQ(reg.ReadInteger(kTarifuhrKey, "left"), 10);
  reg.WriteInteger(kTarifuhrKey, "top", 5);
  const std::string text = ReadFileBytes(dir.File("tarifuhr/registry.reg"));
  EXPECT_NE(text.find("\"bin\"=hex:01,02\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"top\"=dword:00000005"), std::string::npos);
}

TEST(RegistryStore, AutostartValueIsAnXdgAutostartEntry) {
  TempDir dir;
  RegistryStore reg = RegistryStore::ForConfigHome(dir.Path());
  const std::string desktop = dir.File("autostart/example.tarifuhr.Tarifuhr.desktop");
  EXPECT_FALSE(reg.ValueExists(kRunKey, kAutostartValue));
  reg.WriteString(kRunKey, kAutostartValue, "/opt/Tarif uhr/bin/tarifuhr");
  ASSERT_TRUE(std::filesystem::exists(desktop));
  const std::string text = ReadFileBytes(desktop);
  EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
  EXPECT_NE(text.find("\nExec=\"/opt/Tarif uhr/bin/tarifuhr\"\n"), std::string::npos);
  // The menu's icon, under the menu entry's name.
  EXPECT_NE(text.find("\nIcon=example.tarifuhr.Tarifuhr\n"), std::string::npos);
  EXPECT_TRUE(reg.ValueExists(kRunKey, "tarifuhr"));
  EXPECT_EQ(reg.ReadString(kRunKey, kAutostartValue), "/opt/Tarif uhr/bin/tarifuhr");
  // Characters the Exec key escapes come back whole.
  reg.WriteString(kRunKey, kAutostartValue, "/a\\b/$c \"d\"`e");
  EXPECT_EQ(reg.ReadString(kRunKey, kAutostartValue), "/a\\b/$c \"d\"`e");
  EXPECT_TRUE(reg.DeleteValue(kRunKey, kAutostartValue));
  EXPECT_FALSE(std::filesystem::exists(desktop));
  EXPECT_FALSE(reg.ValueExists(kRunKey, kAutostartValue));
  // The autostart value never lands in the .reg file.
  EXPECT_FALSE(std::filesystem::exists(dir.File("tarifuhr/registry.reg")));
}

TEST(RegistryStore, AWriteThatFailsThrowsAndKeepsTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores directory permissions";
  TempDir dir;
  RegistryStore reg = RegistryStore::ForConfigHome(dir.Path());
  reg.WriteInteger(kTarifuhrKey, "left", 3);
  ::chmod(dir.File("tarifuhr").c_str(), 0555);
  EXPECT_THROW(reg.WriteInteger(kTarifuhrKey, "left", 4), RegistryError);
  ::chmod(dir.File("tarifuhr").c_str(), 0755);
  EXPECT_EQ(reg.ReadInteger(kTarifuhrKey, "left"), 3);
}

TEST(RegistryStore, AConfigHomeThatIsAFileCannotBeWritten) {
  TempDir dir;
  WriteFileBytes(dir.File("config"), "not a directory");
  RegistryStore reg = RegistryStore::ForConfigHome(dir.File("config"));
  EXPECT_THROW(reg.WriteInteger(kTarifuhrKey, "left", 0), RegistryError);
  EXPECT_THROW(reg.ReadInteger(kTarifuhrKey, "left"), RegistryError);
}

}  // namespace
}  // namespace tarifuhr
