# SPDX-License-Identifier: MIT
"""The byte layouts of the program's files, for tests that write them byte by
byte and read them back: the user data file (.tfd), its tariff records and
the connection log (dialup.otl)."""

import datetime
import struct

TARIFF_SIZE = 344
HEADER_SIZE = 52
TOTALS_SIZE = 48
LOG_RECORD_SIZE = 64

# Numeric fields of a tariff record: offset and struct format.
TARIFF_FIELDS = {
    "StartDate": (24, "<d"),
    "LastDay": (32, "<d"),
    "SecondsToday": (40, "<i"),
    "ConnectionBytes": (44, "<I"),
    "PricePerMinute": (48, "<d"),
    "CostLimit": (56, "<d"),
    "TimeLimit": (64, "<d"),
    "PeriodSeconds": (72, "<d"),
    "PeriodCosts": (80, "<d"),
    "DailyAllowance": (88, "<d"),
    "TodayAllowance": (96, "<d"),
    "PeriodBytes": (112, "<I"),
    "InTotals": (136, "<B"),
    "DialInFee": (152, "<d"),
    "VolumeLimit": (256, "<q"),
    "VolumeUnit": (264, "<q"),
    "VolumeUnitPrice": (272, "<d"),
    "BytesToday": (280, "<q"),
    "VolumeDailyAllowance": (288, "<d"),
    "HangUpWhenVolumeUsed": (296, "<B"),
    "HangUpWhenBudgetUsed": (297, "<B"),
    "PeriodType": (298, "<B"),
    "PeriodDays": (300, "<i"),
    "OffPeakFrom": (304, "<d"),
    "OffPeakTo": (312, "<d"),
    "OffPeakPricePerMinute": (320, "<d"),
    "OffPeakUnitPrice": (328, "<d"),
}


def short_string(text, width):
    raw = text.encode("cp1252")[:width]
    return bytes([len(raw)]) + raw + b"\0" * (width - len(raw))


def read_short_string(buf, offset):
    return bytes(buf[offset + 1:offset + 1 + buf[offset]]).decode("cp1252")


def days(y, m, d):
    """A date as the program stores it: days since 30.12.1899."""
    return float((datetime.date(y, m, d) - datetime.date(1899, 12, 30)).days)


def tariff(name, entry, **fields):
    rec = bytearray(TARIFF_SIZE)
    rec[0:21] = short_string(name, 20)
    rec[160:181] = short_string(entry, 20)
    for field, value in fields.items():
        offset, fmt = TARIFF_FIELDS[field]
        struct.pack_into(fmt, rec, offset, value)
    return bytes(rec)


def read_tariff(rec):
    t = {field: struct.unpack_from(fmt, rec, offset)[0] for field, (offset, fmt) in TARIFF_FIELDS.items()}
    t["Name"] = read_short_string(rec, 0)
    t["EntryName"] = read_short_string(rec, 160)
    # The high words of the 64-bit byte counts.
    t["PeriodBytes"] |= struct.unpack_from("<i", rec, 104)[0] << 32
    t["ConnectionBytes"] |= struct.unpack_from("<i", rec, 108)[0] << 32
    return t


def user_file(title, tariffs, online_seconds=0.0):
    header = bytearray(HEADER_SIZE)
    header[0:21] = short_string(title, 20)
    struct.pack_into("<ii", header, 44, len(tariffs) - 1, 3)
    totals = bytearray(TOTALS_SIZE)
    struct.pack_into("<d", totals, 0, online_seconds)
    return bytes(header) + bytes(totals) + b"".join(tariffs)


def read_user_file(data):
    """(OnlineSeconds, [tariff dicts]) of a version 3 file."""
    count = struct.unpack_from("<i", data, 44)[0] + 1
    assert len(data) == HEADER_SIZE + TOTALS_SIZE + count * TARIFF_SIZE, len(data)
    online_seconds = struct.unpack_from("<d", data, HEADER_SIZE)[0]
    first = HEADER_SIZE + TOTALS_SIZE
    return online_seconds, [read_tariff(data[first + i * TARIFF_SIZE:first + (i + 1) * TARIFF_SIZE])
                            for i in range(count)]


def read_log(data):
    assert len(data) % LOG_RECORD_SIZE == 0, len(data)
    records = []
    for off in range(0, len(data), LOG_RECORD_SIZE):
        rec = data[off:off + LOG_RECORD_SIZE]
        start, end = struct.unpack_from("<dd", rec, 24)
        rx_lo, tx_lo = struct.unpack_from("<II", rec, 56)
        rx_hi, tx_hi = struct.unpack_from("<HH", rec, 44)
        records.append({
            "entry": read_short_string(rec, 0),
            "start": start,
            "end": end,
            "seconds": struct.unpack_from("<i", rec, 40)[0],
            "cost": struct.unpack_from("<d", rec, 48)[0],
            "received": rx_lo | rx_hi << 32,
            "sent": tx_lo | tx_hi << 32,
        })
    return records


def one_record(data):
    """The only record of a log, and the minute charges its seconds hold
    (one at the start and one every 60 counted seconds)."""
    log = read_log(data)
    assert len(log) == 1, f"one record of the one connection expected: {log}"
    r = log[0]
    return r, (r["seconds"] - 1) // 60 + 1


def log_record(entry, start, end, seconds, received, sent, cost):
    """One 64-byte record of dialup.otl, as read_log reads it."""
    rec = bytearray(LOG_RECORD_SIZE)
    rec[0:21] = short_string(entry, 20)
    struct.pack_into("<ddi", rec, 24, start, end, seconds)
    struct.pack_into("<HH", rec, 44, received >> 32, sent >> 32)
    struct.pack_into("<d", rec, 48, cost)
    struct.pack_into("<II", rec, 56, received & 0xFFFFFFFF, sent & 0xFFFFFFFF)
    return bytes(rec)
