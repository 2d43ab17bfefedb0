// SPDX-License-Identifier: MIT
#pragma once
// A tariff, a user's totals and the user data file header, with their
// byte layouts (344, 48 and 52 bytes, little-endian).

#include <array>
#include <cstdint>
#include <string>

#include "platform/DateTime.h"

namespace tarifuhr {

inline constexpr size_t kTariffRecordSize = 344;
inline constexpr size_t kTariffRecordV2Size = 248;
inline constexpr size_t kTotalsRecordSize = 48;
inline constexpr size_t kFileHeaderSize = 52;

// How a tariff's periods run. Prepaid credit has no end: its budget only
// goes down, and a recharge raises it.
enum class PeriodKind : uint8_t { CalendarMonth = 0, Days = 1, Prepaid = 2 };
inline constexpr int32_t kMaxPeriodDays = 366;

struct TariffRecord {
  std::string Name;  // at most 20 characters in the file
  TDateTime StartDate = 0;
  TDateTime LastDay = 0;
  int32_t SecondsToday = 0;
  // Byte counts are 64-bit here; the file keeps the low 32 bits where the
  // old program reads them and the high word in a reserved field.
  int64_t ConnectionBytes = 0;
  double PricePerMinute = 0;
  double CostLimit = 0;
  double TimeLimit = 0;
  double PeriodSeconds = 0;
  double PeriodCosts = 0;
  double DailyAllowance = 0;
  double TodayAllowance = 0;
  int64_t PeriodBytes = 0;
  TDateTime WindowFrom = 0;
  TDateTime WindowTo = 0;
  bool InTotals = false;
  double Reserved144 = 0;  // carried over from version 2 files
  double DialInFee = 0;
  std::string EntryName;  // at most 20
  std::string UserName;   // at most 50
  std::string Password;   // at most 20

  // Data volume, in bytes 256-296 that the old program writes as zero and
  // never reads; all zero is a tariff without volume.
  int64_t VolumeLimit = 0;            // 256: bytes a period, 0 = no limit
  int64_t VolumeUnit = 0;             // 264: billing unit in bytes, 0 = no volume price
  double VolumeUnitPrice = 0;         // 272: cents per started unit
  int64_t BytesToday = 0;             // 280: traffic of the day, reset like SecondsToday
  double VolumeDailyAllowance = 0;    // 288: bytes a day still allowed
  bool HangUpWhenVolumeUsed = false;  // 296: hang up once the limit is reached
  // 297: hang up once the time or cost budget of the period is used.
  bool HangUpWhenBudgetUsed = false;

  // Periods and cheaper hours, in bytes 298-335 the old program never
  // reads either; all zero is a calendar month at one price.
  uint8_t PeriodType = 0;            // 298: a PeriodKind
  int32_t PeriodDays = 0;            // 300: N of a period of N days
  TDateTime OffPeakFrom = 0;         // 304: cheaper hours begin (time of day)
  TDateTime OffPeakTo = 0;           // 312: and end; equal to OffPeakFrom = none
  double OffPeakPricePerMinute = 0;  // 320: cents a minute begun in them
  double OffPeakUnitPrice = 0;       // 328: cents a volume unit begun in them

  bool operator==(const TariffRecord&) const = default;
};

struct TotalsRecord {
  double OnlineSeconds = 0;
  double AllowanceSum = 0;
  double RemainingSum = 0;
  TDateTime LastOnlineDay = 0;
  bool operator==(const TotalsRecord&) const = default;
};

struct FileHeader {
  std::string UserTitle;  // at most 20
  int32_t LastIndex = -1;
  int32_t Version = 3;
  bool operator==(const FileHeader&) const = default;
};

using TariffBytes = std::array<uint8_t, kTariffRecordSize>;

TariffBytes EncodeTariff(const TariffRecord& t);
TariffRecord DecodeTariff(const uint8_t* bytes);
// Converts a 248-byte version 2 record.
TariffRecord DecodeTariffV2(const uint8_t* bytes);

std::array<uint8_t, kTotalsRecordSize> EncodeTotals(const TotalsRecord& t);
TotalsRecord DecodeTotals(const uint8_t* bytes);

std::array<uint8_t, kFileHeaderSize> EncodeHeader(const FileHeader& h);
FileHeader DecodeHeader(const uint8_t* bytes);

}  // namespace tarifuhr
