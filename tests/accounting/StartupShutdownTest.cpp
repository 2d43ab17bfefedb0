// SPDX-License-Identifier: MIT
#include <filesystem>

#include "platform/Files.h"
#include "tests/accounting/CoreFixture.h"
#include "tests/support/Bytes.h"

namespace tarifuhr::testing {
namespace {

TEST_F(CoreTest, FirstStartOnACleanSystem) {
  core.Startup();
  EXPECT_TRUE(core.Settings().firstStart);
  EXPECT_EQ(core.CurrentUser(), "");
  EXPECT_TRUE(core.Tariffs().empty());
  // The window places itself by the settings and builds its dial menu
  // from the tariff list it is handed.
  EXPECT_EQ(core.Settings().left, 0);
  EXPECT_EQ(core.Settings().top, 0);
  EXPECT_GE(display.tariffListsShown, 1);
  EXPECT_EQ(registry.ReadInteger(kTarifuhrKey, "first"), 1);
  EXPECT_EQ(registry.ReadInteger(kTarifuhrKey, "left"), 0);
  EXPECT_EQ(registry.ReadInteger(kTarifuhrKey, "top"), 0);
  EXPECT_FALSE(registry.ValueExists(kTarifuhrKey, "path")) << "not yet in the first start";
  EXPECT_TRUE(std::filesystem::exists(log.Path()));

  core.Tick();
  core.Tick();
  EXPECT_EQ(display.firstStartShown, 1);
}

TEST_F(CoreTest, SecondStartLoadsTheUserAndWritesThePath) {
  const CreateUserResult user = files.CreateUser("Erika");
  std::vector<TariffRecord> tariffs = {Tariff("T", "Net")};
  files.SaveUserData(user.section, tariffs, {});
  registry.WriteInteger(kTarifuhrKey, "first", 1);
  registry.WriteInteger(kTarifuhrKey, "left", 300);
  registry.WriteInteger(kTarifuhrKey, "top", 40);
  registry.WriteString(kTarifuhrKey, "currentuser", user.section);
  ConnectionRecord old;
  old.entry = "Alt";
  log.Append(old);

  core.Startup();
  EXPECT_FALSE(core.Settings().firstStart);
  EXPECT_EQ(core.CurrentUser(), "Erika (Erika.tfd)");
  ASSERT_EQ(core.Tariffs().size(), 1u);
  EXPECT_EQ(display.historyLineCount, 1);
  EXPECT_EQ(core.Settings().left, 300);
  EXPECT_EQ(core.Settings().top, 40);
  EXPECT_EQ(registry.ReadString(kTarifuhrKey, "path"), dir.Path());
  core.Tick();
  EXPECT_EQ(display.firstStartShown, 0);
}

TEST_F(CoreTest, AVanishedCurrentUserStartsWithNoTariffs) {
  // Stale tariffs in the core first: the registry then names another user.
  UseTariffs({Tariff("stale", "x")});
  registry.WriteInteger(kTarifuhrKey, "first", 1);
  registry.WriteInteger(kTarifuhrKey, "left", 1);
  registry.WriteInteger(kTarifuhrKey, "top", 1);
  registry.WriteString(kTarifuhrKey, "currentuser", "Weg (Weg.tfd)");
  core.Startup();
  EXPECT_TRUE(core.Tariffs().empty());
  EXPECT_EQ(core.ActiveTariff(), -1);
  // Counting for nobody is said, once.
  ASSERT_EQ(display.errors.size(), 1u);
  EXPECT_NE(display.errors[0].find("„Weg (Weg.tfd)“ steht nicht in der Benutzerliste"), std::string::npos);
}

TEST_F(CoreTest, ARegistryThatCannotBeWrittenStillStarts) {
  WriteFileBytes(dir.File("config"), "a file where the folder should be");
  const CreateUserResult user = files.CreateUser("Erika");
  core.Startup();
  EXPECT_EQ(core.Settings().left, 0);
  EXPECT_EQ(core.Settings().top, 0);
  EXPECT_EQ(core.CurrentUser(), "");
  EXPECT_FALSE(core.Settings().writable);
  EXPECT_GE(display.tariffListsShown, 1) << "start-up went on to the end";
}

TEST_F(CoreTest, SettingsOfTheWrongTypeAreSaidAndCountAsMissing) {
  const CreateUserResult user = files.CreateUser("Erika");
  registry.WriteInteger(kTarifuhrKey, "first", 1);
  registry.WriteInteger(kTarifuhrKey, "currentuser", 1);  // a number, not the user
  registry.WriteInteger(kTarifuhrKey, "left", 300);
  registry.WriteString(kTarifuhrKey, "top", "40");
  core.Startup();
  EXPECT_EQ(core.CurrentUser(), "");
  EXPECT_EQ(core.Settings().left, 300) << "the valid value keeps its place";
  EXPECT_EQ(core.Settings().top, 0);
  const std::string reg = registry.FilePath();
  EXPECT_EQ(display.errors, (std::vector<std::string>{
                                "Der Wert „currentuser“ in „" + reg +
                                    "“ hat den falschen Typ: erwartet wird eine Zeichenfolge. Er gilt als "
                                    "nicht gesetzt.",
                                "Der Wert „top“ in „" + reg +
                                    "“ hat den falschen Typ: erwartet wird eine Zahl (dword). Er gilt als "
                                    "nicht gesetzt."}));
  EXPECT_EQ(registry.ReadString(kTarifuhrKey, "top"), "40") << "nothing written over it";

  // A user whose file key names no file: said, and nothing written for it.
  WriteFileBytes(files.UserListPath(), "[Erika (Erika.tfd)]\r\nfile=..\r\n");
  registry.WriteString(kTarifuhrKey, "currentuser", user.section);
  display.errors.clear();
  core.Startup();
  ASSERT_EQ(display.errors.size(), 2u);  // and "top" again
  EXPECT_EQ(
      display.errors[1],
      "Der Benutzer „Erika (Erika.tfd)“ hat in der Benutzerliste keinen brauchbaren Dateinamen (file=..) "
      "und wird nicht geladen. Bis ein Benutzer gewählt ist, werden Verbindungen protokolliert, aber keinem "
      "Tarif berechnet.");
}

TEST_F(CoreTest, ExitWhileOnlineLogsOnceAndSaves) {
  const CreateUserResult user = files.CreateUser("Erika");
  files.SaveUserData(user.section, {Tariff("T", "Net", 2, 5)}, {});
  core.SwitchUser(user.section);
  AddEntry("Net", 100, 0);
  DialOutside("Net");
  TickSeconds(5);
  core.CloseDown();
  core.CloseDown();  // both close handlers run it
  const auto logged = Logged();
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].seconds, 5);
  EXPECT_EQ(logged[0].cost, 7);
  EXPECT_EQ(network->Snapshot().Connections.size(), 1u) << "the program does not hang up";

  std::vector<TariffRecord> saved;
  TotalsRecord totals;
  ASSERT_EQ(files.LoadUserData(user.section, saved, totals), kLoadOk);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].PeriodSeconds, 5);
  EXPECT_EQ(saved[0].PeriodBytes, logged[0].received + logged[0].sent);
  EXPECT_EQ(saved[0].ConnectionBytes, 0);
  EXPECT_EQ(totals.OnlineSeconds, 5);
}

TEST_F(CoreTest, AnExitWhoseSaveFailsKeepsCountingTheSameConnection) {
  const CreateUserResult user = files.CreateUser("Erika");
  files.SaveUserData(user.section, {Tariff("T", "Net", 2, 5)}, {});
  core.SwitchUser(user.section);
  AddEntry("Net");
  DialOutside("Net");
  TickSeconds(5);
  const std::string file = dir.File("Erika.tfd");
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);  // the save must fail
  EXPECT_THROW(core.CloseDown(), FileError);
  TickSeconds(5);  // the program keeps running
  std::filesystem::remove(file);
  core.CloseDown();

  const auto logged = Logged();
  ASSERT_EQ(logged.size(), 1u) << "one connection, logged once";
  EXPECT_EQ(logged[0].seconds, 10);
  EXPECT_EQ(logged[0].cost, 7) << "the fee and the first minute, once";
  std::vector<TariffRecord> saved;
  TotalsRecord totals;
  ASSERT_EQ(files.LoadUserData(user.section, saved, totals), kLoadOk);
  EXPECT_EQ(saved[0].PeriodCosts, 7);
  EXPECT_EQ(saved[0].PeriodSeconds, 10);
}

TEST_F(CoreTest, CountsReachTheFileWhileAConnectionRuns) {
  const CreateUserResult user = files.CreateUser("Erika");
  files.SaveUserData(user.section, {Tariff("T", "Net")}, {});
  core.SwitchUser(user.section);
  // The tariff only in the core, as before any save.
  files.SaveUserData(user.section, {}, {});
  AddEntry("Net");
  const auto saved = [&] {
    std::vector<TariffRecord> t;
    TotalsRecord totals;
    files.LoadUserData(user.section, t, totals);
    return t.empty() ? -1.0 : t[0].PeriodSeconds;
  };
  DialOutside("Net");
  TickSeconds(299);
  EXPECT_EQ(saved(), -1) << "not yet";
  TickSeconds(2);
  EXPECT_EQ(saved(), 301) << "five minutes after the connection began";

  const std::string file = dir.File("Erika.tfd");
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);  // saves fail now
  TickSeconds(600);
  EXPECT_EQ(display.errors.size(), 1u) << "said once";
  std::filesystem::remove(file);
  TickSeconds(60);
  EXPECT_GT(saved(), 900) << "tried again within a minute";
  network->HangUpEntry("Net");
  TickNextSecond();
  EXPECT_EQ(saved(), 961) << "and when the connection ends";
}

TEST_F(CoreTest, ALogThatCannotBeWrittenKeepsTheConnectionOpenAndSaysSoOnce) {
  AddEntry("Net");
  UseTariffs({Tariff("T", "Net")});
  DialOutside("Net");
  TickSeconds(3);
  std::filesystem::remove(log.Path());
  std::filesystem::create_directory(log.Path());  // appending must fail
  network->HangUpEntry("Net");
  TickSeconds(3);
  EXPECT_EQ(display.errors.size(), 1u);
  EXPECT_TRUE(core.OpenRecord().IsOpen());
  std::filesystem::remove(log.Path());
  TickNextSecond();
  EXPECT_FALSE(core.OpenRecord().IsOpen());
  ASSERT_EQ(Logged().size(), 1u);
  EXPECT_EQ(Logged()[0].seconds, 3);
}

TEST_F(CoreTest, SwitchingUsersSavesTheOldOneFirst) {
  const std::string hans = files.CreateUser("Hans").section, joerg = files.CreateUser("Jörg").section;
  std::vector<TariffRecord> hansTariffs = {Tariff("Hans-Tarif", "A")};
  hansTariffs[0].PeriodSeconds = 321;
  TotalsRecord hansTotals;
  hansTotals.OnlineSeconds = 42;
  files.SaveUserData(hans, hansTariffs, hansTotals);
  core.SwitchUser(hans);
  EXPECT_EQ(registry.ReadString(kTarifuhrKey, "currentuser"), hans);
  // Hans's figures only in the core now: the switch must save them.
  files.SaveUserData(hans, {}, {});

  core.SwitchUser(joerg);
  std::vector<TariffRecord> onDisk;
  TotalsRecord totals;
  files.LoadUserData(hans, onDisk, totals);
  ASSERT_EQ(onDisk.size(), 1u);
  EXPECT_EQ(onDisk[0].PeriodSeconds, 321);
  EXPECT_EQ(totals.OnlineSeconds, 42);
  EXPECT_TRUE(core.Tariffs().empty());
  EXPECT_EQ(registry.ReadString(kTarifuhrKey, "currentuser"), joerg);

  // A save that fails switches nothing; choosing the current user does nothing.
  TariffValues joergTariff;
  joergTariff.Name = "Jörg-Tarif";
  joergTariff.EntryName = "B";
  core.StoreTariff(-1, joergTariff);
  std::filesystem::remove(dir.File("Jörg.tfd"));
  std::filesystem::create_directory(dir.File("Jörg.tfd"));
  EXPECT_THROW(core.SwitchUser(hans), FileError);
  EXPECT_EQ(core.CurrentUser(), joerg);
  ASSERT_EQ(core.Tariffs().size(), 1u);
  core.SwitchUser(joerg);
  EXPECT_EQ(core.Tariffs()[0].Name, "Jörg-Tarif");
}

TEST_F(CoreTest, RemovingTheCurrentUserSavesFirstAndCountsForNobody) {
  const std::string hans = files.CreateUser("Hans").section;
  files.SaveUserData(hans, {Tariff("T", "Net")}, {});
  core.SwitchUser(hans);
  AddEntry("Net");
  DialOutside("Net");
  TickSeconds(2);
  EXPECT_TRUE(core.RemoveUser(hans).empty());
  std::vector<TariffRecord> onDisk;
  TotalsRecord totals;
  // The file stays; the list forgets it.
  ASSERT_EQ(DecodeUserData(ReadFileBytes(dir.File("Hans.tfd")), onDisk, totals), kLoadOk);
  ASSERT_EQ(onDisk.size(), 1u);
  EXPECT_EQ(onDisk[0].PeriodSeconds, 2);
  EXPECT_TRUE(files.ListUsers().empty());
  EXPECT_TRUE(core.CurrentUser().empty());
  EXPECT_TRUE(core.Tariffs().empty());
  EXPECT_EQ(registry.ReadString(kTarifuhrKey, "currentuser"), "");
  TickNextSecond();
  EXPECT_EQ(core.ActiveTariff(), -1) << "the connection goes on without a tariff";
}

TEST_F(CoreTest, ATariffStoredOrRemovedIsShownAndSavedAtOnce) {
  const CreateUserResult user = files.CreateUser("Erika");
  core.SwitchUser(user.section);
  AddEntry("Net");
  DialOutside("Net");
  const auto saved = [&] {
    std::vector<TariffRecord> tariffs;
    TotalsRecord totals;
    files.LoadUserData(user.section, tariffs, totals);
    return tariffs;
  };
  const int listsShown = display.tariffListsShown;
  TariffValues v;
  v.Name = "Abend";
  v.EntryName = "Net";
  v.StartDate = EncodeDate(2026, 12, 1);
  EXPECT_EQ(core.StoreTariff(-1, v), 0);
  // Without waiting for the tick: the dial items, the overview, the caption
  // of the connected entry's tariff, the file.
  EXPECT_EQ(display.tariffListsShown, listsShown + 1);
  ASSERT_EQ(display.rows.size(), 1u);
  EXPECT_EQ(display.rows[0].substr(0, 6), "Abend\t");
  EXPECT_EQ(core.ActiveTariff(), 0);
  EXPECT_EQ(display.tariffCaption, "Abend:");
  ASSERT_EQ(saved().size(), 1u);

  // A save that fails keeps the stored tariff for the next save.
  std::filesystem::remove(dir.File("Erika.tfd"));
  std::filesystem::create_directory(dir.File("Erika.tfd"));
  v.Name = "Neu";
  EXPECT_THROW(core.StoreTariff(0, v), FileError);
  EXPECT_EQ(core.Tariffs().at(0).Name, "Neu");
  EXPECT_EQ(display.rows[0].substr(0, 4), "Neu\t");
  std::filesystem::remove(dir.File("Erika.tfd"));
  core.SaveUser();
  EXPECT_EQ(saved().at(0).Name, "Neu");

  core.RemoveTariffAt(0);
  EXPECT_TRUE(display.rows.empty());
  EXPECT_EQ(core.ActiveTariff(), -1);
  EXPECT_EQ(display.tariffListsShown, listsShown + 3);
  EXPECT_TRUE(saved().empty());
}

}  // namespace
}  // namespace tarifuhr::testing
