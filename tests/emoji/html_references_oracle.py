#!/usr/bin/env python3
"""Character references as HtmlToText reads them in text, against Python's html.unescape: every
name of HTML 4 (and &apos; and the upper-case six) with and without ";", and random runs of
names, numbers and other characters. Usage: html_references_oracle.py HTML_TO_TEXT_FILTER"""
import html
import html.entities
import random
import subprocess
import sys

NAMES = sorted(html.entities.name2codepoint) + ["apos", "AMP", "LT", "GT", "QUOT", "COPY", "REG"]
# Numbers left out: characters html.unescape drops (browsers and HtmlToText keep them), and
# white space, which the text lays out as spaces.
SKIPPED = (set(html._invalid_codepoints) - set(html._invalid_charrefs)) | {9, 10, 12, 13, 32}
# Between references: characters that extend no name of HTML 5 into another one.
OTHERS = ["x", "Z", ";", "=", "&", "\u3042", "&#", "&#x"]
EDGES = [0, 0x7F, 0x80, 0x81, 0x9F, 0xA0, 0xD7FF, 0xD800, 0xDFFF, 0xE000, 0xFFFD, 0x10FFFF,
         0x110000, 10**30]


def number(rng):
    while True:
        n = rng.choice(EDGES + [rng.randrange(0x200), rng.randrange(0x110000)])
        if n not in SKIPPED:
            break
    digits = rng.choice([f"{n}", f"x{n:x}", f"X{n:X}", f"0000{n}"])
    return f"&#{digits}" + rng.choice([";", ""])


def piece(rng):
    kind = rng.randrange(3)
    if kind == 0:
        return f"&{rng.choice(NAMES)}" + rng.choice([";", ""])
    return number(rng) if kind == 1 else rng.choice(OTHERS)


def main():
    rng = random.Random(1)
    cases = [f"&{name};" for name in NAMES] + [f"&{name}x" for name in NAMES]
    cases += ["".join(piece(rng) for _ in range(rng.randrange(1, 12))) for _ in range(20000)]
    joined = "\0".join(cases).encode("utf-32-le")
    result = subprocess.run([sys.argv[1]], input=joined, capture_output=True, check=True)
    texts = result.stdout.decode("utf-32-le").split("\0")
    failures = [(c, t, html.unescape(c)) for c, t in zip(cases, texts) if t != html.unescape(c)]
    for case, text, expected in failures[:20]:
        print(f"{case!r}: {text!r}, html.unescape gives {expected!r}")
    if len(texts) != len(cases) or failures:
        print(f"{len(failures)} of {len(cases)} cases differ ({len(texts)} results)")
        return 1
    print(f"{len(cases)} cases agree")
    return 0


if __name__ == "__main__":
    sys.exit(main())
