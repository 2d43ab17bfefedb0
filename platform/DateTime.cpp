// SPDX-License-Identifier: MIT
#include "platform/DateTime.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "platform/Files.h"

namespace tarifuhr {
namespace {

constexpr double kMsPerDay = 86400000.0;

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

CivilDate CivilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

constexpr int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);  // negative

// Milliseconds since 30.12.1899 00:00, rounded; the basis of both decoders so
// that 23:59:59.9996 becomes the next day's 00:00:00.000 consistently.
int64_t TotalMilliseconds(TDateTime value) { return static_cast<int64_t>(std::llround(value * kMsPerDay)); }

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[(month - 1) % 12];
}

TDateTime EncodeDate(int year, int month, int day) {
  return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                             kEpochOffset);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / kMsPerDay;
}

TDateTime EncodeDateTime(const CivilDate& date, const CivilTime& time) {
  return EncodeDate(date.year, date.month, date.day) +
         EncodeTime(time.hour, time.minute, time.second, time.millisecond);
}

CivilDate DecodeDate(TDateTime value) {
  const int64_t days = FloorDiv(TotalMilliseconds(value), 86400000);
  return CivilFromDays(days + kEpochOffset);
}

CivilTime DecodeTime(TDateTime value) {
  const int64_t ms = TotalMilliseconds(value);
  int64_t inDay = ms - FloorDiv(ms, 86400000) * 86400000;
  CivilTime t;
  t.millisecond = static_cast<int>(inDay % 1000);
  inDay /= 1000;
  t.second = static_cast<int>(inDay % 60);
  inDay /= 60;
  t.minute = static_cast<int>(inDay % 60);
  t.hour = static_cast<int>(inDay / 60);
  return t;
}

TDateTime DateOf(TDateTime value) {
  return static_cast<double>(FloorDiv(TotalMilliseconds(value), 86400000));
}

int HourOf(TDateTime value) { return DecodeTime(value).hour; }

TDateTime DateInMonthClamped(int year, int month, int day) {
  const int last = DaysInMonth(year, month);
  return EncodeDate(year, month, day > last ? last : day);
}

TDateTime AddMonthsClamped(TDateTime date, int months) {
  const CivilDate d = DecodeDate(date);
  const int index = d.year * 12 + (d.month - 1) + months;
  const int year = index >= 0 ? index / 12 : (index - 11) / 12;
  const int month = index - year * 12 + 1;
  return DateInMonthClamped(year, month, d.day) + (date - DateOf(date));
}

TDateTime SystemClock::Now() const {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t secs = system_clock::to_time_t(now);
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&secs, &local);
  return EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
                        {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms)});
}

int64_t SystemClock::MonotonicMs() const {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1000 + ts.tv_nsec / 1000000;
}

std::string SystemClock::BootId() const {
  const auto text = ReadWholeFile("/proc/sys/kernel/random/boot_id", 64);
  return text ? text->substr(0, text->find('\n')) : std::string();
}

int MillisecondsToNextSecond(TDateTime now) {
  const int ms = DecodeTime(now).millisecond;
  return 1000 - ms;
}

}  // namespace tarifuhr
