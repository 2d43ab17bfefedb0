// SPDX-License-Identifier: MIT
#pragma once
// What a tariff's numbers can be: the largest price, fee, budget, volume
// and period figure a user can enter, and the check of a record read from
// a file. Past these no tariff is sold; a value beyond them is a typing
// slip or a damaged file.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "accounting/TariffRecord.h"

namespace tarifuhr {

// Cents; minutes; bytes; seconds. Each a maximum that is allowed.
inline constexpr double kMaxPricePerMinute = 9999.99;  // below 100 € a minute
inline constexpr double kMaxDialInFee = 99999.99;      // below 1000 €
inline constexpr double kMaxCostLimit = 99999999.99;   // below 1 Mio. € a period
inline constexpr double kMaxTimeLimit = 999999;        // minutes a period
inline constexpr double kMaxVolumeUnitPrice = 99999.99;
inline constexpr int64_t kMaxVolumeBytes = int64_t{1} << 50;  // 1 PiB a period or a unit
inline constexpr double kMaxPeriodSeconds = 999999999;        // some 31 years
inline constexpr double kMaxPeriodCosts = 9999999999.99;      // below 100 Mio. €

// A field a number is typed into: its label, as messages name it, and
// its maximum.
struct AmountField {
  const char* label;
  double max;
};
inline constexpr AmountField kPricePerMinuteField{"Kosten/M.", kMaxPricePerMinute};
inline constexpr AmountField kCostLimitField{"Kostenlimit", kMaxCostLimit};
inline constexpr AmountField kTimeLimitField{"ZeitLimit", kMaxTimeLimit};
inline constexpr AmountField kDialInFeeField{"Einwahlgebühr", kMaxDialInFee};
inline constexpr AmountField kPeriodSecondsField{"Onlinezeit", kMaxPeriodSeconds};
inline constexpr AmountField kPeriodCostsField{"Onlinekosten", kMaxPeriodCosts};
inline constexpr AmountField kVolumeLimitField{"Datenvolumen pro Monat",
                                               static_cast<double>(kMaxVolumeBytes)};
inline constexpr AmountField kVolumeUnitField{"Abrechnung je angefangene",
                                              static_cast<double>(kMaxVolumeBytes)};
inline constexpr AmountField kVolumeUnitPriceField{"Preis je Einheit", kMaxVolumeUnitPrice};
inline constexpr AmountField kVolumeUsedField{"Datenvolumen verbraucht",
                                              static_cast<double>(kMaxVolumeBytes)};
inline constexpr AmountField kOffPeakPriceField{"Kosten/M. Nebenzeit", kMaxPricePerMinute};
inline constexpr AmountField kOffPeakUnitPriceField{"Preis je Einheit Nebenzeit", kMaxVolumeUnitPrice};
inline constexpr AmountField kPeriodDaysField{"Zeitraum in Tagen", kMaxPeriodDays};
inline constexpr const char* kRechargeLabel = "Guthaben aufladen";

// Dates from 1.1.0001 to 31.12.9999, as the platform's date-time value.
inline constexpr double kFirstDate = -693593;
inline constexpr double kLastDate = 2958465;

// Whether `value` is finite and lies in [0, max].
bool IsAmount(double value, double max);

// A number typed into a field that no tariff can have; the German message
// names the field and what it takes.
class ValueOutOfRange : public std::runtime_error {
 public:
  ValueOutOfRange(const std::string& text, const std::string& field, double max, char decimalSeparator,
                  double min = 0);
};

// The number typed into `field`: read as TextToFloat reads it (throws
// FloatConversionError), then from 0 to its maximum (throws
// ValueOutOfRange). A volume field's maximum is in bytes: `perUnit` is the
// bytes of one unit the text counts in.
double AmountFromText(const std::string& text, char decimalSeparator, const AmountField& field,
                      double perUnit = 1);

// Sets every number of a loaded record that is not finite or out of its
// range to 0; false when there was one.
bool ClearImpossibleValues(TariffRecord& t);
bool ClearImpossibleValues(TotalsRecord& t);

}  // namespace tarifuhr
