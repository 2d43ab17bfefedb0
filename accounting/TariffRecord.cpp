// SPDX-License-Identifier: MIT
#include "accounting/TariffRecord.h"

#include "accounting/ByteLayout.h"

namespace tarifuhr {

TariffBytes EncodeTariff(const TariffRecord& t) {
  TariffBytes b{};
  uint8_t* p = b.data();
  PutShortString(p + 0, 20, t.Name);
  PutF64(p + 24, t.StartDate);
  PutF64(p + 32, t.LastDay);
  PutI32(p + 40, t.SecondsToday);
  PutU32(p + 44, static_cast<uint32_t>(t.ConnectionBytes));
  PutF64(p + 48, t.PricePerMinute);
  PutF64(p + 56, t.CostLimit);
  PutF64(p + 64, t.TimeLimit);
  PutF64(p + 72, t.PeriodSeconds);
  PutF64(p + 80, t.PeriodCosts);
  PutF64(p + 88, t.DailyAllowance);
  PutF64(p + 96, t.TodayAllowance);
  PutI32(p + 104, static_cast<int32_t>(t.PeriodBytes >> 32));
  PutI32(p + 108, static_cast<int32_t>(t.ConnectionBytes >> 32));
  PutU32(p + 112, static_cast<uint32_t>(t.PeriodBytes));
  PutF64(p + 120, t.WindowFrom);
  PutF64(p + 128, t.WindowTo);
  p[136] = t.InTotals ? 1 : 0;
  PutF64(p + 144, t.Reserved144);
  PutF64(p + 152, t.DialInFee);
  PutShortString(p + 160, 20, t.EntryName);
  PutShortString(p + 181, 50, t.UserName);
  PutShortString(p + 232, 20, t.Password);
  PutI64(p + 256, t.VolumeLimit);
  PutI64(p + 264, t.VolumeUnit);
  PutF64(p + 272, t.VolumeUnitPrice);
  PutI64(p + 280, t.BytesToday);
  PutF64(p + 288, t.VolumeDailyAllowance);
  p[296] = t.HangUpWhenVolumeUsed ? 1 : 0;
  p[297] = t.HangUpWhenBudgetUsed ? 1 : 0;
  p[298] = t.PeriodType;
  PutI32(p + 300, t.PeriodDays);
  PutF64(p + 304, t.OffPeakFrom);
  PutF64(p + 312, t.OffPeakTo);
  PutF64(p + 320, t.OffPeakPricePerMinute);
  PutF64(p + 328, t.OffPeakUnitPrice);
  return b;
}

TariffRecord DecodeTariff(const uint8_t* p) {
  TariffRecord t;
  t.Name = GetShortString(p + 0, 20);
  t.StartDate = GetF64(p + 24);
  t.LastDay = GetF64(p + 32);
  t.SecondsToday = GetI32(p + 40);
  t.ConnectionBytes = JoinCount(GetU32(p + 44), GetI32(p + 108));
  t.PricePerMinute = GetF64(p + 48);
  t.CostLimit = GetF64(p + 56);
  t.TimeLimit = GetF64(p + 64);
  t.PeriodSeconds = GetF64(p + 72);
  t.PeriodCosts = GetF64(p + 80);
  t.DailyAllowance = GetF64(p + 88);
  t.TodayAllowance = GetF64(p + 96);
  t.PeriodBytes = JoinCount(GetU32(p + 112), GetI32(p + 104));
  t.WindowFrom = GetF64(p + 120);
  t.WindowTo = GetF64(p + 128);
  t.InTotals = p[136] != 0;
  t.Reserved144 = GetF64(p + 144);
  t.DialInFee = GetF64(p + 152);
  t.EntryName = GetShortString(p + 160, 20);
  t.UserName = GetShortString(p + 181, 50);
  t.Password = GetShortString(p + 232, 20);
  t.VolumeLimit = GetI64(p + 256);
  t.VolumeUnit = GetI64(p + 264);
  t.VolumeUnitPrice = GetF64(p + 272);
  t.BytesToday = GetI64(p + 280);
  t.VolumeDailyAllowance = GetF64(p + 288);
  t.HangUpWhenVolumeUsed = p[296] != 0;
  t.HangUpWhenBudgetUsed = p[297] != 0;
  t.PeriodType = p[298];
  t.PeriodDays = GetI32(p + 300);
  t.OffPeakFrom = GetF64(p + 304);
  t.OffPeakTo = GetF64(p + 312);
  t.OffPeakPricePerMinute = GetF64(p + 320);
  t.OffPeakUnitPrice = GetF64(p + 328);
  return t;
}

TariffRecord DecodeTariffV2(const uint8_t* old) {
  TariffBytes b{};
  uint8_t* p = b.data();
  std::memcpy(p + 0, old + 0, 21);
  std::memcpy(p + 24, old + 24, 20);  // StartDate, LastDay, SecondsToday
  std::memcpy(p + 48, old + 48, 24);  // PricePerMinute, CostLimit, TimeLimit
  std::memcpy(p + 72, old + 72, 48);  // PeriodSeconds ... PeriodBytes, padding
  // Bytes 104-111 hold the byte counts' high words here; an old record
  // has nothing there that could be one, and no open connection.
  std::memset(p + 104, 0, 8);
  std::memcpy(p + 120, old + 120, 17);  // WindowFrom, WindowTo, InTotals
  std::memcpy(p + 144, old + 144, 8);
  std::memcpy(p + 160, old + 152, 21);
  std::memcpy(p + 181, old + 173, 51);
  std::memcpy(p + 232, old + 224, 21);
  return DecodeTariff(p);
}

std::array<uint8_t, kTotalsRecordSize> EncodeTotals(const TotalsRecord& t) {
  std::array<uint8_t, kTotalsRecordSize> b{};
  PutF64(b.data() + 0, t.OnlineSeconds);
  PutF64(b.data() + 16, t.AllowanceSum);
  PutF64(b.data() + 24, t.RemainingSum);
  PutF64(b.data() + 32, t.LastOnlineDay);
  return b;
}

TotalsRecord DecodeTotals(const uint8_t* p) {
  return {GetF64(p + 0), GetF64(p + 16), GetF64(p + 24), GetF64(p + 32)};
}

std::array<uint8_t, kFileHeaderSize> EncodeHeader(const FileHeader& h) {
  std::array<uint8_t, kFileHeaderSize> b{};
  PutShortString(b.data(), 20, h.UserTitle);
  PutI32(b.data() + 44, h.LastIndex);
  PutI32(b.data() + 48, h.Version);
  return b;
}

FileHeader DecodeHeader(const uint8_t* p) { return {GetShortString(p, 20), GetI32(p + 44), GetI32(p + 48)}; }

}  // namespace tarifuhr
