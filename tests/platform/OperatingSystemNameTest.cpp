// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/OperatingSystemName.h"
#include "tests/support/TempDir.h"

namespace tarifuhr {
namespace {

TEST(OperatingSystemName, ThePrettyNameElseNameAndVersionOfTheFirstFileThatReads) {
  testing::TempDir dir;
  const std::string pretty = dir.File("pretty"), plain = dir.File("plain");
  WriteFileAtomically(pretty, "# x\nNAME=Debian\nPRETTY_NAME=\"Debian \\\"GNU\\\"/Linux 12 (bookworm)\"\r\n");
  WriteFileAtomically(plain, "NAME='Fedora Linux'\nVERSION=40\n");
  EXPECT_EQ(OperatingSystemName({dir.File("missing"), pretty, plain}), "Debian \"GNU\"/Linux 12 (bookworm)");
  EXPECT_EQ(OperatingSystemName({plain, pretty}), "Fedora Linux 40");
  EXPECT_EQ(OperatingSystemName({dir.File("missing")}), "");
}

}  // namespace
}  // namespace tarifuhr
