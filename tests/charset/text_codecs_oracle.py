#!/usr/bin/env python3
"""Checks the transfer codecs and the date reader against Python's own implementations.

Usage: text_codecs_oracle.py [EMULATOR...] DRIVER

Random cases go to the driver program (text_codecs_oracle_driver) in one batch; every answer is
compared with what base64, quopri, binascii and email.utils make of the same input. Exits 1 on
the first mismatches (listing up to 20 of them).
"""

import base64
import binascii
import calendar
import datetime
import quopri
import random
import subprocess
import sys
from email.utils import parsedate_tz

RANDOM = random.Random(20260508)
EPOCH = datetime.date(1899, 12, 30)
BASE64_SYMBOLS = b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"


def random_bytes(limit):
    return bytes(RANDOM.randrange(256) for _ in range(RANDOM.randrange(limit)))


# ---- Cases: (operation, input bytes, expected answer as the driver writes it) ---------------


def base64_cases():
    for _ in range(300):
        data = random_bytes(200)
        encoded = base64.b64encode(data)
        yield "base64-encode", data, encoded.hex()
        # Line breaks and blanks anywhere are skipped.
        noisy = bytearray()
        for c in encoded:
            noisy.append(c)
            if RANDOM.random() < 0.05:
                noisy += RANDOM.choice([b"\r\n", b"\n", b" ", b"\t"])
        yield "base64-decode", bytes(noisy), data.hex()
    for _ in range(300):
        # Garbage: every character that is no symbol is skipped, "=" included; a trailing
        # group of two or three symbols gives one or two bytes, a single symbol nothing.
        garbage = random_bytes(120)
        symbols = bytes(c for c in garbage if c in BASE64_SYMBOLS)
        usable = symbols[: len(symbols) - (1 if len(symbols) % 4 == 1 else 0)]
        padded = usable + b"=" * (-len(usable) % 4)
        yield "base64-decode", garbage, base64.b64decode(padded).hex()


def random_quoted_printable():
    """Well-formed quoted-printable text: literal characters, escapes in either letter case,
    hard and soft line breaks."""
    pieces = []
    for _ in range(RANDOM.randrange(60)):
        kind = RANDOM.randrange(6)
        if kind == 0:
            hex_digits = "%02X" % RANDOM.randrange(256)
            pieces.append(b"=" + (hex_digits.lower() if RANDOM.random() < 0.3 else hex_digits).encode())
        elif kind == 1:
            pieces.append(RANDOM.choice([b"=\r\n", b"=\n"]))
        elif kind == 2:
            pieces.append(RANDOM.choice([b"\r\n", b"\n", b" ", b"\t"]))
        else:
            pieces.append(bytes([RANDOM.choice([c for c in range(33, 127) if c != ord("=")])]))
    # "=" LF CR is one soft break here but a soft and a hard break to Python: avoid the pair.
    for i in range(len(pieces) - 1):
        if pieces[i] == b"=\n" and pieces[i + 1].startswith(b"\r"):
            pieces[i] = b"=\r\n"
    return b"".join(pieces)


def quoted_printable_cases():
    for _ in range(300):
        text = random_quoted_printable()
        yield "qp-decode", text, quopri.decodestring(text).hex()
        data = random_bytes(200)
        python_encoded = quopri.encodestring(data)
        # Python's encoder may leave a CR right after a soft break; we read "=" LF CR as one
        # soft break.
        if b"=\n\r" not in python_encoded:
            yield "qp-decode", python_encoded, data.hex()
        # Our encodings read back to the data with Python's decoder (the expected answer is
        # checked after the run, see check_round_trips).
        yield "qp-encode", data, ("round-trip", data)
        yield "qp-encode-strict", data, ("round-trip", data)
    yield "qp-decode", b"", ""


def uu_cases():
    for _ in range(300):
        data = random_bytes(46)
        line = binascii.b2a_uu(data, backtick=RANDOM.random() < 0.5)
        yield "uu-line", line, data.hex()


ZONES = {"UT": 0, "GMT": 0, "EST": -300, "EDT": -240, "CST": -360, "CDT": -300, "MST": -420,
         "MDT": -360, "PST": -480, "PDT": -420, "AST": -240, "ADT": -180}
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]
DAYS = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"]


def random_date_text():
    year = RANDOM.randrange(1980, 2100)
    month = RANDOM.randrange(1, 13)
    day = RANDOM.randrange(1, calendar.monthrange(year, month)[1] + 1)
    when = datetime.datetime(year, month, day, RANDOM.randrange(24), RANDOM.randrange(60),
                             RANDOM.randrange(60))
    if RANDOM.random() < 0.5:
        zone = RANDOM.choice(list(ZONES))
    else:
        minutes = RANDOM.choice([1, -1]) * RANDOM.choice([0, 30, 45, 60, 300, 330, 540, 600, 720])
        zone = "%s%02d%02d" % ("+" if minutes >= 0 else "-", abs(minutes) // 60, abs(minutes) % 60)
        if zone == "-0000":
            zone = "+0000"
    # Two-digit years only where both readers agree on the century.
    # ("00" is no number to us and leaves the year to its default.)
    two_digits_agree = 2001 <= year <= 2031 or 1969 <= year <= 1999
    year_text = "%02d" % (year % 100) if two_digits_agree and RANDOM.random() < 0.3 else str(year)
    day_text = ("%02d" if RANDOM.random() < 0.5 else "%d") % day
    time_text = when.strftime("%H:%M:%S")
    form = RANDOM.randrange(4)
    if form == 0:
        text = "%s, %s %s %s %s %s" % (DAYS[when.weekday()], day_text, MONTHS[month - 1], year_text, time_text, zone)
    elif form == 1:
        text = "%s %s %s %s %s" % (day_text, MONTHS[month - 1], year_text, time_text, zone)
    elif form == 2:
        text = "%s-%s-%s %s %s" % (day_text, MONTHS[month - 1], year_text, time_text, zone)
    else:
        text = "%s, %s %s %s %s %s (%s)" % (DAYS[when.weekday()], day_text, MONTHS[month - 1].upper(), year_text, time_text, zone, "comment")
    return text


def date_cases():
    for _ in range(500):
        text = random_date_text()
        bias = RANDOM.choice([0, 540, -300, 330, 60, -600])
        parsed = parsedate_tz(text)
        assert parsed is not None and parsed[9] is not None, text
        year, month, day, hour, minute, second = parsed[:6]
        moment = datetime.datetime(year, month, day, hour, minute, second)
        utc = moment - datetime.timedelta(seconds=parsed[9])
        local = utc + datetime.timedelta(minutes=bias)
        expected = (local - datetime.datetime(1899, 12, 30)) / datetime.timedelta(days=1)
        yield "date %d" % bias, text.encode("ascii"), ("date", expected, text)


# ---- Running and comparing --------------------------------------------------------------------


def matches(answer, expected):
    if isinstance(expected, str):
        return answer == expected
    if expected[0] == "round-trip":
        return quopri.decodestring(bytes.fromhex(answer)) == expected[1]
    if expected[0] == "date":
        return abs(float(answer) - expected[1]) < 1e-7
    return False


def main(command):
    cases = [*base64_cases(), *quoted_printable_cases(), *uu_cases(), *date_cases()]
    request = "".join("%s %s\n" % (operation, data.hex()) for operation, data, _ in cases)
    run = subprocess.run(command, input=request.encode(), stdout=subprocess.PIPE, check=True)
    answers = run.stdout.decode().splitlines()
    if len(answers) != len(cases):
        print("driver gave %d answers for %d cases" % (len(answers), len(cases)))
        return 1
    failures = [(case, answer) for case, answer in zip(cases, answers) if not matches(answer, case[2])]
    for (operation, data, expected), answer in failures[:20]:
        print("MISMATCH %s input=%r expected=%r got=%r" % (operation, data, expected, answer))
    print("%d cases, %d mismatches" % (len(cases), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) < 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1:]))
