// SPDX-License-Identifier: MIT
#include "TariffFields.h"

#include "IsoDates.h"

#include <algorithm>

namespace tarifuhr::report {

Table TariffTable(const std::vector<TariffRecord>& tariffs, bool withCredentials) {
  Table table{{"Name",
               "StartDate",
               "LastDay",
               "SecondsToday",
               "ConnectionBytes",
               "PricePerMinute",
               "CostLimit",
               "TimeLimit",
               "PeriodSeconds",
               "PeriodCosts",
               "DailyAllowance",
               "TodayAllowance",
               "PeriodBytes",
               "WindowFrom",
               "WindowTo",
               "InTotals",
               "Reserved144",
               "DialInFee",
               "EntryName",
               "UserName",
               "Password",
               "VolumeLimit",
               "VolumeUnit",
               "VolumeUnitPrice",
               "BytesToday",
               "VolumeDailyAllowance",
               "HangUpWhenVolumeUsed",
               "HangUpWhenBudgetUsed",
               "PeriodType",
               "PeriodDays",
               "OffPeakFrom",
               "OffPeakTo",
               "OffPeakPricePerMinute",
               "OffPeakUnitPrice"},
              {},
              {"PricePerMinute", "CostLimit", "PeriodCosts", "DialInFee", "VolumeUnitPrice",
               "OffPeakPricePerMinute", "OffPeakUnitPrice"}};
  for (const TariffRecord& t : tariffs) {
    table.rows.push_back({t.Name,
                          TextOrNull(IsoDate(t.StartDate)),
                          TextOrNull(IsoDate(t.LastDay)),
                          t.SecondsToday,
                          t.ConnectionBytes,
                          Amount(t.PricePerMinute),
                          Amount(t.CostLimit),
                          t.TimeLimit,
                          t.PeriodSeconds,
                          Amount(t.PeriodCosts),
                          t.DailyAllowance,
                          t.TodayAllowance,
                          t.PeriodBytes,
                          TextOrNull(IsoTimeOfDay(t.WindowFrom)),
                          TextOrNull(IsoTimeOfDay(t.WindowTo)),
                          t.InTotals,
                          t.Reserved144,
                          Amount(t.DialInFee),
                          t.EntryName,
                          t.UserName,
                          t.Password,
                          t.VolumeLimit,
                          t.VolumeUnit,
                          Amount(t.VolumeUnitPrice),
                          t.BytesToday,
                          t.VolumeDailyAllowance,
                          t.HangUpWhenVolumeUsed,
                          t.HangUpWhenBudgetUsed,
                          static_cast<int64_t>(t.PeriodType),
                          static_cast<int64_t>(t.PeriodDays),
                          TextOrNull(IsoTimeOfDay(t.OffPeakFrom)),
                          TextOrNull(IsoTimeOfDay(t.OffPeakTo)),
                          Amount(t.OffPeakPricePerMinute),
                          Amount(t.OffPeakUnitPrice)});
  }
  if (withCredentials) return table;
  // An export shared for help must not hand out the dial-in log-in.
  for (const char* secret : {"Password", "UserName"}) {
    const auto column = std::find(table.columns.begin(), table.columns.end(), secret) - table.columns.begin();
    table.columns.erase(table.columns.begin() + column);
    for (auto& row : table.rows) row.erase(row.begin() + column);
  }
  return table;
}

Json UserJson(const UserData& data, bool withCredentials) {
  const TotalsRecord& s = data.totals;
  const Table totals{
      {"OnlineSeconds", "AllowanceSum", "RemainingSum", "LastOnlineDay"},
      {{s.OnlineSeconds, s.AllowanceSum, s.RemainingSum, TextOrNull(IsoDate(s.LastOnlineDay))}}};
  Json out = Json::object();
  out["user"] = data.title;
  out["totals"] = JsonRows(totals).at(0);
  out["tariffs"] = JsonRows(TariffTable(data.tariffs, withCredentials));
  return out;
}

}  // namespace tarifuhr::report
