// Tarifuhr: picks the system's services, creates the windows in their fixed
// order and runs the event loop.

#include <QApplication>
#include <QMessageBox>
#include <QSessionManager>
#include <cstdio>
#include <memory>

#include "platform/Environment.h"
#include "platform/InstanceLock.h"
#include "platform/MessagePump.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/sim/SamplePhoneBook.h"
#include "platform/sim/SimBackend.h"
#include "ui/Dialogs.h"
#include "ui/ShutdownSignals.h"
#include "ui/TForm1.h"

using namespace tarifuhr;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarifuhr"));
  // The program lives in the tray: hiding the strip must not end it.
  QApplication::setQuitOnLastWindowClosed(false);

  const EnvLookup env = ProcessEnvironment();
  const std::string executable = ExecutablePath();
  const std::string programDir = ProgramDirectory(env, executable);
  if (!MakeDirectories(programDir)) {
    QMessageBox::critical(nullptr, QStringLiteral("Tarifuhr"),
                          QStringLiteral("Das Programmverzeichnis „%1“ kann nicht angelegt werden.")
                              .arg(QString::fromStdString(programDir)));
    return 1;
  }
  const InstanceLock lock(programDir);
  if (!lock.Acquired()) {
    QMessageBox::information(nullptr, QStringLiteral("Tarifuhr"),
                             QStringLiteral("Tarifuhr läuft bereits (Programmverzeichnis „%1“).")
                                 .arg(QString::fromStdString(programDir)));
    return 1;
  }

  // The dial-up network: the simulator until a real backend is there.
  const auto backendName = env("TARIFUHR_BACKEND");
  if (backendName && *backendName != "sim")
    std::fprintf(stderr, "tarifuhr: unbekanntes Wählnetz \"%s\", es wird das simulierte verwendet\n",
                 backendName->c_str());
  EnsureSamplePhoneBook(SimNetwork(programDir));
  const std::shared_ptr<SimDialUpBackend> backend = InstallSimulatedDialUp(programDir);

  RegistryStore registry = RegistryStore::ForConfigHome(ConfigHome(env));
  SystemClock clock;
  XdgOpenShell shell;
  DialUpServices dialUp;
  dialUp.family = StatisticsFamily::Device;
  dialUp.counters = backend.get();

  TForm1 form(ProgramServices{clock, *backend, dialUp, registry, shell, programDir, executable,
                              RegionalSettings::FromEnvironment()});
  SetMessagePump([] { QCoreApplication::processEvents(); });

  ShutdownSignals shutdownSignals([&form] { form.Beende1Click(); });
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &form, [&form](QSessionManager&) {
    // The session end may still be cancelled: save what is counted but
    // keep the connection open; closing the program logs it.
    form.SaveCounts();
  });

  form.FormCreate();
  // The dialogs come after the main window, hidden until their commands
  // show them; the first tick is still to come.
  DialogSet dialogs(form);
  form.show();
  const int rc = QApplication::exec();
  SetMessagePump({});
  return rc;
}
