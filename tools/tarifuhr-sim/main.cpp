// SPDX-License-Identifier: MIT
// tarifuhr-sim: changes and shows the simulated dial-up network that
// Tarifuhr uses by default. Works on the state file in the program
// directory (TARIFUHR_HOME when set), so it can run beside the program.

#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <string>

#include "GermanCli.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/ras/RasApi.h"
#include "platform/sim/SimNetwork.h"

using namespace tarifuhr;

namespace {

using tools::kExitError;
constexpr int kExitDialFailed = 3;

// Accepts "RX/TX" in bytes per second.
bool ParseRate(const std::string& text, uint64_t& rx, uint64_t& tx) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return false;
  auto num = [](std::string_view s, uint64_t& out) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return !s.empty() && ec == std::errc() && p == s.data() + s.size();
  };
  return num(std::string_view(text).substr(0, slash), rx) &&
         num(std::string_view(text).substr(slash + 1), tx);
}

bool ParseCount(const std::string& text, uint64_t& out) {
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return !text.empty() && ec == std::errc() && p == text.data() + text.size();
}

std::string StateName(const SimConnection& c) { return c.Connected() ? "verbunden" : "waehlt"; }

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Steuert das simulierte DFÜ-Netz von Tarifuhr. Der Zustand liegt in\n"
      "dialup-sim.txt im Programmverzeichnis (TARIFUHR_HOME, falls gesetzt).\n\n"
      "Ausgaben:\n"
      "  list    eine Zeile je Eintrag: NAME<TAB>delay=S<TAB>fail=CODE<TAB>rate=RX/TX\n"
      "          <TAB>client=IP<TAB>server=IP<TAB>check=ja|nein\n"
      "  status  eine Zeile je Verbindung: NAME<TAB>verbunden|waehlt<TAB>SEKUNDEN\n"
      "          <TAB>EMPFANGEN<TAB>GESENDET<TAB>GERAET<TAB>HANDLE (Bytes)\n\n"
      "Exit-Status: 0 gut, 1 Fehler (unbekannter Eintrag, falsche Angaben),\n"
      "3 Wählen fehlgeschlagen, andere Werte: Aufruf nicht verstanden.",
      "tarifuhr-sim"};
  app.require_subcommand(1);
  tools::GermanHelp(app);
  tools::VersionFlag(app, "tarifuhr-sim");
  app.set_help_all_flag("--help-all", "Hilfe zu allen Befehlen");

  std::string entry, user, password, rate, client, server, rxText, txText;
  double delay = 0;
  uint32_t fail = 0;

  auto* list = app.add_subcommand("list", "Einträge des Telefonbuchs auflisten");
  auto* add = app.add_subcommand("add", "Eintrag anlegen");
  add->add_option("ENTRY", entry, "Name des Eintrags")->required();
  add->add_option("--delay", delay, "Sekunden bis die Verbindung steht (Vorgabe 0)");
  add->add_option("--fail", fail,
                  "jedes Wählen endet mit diesem RAS-Fehler (676 besetzt, 678 keine Antwort)");
  auto* addUser = add->add_option("--user", user, "erwarteter Benutzername (sonst Fehler 691)");
  auto* addPassword = add->add_option("--password", password, "erwartetes Kennwort");
  addUser->needs(addPassword);
  addPassword->needs(addUser);
  add->add_option("--rate", rate, "Bytes je Sekunde empfangen/gesendet, z. B. 2000/500");
  add->add_option("--client", client, "Adresse des PCs (Vorgabe 10.64.N.2)");
  add->add_option("--server", server, "Adresse der Gegenstelle (Vorgabe 10.64.N.1)");

  auto* remove = app.add_subcommand("remove", "Eintrag und seine Verbindungen entfernen");
  remove->add_option("ENTRY", entry, "Name des Eintrags")->required();

  auto* dial = app.add_subcommand(
      "dial", "Eintrag wählen (eine Verbindung außerhalb des Programms); wartet die Verzögerung ab");
  dial->add_option("ENTRY", entry, "Name des Eintrags")->required();
  auto* dialUser = dial->add_option("--user", user, "Benutzername statt des gespeicherten");
  auto* dialPassword = dial->add_option("--password", password, "Kennwort statt des gespeicherten");
  dialUser->needs(dialPassword);
  dialPassword->needs(dialUser);

  auto* hangup = app.add_subcommand("hangup", "Verbindungen eines Eintrags trennen (all: alle)");
  hangup->add_option("ENTRY", entry, "Name des Eintrags oder all")->required();

  auto* traffic =
      app.add_subcommand("traffic", "Bytes zu den offenen Verbindungen eines Eintrags hinzufügen");
  traffic->add_option("ENTRY", entry, "Name des Eintrags")->required();
  traffic->add_option("RX", rxText, "empfangene Bytes")->required();
  traffic->add_option("TX", txText, "gesendete Bytes")->required();

  auto* status = app.add_subcommand("status", "offene Verbindungen mit ihren Zählern zeigen");

  std::string lanSwitch;
  auto* lan = app.add_subcommand("lan", "online über ein LAN (neben dem DFÜ-Netz): on oder off");
  lan->add_option("SWITCH", lanSwitch, "on oder off")->required()->check(CLI::IsMember({"on", "off"}));

  for (CLI::App* command : app.get_subcommands({})) command->group("Befehle");

  if (const auto ended = tools::ParseInGerman(app, argc, argv, "tarifuhr-sim")) return *ended;

  try {
    const SimNetwork net(ProgramDirectory(ProcessEnvironment(), ExecutablePath()));
    if (list->parsed()) {
      for (const auto& e : net.Snapshot().Entries) {
        std::cout << e.Name << "\tdelay=" << e.DelaySeconds << "\tfail=" << e.FailCode
                  << "\trate=" << e.RateRx << "/" << e.RateTx << "\tclient=" << e.ClientIp
                  << "\tserver=" << e.ServerIp << "\tcheck=" << (e.CheckCredentials ? "ja" : "nein") << "\n";
      }
    } else if (add->parsed()) {
      SimEntry e;
      e.Name = entry;
      e.DelaySeconds = delay;
      if (fail != 0 && (fail < 600 || ras::ErrorText(fail).empty()))
        throw SimError("Unbekannter RAS-Fehler für --fail: " + std::to_string(fail) +
                       " (möglich z. B. 676, 678, 691)");
      e.FailCode = fail;
      if (!user.empty() || addUser->count() > 0) {
        e.CheckCredentials = true;
        e.ExpectedUser = user;
        e.ExpectedPassword = password;
      }
      if (!rate.empty() && !ParseRate(rate, e.RateRx, e.RateTx))
        throw SimError("--rate erwartet RX/TX in Bytes je Sekunde, z. B. 2000/500: " + rate);
      e.ClientIp = client;
      e.ServerIp = server;
      net.AddEntry(e);
    } else if (remove->parsed()) {
      net.RemoveEntry(entry);
    } else if (dial->parsed()) {
      if (dialUser->count() == 0) {
        const SimState s = net.Snapshot();
        const SimEntry* e = s.FindEntry(entry);
        if (!e) throw SimError("Unbekannter Eintrag: " + entry);
        user = e->SavedUser;
        password = e->SavedPassword;
      }
      uint32_t outcome = 0;
      double wait = 0;
      const uint32_t handle = net.StartDial(entry, user, password, outcome, wait);
      const uint32_t code = net.FinishDial(handle, outcome, wait);
      if (code != 0) {
        std::cerr << "tarifuhr-sim: Wählen von " << entry << " fehlgeschlagen: " << code << " "
                  << ras::ErrorText(code) << "\n";
        return kExitDialFailed;
      }
      std::cout << entry << "\tverbunden\tsim" << handle << "\t" << handle << "\n";
    } else if (hangup->parsed()) {
      if (entry.empty())
        throw SimError("Ein leerer Eintragsname trennt nichts; alle Verbindungen trennt „hangup all“.");
      const size_t n = entry == SimNetwork::kAllEntries ? net.HangUpAll() : net.HangUpEntry(entry);
      std::cout << n << " Verbindung(en) getrennt\n";
    } else if (traffic->parsed()) {
      uint64_t rx = 0, tx = 0;
      if (!ParseCount(rxText, rx) || !ParseCount(txText, tx))
        throw SimError("RX und TX müssen ganze Zahlen ab 0 sein: " + rxText + " " + txText);
      net.AddTraffic(entry, rx, tx);
    } else if (lan->parsed()) {
      net.SetLan(lanSwitch == "on");
    } else if (status->parsed()) {
      const SimState s = net.Snapshot();
      const int64_t now = net.Now();
      for (const auto& c : s.Connections) {
        const int64_t secs = c.Connected() ? (now - c.ConnectedMs) / 1000 : 0;
        std::cout << c.Entry << "\t" << StateName(c) << "\t" << secs << "\t"
                  << SimNetwork::ReceivedBytes(s, c, now) << "\t" << SimNetwork::SentBytes(s, c, now) << "\t"
                  << c.Device() << "\t" << c.Handle << "\n";
      }
    }
  } catch (const std::exception& e) {
    std::cerr << "tarifuhr-sim: " << e.what() << "\n";
    return kExitError;
  }
  return 0;
}
