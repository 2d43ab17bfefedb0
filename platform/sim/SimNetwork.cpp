// SPDX-License-Identifier: MIT
#include "platform/sim/SimNetwork.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <map>
#include <sstream>
#include <thread>

#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/ras/RasApi.h"

namespace tarifuhr {
namespace {

int64_t SystemNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// Exclusive lock on the lock file for one read-modify-write.
class FileLock {
 public:
  explicit FileLock(const std::string& directory) {
    if (!MakeDirectories(directory)) throw FileError("angelegt", directory, errno);
    const std::string path = JoinPath(directory, SimNetwork::kLockFile);
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd_ < 0) throw FileError("geöffnet", path, errno);
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd_);
      throw FileError("gesperrt", path, err);
    }
  }
  ~FileLock() { ::close(fd_); }  // closing releases the lock
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_ = -1;
};

std::string Escape(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '%' || c < 0x20 || c == 0x7f) {
      static const char* hex = "0123456789ABCDEF";
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += char(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    if (i + 2 >= s.size()) return std::nullopt;
    const int hi = HexDigit(s[i + 1]), lo = HexDigit(s[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += char(hi * 16 + lo);
    i += 2;
  }
  return out;
}

template <class T>
bool ParseNumber(const std::string& s, T& out) {
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size() && !s.empty();
}

std::string FormatDouble(double d) {
  std::ostringstream o;
  o.imbue(std::locale::classic());
  o << d;
  return o.str();
}

}  // namespace

const SimEntry* SimState::FindEntry(const std::string& name) const {
  for (const auto& e : Entries)
    if (e.Name == name) return &e;
  return nullptr;
}
SimEntry* SimState::FindEntry(const std::string& name) {
  for (auto& e : Entries)
    if (e.Name == name) return &e;
  return nullptr;
}
SimConnection* SimState::FindConnection(uint32_t handle) {
  for (auto& c : Connections)
    if (c.Handle == handle) return &c;
  return nullptr;
}

std::string FormatSimState(const SimState& s) {
  std::string out = "# Simuliertes DFÜ-Netz von Tarifuhr (tarifuhr-sim)\n";
  out += "next-handle\t" + std::to_string(s.NextHandle) + "\n";
  if (s.Lan) out += "lan\ton\n";
  for (const auto& e : s.Entries) {
    out += "entry\tname=" + Escape(e.Name) + "\tdelay=" + FormatDouble(e.DelaySeconds) +
           "\tfail=" + std::to_string(e.FailCode) + "\trx=" + std::to_string(e.RateRx) +
           "\ttx=" + std::to_string(e.RateTx) + "\tclient=" + Escape(e.ClientIp) +
           "\tserver=" + Escape(e.ServerIp) + "\tuser=" + Escape(e.SavedUser) +
           "\tpassword=" + Escape(e.SavedPassword);
    if (e.CheckCredentials)
      out += "\texpect-user=" + Escape(e.ExpectedUser) + "\texpect-password=" + Escape(e.ExpectedPassword);
    out += "\n";
  }
  for (const auto& c : s.Connections) {
    out += "conn\thandle=" + std::to_string(c.Handle) + "\tentry=" + Escape(c.Entry) +
           "\tdialled=" + std::to_string(c.DialledMs) + "\tconnected=" + std::to_string(c.ConnectedMs) +
           "\toutcome=" + std::to_string(c.Outcome) + "\textra-rx=" + std::to_string(c.ExtraRx) +
           "\textra-tx=" + std::to_string(c.ExtraTx) + "\n";
  }
  return out;
}

SimState ParseSimState(const std::string& text) {
  SimState s;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  auto bad = [&lineNo](const std::string& why) {
    return SimError("Zustandsdatei des simulierten DFÜ-Netzes, Zeile " + std::to_string(lineNo) + ": " + why);
  };
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
      const size_t tab = line.find('\t', start);
      fields.push_back(line.substr(start, tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    const std::string kind = fields[0];
    if (kind == "next-handle") {
      if (fields.size() != 2 || !ParseNumber(fields[1], s.NextHandle)) throw bad("ungültige Handle-Nummer");
      continue;
    }
    if (kind == "lan") {
      if (fields.size() != 2 || (fields[1] != "on" && fields[1] != "off"))
        throw bad("lan erwartet on oder off");
      s.Lan = fields[1] == "on";
      continue;
    }
    std::map<std::string, std::string> kv;
    for (size_t i = 1; i < fields.size(); ++i) {
      const size_t eq = fields[i].find('=');
      if (eq == std::string::npos) throw bad("Feld ohne '=': " + fields[i]);
      auto value = Unescape(fields[i].substr(eq + 1));
      if (!value) throw bad("ungültige Maskierung in " + fields[i]);
      kv[fields[i].substr(0, eq)] = *value;
    }
    auto get = [&](const char* key) -> const std::string& {
      auto it = kv.find(key);
      if (it == kv.end()) throw bad(std::string("Feld fehlt: ") + key);
      return it->second;
    };
    auto number = [&](const char* key, auto& out) {
      if (!ParseNumber(get(key), out)) throw bad(std::string("ungültige Zahl in ") + key);
    };
    if (kind == "entry") {
      SimEntry e;
      e.Name = get("name");
      if (e.Name.empty()) throw bad("leerer Eintragsname");
      if (s.FindEntry(e.Name)) throw bad("Eintrag doppelt: " + e.Name);
      number("delay", e.DelaySeconds);
      number("fail", e.FailCode);
      number("rx", e.RateRx);
      number("tx", e.RateTx);
      e.ClientIp = get("client");
      e.ServerIp = get("server");
      e.SavedUser = get("user");
      e.SavedPassword = get("password");
      if (kv.count("expect-user")) {
        e.CheckCredentials = true;
        e.ExpectedUser = get("expect-user");
        e.ExpectedPassword = get("expect-password");
      }
      if (!std::isfinite(e.DelaySeconds) || e.DelaySeconds < 0) throw bad("ungültige Verzögerung");
      s.Entries.push_back(std::move(e));
    } else if (kind == "conn") {
      SimConnection c;
      number("handle", c.Handle);
      c.Entry = get("entry");
      number("dialled", c.DialledMs);
      number("connected", c.ConnectedMs);
      number("outcome", c.Outcome);
      number("extra-rx", c.ExtraRx);
      number("extra-tx", c.ExtraTx);
      s.Connections.push_back(std::move(c));
    } else {
      throw bad("unbekannte Zeile: " + kind);
    }
  }
  return s;
}

SimNetwork::NowMs SimNetwork::FromClock(const Clock& clock) {
  constexpr double kUnixEpoch = 25569.0;  // 1.1.1970 as a date-time value
  return [&clock] { return static_cast<int64_t>(std::llround((clock.Now() - kUnixEpoch) * 86400000.0)); };
}

SimNetwork::SimNetwork(std::string directory, NowMs now)
    : directory_(std::move(directory)), now_(now ? std::move(now) : NowMs(SystemNowMs)) {}

SimState SimNetwork::LoadLocked() const {
  const std::string path = JoinPath(directory_, kStateFile);
  auto text = ReadWholeFile(path, kMaxStateBytes);
  // No file yet is an empty network; one that can't be read is a fault,
  // not an empty network that would be written over it.
  if (!text && errno != ENOENT)
    throw SimError("Die Zustandsdatei „" + path + "“ kann nicht gelesen werden: " + ErrnoText(errno) + ".");
  SimState s = text ? ParseSimState(*text) : SimState{};
  Resolve(s);
  return s;
}

void SimNetwork::Resolve(SimState& s) const {
  const int64_t now = now_();
  std::vector<SimConnection> kept;
  for (auto& c : s.Connections) {
    if (!c.Connected()) {
      const SimEntry* e = s.FindEntry(c.Entry);
      const int64_t delayMs = e ? int64_t(std::llround(e->DelaySeconds * 1000)) : 0;
      if (now >= c.DialledMs + delayMs) {
        if (c.Outcome != 0) continue;  // the dial failed: no connection
        c.ConnectedMs = std::max<int64_t>(c.DialledMs + delayMs, 1);
      }
    }
    kept.push_back(c);
  }
  s.Connections = std::move(kept);
}

SimState SimNetwork::Snapshot() const {
  FileLock lock(directory_);
  return LoadLocked();
}

void SimNetwork::Modify(const std::function<void(SimState&)>& change) const {
  FileLock lock(directory_);
  SimState s = LoadLocked();
  change(s);
  WriteFileAtomically(JoinPath(directory_, kStateFile), FormatSimState(s));
}

void SimNetwork::AddEntry(SimEntry entry) const {
  if (entry.Name.empty() || entry.Name.size() > ras::kEntryNameLen - 1)
    throw SimError("Der Eintragsname muss 1 bis 256 Zeichen lang sein.");
  if (entry.Name == kAllEntries)
    throw SimError(std::string("Der Name „") + kAllEntries +
                   "“ ist vergeben: „hangup all“ trennt alle Verbindungen.");
  for (unsigned char c : entry.Name)
    if (c < 0x20 || c == 0x7f) throw SimError("Der Eintragsname enthält Steuerzeichen.");
  if (!std::isfinite(entry.DelaySeconds) || entry.DelaySeconds < 0 || entry.DelaySeconds > 3600)
    throw SimError("Die Verzögerung muss zwischen 0 und 3600 Sekunden liegen.");
  Modify([&](SimState& s) {
    if (s.FindEntry(entry.Name)) throw SimError("Eintrag gibt es schon: " + entry.Name);
    const size_t n = s.Entries.size() % 250 + 1;
    if (entry.ClientIp.empty()) entry.ClientIp = "10.64." + std::to_string(n) + ".2";
    if (entry.ServerIp.empty()) entry.ServerIp = "10.64." + std::to_string(n) + ".1";
    s.Entries.push_back(entry);
  });
}

void SimNetwork::RemoveEntry(const std::string& name) const {
  Modify([&](SimState& s) {
    if (!s.FindEntry(name)) throw SimUnknownEntry(name);
    std::erase_if(s.Entries, [&](const SimEntry& e) { return e.Name == name; });
    std::erase_if(s.Connections, [&](const SimConnection& c) { return c.Entry == name; });
  });
}

uint32_t SimNetwork::StartDial(const std::string& entry, const std::string& user, const std::string& password,
                               uint32_t& outcome, double& delaySeconds) const {
  uint32_t handle = 0;
  Modify([&](SimState& s) {
    const SimEntry* e = s.FindEntry(entry);
    if (!e) throw SimUnknownEntry(entry);
    // Busy or no answer come before the log-on; then the credentials.
    outcome = e->FailCode;
    if (outcome == 0 && e->CheckCredentials && (user != e->ExpectedUser || password != e->ExpectedPassword))
      outcome = ras::kErrorAuthenticationFailure;
    delaySeconds = e->DelaySeconds;
    SimConnection c;
    if (s.NextHandle == 0) s.NextHandle = 1;  // 0 means "no connection"
    c.Handle = handle = s.NextHandle++;
    c.Entry = entry;
    c.DialledMs = now_();
    c.Outcome = outcome;
    s.Connections.push_back(c);
    Resolve(s);  // a dial without delay completes at once
  });
  return handle;
}

uint32_t SimNetwork::FinishDial(uint32_t handle, uint32_t outcome, double delaySeconds) const {
  const auto until = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(int64_t(std::llround(delaySeconds * 1000)));
  std::this_thread::sleep_until(until);
  for (int i = 0; i < 1000; ++i) {
    SimState s = Snapshot();
    SimConnection* c = s.FindConnection(handle);
    if (outcome != 0) return outcome;
    if (!c) return ras::kErrorUserDisconnection;
    if (c->Connected()) return 0;
    // The state's clock may lag the steady clock a little.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return ras::kErrorNoAnswer;
}

bool SimNetwork::HangUp(uint32_t handle) const {
  bool found = false;
  Modify([&](SimState& s) {
    found = std::erase_if(s.Connections, [&](const SimConnection& c) { return c.Handle == handle; }) > 0;
  });
  return found;
}

size_t SimNetwork::HangUpEntry(const std::string& entry) const {
  size_t n = 0;
  Modify([&](SimState& s) {
    if (!entry.empty() && !s.FindEntry(entry)) throw SimUnknownEntry(entry);
    n = std::erase_if(s.Connections,
                      [&](const SimConnection& c) { return entry.empty() || c.Entry == entry; });
  });
  return n;
}

size_t SimNetwork::HangUpAll() const { return HangUpEntry(""); }

void SimNetwork::SetLan(bool on) const {
  Modify([on](SimState& s) { s.Lan = on; });
}

size_t SimNetwork::AddTraffic(const std::string& entry, uint64_t rx, uint64_t tx) const {
  size_t n = 0;
  Modify([&](SimState& s) {
    if (!s.FindEntry(entry)) throw SimUnknownEntry(entry);
    // The program counts bytes in signed 64 bits: more than that can't be
    // a connection's traffic, and a sum must never wrap.
    constexpr uint64_t kMost = uint64_t(INT64_MAX);
    const int64_t now = now_();
    for (auto& c : s.Connections) {
      if (c.Entry != entry || !c.Connected()) continue;
      if (rx > kMost - ReceivedBytes(s, c, now) || tx > kMost - SentBytes(s, c, now))
        throw SimError("So viel Verkehr kann eine Verbindung nicht haben (höchstens " +
                       std::to_string(kMost) + " Bytes je Richtung).");
      c.ExtraRx += rx;
      c.ExtraTx += tx;
      ++n;
    }
    if (n == 0) throw SimError("Keine offene Verbindung zu " + entry);
  });
  return n;
}

namespace {
uint64_t Grown(const SimConnection& c, uint64_t rate, int64_t nowMs) {
  if (!c.Connected() || nowMs <= c.ConnectedMs) return 0;
  const auto ms = uint64_t(nowMs - c.ConnectedMs);
  return rate / 1000 * ms + rate % 1000 * ms / 1000;
}
}  // namespace

uint64_t SimNetwork::ReceivedBytes(const SimState& s, const SimConnection& c, int64_t nowMs) {
  const SimEntry* e = s.FindEntry(c.Entry);
  return (e ? Grown(c, e->RateRx, nowMs) : 0) + c.ExtraRx;
}

uint64_t SimNetwork::SentBytes(const SimState& s, const SimConnection& c, int64_t nowMs) {
  const SimEntry* e = s.FindEntry(c.Entry);
  return (e ? Grown(c, e->RateTx, nowMs) : 0) + c.ExtraTx;
}

}  // namespace tarifuhr
