// SPDX-License-Identifier: MIT
#include "mail/HeaderValues.h"

#include <random>

namespace tarifuhr {
namespace {

// Seeded once from the system's entropy: seeding from the clock on every
// call gives equal ids and boundaries to messages made in the same tick.
std::mt19937& Random() {
  static std::mt19937 generator{std::random_device{}()};
  return generator;
}

std::string RandomLetters(int count, char last) {
  std::uniform_int_distribution<int> pick(0, last - 'a');
  std::string out;
  for (int i = 0; i < count; ++i) out += static_cast<char>('a' + pick(Random()));
  return out;
}

}  // namespace

std::string PadNumber(int number, unsigned char width) {
  std::string text = std::to_string(number);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

std::string MakeMessageId(const std::string& domain, const Clock& clock) {
  const CivilDate d = DecodeDate(Today(clock));
  return "<ZIM." + PadNumber(d.year, 4) + "." + PadNumber(d.month, 2) + "." + PadNumber(d.day, 2) + "." +
         RandomLetters(16, 't') + "@" + domain + ">";
}

std::string MakeBoundary() { return "--_ZIM_bound_" + RandomLetters(12, 'y'); }

std::string ZoneSuffix(const TimeZoneSource& zone) {
  const TimeZoneInformation info = zone.Get();
  if (info.id == TimeZoneId::Invalid) return "-0000";
  const int offset = info.bias + (info.id == TimeZoneId::Standard ? info.standardBias : info.daylightBias);
  if (offset == 0) return "GMT";
  const int minutes = offset < 0 ? -offset : offset;
  return (offset < 0 ? "+" : "-") + PadNumber(minutes / 60, 2) + PadNumber(minutes % 60, 2);
}

std::string MailDate(TDateTime localTime, const TimeZoneSource& zone) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  // Day 0 (30.12.1899) was a Saturday.
  const long long dayNumber = static_cast<long long>(DateOf(localTime));
  const int weekday = static_cast<int>(((dayNumber + 6) % 7 + 7) % 7);
  const CivilDate d = DecodeDate(localTime);
  const CivilTime t = DecodeTime(localTime);
  return std::string(kDays[weekday]) + ", " + std::to_string(d.day) + " " + kMonths[d.month - 1] + " " +
         std::to_string(d.year) + " " + PadNumber(t.hour, 2) + ":" + PadNumber(t.minute, 2) + ":" +
         PadNumber(t.second, 2) + " " + ZoneSuffix(zone);
}

}  // namespace tarifuhr
