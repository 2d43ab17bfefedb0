// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cstdio>

#include "platform/ProgramIdentity.h"

namespace tarifuhr {
namespace {

void Print(FILE* to, const QString& text) { std::fputs(text.toLocal8Bit().constData(), to); }

QString HelpText() {
  return QStringLiteral(
      "Aufruf: tarifuhr [Optionen]\n"
      "\n"
      "Tarifuhr zählt im Infobereich Online-Zeit, Datenmenge und Kosten der\n"
      "Wählverbindungen nach dem Tarif des jeweiligen Eintrags.\n"
      "\n"
      "Optionen:\n"
      "  -h, --help     Zeigt diese Hilfe und beendet das Programm.\n"
      "  -v, --version  Zeigt die Version und beendet das Programm.\n"
      "\n"
      "Umgebungsvariablen:\n"
      "  TARIFUHR_HOME     Ordner für Benutzerdateien und Verbindungsprotokoll\n"
      "                    (sonst $XDG_DATA_HOME/tarifuhr)\n"
      "  TARIFUHR_BACKEND  nm (NetworkManager) oder sim (simuliertes Wählnetz)\n"
      "\n"
      "Dazu die Optionen jedes Qt-Programms, etwa -platform oder -display.\n");
}

}  // namespace

std::optional<int> AnswerCommandLine(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);

  QCommandLineParser parser;
  // Qt's own options come with one dash ("-platform offscreen").
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help(QStringList{"h", "help"});
  const QCommandLineOption version(QStringList{"v", "version"});
  parser.addOption(help);
  parser.addOption(version);
  // The application object reads these later; here they only must not be
  // taken for mistakes.
  for (const char* name : {"platform", "platformpluginpath", "platformtheme", "plugin", "qmljsdebugger",
                           "qwindowgeometry", "geometry", "qwindowicon", "icon", "qwindowtitle", "title",
                           "session", "display", "name", "style", "stylesheet", "visual"})
    parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("wert")));
  for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"})
    parser.addOption(QCommandLineOption(QString::fromLatin1(name)));

  if (!parser.parse(arguments)) {
    const QStringList unknown = parser.unknownOptionNames();
    // Qt's own message is English; the only other failure is a value
    // missing after an option or given to one that takes none.
    const QString what = unknown.isEmpty() ? QStringLiteral("ein Wert fehlt oder ist zu viel")
                                           : QStringLiteral("unbekannte Option „%1“").arg(unknown.first());
    Print(stderr, QStringLiteral("tarifuhr: %1\nMehr mit „tarifuhr --help“.\n").arg(what));
    return 1;
  }
  if (parser.isSet(help)) {
    Print(stdout, HelpText());
    return 0;
  }
  if (parser.isSet(version)) {
    Print(stdout, QStringLiteral("Tarifuhr %1\n").arg(QString::fromLatin1(kProgramVersion)));
    return 0;
  }
  if (!parser.positionalArguments().isEmpty()) {
    Print(stderr, QStringLiteral("tarifuhr: unerwartetes Argument „%1“\nMehr mit „tarifuhr --help“.\n")
                      .arg(parser.positionalArguments().first()));
    return 1;
  }
  return std::nullopt;
}

}  // namespace tarifuhr
