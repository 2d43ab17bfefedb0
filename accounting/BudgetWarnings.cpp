// SPDX-License-Identifier: MIT
#include "accounting/BudgetWarnings.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <sstream>

#include "accounting/ChargingRules.h"
#include "accounting/Formats.h"
#include "platform/Files.h"

namespace tarifuhr {
namespace {

constexpr const char* kHeading = "# Tarifuhr: gegebene Warnungen (Benutzer, Tarif, Art, Zeitraum oder Tag)";

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  size_t from = 0;
  for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
    out.push_back(line.substr(from, tab - from));
  out.push_back(line.substr(from));
  return out;
}

}  // namespace

std::string BudgetWarnings::Load() {
  given_.clear();
  // Missing or unreadable: never said anything, or can't tell; say it again.
  constexpr size_t kMaxBytes = size_t{1} << 20;  // a line per tariff, kind and user
  const std::optional<std::string> text = ReadWholeFile(path_, kMaxBytes);
  if (!text) {
    if (errno == ENOENT) return {};
    return "Die Datei „" + path_ + "“ kann nicht gelesen werden: " + ErrnoText(errno) +
           ". Warnungen, die schon kamen, können noch einmal kommen.";
  }
  std::map<Key, double> read;
  std::istringstream lines(*text);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> f = Fields(line);
    double when = 0;
    const auto [end, err] = f.size() == 4 ? std::from_chars(f[3].data(), f[3].data() + f[3].size(), when)
                                          : std::from_chars_result{nullptr, std::errc::invalid_argument};
    if (err != std::errc() || end != f[3].data() + f[3].size() || !std::isfinite(when)) return {};  // damaged
    read[{f[0], f[1], f[2]}] = when;
  }
  given_ = std::move(read);
  return {};
}

void BudgetWarnings::Save() const {
  std::string text = std::string(kHeading) + "\n";
  for (const auto& [key, when] : given_) {
    const auto& [user, tariff, kind] = key;
    // Tabs and line ends would break the line; names never need them.
    const auto clean = [](std::string s) {
      for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
      return s;
    };
    char number[32];
    const auto written = std::to_chars(number, number + sizeof number, when);
    text += clean(user) + '\t' + clean(tariff) + '\t' + kind + '\t' + std::string(number, written.ptr) + '\n';
  }
  WriteFileAtomically(path_, text, 0600);
}

bool BudgetWarnings::GiveOnce(const Key& key, double when) {
  auto it = given_.find(key);
  if (it != given_.end() && it->second == when) return false;
  given_[key] = when;
  return true;
}

void BudgetWarnings::Check(const std::string& user, const TariffRecord& t, TDateTime today,
                           const RegionalSettings& rs, bool allowancesCurrent,
                           std::vector<BudgetWarning>& due) {
  const size_t before = due.size();
  // Prepaid credit has no periods: each credit, as a recharge raises it,
  // is warned about once. Negative, so no start date is ever mistaken for it.
  const double period = PeriodKindOf(t) == PeriodKind::Prepaid
                            ? -1 - t.CostLimit - t.TimeLimit - static_cast<double>(t.VolumeLimit)
                            : t.StartDate;
  // Texts are made only for a warning that is given: this runs every second.
  const auto warn = [&](const std::string& text) { due.push_back({"Tarifuhr: " + t.Name, text}); };
  // A period's warnings: 100 % also stands for 80 %, so a period that
  // starts above the limit says only that.
  const auto periodWarning = [&](const std::string& kind, double used, double limit, const char* reached80,
                                 const char* reached100, const auto& format, auto usedValue,
                                 auto limitValue) {
    if (!(limit > 0) || !(used >= 0.8 * limit)) return;
    const bool full = used >= limit;
    if (full) {
      const bool first = GiveOnce({user, t.Name, kind + "100"}, period);
      GiveOnce({user, t.Name, kind + "80"}, period);
      if (!first) return;
    } else if (!GiveOnce({user, t.Name, kind + "80"}, period)) {
      return;
    }
    warn(std::string(full ? reached100 : reached80) + ": " + format(usedValue) + " von " +
         format(limitValue) + ".");
  };
  const auto duration = [](double seconds) { return FormatDuration(seconds); };
  const auto money = [&rs](double cents) { return FormatMoney(cents, rs); };
  const auto volume = [&rs](int64_t bytes) { return FormatVolume(bytes, rs); };

  switch (BudgetOf(t)) {
    case BudgetKind::Time:
      periodWarning("zeit", t.PeriodSeconds / 60, t.TimeLimit, "80 % des Zeitlimits erreicht",
                    "Das Zeitlimit ist erreicht", duration, t.PeriodSeconds, t.TimeLimit * 60);
      break;
    case BudgetKind::Cost:
      periodWarning("kosten", t.PeriodCosts, t.CostLimit, "80 % des Kostenlimits erreicht",
                    "Das Kostenlimit ist erreicht", money, t.PeriodCosts, t.CostLimit);
      break;
    case BudgetKind::None: break;
  }
  if (HasVolumeLimit(t))
    periodWarning("volumen", static_cast<double>(VolumeUsed(t)), static_cast<double>(t.VolumeLimit),
                  "80 % des Datenvolumens verbraucht", "Das Datenvolumen ist verbraucht", volume,
                  VolumeUsed(t), t.VolumeLimit);

  if (allowancesCurrent) {
    if (HasBudget(t) && SecondsLeftToday(t) <= 0 && GiveOnce({user, t.Name, "zkonto"}, today))
      warn("Das Z.Konto für heute ist aufgebraucht.");
    if (HasVolumeLimit(t) && VolumeLeftToday(t) <= 0 && GiveOnce({user, t.Name, "volumenheute"}, today))
      warn("Das Datenvolumen für heute ist aufgebraucht.");
  }

  if (due.size() != before) Save();
}

}  // namespace tarifuhr
