// SPDX-License-Identifier: MIT
// The dial-up component over an in-memory RAS library.

#include "connection/DialUp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "platform/MessagePump.h"
#include "tests/connection/FakeRas.h"

namespace tarifuhr {
namespace {

using test::FakeRas;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StrEq;
using ::testing::ThrowsMessage;

struct DialUpFixture : ::testing::Test {
  FakeRas fake;
  RasLibraries libraries;
  RasBinder binder{libraries};
  DialUp d{DialUpServices{&binder}};
  std::vector<std::string> events;
  void SetUp() override { libraries.Register(kRasLibrary, fake.Library()); }
  void RecordDialEvents() {
    auto coded = [this](const char* what) {
      return [this, what](DialUp&, uint32_t c, const std::string& t) {
        events.push_back(what + std::to_string(c) + " " + t);
      };
    };
    d.OnDialing = [this](DialUp&) { events.push_back("dialing"); };
    d.OnConnect = [this](DialUp&) { events.push_back("connect"); };
    d.OnNotConnected = coded("not ");
    d.OnError = coded("error ");
  }
};

// ---- binding

TEST(RasBinding, MissingLibrariesAndFunctionsRaiseTheirTexts) {
  RasLibraries libs;
  RasBinder binder(libs);
  DialUp none(DialUpServices{&binder});
  auto entries = [&] { none.GetEntries(); };
  EXPECT_THAT(entries, ThrowsMessage<RasBindError>(StrEq("Error opening rasapi.dll")));
  // rasapi32.dll without the function and no rnaph.dll.
  libs.Register(kRasLibrary, RasLibrary{{"RasHangUpA", RasHangUpProc{[](uint32_t) { return 0u; }}}});
  EXPECT_THAT(entries, ThrowsMessage<RasBindError>(StrEq("Error opening rnaph.dll")));
  // rnaph.dll lacks the plain name too.
  libs.Register(kRasFallbackLibrary, RasLibrary{});
  EXPECT_THAT(entries, ThrowsMessage<RasBindError>(StrEq("Function RasEnumEntries not found!")));
  EXPECT_FALSE(binder.Loaded());
}

TEST(RasBinding, FallsBackToRnaphAndStaysThere) {
  FakeRas ansi, plain;
  ansi.entries = {"from rasapi"};
  plain.entries = {"from rnaph"};
  RasLibraries libs;
  // rasapi32.dll offers everything but the entry enumeration.
  RasLibrary partial = ansi.Library();
  partial.erase("RasEnumEntriesA");
  libs.Register(kRasLibrary, partial);
  libs.Register(kRasFallbackLibrary, plain.Library(""));  // plain names only
  RasBinder binder(libs);
  DialUp d(DialUpServices{&binder});
  EXPECT_EQ(d.GetEntries(), 0u);
  EXPECT_THAT(d.Entries(), ElementsAre("from rnaph"));
  EXPECT_TRUE(binder.FallbackInUse());
  // Later lookups go to rnaph.dll by the plain name, even for functions
  // rasapi32.dll has.
  d.GetActiveConnections();
  EXPECT_THAT(plain.calls, ElementsAre("RasEnumEntries", "RasEnumConnections"));
  EXPECT_THAT(ansi.calls, IsEmpty());

  RasLibrary without = plain.Library("");
  without.erase("RasHangUp");
  libs.Register(kRasFallbackLibrary, without);
  RasBinder second(libs);
  DialUp d2(DialUpServices{&second});
  d2.GetEntries();
  EXPECT_THAT([&] { d2.HangUp(); }, ThrowsMessage<RasBindError>(StrEq("Function RasHangUp not found!")));
}

TEST(RasBinding, PlainNameInRasapiAndWrongKindOfFunction) {
  FakeRas plain;
  RasLibraries libs;
  RasLibrary lib = plain.Library("");
  lib["RasHangUpA"] = RasEnumEntriesProc{};  // the right name, the wrong kind
  libs.Register(kRasLibrary, lib);
  RasBinder binder(libs);
  DialUp d(DialUpServices{&binder});
  EXPECT_EQ(d.GetEntries(), 0u);
  EXPECT_FALSE(binder.FallbackInUse());
  EXPECT_THROW(d.HangUp(), RasBindError);
}

// ---- entries and connections

TEST_F(DialUpFixture, EntriesInOrderWithOneEventEach) {
  fake.entries = {"T-Online", "Arcor Call by Call",
                  "M\xFC"
                  "nchen"};  // Windows-1252 name
  std::vector<std::string> seen;
  d.OnEntryGet = [&](DialUp& sender, const std::string& name) {
    EXPECT_EQ(&sender, &d);
    seen.push_back(name);
  };
  EXPECT_EQ(d.GetEntries(), 0u);
  EXPECT_THAT(d.Entries(), ElementsAre("T-Online", "Arcor Call by Call", "München"));
  EXPECT_EQ(seen, d.Entries());
  fake.entries.clear();
  EXPECT_EQ(d.GetEntries(), 0u);
  EXPECT_THAT(d.Entries(), IsEmpty());
  EXPECT_EQ(seen.size(), 3u);
}

TEST_F(DialUpFixture, MoreThanHundredEntriesOrConnectionsIsBufferTooSmall) {
  for (int i = 0; i < 101; ++i) {
    fake.entries.push_back("E" + std::to_string(i));
    fake.connections.push_back({uint32_t(i + 1), "E" + std::to_string(i), "modem", "COM1"});
  }
  int events = 0;
  d.OnEntryGet = [&](DialUp&, const std::string&) { ++events; };
  d.OnActiveConnection = [&](auto&&...) { ++events; };
  EXPECT_EQ(d.GetEntries(), ras::kErrorBufferTooSmall);
  EXPECT_THAT(d.Entries(), IsEmpty());
  EXPECT_EQ(d.GetActiveConnections(), ras::kErrorBufferTooSmall);
  EXPECT_EQ(events, 0);

  fake.entries.resize(100);
  fake.connections.resize(100);
  EXPECT_EQ(d.GetEntries(), 0u);
  EXPECT_EQ(d.GetActiveConnections(), 0u);
  EXPECT_EQ(events, 200);
}

TEST_F(DialUpFixture, ActiveConnectionsReportHandleStatusAndNames) {
  fake.connections = {{11, "Arcor", "modem", "Standard 56K"}, {12, "ISDN-Flat", "isdn", "AVM ISDN"}};
  fake.connections[0].state = ras::kConnectDevice;
  d.SetLanguage(StatusLanguage::Portuguese);
  std::vector<std::string> seen;
  d.OnActiveConnection = [&](DialUp&, uint32_t h, const TRasConnStatus& st, const std::string& text,
                             const std::string& entry, const std::string& type, const std::string& dev) {
    EXPECT_EQ(GetU32(st.bytes.data()), 160u);
    seen.push_back(std::to_string(h) + "|" + std::to_string(st.State()) + "|" + text + "|" + entry + "|" +
                   type + "|" + dev);
  };
  EXPECT_EQ(d.GetActiveConnections(), 0u);
  EXPECT_THAT(seen, ElementsAre("11|2|Conectando componente|Arcor|modem|Standard 56K",
                                "12|8192|Conectado|ISDN-Flat|isdn|AVM ISDN"));
  fake.enumResult = 5;
  EXPECT_EQ(d.GetActiveConnections(), 5u);
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(DialUpFixture, StatusTextsPerLanguageUnknownStatesAndErrors) {
  EXPECT_EQ(d.Language(), StatusLanguage::English);
  const struct {
    StatusLanguage language;
    uint32_t state;
    const char* text;
  } cases[] = {{StatusLanguage::English, 0x2000, "Connected"},
               {StatusLanguage::English, 5, "Start authenticating"},
               {StatusLanguage::Czech, 0x2000, "Spojeno"},
               {StatusLanguage::Czech, 16, "Čeká se na reset modemu"},
               {StatusLanguage::Portuguese, 0x1003, "Senha inválida"},
               {StatusLanguage::Portuguese, 5, "Iniciando autenticaçao"},
               {StatusLanguage(7), 0x2001, "Disconnected"}};  // any other value reads English
  for (const auto& c : cases) {
    d.SetLanguage(c.language);
    EXPECT_EQ(d.StatusText(c.state, 0), c.text);
  }
  for (StatusLanguage l : {StatusLanguage::English, StatusLanguage::Czech, StatusLanguage::Portuguese}) {
    d.SetLanguage(l);
    for (uint32_t unknown : {99u, 22u, 0x2002u}) EXPECT_EQ(d.StatusText(unknown, 0), "");
    // An error code gives the platform's text, whatever the language.
    EXPECT_EQ(d.StatusText(0x2000, 678), "The remote computer did not respond.");
  }
  EXPECT_EQ(fake.calls.back(), "RasGetErrorString 100");
  EXPECT_EQ(d.StatusText(0, 12345), "");  // no text for the code
}

// German has texts of its own for the error codes a dial ends with; a code
// it has none for still gets the platform's text.
TEST_F(DialUpFixture, GermanStatusAndErrorTexts) {
  d.SetLanguage(StatusLanguage::German);
  EXPECT_EQ(d.StatusText(ras::kOpenPort, 0), "Port wird geöffnet …");
  EXPECT_EQ(d.StatusText(ras::kAuthenticate, 0), "Anmeldung …");
  EXPECT_EQ(d.StatusText(ras::kConnected, 0), "Verbunden");
  for (uint32_t unknown : {99u, 22u, 0x2002u}) EXPECT_EQ(d.StatusText(unknown, 0), "");
  fake.calls.clear();
  EXPECT_EQ(d.StatusText(ras::kConnectDevice, ras::kErrorLineBusy), "Die Leitung ist besetzt.");
  EXPECT_EQ(d.StatusText(0, ras::kErrorNoAnswer), "Die Gegenstelle antwortet nicht.");
  EXPECT_EQ(d.StatusText(ras::kAuthenticate, ras::kErrorAuthenticationFailure),
            "Der Zugang wurde verweigert: Benutzername oder Passwort ist falsch.");
  EXPECT_TRUE(fake.calls.empty());
  EXPECT_EQ(ConnectionErrorText(StatusLanguage::German, 12345), "");
  EXPECT_EQ(ConnectionErrorText(StatusLanguage::English, ras::kErrorLineBusy), "");
}

// ---- dialling and hanging up

TEST_F(DialUpFixture, HangUpBeforeAnyDialReturnsThePlatformCodeAtOnce) {
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(d.HangUp(), ras::kErrorInvalidHandle);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1));
  EXPECT_THAT(fake.calls, ElementsAre("RasHangUp 0"));
}

TEST_F(DialUpFixture, HangUpConnectionWaitsForTheHandleButNotForEver) {
  int pumped = 0;
  SetMessagePump([&] { ++pumped; });
  fake.connections = {{21, "Arcor", "modem", "COM1"}};
  fake.statusCallsUntilGone = 3;
  EXPECT_EQ(d.HangUpConnection(21), 0u);
  EXPECT_EQ(pumped, 3);
  EXPECT_EQ(std::count(fake.calls.begin(), fake.calls.end(), "RasGetConnectStatus 21"), 4);

  // A handle that never goes away: the wait ends, and the connection still
  // there is no success.
  fake.statusCallsUntilGone = -1;
  fake.connections = {{22, "Arcor", "modem", "COM1"}};
  d.SetHangUpTimeout(std::chrono::milliseconds(50));
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(d.HangUpConnection(22), ras::kErrorRequestTimeout);
  const auto waited = std::chrono::steady_clock::now() - t0;
  EXPECT_GE(waited, std::chrono::milliseconds(50));
  EXPECT_LT(waited, std::chrono::seconds(2));
  SetMessagePump({});
}

TEST_F(DialUpFixture, SyncDialReportsSuccessAndFailure) {
  fake.saved["Arcor"] = {"arcor", "internet"};
  fake.dialHandleOut = 31;
  d.SetDialMode(DialMode::Sync);
  d.SetEntry("Arcor");
  RecordDialEvents();
  EXPECT_EQ(d.Dial(), 0u);
  EXPECT_EQ(d.DialHandle(), 31u);
  EXPECT_THAT(fake.dialledUsers, ElementsAre("arcor/internet"));
  EXPECT_THAT(events, ElementsAre("dialing", "connect"));
  // Dial hangs up the previous dial first (handle 0 before the first).
  EXPECT_EQ(fake.calls[0], "RasHangUp 0");
  EXPECT_EQ(fake.calls[2], "RasDial Arcor sync kind=0");

  events.clear();
  fake.dialResult = ras::kErrorLineBusy;
  fake.dialHandleOut = 32;
  EXPECT_EQ(d.Dial(), ras::kErrorLineBusy);
  EXPECT_THAT(events, ElementsAre("dialing", "not 676 The phone line is busy."));
  EXPECT_EQ(std::count(fake.calls.begin(), fake.calls.end(), "RasHangUp 32"), 1);

  events.clear();
  d.SetEntry("Unbekannt");
  EXPECT_EQ(d.Dial(), ras::kErrorCannotFindPhonebookEntry);
  EXPECT_THAT(events, ElementsAre("error 623 GetEntryDialParams failed"));
}

TEST_F(DialUpFixture, AsyncDialThatFailsAtOnceReportsOnError) {
  fake.saved["Arcor"] = {"", ""};
  fake.dialResult = ras::kErrorPortNotAvailable;
  EXPECT_EQ(d.Mode(), DialMode::Async);
  d.SetEntry("Arcor");
  RecordDialEvents();
  EXPECT_EQ(d.Dial(), ras::kErrorPortNotAvailable);
  EXPECT_THAT(events,
              ElementsAre("dialing", "error 633 The modem is already in use or is not configured properly."));
}

// Notifications come from the platform's thread and reach OnAsyncEvent on
// the user-interface thread one at a time and in order. Also run under
// ThreadSanitizer.
TEST_F(DialUpFixture, AsyncDialNotificationsArriveInOrderOnTheUiThread) {
  constexpr uint32_t kCount = 300;
  auto errorOf = [](uint32_t i) { return i % 7 == 3 ? ras::kErrorNoAnswer : 0u; };
  fake.saved["Arcor"] = {"", ""};
  fake.dialHandleOut = 41;
  fake.asyncDial = [&](RasDialNotifier notify) {
    for (uint32_t i = 0; i < kCount; ++i) notify(ras::kDialEventMessage, i, errorOf(i));
  };
  d.SetEntry("Arcor");
  std::atomic<int> wakeUps{0};
  d.SetTimerHook([&] { wakeUps.fetch_add(1, std::memory_order_relaxed); });
  const auto uiThread = std::this_thread::get_id();
  std::vector<std::pair<uint32_t, uint32_t>> got;
  std::vector<std::string> texts;
  d.OnAsyncEvent = [&](DialUp&, uint32_t state, uint32_t error, const std::string& text) {
    EXPECT_EQ(std::this_thread::get_id(), uiThread);
    got.emplace_back(state, error);
    texts.push_back(text);
  };
  EXPECT_EQ(d.Dial(), 0u);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (got.size() < kCount && std::chrono::steady_clock::now() < deadline) {
    if (d.TimerEnabled())
      d.TimerHandler();
    else
      std::this_thread::yield();
  }
  ASSERT_EQ(got.size(), kCount);
  for (uint32_t i = 0; i < kCount; ++i) EXPECT_EQ(got[i], std::make_pair(i, errorOf(i)));
  EXPECT_EQ(texts[0], "Opening port");
  EXPECT_EQ(texts[3], "The remote computer did not respond.");
  EXPECT_EQ(texts[0x15], "Logging on network");
  EXPECT_EQ(wakeUps.load(), int(kCount));
}

// ---- credentials and addresses

TEST_F(DialUpFixture, UserNameAndPasswordGoIntoTheSavedDialParams) {
  fake.saved["Arcor"] = {"alt", "geheim"};
  d.SetEntry("Arcor");
  EXPECT_EQ(d.SetUserName("neu"), 0u);
  EXPECT_EQ(d.SetPassword("anders"), 0u);
  EXPECT_EQ(fake.saved["Arcor"], std::make_pair(std::string("neu"), std::string("anders")));
  d.SetEntry("fehlt");
  EXPECT_EQ(d.SetPassword("x"), ras::kErrorCannotFindPhonebookEntry);
  EXPECT_EQ(fake.saved.count("fehlt"), 0u);

  // The entry keeps 256 characters, cut between characters.
  std::string umlauts;
  for (int i = 0; i < 300; ++i) umlauts += "ä";
  d.SetEntry(umlauts);
  EXPECT_EQ(d.Entry(), umlauts.substr(0, 512));
}

TEST_F(DialUpFixture, AddressesOfAHandle) {
  EXPECT_EQ(d.GetAddresses(5), 0u);
  EXPECT_EQ(d.ClientIP(), "192.168.7.2");
  EXPECT_EQ(d.ServerIP(), "192.168.7.1");
  EXPECT_EQ(fake.calls.back(), "RasGetProjectionInfo 5 32801 40");
  // Handle 0 only empties them.
  EXPECT_EQ(d.GetAddresses(0), 0u);
  EXPECT_EQ(d.ClientIP() + d.ServerIP(), "");
  EXPECT_EQ(fake.calls.size(), 1u);
}

}  // namespace
}  // namespace tarifuhr
