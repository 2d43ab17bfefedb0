// SPDX-License-Identifier: MIT
#pragma once
// Values of the generated mail headers: Message-Id, MIME boundary, Date.

#include <string>

#include "platform/DateTime.h"
#include "platform/TimeZone.h"

namespace tarifuhr {

// "<ZIM.yyyy.mm.dd." + 16 random letters a..t + "@" + domain + ">".
std::string MakeMessageId(const std::string& domain, const Clock& clock = SystemClock());
// "--_ZIM_bound_" + 12 random letters a..y.
std::string MakeBoundary();

// "Sun, 6 Dec 2026 09:05:03 +0100": English names whatever the locale.
std::string MailDate(TDateTime localTime, const TimeZoneSource& zone = SystemTimeZone());
// "+hhmm" east of UTC, "-hhmm" west, "GMT" for UTC; "-0000" (RFC 2822: the
// zone is not known) when the system can't report it.
std::string ZoneSuffix(const TimeZoneSource& zone = SystemTimeZone());

// Decimal text with leading zeros up to `width`; longer numbers stay whole.
std::string PadNumber(int number, unsigned char width);

}  // namespace tarifuhr
