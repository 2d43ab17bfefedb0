// SPDX-License-Identifier: MIT
#include <filesystem>

#include "tests/accounting/CoreFixture.h"

namespace tarifuhr::testing {
namespace {

TEST_F(CoreTest, OnlyATariffsConnectionIsHungUpAndARefusalIsSaid) {
  core.Startup();
  UseTariffs({Tariff("T", "Net")});
  AddEntry("Net");
  AddEntry("Fremd");
  DialOutside("Fremd");
  TickSeconds(2);
  EXPECT_EQ(core.OpenEntryName(), "Fremd");
  EXPECT_FALSE(core.CanHangUpOpenConnection()) << "no entry of the user's tariffs";
  core.HangUpOpenConnection();
  EXPECT_EQ(network->Snapshot().Connections.size(), 1u) << "not the user's: it stays up";
  network->HangUpEntry("Fremd");

  DialOutside("Net");
  TickSeconds(2);
  EXPECT_TRUE(core.CanHangUpOpenConnection());
  // A state file the simulator can't read: its hang-up fails with a code.
  const std::string state = dir.File(SimNetwork::kStateFile);
  std::filesystem::rename(state, state + ".kept");
  std::filesystem::create_directory(state);
  try {
    core.HangUpOpenConnection();
    ADD_FAILURE() << "no HangUpError";
  } catch (const HangUpError& e) {
    EXPECT_STREQ(e.what(),
                 "Die Verbindung „Net“ konnte nicht getrennt werden: "
                 "The system could not open the phone book file.");
  }
  std::filesystem::remove(state);
  std::filesystem::rename(state + ".kept", state);
  TickNextSecond();
  EXPECT_EQ(core.OpenRecord().seconds, 3) << "the same record counts on";
  EXPECT_EQ(Logged().size(), 1u) << "only Fremd's";

  core.HangUpOpenConnection();
  EXPECT_TRUE(network->Snapshot().Connections.empty());
  EXPECT_EQ(Logged().size(), 1u) << "the tick closes the record";
  TickNextSecond();
  ASSERT_EQ(Logged().size(), 2u);
  EXPECT_EQ(Logged()[1].seconds, 3);
  EXPECT_FALSE(core.CanHangUpOpenConnection());
}

}  // namespace
}  // namespace tarifuhr::testing
