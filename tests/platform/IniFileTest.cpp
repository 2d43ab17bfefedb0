// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "platform/IniFile.h"
#include "tests/support/Bytes.h"
#include "tests/support/TempDir.h"

namespace tarifuhr {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

TEST(IniFile, ReadsLikeTheProfileFunctions) {
  const IniFile ini = IniFile::Parse(
      "; a comment\r\n[Hans (Hans.tfd)]\r\nfile = C:\\Tarifuhr\\Hans.tfd \r\n\n"
      "odd line without equals\n[Erika (Erika.tfd)]\nFILE=/home/e/Erika.tfd\n[Leer]\n"
      "[hans (hans.tfd)]\nfile=second");
  EXPECT_EQ(ini.ReadString("HANS (hans.TFD)", "File", "error"), "C:\\Tarifuhr\\Hans.tfd");
  EXPECT_EQ(ini.ReadString("Erika (Erika.tfd)", "file", "error"), "/home/e/Erika.tfd");
  EXPECT_EQ(ini.ReadString("Leer", "file", "error"), "error");
  EXPECT_EQ(ini.ReadString("Niemand", "file", "error"), "error");
  // A section of the exact name wins: names that differ in case are two.
  EXPECT_EQ(ini.ReadString("hans (hans.tfd)", "file", "error"), "second");
  EXPECT_EQ(ini.Sections(),
            (std::vector<std::string>{"Hans (Hans.tfd)", "Erika (Erika.tfd)", "Leer", "hans (hans.tfd)"}));
}

TEST(IniFile, WritesBackWhatItDoesNotUnderstand) {
  IniFile ini = IniFile::Parse("; kept\n[A]\nfile=1\ngarbage\n[B]\nfile=2\n");
  ini.WriteString("a", "FILE", "3");
  ini.WriteString("B", "other", "x");
  ini.WriteString("C", "file", "4");
  EXPECT_EQ(ini.ToText(),
            "; kept\r\n[A]\r\nfile=3\r\ngarbage\r\n[B]\r\nfile=2\r\nother=x\r\n[C]\r\nfile=4\r\n");
}

TEST(IniFile, EraseSectionRemovesHeaderAndKeysOfEveryCopyOfExactlyThatName) {
  IniFile ini = IniFile::Parse("[A]\nfile=1\n[B]\nfile=2\n[a]\nfile=3\n[A]\nfile=4\n");
  ini.EraseSection("A");
  EXPECT_EQ(ini.ToText(), "[B]\r\nfile=2\r\n[a]\r\nfile=3\r\n");
  EXPECT_EQ(ini.ReadString("A", "file", ""), "3") << "only [a] is left, found regardless of case";
  ini.EraseSection("b");  // no section of that exact name: regardless of case
  EXPECT_EQ(ini.ToText(), "[a]\r\nfile=3\r\n");
}

TEST(IniFile, FilesAreWindows1252WithCrLf) {
  TempDir dir;
  const std::string path = dir.File("userlist.ini");
  WriteFileBytes(path, "[J\xFCrgen (J\xFCrgen.tfd)]\nfile=/x/J\xFCrgen.tfd");
  IniFile ini = IniFile::Load(path);
  EXPECT_EQ(ini.ReadString("JÜRGEN (jürgen.tfd)", "file", ""), "/x/Jürgen.tfd");
  ini.Save(path);
  EXPECT_EQ(ReadFileBytes(path), "[J\xFCrgen (J\xFCrgen.tfd)]\r\nfile=/x/J\xFCrgen.tfd\r\n");
  EXPECT_TRUE(IniFile::Load(dir.File("missing.ini")).Sections().empty());
}

}  // namespace
}  // namespace tarifuhr
