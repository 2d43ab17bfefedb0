// SPDX-License-Identifier: MIT
// tarifuhr-report: prints what Tarifuhr counted, the connection log and a
// user's tariffs, as CSV or JSON. Only reads the program directory
// (TARIFUHR_HOME when set), so it can run beside the program.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>

#include "Csv.h"
#include "GermanCli.h"
#include "IsoDates.h"
#include "ReportRows.h"
#include "TariffFields.h"
#include "UserData.h"
#include "accounting/ConnectionHistory.h"
#include "platform/Environment.h"
#include "platform/Files.h"

using namespace tarifuhr;
using namespace tarifuhr::report;

namespace {

using tools::kExitError;

std::optional<TDateTime> DateOption(const CLI::Option* option, const std::string& text) {
  if (option->count() == 0) return std::nullopt;
  const auto date = ParseIsoDate(text);
  if (!date) throw std::runtime_error("„" + text + "“ ist kein Datum (JJJJ-MM-TT).");
  return date;
}

void Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout))
    throw std::runtime_error("Die Ausgabe konnte nicht geschrieben werden.");
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Gibt aus, was Tarifuhr gezählt hat, als CSV (RFC 4180, UTF-8, Zeilenende\n"
      "CR LF, Kopfzeile mit den Spaltennamen) oder JSON. Liest nur das\n"
      "Programmverzeichnis (TARIFUHR_HOME, falls gesetzt) und ändert nichts darin,\n"
      "auch nicht während Tarifuhr läuft.\n\n"
      "Ausgaben:\n"
      "  log     eine Zeile je Verbindung aus dialup.otl, die an einem Tag des\n"
      "          Zeitraums begann: entry, start, end (Ortszeit JJJJ-MM-TTTHH:MM:SS),\n"
      "          seconds, received, sent (Bytes), cost (Cent)\n"
      "  days    eine Zeile je Tag mit Verbindungen: date, seconds, received, sent, cost\n"
      "  months  eine Zeile je Monat (JJJJ-MM) aus den Tagen des Zeitraums, Spalten\n"
      "          wie bei days\n"
      "          days und months zählen alle Einträge zusammen, mit --entry nur den\n"
      "          einen. Eine Verbindung über Mitternacht zählt an jedem ihrer Tage\n"
      "          mit dem Anteil ihrer Zeit; Sekunden auf Tausendstel gerundet.\n"
      "  tariffs Tarife und Summen eines Benutzers mit allen Feldern; Benutzername\n"
      "          und Kennwort der Einwahl nur mit --mit-zugangsdaten. Daten als\n"
      "          JJJJ-MM-TT, das Zeitfenster und die günstigeren Stunden als\n"
      "          HH:MM:SS.\n"
      "          JSON: {\"user\", \"totals\", \"tariffs\"}; CSV: nur die Tarife.\n"
      "  periods zwei Zeilen je Tarif eines Benutzers: sein laufender Zeitraum\n"
      "          (aktuell) und der davor (vorher), wie der Tarif rechnet (Monat,\n"
      "          alle N Tage, Guthaben bis heute): tariff, period, first, last und\n"
      "          die Summen seines Eintrags wie bei days.\n"
      "Beträge (cost, PricePerMinute, ...) sind Cent, genau bis zum Zehntausendstel:\n"
      "CSV mit zwei Nachkommastellen, mehr nur, wo ein Betrag sie hat (10.70, 1.234).\n"
      "Fehlt dialup.otl, gab es noch keine Verbindung: die Ausgabe ist leer (nur die\n"
      "Kopfzeile bzw. []), das ist kein Fehler.\n\n"
      "Exit-Status: 0 gut, 1 Fehler (Datei nicht lesbar oder beschädigt, unbekannter\n"
      "Benutzer, falsches Datum), andere Werte: Aufruf nicht verstanden.",
      "tarifuhr-report"};
  app.require_subcommand(1);
  tools::GermanHelp(app);
  tools::VersionFlag(app, "tarifuhr-report");
  app.set_help_all_flag("--help-all", "Hilfe zu allen Befehlen");

  std::string fromText, toText, entry, user;
  std::string format = "csv";
  std::string tariffFormat = "json";
  const auto addFilters = [&](CLI::App* command) {
    command->add_option("--from", fromText, "erster Tag, eingeschlossen")->type_name("JJJJ-MM-TT");
    command->add_option("--to", toText, "letzter Tag, eingeschlossen")->type_name("JJJJ-MM-TT");
    command->add_option("--entry", entry, "nur dieser Eintrag (genauer Name)")->type_name("NAME");
    command->add_option("--format", format, "csv (Vorgabe) oder json")
        ->type_name("FORMAT")
        ->check(CLI::IsMember({"csv", "json"}));
  };
  auto* log = app.add_subcommand("log", "eine Zeile je Verbindung");
  addFilters(log);
  auto* days = app.add_subcommand("days", "Summen je Tag");
  addFilters(days);
  auto* months = app.add_subcommand("months", "Summen je Monat");
  addFilters(months);
  auto* tariffs = app.add_subcommand("tariffs", "Tarife und Summen eines Benutzers");
  tariffs
      ->add_option("BENUTZER", user,
                   "Titel des Benutzers oder sein ganzer Name aus userlist.ini, z. B. „Erika (Erika.tfd)“")
      ->type_name("")
      ->required();
  tariffs->add_option("--format", tariffFormat, "json (Vorgabe) oder csv")
      ->type_name("FORMAT")
      ->check(CLI::IsMember({"json", "csv"}));
  auto* periods = app.add_subcommand("periods", "die Zeiträume der Tarife eines Benutzers");
  periods
      ->add_option("BENUTZER", user,
                   "Titel des Benutzers oder sein ganzer Name aus userlist.ini, z. B. „Erika (Erika.tfd)“")
      ->type_name("")
      ->required();
  periods->add_option("--format", format, "csv (Vorgabe) oder json")
      ->type_name("FORMAT")
      ->check(CLI::IsMember({"csv", "json"}));
  bool withCredentials = false;
  tariffs->add_flag("--mit-zugangsdaten", withCredentials,
                    "auch Benutzername und Kennwort der Einwahl (UserName, Password) ausgeben");
  for (CLI::App* command : app.get_subcommands({})) {
    command->group("Befehle");
    // The help flags a command inherits keep the parser's English group.
    for (CLI::Option* option : command->get_options()) option->group("Optionen");
  }

  if (const auto ended = tools::ParseInGerman(app, argc, argv, "tarifuhr-report")) return *ended;

  try {
    const std::string dir = ProgramDirectory(ProcessEnvironment(), ExecutablePath());
    if (!DirectoryExists(dir))
      throw std::runtime_error("Das Programmverzeichnis „" + dir + "“ gibt es nicht.");
    if (tariffs->parsed()) {
      const UserData data = ReadUserData(dir, user);
      Print(tariffFormat == "json" ? JsonText(UserJson(data, withCredentials))
                                   : CsvText(TariffTable(data.tariffs, withCredentials)));
      return 0;
    }
    if (periods->parsed()) {
      const UserData data = ReadUserData(dir, user);
      const Table table =
          PeriodTable(ReadWholeLog(JoinPath(dir, "dialup.otl")), data.tariffs, Today(SystemClock{}));
      Print(format == "json" ? JsonText(JsonRows(table)) : CsvText(table));
      return 0;
    }
    // Only one of the commands with filters was given, so the options it
    // bound are the ones that count.
    const CLI::App* command = log->parsed() ? log : days->parsed() ? days : months;
    Filter filter;
    filter.from = DateOption(command->get_option("--from"), fromText);
    filter.to = DateOption(command->get_option("--to"), toText);
    if (command->get_option("--entry")->count() > 0) filter.entry = entry;
    if (filter.from && filter.to && *filter.from > *filter.to)
      throw std::runtime_error("Der erste Tag " + fromText + " liegt nach dem letzten " + toText + ".");
    const auto records = ReadWholeLog(JoinPath(dir, "dialup.otl"));
    const Table table = command == log    ? LogTable(records, filter)
                        : command == days ? DayTable(records, filter)
                                          : MonthTable(records, filter);
    Print(format == "json" ? JsonText(JsonRows(table)) : CsvText(table));
  } catch (const std::exception& e) {
    std::cerr << "tarifuhr-report: " << e.what() << "\n";
    return kExitError;
  }
  return 0;
}
