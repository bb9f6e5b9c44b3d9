#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (fuzz/corpus/<target>/) from the sample mails in
examples/ and a few hand-made inputs. Each target reads its input as its own source says: some
take one or two leading selector bytes before the text."""
import base64
import pathlib
import quopri

ROOT = pathlib.Path(__file__).resolve().parent
EXAMPLES = ROOT.parent / "examples"
CORPUS = ROOT / "corpus"


def write(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def header_values(mail, name):
    prefix = name.lower().encode() + b":"
    for line in mail.split(b"\r\n"):
        if line.lower().startswith(prefix):
            yield line[len(prefix):].strip()


def body(mail):
    return mail.split(b"\r\n\r\n", 1)[1]


mails = {path.stem: path.read_bytes() for path in sorted(EXAMPLES.glob("*.eml"))}
CP932, ISO_2022_JP, UTF_8, UTF_7, UCS_2, ISO_8859_1 = 77, 78, 27, 28, 25, 0

# Whole messages: the samples, a nested tree with an enclosed message, uu and xx bodies.
for stem, mail in mails.items():
    write("message_fuzzer", stem, mail)
write("message_fuzzer", "nested", b"\r\n".join([
    b"From: a@example.jp", b"Subject: =?UTF-8?Q?nested_=E2=9C=93?=",
    b"Content-Type: multipart/mixed; boundary=\"outer\"", b"", b"preamble", b"--outer",
    b"Content-Type: multipart/alternative; boundary=inner", b"", b"--inner",
    b"Content-Type: text/plain; charset=utf-8", b"Content-Transfer-Encoding: base64", b"",
    base64.b64encode("caf\u00e9 \u263a\r\n".encode()), b"--inner",
    b"Content-Type: text/html; charset=iso-8859-1", b"Content-Transfer-Encoding: quoted-printable",
    b"", b"<p>caf=E9</p>", b"--inner--", b"--outer", b"Content-Type: message/rfc822", b"",
    b"Subject: inner", b"", b"enclosed body", b"--outer",
    b"Content-Type: application/octet-stream; name=\"=?ISO-8859-1?Q?f=E9.bin?=\"",
    b"Content-Transfer-Encoding: x-uuencode", b"", b"begin 644 f.bin", b"#86)C", b"`", b"end",
    b"--outer", b"Content-Type: text/plain", b"Content-Transfer-Encoding: x-xxencode", b"",
    b"1Mq3", b"--outer--", b"epilogue", b""]))

# Encoded words: a charset byte, a start position byte, then the value.
for stem in ("au-jis-single", "au-sjis-8bit"):
    for name in ("From", "Subject"):
        for k, value in enumerate(header_values(mails[stem], name)):
            write("encoded_words_fuzzer", f"{stem}-{name.lower()}{k}", bytes([CP932, 1]) + value)
write("encoded_words_fuzzer", "q-words", bytes([UTF_8, 4]) +
      b"Re: =?utf-8?q?caf=C3=A9_au_lait?= =?iso-8859-1*fr?Q?=E9t=E9?= \"Name, Her\" <x@y>")
write("encoded_words_fuzzer", "plain", bytes([ISO_8859_1, 0]) + b"Taro Yamada <taro@example.jp>")

# Dates: a local offset byte (56 is UTC), then the header text.
for value in set(header_values(mails["au-jis-single"], "Date")):
    write("mail_date_fuzzer", "sample", bytes([92]) + value)
for k, text in enumerate([b"8-Dec-2026 03:54:40 JST", b"8 Dec 26 10:00:00 EST DST",
                          b"Mon, 29 Feb 2027 10:00:00 -0000", b"2026 Dec 8 10:00:00.5Z +09"]):
    write("mail_date_fuzzer", f"form{k}", bytes([56]) + text)

# Transfer codecs: a line length byte, then the data.
write("transfer_codecs_fuzzer", "quoted-printable", bytes([78]) + body(mails["au-jis-qp"]))
write("transfer_codecs_fuzzer", "base64", bytes([76]) + base64.b64encode(bytes(range(256))))
write("transfer_codecs_fuzzer", "uu-line", bytes([78]) + b"M86)C" + b"86)C" * 14)
write("transfer_codecs_fuzzer", "header", bytes([78]) +
      b"Content-type: Multipart/mixed; boundary=\"0001A2F3_1B2C3D4E_Pictolumen_boundary\"")
write("transfer_codecs_fuzzer", "binary", bytes([20]) + quopri.encodestring(bytes(range(256))))

# Character set conversion: source and target identifier bytes, then the text.
write("transcode_fuzzer", "utf8", bytes([UTF_8, UTF_7]) + "caf\u00e9 \u65e5\u672c +1".encode())
write("transcode_fuzzer", "utf7", bytes([UTF_7, UCS_2]) + b"Hi Mom -+Jjo--! A+-B &AGE-")
write("transcode_fuzzer", "ucs2", bytes([UCS_2, 30]) + "\ufeffab\u263a".encode("utf-16-be"))
write("transcode_fuzzer", "latin2", bytes([1, 13]) + bytes(range(0x80, 0x100)))
write("transcode_fuzzer", "jis", bytes([ISO_2022_JP, CP932]) + body(mails["au-jis-single"]))

# Decoding into code points: an identifier byte, then the text.
EUC_JP, SHIFT_JIS, ISO_2022_JP_2, UTF_16 = 75, 76, 80, 32
write("unicode_text_fuzzer", "jis", bytes([ISO_2022_JP]) + body(mails["au-jis-single"]))
write("unicode_text_fuzzer", "sjis", bytes([SHIFT_JIS]) + body(mails["au-sjis-8bit"]))
write("unicode_text_fuzzer", "utf8", bytes([UTF_8]) +
      b"\xef\xbb\xbfcaf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x98\x80 \xe0\x80\xaf\xed\xa0\x80\xf4\x90\xc2")
write("unicode_text_fuzzer", "utf16", bytes([UTF_16]) + b"\xff\xfeA\x00=\xd8\x00\xde\x00\xd8B\x00C")
write("unicode_text_fuzzer", "escapes", bytes([ISO_2022_JP_2]) +
      b"\x1b$B$\"u!\x1b(I1\x0e2\x0f\x1b$(D0!\x1b.A\x1bNi\x1b(Zx\x1b$")
write("unicode_text_fuzzer", "euc",
      bytes([EUC_JP]) + b"\x8e\xb1\xa4\xa2\x8f\xb0\xa1\xf5\xa1\xa4a\x8e")

# Japanese code conversion: any text.
write("jis_conversion_fuzzer", "jis", body(mails["au-jis-single"]))
write("jis_conversion_fuzzer", "sjis", body(mails["au-sjis-8bit"]))
write("jis_conversion_fuzzer", "kana", b"\xb6\xde\xb3\xdf\xca\xdf\x8e\xb6\x8e\xde\x1bN\x1b$B")

# INI text: section, key, other key and value (each ended by a backslash and one more byte, as
# FuzzedDataProvider reads them), then the file text.
write("ini_text_fuzzer", "settings",
      b"Pictolumen\\;chbIsEnable_Checked\\;SkinList_Seletced\\;1\\;"
      b"[Pictolumen]\r\nchbIsEnable_Checked=0\r\nSkinList_Seletced = Night.html \r\n"
      b"[Other]\r\nchbIsEnable_Checked=1\r\n")
write("ini_text_fuzzer", "new-section", b"S\\;k\\;K2\\;  v \\;[T]\nk=1\n\n[s]\r\nk2=2")

# The whole pipeline: the samples as the host hands them over, and mail whose text is found in a
# tree of parts, in UTF-8 and in HTML.
for stem, mail in mails.items():
    write("pipeline_fuzzer", stem, mail)
SMARTPHONE_HEAD = (b"From: Taro <taro@au.com>\r\nSubject: =?UTF-8?B?5LqI5a6a7pKB?=\r\n"
                   b"MIME-Version: 1.0\r\n")
write("pipeline_fuzzer", "utf8-base64", SMARTPHONE_HEAD +
      b"Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
      base64.encodebytes("iPhone\u304b\u3089\ue481\U0001F600<&>\r\n".encode()) + b"\r\n")
write("pipeline_fuzzer", "decorated", SMARTPHONE_HEAD +
      b'Content-Type: multipart/related; boundary="r"\r\n\r\n--r\r\n'
      b'Content-Type: multipart/alternative; boundary="a"\r\n\r\n--a\r\n'
      b"Content-Type: text/html; charset=Shift_JIS\r\n\r\n<div>\x82\xa0<br>\xf6\x59&amp;</div>\r\n"
      b"--a--\r\n--r\r\nContent-Type: image/gif; name=\"d.gif\"\r\n"
      b"Content-Disposition: attachment\r\n\r\nGIF89a\r\n--r--\r\n")

# Table column: a column selector byte, then the file text (the first lines of both tables).
TABLES = ROOT.parent / "resources" / "emoji"
for table in ("EMOJI_7BIT", "EMOJI_8BIT"):
    head = b"".join((TABLES / f"{table}.csv").read_bytes().splitlines(keepends=True)[:40])
    write("csv_column_fuzzer", table.lower(), bytes([2]) + head)
write("csv_column_fuzzer", "quoted", bytes([1]) + b'1,"a,""b""",c\r\n2,\x82\\,x,\n3')

# Emoji markup: a table selector byte (even 7bit, odd 8bit), then the mail text.
write("emoji_markup_fuzzer", "jis", b"\x00" + body(mails["au-jis-single"]))
write("emoji_markup_fuzzer", "sjis", b"\x01" + body(mails["au-sjis-8bit"]))

# HTML reduced to text: a form byte (even UTF-8, odd UTF-32LE), then the HTML.
DECORATED = ("<!DOCTYPE html><html><head><title>t</title><style>p{color:red}</style></head>"
             "<body><div style=\"color:#f00\">\u3053\u3093\u306b\u3061\u306f<img src=\"cid:1\" "
             "alt=\"[\u6674\u308c]\"><br>&nbsp;&amp;&#x1F600;&copy</div><!-- c --><p>a  b</p>"
             "<ul><li>one<li>two</ul><table><tr><td>1<td>2</table><pre>\n x\n</pre>"
             "<script>a<b</script></body></html>")
write("html_to_text_fuzzer", "decorated", b"\x00" + DECORATED.encode())
write("html_to_text_fuzzer", "utf32", b"\x01" + "<ol start=3><li>&lt;<li>&#150;</ol>".encode(
    "utf-32-le"))
