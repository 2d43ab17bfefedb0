// SPDX-License-Identifier: MIT
// Tarifuhr: picks the system's services, creates the windows in their fixed
// order and runs the event loop.

#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "CommandLine.h"
#include "platform/DisplayPlatform.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/InstanceLock.h"
#include "platform/MessagePump.h"
#include "platform/ProgramIdentity.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/nm/NmBackend.h"
#include "platform/sim/SamplePhoneBook.h"
#include "platform/sim/SimBackend.h"
#include "ui/Dialogs.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxes.h"

using namespace tarifuhr;

namespace {

const QString kTitle = QStringLiteral("Tarifuhr");

void Tell(QMessageBox::Icon icon, const QString& text) { ShowMessageBox(nullptr, icon, kTitle, text); }

// The dial-up network the program watches, and what it is called.
struct Network {
  std::shared_ptr<void> backend;  // kept alive while the program runs
  InternetStateQuery* state = nullptr;
  InterfaceCounters* counters = nullptr;
  std::string name;
};

// TARIFUHR_BACKEND=nm or sim; without it NetworkManager when it answers on
// the system bus, else the simulator, which runs on any machine.
Network ChooseNetwork(const EnvLookup& env, const std::string& programDir,
                      const std::function<void(const std::string&)>& tell) {
  const std::string wanted = env("TARIFUHR_BACKEND").value_or("");
  if (!wanted.empty() && wanted != "nm" && wanted != "sim")
    std::fprintf(stderr, "tarifuhr: unbekanntes Wählnetz \"%s\" (nm oder sim), es wird gesucht\n",
                 wanted.c_str());
  if (wanted != "sim") {
    std::string why;
    // Asked for by name, NetworkManager may come later; otherwise only one
    // that answers now is taken.
    if (auto nm = NmDialUpBackend::Connect(why, wanted != "nm")) {
      nm->Register(SystemRasLibraries());
      return {nm, nm.get(), nm.get(), "NetworkManager"};
    }
    if (wanted == "nm")
      tell("NetworkManager ist nicht erreichbar (" + why + "). Tarifuhr beobachtet das simulierte Wählnetz.");
  }
  try {
    EnsureSamplePhoneBook(SimNetwork(programDir));
  } catch (const std::exception& e) {
    tell(std::string("Die Beispiel-Einträge des simulierten Wählnetzes fehlen: ") + e.what());
  }
  std::shared_ptr<SimDialUpBackend> sim = InstallSimulatedDialUp(programDir);
  return {sim, sim.get(), sim.get(), "simuliertes Wählnetz"};
}

int Run() {
  const EnvLookup env = ProcessEnvironment();
  const std::string executable = ExecutablePath();
  const std::string programDir = ProgramDirectory(env, executable);
  if (!MakeDirectories(programDir)) {
    Tell(QMessageBox::Critical, QStringLiteral("Das Programmverzeichnis „%1“ kann nicht angelegt werden.")
                                    .arg(QString::fromStdString(programDir)));
    return 1;
  }
  const InstanceLock lock(programDir);
  if (!lock.Acquired()) {
    if (lock.Error() != 0)
      Tell(QMessageBox::Critical,
           QStringLiteral("In das Programmverzeichnis „%1“ kann nicht geschrieben werden: %2.")
               .arg(QString::fromStdString(programDir), QString::fromStdString(ErrnoText(lock.Error()))));
    else
      Tell(QMessageBox::Information, QStringLiteral("Tarifuhr läuft bereits (Programmverzeichnis „%1“).")
                                         .arg(QString::fromStdString(programDir)));
    return 1;
  }

  // What goes wrong before the main window is there is told once it is.
  std::vector<std::string> early;
  MainWindow* window = nullptr;
  const auto tell = [&early, &window](const std::string& text) {
    if (window)
      window->ShowError(text);
    else
      early.push_back(text);
  };

  const Network network = ChooseNetwork(env, programDir, tell);
  std::fprintf(stderr, "tarifuhr: Wählnetz: %s\n", network.name.c_str());

  RegistryStore registry = RegistryStore::ForConfigHome(ConfigHome(env));
  registry.OnDamaged = tell;
  SystemClock clock;
  XdgOpenShell shell;
  DialUpServices dialUp;
  dialUp.family = StatisticsFamily::Device;
  dialUp.counters = network.counters;

  MainWindow mainWindow(ProgramServices{clock, *network.state, dialUp, registry, shell, programDir,
                                        executable, RegionalSettings::FromEnvironment(), network.name});
  SetMessagePump([] { QCoreApplication::processEvents(); });
  // A signal ends the program without asking: no one may be there to answer.
  mainWindow.WatchShutdown();

  mainWindow.Start();
  window = &mainWindow;
  for (const std::string& text : early) mainWindow.ShowError(text);
  // The dialogs come after the main window, hidden until their commands
  // show them; the first tick is still to come.
  DialogSet dialogs(mainWindow);
  mainWindow.show();
  const int rc = QApplication::exec();
  SetMessagePump({});
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  if (const auto answered = AnswerCommandLine(argc, argv)) return *answered;
  // Under Wayland the strip could neither keep its place nor stay on top;
  // through Xwayland it does both. Chosen before Qt reads the variable.
  const std::string platform = ChooseDisplayPlatform(
      ProcessEnvironment(), [](const std::string& path) { return ::access(path.c_str(), F_OK) == 0; });
  if (!platform.empty()) qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarifuhr"));
  QApplication::setApplicationVersion(QString::fromLatin1(kProgramVersion));
  // Ties the windows to the menu entry and its icon.
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kApplicationId));
  // The program lives in the tray: hiding the strip must not end it.
  QApplication::setQuitOnLastWindowClosed(false);
  // Without a display no one can answer a message box.
  if (QGuiApplication::platformName() == QStringLiteral("offscreen")) SetMessageBoxesShown(false);
  try {
    return Run();
  } catch (const std::exception& e) {
    Tell(QMessageBox::Critical,
         QStringLiteral("Tarifuhr kann nicht starten: %1").arg(QString::fromStdString(e.what())));
    return 1;
  }
}
