#!/usr/bin/env python3
"""Writes the hostile mail corpus: mails from a handset address of the carrier, so that the
plug-in really converts them, each built to break a parser or to blow up time or memory.

Usage: hostile_corpus.py --data au-emoji.tsv OUTPUT_FOLDER [--small]

The large cases (hundreds of thousands of nested parts, tens of megabytes of header) are written
only when asked for and never committed: the test writes them into a temporary folder. Each case
says what the plug-in must make of it (see Case); the test checks that."""
import argparse
import base64
import dataclasses
import os
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "support"))
from jis_text import jis_to_sjis  # noqa: E402

CRLF = b"\r\n"
ESC = b"\x1b"
JIS_IN = ESC + b"$B"    # to the two-byte set
JIS_OUT = ESC + b"(B"   # back to ASCII
SENDER = b"From: Hostile Sender <hostile@ezweb.ne.jp>"


@dataclasses.dataclass
class Emoji:
    number: int
    jis: bytes   # the two bytes in 7-bit JIS mail
    sjis: bytes  # the carrier's own Shift_JIS code, as in 8-bit mail


@dataclasses.dataclass
class Case:
    """One mail and what must come of it.

    outcome: "rewritten" or "unchanged".
    subject: the subject the new mail must carry, in Shift_JIS bytes (None: not checked).
    plain: the text of the plain alternative (None: not checked).
    pictures: the emoji numbers the page must show, one picture each, in any order.
    table: "7bit" or "8bit": which emoji code table the mail is read with.
    kept_lines: lines that must come back in the new mail as often as they stood in the old.
    frame_last: the new frame hangs below the mail's own parts (the mail has a part tree).
    large: written only when the large cases are asked for.
    plant: for a hostile file beside the plug-in: a function of the installation's folder and
      the plug-in's path that plants it, before the mail is opened in an installation of its own.
    native_only: a case that Windows files cannot make (a FIFO, a device)."""
    name: str
    data: bytes
    outcome: str = "rewritten"
    subject: bytes = None
    plain: bytes = None
    pictures: list = dataclasses.field(default_factory=list)
    table: str = "7bit"
    kept_lines: list = dataclasses.field(default_factory=list)
    frame_last: bool = False
    large: bool = False
    plant: object = None
    native_only: bool = False


def load_emoji(data_path):
    emoji = {}
    for line in pathlib.Path(data_path).read_text(encoding="utf-8").splitlines():
        if not line or line.startswith("#") or line.startswith("number"):
            continue
        number, _, jis, _, sjis = line.split("\t")[:5]
        emoji[int(number)] = Emoji(int(number), bytes.fromhex(jis), bytes.fromhex(sjis))
    return emoji


def b_word(charset, data):
    return b"=?" + charset + b"?B?" + base64.b64encode(data) + b"?="


def mail(headers, body=b""):
    """A mail of header lines and body bytes, lines ended by CR LF; the body is taken as it is."""
    return CRLF.join(headers) + CRLF + CRLF + body


def jis_headers(subject_word, content_type=b'text/plain; charset="ISO-2022-JP"',
                encoding=b"7bit"):
    return [SENDER, b"To: reader@example.com", b"Subject: " + subject_word,
            b"Date: Tue, 08 Dec 2026 18:03:10 +0900", b"MIME-Version: 1.0",
            b"Content-Type: " + content_type, b"Content-Transfer-Encoding: " + encoding]


def quoted_printable_decode(text):
    """Quoted-printable as the mail engine reads it: an escape not followed by two hexadecimal
    digits stays, an escape with fewer than two characters after it ends the text."""
    out, i, hexdigits = bytearray(), 0, b"0123456789abcdefABCDEF"
    while i < len(text):
        c = text[i]
        i += 1
        if c != 0x3D:
            out.append(c)
            continue
        if len(text) - i < 2:
            break
        if text[i] in b"\r\n":
            pair = b"\r\n" if text[i] == 0x0D else b"\n\r"
            i += 2 if text[i:i + 2] == pair else 1
        elif text[i] in hexdigits and text[i + 1] in hexdigits:
            out.append(int(text[i:i + 2], 16))
            i += 2
        else:
            out.append(c)
    return bytes(out)


def base64_decode_lenient(text):
    """Base64 as the mail engine reads it: every character outside the alphabet (the pad
    included) is skipped, and a single symbol left at the end is dropped."""
    alphabet = b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"
    symbols = bytes(c for c in text if c in alphabet)
    symbols = symbols[:len(symbols) - len(symbols) % 4 if len(symbols) % 4 == 1 else None]
    return base64.b64decode(symbols + b"=" * (-len(symbols) % 4))


# ---- The cases -------------------------------------------------------------------------------

def nested_multiparts(e, depth):
    """`depth` multiparts, each the only part of the one above it, a text with an emoji inside.
    The boundaries have one length, so that none begins another."""
    def boundary(level):
        return b"b%06d" % level

    head = jis_headers(b_word(b"ISO-2022-JP", JIS_IN + e[1].jis + JIS_OUT),
                       content_type=b'multipart/mixed; boundary="' + boundary(0) + b'"')[:-1]
    lines = [CRLF.join(head), b"", b"--" + boundary(0)]
    for level in range(1, depth):
        lines += [b'Content-Type: multipart/mixed; boundary="' + boundary(level) + b'"', b"",
                  b"--" + boundary(level)]
    lines += [b"Content-Type: text/plain; charset=ISO-2022-JP", b"",
              JIS_IN + e[2].jis + JIS_OUT + b" deepest"]
    lines += [b"--" + boundary(level) + b"--" for level in range(depth - 1, -1, -1)]
    data = CRLF.join(lines) + CRLF
    kept = [b"--" + boundary(level) for level in (1, 63, 64, 65, depth // 2, depth - 1)]
    kept += [b"--" + boundary(level) + b"--" for level in (1, 64, depth - 1)]
    kept.append(JIS_IN + e[2].jis + JIS_OUT + b" deepest")
    return Case(f"nested_multiparts_{depth}", data, subject=jis_to_sjis(JIS_IN + e[1].jis),
                plain=b"", pictures=[1], kept_lines=kept, frame_last=True, large=depth > 1000)


def long_header_line(e, size):
    """A subject line of `size` bytes: words, with an emoji word at each end."""
    word = b_word(b"ISO-2022-JP", JIS_IN + e[1].jis + JIS_OUT)
    filler = b"hostile " * ((size - 2 * len(word)) // 8)
    subject = word + b" " + filler + word
    body = JIS_IN + e[2].jis + JIS_OUT + b" body" + CRLF
    expected = jis_to_sjis(JIS_IN + e[1].jis) + b" " + filler + jis_to_sjis(JIS_IN + e[1].jis)
    return Case(f"header_line_{size // 1000000}mb", mail(jis_headers(subject), body),
                subject=expected, plain=body, pictures=[1, 1, 2], large=size > 1000000)


def many_header_lines(e, count):
    """`count` header lines of their own kind, which the new mail must keep in order."""
    headers = jis_headers(b_word(b"ISO-2022-JP", JIS_IN + e[1].jis + JIS_OUT))
    extra = [b"X-Hostile-Line: %07d" % n for n in range(count)]
    body = JIS_IN + e[2].jis + JIS_OUT + CRLF
    return Case(f"header_lines_{count}", mail(headers[:3] + extra + headers[3:], body),
                plain=body, pictures=[1, 2], kept_lines=[extra[0], extra[count // 2], extra[-1]],
                large=count > 10000)


def lone_escape_at_end(e):
    subject = b_word(b"ISO-2022-JP", JIS_IN + e[1].jis + JIS_OUT + b"end" + ESC)
    body = b"text " + JIS_IN + e[2].jis + JIS_OUT + CRLF + b"last " + JIS_IN + e[100].jis + ESC
    return Case("lone_escape_at_end", mail(jis_headers(subject), body),
                subject=jis_to_sjis(JIS_IN + e[1].jis + JIS_OUT + b"end"), plain=body,
                pictures=[1, 2, 100])


def odd_two_byte_run(e):
    """Two-byte runs with an odd number of bytes: one before the return to ASCII, one at the end
    of a line, one at the end of the mail."""
    subject = b_word(b"ISO-2022-JP", JIS_IN + e[1].jis + b"%" + JIS_OUT)
    body = (JIS_IN + e[2].jis + b"%" + JIS_OUT + b" a" + CRLF +
            JIS_IN + e[100].jis + b"Q" + CRLF +
            JIS_IN + e[700].jis + b"Z")
    return Case("odd_two_byte_run", mail(jis_headers(subject), body), plain=body,
                pictures=[1, 2, 100, 700])


def lead_byte_at_end(e):
    """Shift_JIS mail whose subject and body end with the first byte of a two-byte character."""
    subject = b_word(b"Shift_JIS", e[1].sjis + b"\x82")
    body = b"text " + e[2].sjis + CRLF + e[100].sjis + b"\x82"
    headers = jis_headers(subject, content_type=b"text/plain; charset=Shift_JIS",
                          encoding=b"8bit")
    return Case("lead_byte_at_end", mail(headers, body), subject=e[1].sjis + b"\x82",
                plain=body, pictures=[1, 2, 100], table="8bit")


def nul_in_source(e):
    """A zero byte in the source ends the text the host hands over; what stands before it is
    converted."""
    before = b"before " + JIS_IN + e[2].jis + JIS_OUT
    body = before + b"\x00after " + JIS_IN + e[100].jis + JIS_OUT + CRLF
    in_body = Case("nul_in_body", mail(jis_headers(b_word(b"ISO-2022-JP", JIS_IN + e[1].jis)),
                                       body), plain=before, pictures=[1, 2])
    headers = jis_headers(b_word(b"ISO-2022-JP", JIS_IN + e[1].jis))
    headers.insert(3, b"X-Zero: a\x00b")
    in_header = Case("nul_in_header", mail(headers, body), plain=b"", pictures=[1])
    return [in_body, in_header]


def nul_decoded(e):
    """Zero bytes that only decoding makes: in quoted-printable body and subject, base64 body."""
    subject = b"=?ISO-2022-JP?Q?a=00b?= " + b_word(b"ISO-2022-JP", JIS_IN + e[1].jis + JIS_OUT)
    qp_body = b"x=00y =1B$B" + e[2].jis + b"=1B(B=00" + CRLF + b"=00=00end" + CRLF
    headers = jis_headers(subject, encoding=b"quoted-printable")
    headers[0] = b"From: =?ISO-2022-JP?Q?Zero=00Name?= <hostile@ezweb.ne.jp>"
    qp = Case("nul_decoded_quoted_printable", mail(headers, qp_body),
              subject=b"a\x00b" + jis_to_sjis(JIS_IN + e[1].jis),
              plain=quoted_printable_decode(qp_body), pictures=[1, 2])
    raw = b"\x00\x00" + JIS_IN + e[100].jis + JIS_OUT + b"\x00tail" + CRLF
    b64_body = base64.encodebytes(raw).replace(b"\n", CRLF)
    b64 = Case("nul_decoded_base64",
               mail(jis_headers(b_word(b"ISO-2022-JP", JIS_IN + e[1].jis), encoding=b"base64"),
                    b64_body), plain=raw, pictures=[1, 100])
    return [qp, b64]


def invalid_transfer_encoding(e):
    text = b"caf\x1b$B" + e[2].jis + e[100].jis + JIS_OUT + b" done" + CRLF
    clean = base64.b64encode(text)
    # Foreign characters, stray pads and blanks between the symbols, a lone symbol at the end.
    broken = b"!" + clean[:5] + b"*==\t" + clean[5:11] + b"\xe9\xff" + clean[11:] + b"@#" + CRLF
    broken += b"==%%" + CRLF + b"Q" + CRLF
    b64 = Case("invalid_base64", mail(jis_headers(b_word(b"ISO-2022-JP", JIS_IN + e[1].jis),
                                                  encoding=b"base64"), broken),
               plain=base64_decode_lenient(broken), pictures=[1, 2, 100])
    qp_body = (b"=1b$B" + e[2].jis + b"=1B(B =ZZ =4G =" + CRLF + b"soft=\r" + CRLF +
               b"=3D=3d =\xe9 tail =4")
    qp = Case("invalid_quoted_printable",
              mail(jis_headers(b"=?ISO-2022-JP?Q?=1B$B" + e[1].jis + b"=1b(B=ZZ=?=",
                               encoding=b"quoted-printable"), qp_body),
              plain=quoted_printable_decode(qp_body + CRLF), pictures=[1, 2])
    return [b64, qp]


def unknown_charset_words(e):
    words = [b_word(b"X-KLINGON", b"abc"), b"=?UNKNOWN*tlh?Q?d_e?=", b"=??B?Zg==?=",
             b_word(b"ISO-2022-JP", JIS_IN + e[1].jis + JIS_OUT),
             b"=?" + b"C" * 10000 + b"?Q?x?=", b"=?X-NONE?Z?kept?=", b"tail =?no-end?Q?open"]
    headers = jis_headers(b" ".join(words))
    headers[0] = b"From: =?X-UNKNOWN?Q?Sender?= <hostile@ezweb.ne.jp>"
    body = JIS_IN + e[2].jis + JIS_OUT + CRLF
    # Blanks between two words go; a word of an unknown kind stays as it stood.
    subject = (b"abcd ef" + jis_to_sjis(JIS_IN + e[1].jis) + b"x=?X-NONE?Z?kept?= tail "
               b"=?no-end?Q?open")
    return Case("unknown_charset_words", mail(headers, body), subject=subject, plain=body,
                pictures=[1, 2])


IMPOSSIBLE_DATES = [
    b"Fri, 31 Feb 2023 25:61:61 +9999", b"Sat, 29 Feb 2023 12:00:00 GMT",
    b"31 Apr 2024 00:00:00 JST", b"1 Jan 10000 00:00:00 +0000", b"31 Dec 9999 23:59:59 -1200",
    b"1 Jan 1 00:00:00 +1400", b"99 Foo 99999 99:99:99 -9999", b"1 Jan 2147483648 00:00:00",
    b"-- - -- ::: + DST DST", b"0 0 0 0:0:0", b"1 Jan 1980 00:00:00 -0000", b"12:34:56:78:90",
    b"Mon, 1 Jan 1900 00:00:00 +0900 DST", b"(" * 2000, b"",
]


def impossible_dates(e):
    cases = []
    for n, date in enumerate(IMPOSSIBLE_DATES):
        headers = jis_headers(b_word(b"ISO-2022-JP", JIS_IN + e[1].jis))
        headers[3] = b"Date: " + date
        cases.append(Case(f"impossible_date_{n:02d}", mail(headers, b"date" + CRLF),
                          plain=b"date" + CRLF, pictures=[1]))
    return cases


def multipart_without_boundary_lines(e):
    text = b"plain " + JIS_IN + e[2].jis + JIS_OUT + CRLF + b"--not-the-boundary" + CRLF
    unused = Case("multipart_boundary_unused",
                  mail(jis_headers(b_word(b"ISO-2022-JP", JIS_IN + e[1].jis),
                                   content_type=b'multipart/mixed; boundary="never-seen"'),
                       text),
                  plain=b"", pictures=[1], kept_lines=[b"--not-the-boundary"], frame_last=True)
    missing = Case("multipart_boundary_missing",
                   mail(jis_headers(b_word(b"ISO-2022-JP", JIS_IN + e[1].jis),
                                    content_type=b"multipart/mixed"), text),
                   plain=b"", pictures=[1], frame_last=True)
    return [unused, missing]


def delimiters_in_text(e):
    """Mail whose own boundary's delimiter lines stand where no reader may take them: after the
    closing delimiter (a whole part with a script, or the closing line again), and in a text part
    whose base64 decodes to them. The new frame must stay the mail's last part, with exactly its
    two alternatives, and nothing of it become markup."""
    text = b"text " + JIS_IN + e[2].jis + JIS_OUT + CRLF
    head = jis_headers(b_word(b"ISO-2022-JP", JIS_IN + e[1].jis + JIS_OUT),
                       content_type=b'multipart/mixed; boundary="XX"')[:-1]
    part = b"--XX\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" + text
    epilogue = b"--XX\r\nContent-Type: text/html\r\n\r\n<script>alert(1)</script>\r\n"
    hidden = b"--XX\r\n--XX--\r\n" + text
    encoded = (b"--XX\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n"
               b"Content-Transfer-Encoding: base64\r\n\r\n" + base64.encodebytes(hidden))
    cases = []
    for name, body, plain in (("epilogue_part", part + b"--XX--\r\n" + epilogue, text),
                              ("epilogue_closing_again", part + b"--XX--\r\n--XX--\r\n", text),
                              ("delimiters_in_base64_text", encoded + b"--XX--\r\n", hidden)):
        cases.append(Case(name, mail(head, body), plain=plain, pictures=[1, 2],
                          frame_last=True))
    return cases


def emoji_dense(e, size):
    """A mail of nothing but emoji: each two-byte code would become a tag of some 80 bytes, a page
    of forty times the mail. The mail is left as it is rather than rewritten beyond the bound."""
    run = JIS_IN + e[1].jis * 35 + JIS_OUT + CRLF
    body = run * (size // len(run))
    return Case(f"emoji_dense_{size // 1000000}mb", mail(jis_headers(b"dense"), body),
                outcome="unchanged", large=size > 1000000)


def softbank_escapes_dense(size):
    """SoftBank's escape form, seventy codes an escape and nothing else: read as code points the
    text is four times the mail, beside a page of forty. The mail is left as it is."""
    run = b"\x1b$G" + b"!" * 70 + b"\x0f" + CRLF
    head = [b"From: Hostile Sender <hostile@softbank.ne.jp>"] + jis_headers(b"dense")[1:]
    return Case(f"softbank_escapes_dense_{size // 1000000}mb", mail(head, run * (size // len(run))),
                outcome="unchanged", large=size > 1000000)


def html_list_numbers(size):
    """An HTML-only mail whose list items each become a line with a nine-digit number: its text
    would be three times the mail and more. The mail is left as it is."""
    head = jis_headers(b"list", content_type=b"text/html; charset=UTF-8")
    body = b'<ol start="999999999">' + b"<li>" * (size // 4) + CRLF
    return Case(f"html_list_numbers_{size // 1000000}mb", mail(head, body), outcome="unchanged")


def many_parts(count):
    """`count` empty parts, and a multipart without a boundary whose `count` lines begin with
    "--": more parts than the parser makes. Both are left as they are."""
    head = jis_headers(b"parts", content_type=b'multipart/mixed; boundary="p"')[:-1]
    empty = mail(head, b"--p\r\n\r\n" * count + b"--p--\r\n")
    head = jis_headers(b"dashes", content_type=b"multipart/mixed")[:-1]
    dashes = mail(head, b"--\r\n" * count)
    return [Case(f"empty_parts_{count}", empty, outcome="unchanged", large=count > 100000),
            Case(f"dash_lines_{count}", dashes, outcome="unchanged", large=count > 100000)]


def skin_placeholders_in_text(e):
    """Mail text that holds the skin's placeholders: shown as written, never filled, so that a
    small mail cannot make a page of many times its size."""
    subject = b_word(b"ISO-2022-JP", JIS_IN + e[1].jis + JIS_OUT) + b" " + b"s" * 2000
    body = b"{Subject}{Body}" * 12000 + CRLF
    return Case("skin_placeholders_in_text", mail(jis_headers(subject), body),
                subject=jis_to_sjis(JIS_IN + e[1].jis) + b" " + b"s" * 2000, plain=body,
                pictures=[1])


def table_in_cache(root):
    cache = root / "temp" / "_AE.tmp"
    cache.mkdir(mode=0o700)
    return cache / "EMOJI_7BIT.csv"


def hostile_files(e):
    """Files beside the plug-in and in its image cache that must neither hang the host nor fill
    its memory: only regular files of a few megabytes are read. Each comes with one mail with one
    emoji."""
    data = mail(jis_headers(b"files"), JIS_IN + e[1].jis + JIS_OUT + CRLF)

    def case(name, plant, outcome="rewritten", **kw):
        return Case(name, data, outcome=outcome, pictures=[1] if outcome == "rewritten" else [],
                    plant=plant, **kw)

    def skin(name, make):
        def plant(root, plugin):
            plugin.with_suffix(".ini").write_text(f"[Pictolumen]\r\nSkinList_Seletced={name}\r\n")
            make(root / "Pictolumen_SKIN" / (name + ".html"))
        return plant

    def huge(path):
        with open(path, "wb") as file:
            file.truncate(8 << 30)  # sparse: no disk is taken

    return [
        case("file_settings_fifo", lambda root, plugin: os.mkfifo(plugin.with_suffix(".ini")),
             native_only=True),
        case("file_skin_fifo", skin("Fifo", os.mkfifo), native_only=True),
        case("file_skin_8_gib_sparse", skin("Huge", huge)),
        case("file_table_fifo", lambda root, plugin: os.mkfifo(table_in_cache(root)),
             outcome="unchanged", native_only=True),
        case("file_table_links_to_dev_zero",
             lambda root, plugin: table_in_cache(root).symlink_to("/dev/zero"),
             outcome="unchanged", native_only=True),
    ]


def build(data_path, small=False):
    e = load_emoji(data_path)
    cases = [Case("empty_source", b"", outcome="unchanged")]
    cases.append(nested_multiparts(e, 200))
    cases.append(long_header_line(e, 200000))
    cases.append(many_header_lines(e, 2000))
    cases += [lone_escape_at_end(e), odd_two_byte_run(e), lead_byte_at_end(e)]
    cases += nul_in_source(e) + nul_decoded(e) + invalid_transfer_encoding(e)
    cases.append(unknown_charset_words(e))
    cases += impossible_dates(e)
    cases += multipart_without_boundary_lines(e)
    cases.append(skin_placeholders_in_text(e))
    cases += delimiters_in_text(e)
    cases.append(emoji_dense(e, 1000000))
    cases.append(softbank_escapes_dense(1000000))
    cases += many_parts(20000)
    cases.append(html_list_numbers(4000000))
    cases += hostile_files(e)
    if not small:
        cases.append(emoji_dense(e, 10000000))
        cases.append(softbank_escapes_dense(10000000))
        cases += many_parts(1000000)
        cases.append(nested_multiparts(e, 100000))
        cases.append(long_header_line(e, 50000000))
        cases.append(many_header_lines(e, 1000000))
    return cases


def write(cases, folder):
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    paths = []
    for case in cases:
        path = folder / (case.name + ".eml")
        path.write_bytes(case.data)
        paths.append(path)
    return paths


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--data", required=True)
    parser.add_argument("--small", action="store_true")
    parser.add_argument("output")
    args = parser.parse_args()
    for path in write(build(args.data, args.small), args.output):
        print(path)
