// SPDX-License-Identifier: MIT
// Online state, the active tariff and the entry lists of the dialogs.

#include "accounting/ConnectionState.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "tests/connection/FakeRas.h"

namespace tarifuhr {
namespace {

using ::testing::ElementsAre;

struct FixedState : InternetStateQuery {
  bool ok;
  uint32_t flags;
  FixedState(bool o, uint32_t f) : ok(o), flags(f) {}
  bool GetConnectedState(uint32_t& f) override {
    f = flags;
    return ok;
  }
};

TEST(GetConnectionState, FlagsInOrderTheLastSetWins) {
  const struct {
    bool ok;
    uint32_t flags;
    const char* text;
  } cases[] = {{false, 0x01, "keine Verbindung"},
               {true, 0, "keine Verbindung"},
               {true, 0x01, "Modem"},
               {true, 0x02, "LAN"},
               {true, 0x01 | 0x04, "Proxy"},
               {true, 0x01 | 0x02 | 0x08, "Modem besetzt"},
               {true, 0x10, "keine Verbindung"},
               {true, 0x40, "keine Verbindung"},
               {true, 0x20 | 0x02, "LAN"}};
  for (const auto& c : cases) {
    FixedState q(c.ok, c.flags);
    std::string text = "vorher";
    GetConnectionState(q, text);
    EXPECT_EQ(text, c.text) << c.ok << " " << c.flags;
  }
  EXPECT_TRUE(IsOnline("Modem besetzt"));
  EXPECT_FALSE(IsOnline("keine Verbindung"));
}

TariffRecord Tariff(const std::string& name, const std::string& entry) {
  TariffRecord t;
  t.Name = name;
  t.EntryName = entry;
  return t;
}

const test::FakeRas::Conn kArcor{2, "Arcor", "modem", "COM1"}, kIsdn{3, "ISDN-Flat", "isdn", "ISDN1"};

struct ActiveTariffFixture : ::testing::Test {
  test::FakeRas fake;
  RasLibraries libs;
  RasBinder binder{libs};
  std::unique_ptr<DialUp> dialUp;
  ActiveEntryState state;
  void SetUp() override {
    libs.Register(kRasLibrary, fake.Library());
    dialUp = std::make_unique<DialUp>(DialUpServices{&binder});
    ConnectActiveEntry(*dialUp, state);
  }
  int Find(const std::vector<TariffRecord>& tariffs) { return FindActiveTariff(tariffs, *dialUp, state); }
  // Finds with only `entry` open.
  int FindWith(const std::string& entry, const std::vector<TariffRecord>& tariffs) {
    fake.connections = {{1, entry, "modem", "COM1"}};
    return Find(tariffs);
  }
};

TEST_F(ActiveTariffFixture, NothingOpenAndNothingReportedSinceStart) {
  EXPECT_EQ(Find({Tariff("Arcor", "Arcor")}), -1);
  EXPECT_EQ(state.activeEntryName, "");
  EXPECT_EQ(state.tariffCaption, ":");
  // A tariff without an entry name matches the empty name.
  EXPECT_EQ(Find({Tariff("Arcor", "Arcor"), Tariff("Ohne", "")}), 1);
  EXPECT_EQ(state.tariffCaption, "Ohne:");
  EXPECT_EQ(Find({}), -1);
  EXPECT_EQ(state.tariffCaption, ":");
}

TEST_F(ActiveTariffFixture, MatchingIsExactAndTheLastMatchWins) {
  const std::vector<TariffRecord> tariffs = {Tariff("Tag", "T-Online"), Tariff("Nacht", "T-Online"),
                                             Tariff("Klein", "t-online")};
  EXPECT_EQ(FindWith("T-Online", tariffs), 1);
  EXPECT_EQ(state.tariffCaption, "Nacht:");
  // Letter case matters; no trimming.
  EXPECT_EQ(FindWith("T-ONLINE", tariffs), -1);
  EXPECT_EQ(state.tariffCaption, "T-ONLINE:");
  EXPECT_EQ(FindWith("T-Online ", tariffs), -1);

  // No tariffs: the entry name is shown.
  EXPECT_EQ(Find({}), -1);
  EXPECT_EQ(state.tariffCaption, "T-Online :");
}

TEST_F(ActiveTariffFixture, ATariffCutToTwentyCharactersMatchesTheLongerName) {
  const std::string longName = "Vodafone Mobile Broadband";  // 25 characters
  // The tariff keeps 20 characters, as its file does.
  const TariffRecord stored = DecodeTariff(EncodeTariff(Tariff("Mobil", longName)).data());
  ASSERT_EQ(stored.EntryName, longName.substr(0, 20));
  EXPECT_EQ(FindWith(longName, {stored}), 0);
  EXPECT_EQ(state.tariffCaption, "Mobil:");
  // A whole name still wins; a shorter stored name is no prefix match.
  EXPECT_EQ(FindWith(longName, {stored, Tariff("Genau", longName)}), 1);
  EXPECT_EQ(FindWith(longName, {Tariff("Kurz", "Vodafone Mobile")}), -1);
  // Umlauts are one character each (the platform lists names in ANSI).
  const TariffRecord umlauts = DecodeTariff(EncodeTariff(Tariff("Ü", "Überall-Netz für unterwegs")).data());
  EXPECT_EQ(FindWith(Utf8ToCp1252("Überall-Netz für unterwegs"), {umlauts}), 0);
}

TEST_F(ActiveTariffFixture, TheLastConnectionListedDecidesAndAnEndedOneIsForgotten) {
  const std::vector<TariffRecord> tariffs = {Tariff("Arcor", "Arcor"), Tariff("ISDN", "ISDN-Flat")};
  fake.connections = {kIsdn, kArcor};
  EXPECT_EQ(Find(tariffs), 0);
  EXPECT_EQ(state.activeEntryName, "Arcor");

  // Hung up while another path keeps the PC online: an enumeration that
  // lists nothing forgets the name, so the tariff is not charged on.
  fake.connections.clear();
  EXPECT_EQ(Find(tariffs), -1);
  EXPECT_EQ(state.activeEntryName, "");
  EXPECT_EQ(state.tariffCaption, ":");
  // A failed enumeration keeps the name it had.
  fake.connections = {kArcor};
  EXPECT_EQ(Find(tariffs), 0);
  fake.connections = {kIsdn};
  fake.enumResult = ras::kErrorBufferTooSmall;
  EXPECT_EQ(Find(tariffs), 0);
  fake.enumResult = 0;
  EXPECT_EQ(Find(tariffs), 1);
}

TEST_F(ActiveTariffFixture, ActiveConnectionRefreshesTheAddressesOfTheOwnDialOnly) {
  fake.connections = {{9, "Arcor", "modem", "COM1"}};
  Find({});
  // Nothing dialled: handle 0, which only empties the addresses.
  for (const auto& call : fake.calls) EXPECT_EQ(call.rfind("RasGetProjectionInfo", 0), std::string::npos);
  fake.saved["Arcor"] = {"u", "p"};
  fake.dialHandleOut = 9;
  dialUp->SetDialMode(DialMode::Sync);
  dialUp->SetEntry("Arcor");
  ASSERT_EQ(dialUp->Dial(), 0u);
  fake.connections = {{9, "Arcor", "modem", "COM1"}, {10, "Other", "modem", "COM2"}};
  Find({});
  EXPECT_EQ(fake.calls.back(), "RasGetProjectionInfo 9 32801 40");
  EXPECT_EQ(dialUp->ClientIP(), "192.168.7.2");
  EXPECT_EQ(state.activeEntryName, "Other");
}

class RecordingList : public EntryList {
 public:
  std::vector<std::string> items;
  int selected = -1;
  void Add(const std::string& name) override { items.push_back(name); }
  void SelectFirst() override { selected = 0; }
};

TEST_F(ActiveTariffFixture, EntryNamesGoIntoBothListsAndTheWizardSelectsTheFirst) {
  RecordingList wizard, editor;
  wizard.items = {"alt"};
  dialUp->OnEntryGet = [&](DialUp&, const std::string& name) {
    AddEntryToAccountLists(wizard, editor, name);
  };
  fake.entries = {"Arcor", "T-Online"};
  ASSERT_EQ(dialUp->GetEntries(), 0u);
  EXPECT_THAT(wizard.items, ElementsAre("alt", "Arcor", "T-Online"));
  EXPECT_THAT(editor.items, ElementsAre("Arcor", "T-Online"));
  EXPECT_EQ(wizard.selected, 0);
  EXPECT_EQ(editor.selected, -1);
}

}  // namespace
}  // namespace tarifuhr
