// SPDX-License-Identifier: MIT
#include "accounting/RememberedConnection.h"

#include <charconv>
#include <cmath>
#include <map>
#include <sstream>

namespace tarifuhr {
namespace {

constexpr const char* kHeading = "# Tarifuhr: die offene Verbindung beim letzten Speichern";

template <class T>
std::string Number(T value) {
  char text[40];
  const auto written = std::to_chars(text, text + sizeof text, value);
  return std::string(text, written.ptr);
}

template <class T>
bool Read(const std::string& text, T& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, err] = std::from_chars(text.data(), end, value);
  return err == std::errc() && ptr == end && !text.empty();
}

bool ReadDate(const std::string& text, TDateTime& value) { return Read(text, value) && std::isfinite(value); }

bool IsLineSafe(const std::string& s) { return s.find_first_of("\r\n") == std::string::npos; }

}  // namespace

bool CanBeRemembered(const RememberedConnection& c) {
  return IsLineSafe(c.network) && IsLineSafe(c.bootId) && IsLineSafe(c.entryName) && IsLineSafe(c.device) &&
         IsLineSafe(c.user) && IsLineSafe(c.record.entry) && !c.record.entry.empty();
}

std::string FormatRememberedConnection(const RememberedConnection& c) {
  const ConnectionRecord& r = c.record;
  std::string text = std::string(kHeading) + "\n";
  const auto line = [&text](const char* key, const std::string& value) {
    text += key;
    text += '=';
    text += value;
    text += '\n';
  };
  line("network", c.network);
  line("boot", c.bootId);
  line("handle", Number(c.handle));
  line("entryname", c.entryName);
  line("device", c.device);
  line("user", c.user);
  line("entry", r.entry);
  line("start", Number(r.start));
  line("end", Number(r.end));
  line("seconds", Number(r.seconds));
  line("cost", Number(r.cost));
  line("received", Number(r.received));
  line("sent", Number(r.sent));
  line("logged", c.logged ? "1" : "0");
  line("nextcharge", Number(c.nextChargeSecond));
  line("bytesbefore", Number(c.bytesBefore));
  line("units", Number(c.volumeUnitsCharged));
  line("lastsecond", Number(c.lastCountedSecond));
  line("monotonic", Number(c.lastCountedMonotonicMs));
  line("devicereceived", Number(c.deviceReceived));
  line("devicesent", Number(c.deviceSent));
  return text;
}

std::optional<RememberedConnection> ParseRememberedConnection(const std::string& text) {
  std::map<std::string, std::string> values;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return std::nullopt;
    values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  RememberedConnection c;
  ConnectionRecord& r = c.record;
  const auto word = [&values](const char* key, std::string& out) {
    const auto it = values.find(key);
    if (it == values.end()) return false;
    out = it->second;
    return true;
  };
  const auto number = [&values](const char* key, auto& out) {
    const auto it = values.find(key);
    return it != values.end() && Read(it->second, out);
  };
  const auto date = [&values](const char* key, TDateTime& out) {
    const auto it = values.find(key);
    return it != values.end() && ReadDate(it->second, out);
  };
  std::string logged;
  const bool complete = word("network", c.network) && word("boot", c.bootId) && number("handle", c.handle) &&
                        word("entryname", c.entryName) && word("device", c.device) && word("user", c.user) &&
                        word("entry", r.entry) && date("start", r.start) && date("end", r.end) &&
                        number("seconds", r.seconds) && number("cost", r.cost) &&
                        number("received", r.received) && number("sent", r.sent) && word("logged", logged) &&
                        number("nextcharge", c.nextChargeSecond) && number("bytesbefore", c.bytesBefore) &&
                        number("units", c.volumeUnitsCharged) && date("lastsecond", c.lastCountedSecond) &&
                        number("monotonic", c.lastCountedMonotonicMs) &&
                        number("devicereceived", c.deviceReceived) && number("devicesent", c.deviceSent);
  if (!complete || (logged != "0" && logged != "1") || r.entry.empty() || !std::isfinite(r.cost))
    return std::nullopt;
  // Counts that no connection has: a damaged file, not one to go on with.
  if (r.seconds < 0 || r.received < 0 || r.sent < 0 || c.bytesBefore < 0 || c.volumeUnitsCharged < 0 ||
      c.nextChargeSecond < r.seconds)
    return std::nullopt;
  c.logged = logged == "1";
  return c;
}

}  // namespace tarifuhr
