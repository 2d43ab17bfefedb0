// SPDX-License-Identifier: MIT
#pragma once
// A main window over the simulated dial-up network in a temporary program
// directory, with a hand-moved clock and a shell that records what it opens.

#include <cmath>
#include <memory>
#include <vector>

#include "platform/Registry.h"
#include "platform/ras/RasBinder.h"
#include "platform/sim/SimBackend.h"
#include "tests/support/TempDir.h"
#include "ui/MainWindow.h"

namespace tarifuhr::testing {

class RecordingShell : public Shell {
 public:
  bool Open(const std::string& target) override {
    opened.push_back(target);
    return true;
  }
  // The real mail program's hand-over: the tests put a stub xdg-email first on PATH.
  std::unique_ptr<HandOver> ComposeMail(const std::string& to, const std::string& subject,
                                        const std::string& body) override {
    return XdgOpenShell().ComposeMail(to, subject, body);
  }
  std::vector<std::string> opened;
};

struct UiWorld {
  explicit UiWorld(bool trayAvailable = true)
      : network(std::make_shared<SimNetwork>(dir.Path(), SimNetwork::FromClock(clock))),
        backend(network),
        binder(libraries),
        registry(RegistryStore::ForConfigHome(dir.File("config"))) {
    backend.Register(libraries);
    DialUpServices dialUp;
    dialUp.binder = &binder;
    dialUp.family = StatisticsFamily::Device;
    dialUp.counters = &backend;
    mainWindow =
        std::make_unique<MainWindow>(ProgramServices{clock, backend, dialUp, registry, shell, dir.Path(),
                                                     dir.File("tarifuhr"), RegionalSettings::German()},
                                     nullptr, [trayAvailable] { return trayAvailable; });
  }
  void AddEntry(const std::string& name) {
    SimEntry e;
    e.Name = name;
    network->AddEntry(e);
  }
  // A connection made outside the program.
  void DialOutside(const std::string& entry) {
    uint32_t outcome = 0;
    double delay = 0;
    const uint32_t h = network->StartDial(entry, "", "", outcome, delay);
    network->FinishDial(h, outcome, delay);
  }
  // Makes `section` (a user "Test" when empty) current, its file holding
  // `tariffs` and `totals`, as a user's own tariffs would come.
  void UseTariffs(const std::vector<TariffRecord>& tariffs, const TotalsRecord& totals = {},
                  std::string section = {}) {
    if (section.empty()) {
      if (testUser.empty()) testUser = mainWindow->Files().CreateUser("Test").section;
      section = testUser;
    }
    mainWindow->Core().SwitchUser("");  // the figures so far saved first
    mainWindow->Files().SaveUserData(section, tariffs, totals);
    mainWindow->Core().SwitchUser(section);
  }

  TempDir dir;
  ManualClock clock{EncodeDate(2026, 12, 7) + EncodeTime(12, 0, 0, 10)};
  std::shared_ptr<SimNetwork> network;
  SimDialUpBackend backend;
  RasLibraries libraries;
  RasBinder binder;
  RegistryStore registry;
  RecordingShell shell;
  std::unique_ptr<MainWindow> mainWindow;
  std::string testUser;
};

}  // namespace tarifuhr::testing
