#!/usr/bin/env python3
"""Opens every sample mail through the stand-in host, natively or under Wine, and reads the
rewritten message back with an independent MIME reader, Python's email package.

Usage: open_mail_test.py --host HOST --plugin PLUGIN --skins SKIN_FOLDER --examples DIR
                         --data au-emoji.tsv [--wine WINE-RUN] [--converter [LIBRARY]]

Each scenario gets a fresh copy of the plug-in and its skins in a temporary folder, so that the
settings file beside it starts absent; natively the image cache goes to a temporary TMPDIR.
With --converter the caller has put a converter library "iconv.dll" on the library path, or
names it (--converter LIBRARY) to be put beside each copy of the plug-in, and only the samples'
conversion is checked, as far as it does not depend on that library."""
import argparse
import base64
import email
import email.message
import email.header
import email.policy
import os
import pathlib
import quopri
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "support"))
from jis_text import jis_to_sjis  # noqa: E402

ARGS = None


# ---- Independent reading of the sample mails -------------------------------------------------

def load_emoji_table():
    by_jis, by_sjis, names = {}, {}, {}
    for line in pathlib.Path(ARGS.data).read_text(encoding="utf-8").splitlines():
        if not line or line.startswith("#") or line.startswith("number"):
            continue
        number, name, jis, _, sjis = line.split("\t")[:5]
        by_jis[bytes.fromhex(jis)] = int(number)
        by_sjis[bytes.fromhex(sjis)] = int(number)
        names[int(number)] = name.encode("cp932")
    return by_jis, by_sjis, names


def emoji_in_sjis(text, by_sjis_key):
    """Numbers of the emoji found walking Shift_JIS text by characters."""
    found, i = [], 0
    while i < len(text):
        b = text[i]
        if (0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC) and i + 1 < len(text):
            key = text[i:i + 2]
            if key in by_sjis_key:
                found.append(by_sjis_key[key])
            i += 2
        else:
            i += 1
    return found


def escape(text):
    return (text.replace(b"&", b"&amp;").replace(b"<", b"&lt;").replace(b">", b"&gt;")
            .replace(b'"', b"&quot;"))


def raw_header(raw, name):
    match = re.search(rb"^" + name + rb":(.*(?:\r\n[ \t].*)*)", raw, re.M | re.I)
    return match.group(1) if match else b""


def decoded_header_bytes(value):
    return b"".join(part if isinstance(part, bytes) else part.encode("ascii")
                    for part, _ in email.header.decode_header(value.decode("ascii")))


def original_body(raw):
    head, _, body = raw.partition(b"\r\n\r\n")
    if re.search(rb"^Content-Transfer-Encoding:\s*quoted-printable", head, re.M | re.I):
        body = quopri.decodestring(body)
    return body.replace(b"\r\n", b"\n")


# ---- Running the host -----------------------------------------------------------------------

class Installation:
    """A fresh copy of the plug-in and its skins, and a private temporary folder."""

    def __init__(self):
        self.root = pathlib.Path(tempfile.mkdtemp(prefix="pl-e2e-"))
        self.plugin = self.root / pathlib.Path(ARGS.plugin).name
        shutil.copy(ARGS.plugin, self.plugin)
        if isinstance(ARGS.converter, str):
            shutil.copy(ARGS.converter, self.root)
        shutil.copytree(ARGS.skins, self.root / "Pictolumen_SKIN")
        self.temp = self.root / "temp"
        self.temp.mkdir()
        self.folders = {}

    def settings(self, **values):
        lines = ["[Pictolumen]"] + [f"{k}={v}" for k, v in values.items()]
        (self.plugin.with_suffix(".ini")).write_bytes("\r\n".join(lines).encode("cp932") + b"\r\n")

    def open(self, mail, *options):
        out = self.root / "out.eml"
        if out.exists():
            out.unlink()
        command = ([ARGS.wine] if ARGS.wine else []) + [
            ARGS.host, "--plugin", str(self.plugin), "open", str(mail), "--out", str(out), *options]
        env = dict(os.environ, TMPDIR=str(self.temp))
        env.pop("XDG_RUNTIME_DIR", None)  # every image cache folder lies in TMPDIR
        result = subprocess.run(command, capture_output=True, env=env, timeout=300)
        if result.returncode != 0:
            raise AssertionError(f"host failed ({result.returncode}): {result.stderr.decode(errors='replace')}")
        self.stderr = result.stderr.decode(errors="replace")
        status = result.stdout.decode().strip().splitlines()[-1]
        return status, (out.read_bytes() if out.exists() else None)

    def cleanup(self):
        shutil.rmtree(self.root, ignore_errors=True)

    def local_path(self, folder, name):
        """The local path of file `name` in `folder`, a path as the plug-in wrote it."""
        if not ARGS.wine:
            return pathlib.Path(folder) / name
        if folder not in self.folders:
            result = subprocess.run([ARGS.wine, "winepath", "-u", folder], capture_output=True,
                                    timeout=120)
            self.folders[folder] = pathlib.Path(result.stdout.decode().strip())
        return self.folders[folder] / name


def tree(part):
    if part.is_multipart():
        return (part.get_content_type(), [tree(p) for p in part.get_payload()])
    return part.get_content_type()


EMOJI_TREE = ("multipart/mixed", [("multipart/related", [("multipart/alternative",
                                                           ["text/plain", "text/html"])])])


class HostCase(unittest.TestCase):
    """Runs each test against a fresh installation; the checks shared by the tests."""

    @classmethod
    def setUpClass(cls):
        cls.by_jis, cls.by_sjis, cls.names = load_emoji_table()
        cls.by_sjis_mail = {jis_to_sjis(b"\x1b$B" + k): n for k, n in cls.by_jis.items()}

    def setUp(self):
        # Every scenario runs without a converter library; the samples run with one as well.
        with_converter = self._testMethodName.endswith("_with_a_converter_library")
        if bool(ARGS.converter) != with_converter:
            self.skipTest("with a converter library" if with_converter else "without one")
        self.install = Installation()

    def tearDown(self):
        self.install.cleanup()

    def convert(self, sample):
        status, rewritten = self.install.open(pathlib.Path(ARGS.examples) / sample)
        self.assertEqual(status, "rewritten")
        self.assertIsNotNone(rewritten)
        return email.message_from_bytes(rewritten, policy=email.policy.compat32)

    def alternatives(self, message):
        """The plain and HTML parts of a rewritten single-part mail."""
        return message.get_payload()[0].get_payload()[0].get_payload()

    def check_text_parts(self, plain, html, plain_charset="iso-2022-jp"):
        self.assertEqual(plain["Content-Description"], "Message text")
        self.assertEqual(html["Content-Description"], "HTML text")
        # Each part is labelled with the set its bytes are in: the page is Shift_JIS, as its
        # skin says; the plain text is in the set the mail brought it in.
        self.assertEqual(plain.get_content_charset(), plain_charset)
        self.assertEqual(html.get_content_charset(), "shift_jis")
        for part in (plain, html):
            self.assertEqual(part["Content-Transfer-Encoding"].strip().lower(), "quoted-printable")

    def check_pictures(self, page, expected_numbers):
        tags = re.findall(rb'<img src="file://([^"]*?)(\d+)\.gif" alt="([^"]*)">', page)
        self.assertEqual(sorted(int(n) for _, n, _ in tags), sorted(expected_numbers))
        for folder, number, alt in tags:
            self.assertEqual(alt, escape(self.names[int(number)]))
            picture = self.install.local_path(folder.decode("cp932"), number.decode() + ".gif")
            self.assertTrue(picture.read_bytes().startswith(b"GIF89a"), picture)

    def expected_numbers(self, subject_sjis, body_sjis, table, skin="Simple"):
        skin_text = (self.install.root / "Pictolumen_SKIN" / f"{skin}.html").read_bytes()
        return (emoji_in_sjis(subject_sjis, table) * skin_text.count(b"{Subject}") +
                emoji_in_sjis(body_sjis, table) * skin_text.count(b"{Body}"))

    def check_single_part_sample(self, sample):
        raw = (pathlib.Path(ARGS.examples) / sample).read_bytes()
        message = self.convert(sample)
        self.assertEqual(tree(message), EMOJI_TREE)
        plain, html = self.alternatives(message)
        charset = re.search(rb"charset=\"?([\w-]+)", raw_header(raw, b"Content-Type"))[1]
        self.check_text_parts(plain, html, charset.decode().lower())
        body = original_body(raw)
        subject = jis_to_sjis(decoded_header_bytes(raw_header(raw, b"Subject"))).strip()
        page = html.get_payload(decode=True)
        # A reader of MIME gives the line break before a boundary line to the boundary, so the
        # part's last line break is not part of what it reads. With a converter library present
        # too, the plain text keeps the carrier's codes, which no such library knows.
        self.assertEqual(plain.get_payload(decode=True).replace(b"\r\n", b"\n"),
                         body[:-1] if body.endswith(b"\n") else body)
        # The subject is written in ISO-2022-JP, whatever the mail wrote it in.
        self.assertIn(b"=?ISO-2022-JP?B?", message["Subject"].encode("ascii"))
        self.assertEqual(jis_to_sjis(decoded_header_bytes(message["Subject"].encode("ascii"))),
                         subject)
        eight_bit = b"8bit" in raw_header(raw, b"Content-Transfer-Encoding").lower()
        table = self.by_sjis if eight_bit else self.by_sjis_mail
        self.check_pictures(page, self.expected_numbers(subject, jis_to_sjis(body), table))
        self.assertIn(b"3&lt;5 &amp; &quot;quote&quot;", page)
        self.assertNotIn(b'3<5 & "quote"', page)
        return page

class OpenMail(HostCase):
    """The sample mails."""

    def test_jis_single_part(self):
        self.check_single_part_sample("au-jis-single.eml")

    def test_jis_quoted_printable(self):
        self.check_single_part_sample("au-jis-qp.eml")

    def test_shift_jis_8bit_shows_every_emoji(self):
        page = self.check_single_part_sample("au-sjis-8bit.eml")
        self.assertGreater(page.count(b"<img "), 5)

    def test_emoji_are_pictures_with_a_converter_library(self):
        for sample in ("au-jis-single.eml", "au-jis-qp.eml", "au-sjis-8bit.eml"):
            with self.subTest(sample=sample):
                self.check_single_part_sample(sample)

    def test_multipart_keeps_its_parts_and_gains_one(self):
        message = self.convert("au-jis-attachment.eml")
        parts = message.get_payload()
        self.assertEqual([tree(p) for p in parts], ["text/plain", "image/jpeg", EMOJI_TREE])
        self.assertEqual(parts[1].get_filename(), "photo.jpg")
        self.assertEqual(parts[1].get_payload(decode=True)[:2], b"\xff\xd8")
        plain, html = parts[2].get_payload()[0].get_payload()[0].get_payload()
        self.check_text_parts(plain, html)
        # The page and the plain alternative show the mail's text part, its emoji as pictures.
        text = parts[0].get_payload(decode=True)
        self.assertEqual(plain.get_payload(decode=True).strip(), text.strip())
        self.check_pictures(html.get_payload(decode=True),
                            emoji_in_sjis(jis_to_sjis(text), self.by_sjis_mail) +
                            emoji_in_sjis(jis_to_sjis(decoded_header_bytes(
                                message["Subject"].encode("ascii"))), self.by_sjis_mail))

    def test_a_mail_opened_again_and_again_in_one_host_is_rewritten_alike(self):
        # open --time opens the mail several times in one process, as a user who opens it again
        # does, and reports how long the plug-in took. Only the boundaries, made from the clock,
        # may differ between the rewritten mails.
        def without_boundaries(mail):
            return re.sub(rb"[0-9A-F]{8}_[0-9A-F]{8}_Pictolumen_boundary", b"B", mail)

        for sample in ("au-jis-single.eml", "au-jis-attachment.eml"):
            with self.subTest(sample=sample):
                mail = pathlib.Path(ARGS.examples) / sample
                status, once = self.install.open(mail)
                self.assertEqual(status, "rewritten")
                status, last = self.install.open(mail, "--time", "4")
                self.assertEqual(status, "rewritten")
                self.assertEqual(without_boundaries(last), without_boundaries(once))
                report = re.fullmatch(r"opened 4 times: fastest ([0-9.]+) ms, median ([0-9.]+) ms\s*",
                                      self.install.stderr)
                self.assertIsNotNone(report, self.install.stderr)
                self.assertLessEqual(float(report[1]), float(report[2]))
        with self.assertRaisesRegex(AssertionError, r"host failed \(1\)"):
            self.install.open(pathlib.Path(ARGS.examples) / "au-jis-single.eml", "--time", "0")

    def test_mail_from_elsewhere_is_left_alone(self):
        self.assertEqual(self.install.open(pathlib.Path(ARGS.examples) / "pc-jis-single.eml"),
                         ("unchanged", None))

    def test_switch_other_than_minus_one_turns_display_off(self):
        for value in ("0", "1", "", "True"):
            with self.subTest(value=value):
                self.install.settings(chbIsEnable_Checked=value)
                self.assertEqual(self.install.open(pathlib.Path(ARGS.examples) / "au-jis-single.eml"),
                                 ("unchanged", None))

    def test_a_conversion_that_fails_leaves_the_mail_unchanged(self):
        # The plug-in returns normally (the host exits 0) and the host is handed nothing.
        sample = pathlib.Path(ARGS.examples) / "au-jis-single.eml"
        (self.install.root / "Pictolumen_SKIN" / "Simple.html").unlink()  # no skin to read
        self.assertEqual(self.install.open(sample), ("unchanged", None))

    def test_a_broken_image_cache_leaves_the_mail_unchanged(self):
        if ARGS.wine:
            self.skipTest("under Wine the image cache is in the Wine prefix's own temporary folder")
        sample = pathlib.Path(ARGS.examples) / "au-jis-single.eml"
        cache = self.install.temp / "_AE.tmp"
        cache.write_bytes(b"")  # a file where the folder should be,
        (self.install.temp / f"_AE.tmp-{os.geteuid()}").write_bytes(b"")  # and the user's own
        self.assertEqual(self.install.open(sample), ("unchanged", None))
        cache.unlink()
        cache.mkdir()
        (cache / "EMOJI_7BIT.csv").write_bytes(b"1,x\r\n")  # a row of two columns
        self.assertEqual(self.install.open(sample), ("unchanged", None))

    def skin_prefix(self, skin):
        text = (self.install.root / "Pictolumen_SKIN" / f"{skin}.html").read_bytes()
        return text[:min(i for i in (text.find(b"{Subject}"), text.find(b"{Body}")) if i >= 0)]

    def page_of(self, message):
        return self.alternatives(message)[1].get_payload(decode=True)

    def test_chosen_skin_is_used_and_a_missing_one_falls_back_to_simple(self):
        skins = sorted(p.stem for p in (self.install.root / "Pictolumen_SKIN").glob("*.html"))
        other = next(s for s in skins if s != "Simple")
        self.install.settings(SkinList_Seletced=other)
        page = self.page_of(self.convert("au-jis-single.eml"))
        prefix = self.skin_prefix(other)
        self.assertTrue(page.startswith(prefix.split(b"<img src=\"")[0]))
        self.install.settings(SkinList_Seletced="NoSuchSkin")
        page = self.page_of(self.convert("au-jis-single.eml"))
        self.assertTrue(page.startswith(self.skin_prefix("Simple").split(b"<img src=\"")[0]))


# ---- Every kind of au mail, made here with Python's email package ------------------------------

def pua(number):
    """The private-use code point of emoji `number` in au's Unicode mail."""
    for line in pathlib.Path(ARGS.data).read_text(encoding="utf-8").splitlines():
        fields = line.split("\t")
        if fields[0] == str(number):
            return chr(int(fields[7], 16))
    raise KeyError(number)


def au_mail(body_part, sender="taro@ezweb.ne.jp", subject="=?UTF-8?B?5LqI5a6a?="):
    """The source of a mail from `sender` around `body_part` (an email.message.Message)."""
    head = (f"From: Taro <{sender}>\r\nTo: hanako@example.com\r\nSubject: {subject}\r\n"
            "Date: Tue, 08 Dec 2026 18:03:10 +0900\r\nMIME-Version: 1.0\r\n")
    return head.encode("ascii") + body_part.as_bytes(policy=email.policy.SMTP)


def text_part(text, subtype="plain", charset="utf-8", encoding="base64"):
    part = email.message.Message()
    part.set_type(f"text/{subtype}")
    part.set_param("charset", charset)
    data = text if isinstance(text, bytes) else text.encode(charset)
    part["Content-Transfer-Encoding"] = encoding
    part.set_payload(base64.encodebytes(data).decode("ascii") if encoding == "base64" else
                     data.decode("ascii"))
    return part


def multipart(subtype, *parts):
    whole = email.message.Message()
    whole.set_type(f"multipart/{subtype}")
    for part in parts:
        whole.attach(part)
    return whole


def attachment(name, data=b"%PDF-1.4 not much"):
    part = text_part(data, charset="x")
    part.set_type("application/octet-stream")
    del part["Content-Type"]
    part["Content-Type"] = f'application/octet-stream; name="{name}"'
    part["Content-Disposition"] = f'attachment; filename="{name}"'
    return part


class AuMailKinds(HostCase):
    """Photo, decorated, attachment-only and Unicode mail from au handsets and smartphones."""

    def open_mail(self, source):
        path = self.install.root / "mail.eml"
        path.write_bytes(source)
        status, rewritten = self.install.open(path)
        self.assertEqual(status, "rewritten")
        message = email.message_from_bytes(rewritten, policy=email.policy.compat32)
        frame = message if tree(message) == EMOJI_TREE else message.get_payload()[-1]
        self.assertEqual(tree(frame), EMOJI_TREE)
        plain, html = self.alternatives(frame)
        return message, plain, html

    def test_utf8_mail_with_private_use_emoji_and_characters_beyond_code_page_932(self):
        text = f"iPhoneから送信{pua(1)}○◎\r\n😀 <b>&</b> {pua(44)}{pua(1)}\r\n"
        message, plain, html = self.open_mail(au_mail(
            text_part(text), sender="taro@EZweb.ne.jp",
            subject="=?UTF-8?B?" + base64.b64encode(f"予定{pua(44)}".encode()).decode() + "?="))
        self.check_text_parts(plain, html, "utf-8")
        self.assertEqual(plain.get_payload(decode=True).decode("utf-8"), text.rstrip("\r\n"))
        page = html.get_payload(decode=True)
        self.check_pictures(page, [44, 1, 44, 1] * 1)  # subject once, body three
        shown = page.decode("cp932")
        self.assertIn("iPhoneから送信", shown)
        self.assertIn("○◎", shown)
        self.assertIn("&#x1F600; &lt;b&gt;&amp;&lt;/b&gt;", shown)
        self.assertNotIn("_", re.sub(r"<[^>]*>", "", shown.split("<body")[-1]))
        # The subject is ISO-2022-JP, its pictograph in the carrier's JIS code.
        self.assertEqual(jis_to_sjis(decoded_header_bytes(message["Subject"].encode("ascii"))),
                         "予定".encode("cp932") + self.sjis_mail_code(44))

    def sjis_mail_code(self, number):
        return next(code for code, n in self.by_sjis_mail.items() if n == number)

    def test_decorated_mail_shows_its_html_text_when_it_has_no_plain_part(self):
        html_text = ("<html><head><title>t</title><script>alert(1)</script></head><body>"
                     "<div>一行目&amp;<br>二行目</div><p>&#x1F600;</p></body></html>").encode("cp932")
        html_text = html_text.replace(b"&amp;", b"&amp;" + bytes.fromhex("F659"))
        source = au_mail(multipart("related", text_part(html_text, "html", "shift_jis"),
                                   attachment("deco.gif")), sender="hanako@au.com")
        _, plain, html = self.open_mail(source)
        self.check_text_parts(plain, html, "utf-8")
        self.assertEqual(plain.get_payload(decode=True).decode("utf-8"),
                         f"一行目&{pua(1)}\r\n二行目\r\n\r\n😀")
        page = html.get_payload(decode=True)
        self.check_pictures(page, [1])
        self.assertIn("一行目&amp;".encode("cp932"), page)
        self.assertIn(b"&#x1F600;", page)
        self.assertNotIn(b"alert", page)

    def test_photo_and_alternative_mail_show_their_plain_text(self):
        jis = "写真です".encode("iso2022_jp")[:-3] + b"u:" + b"\x1b(B"
        for body in (multipart("mixed", text_part(jis, charset="iso-2022-jp", encoding="7bit"),
                               attachment("photo.jpg", b"\xff\xd8\xff")),
                     multipart("alternative",
                               text_part(jis, charset="iso-2022-jp", encoding="7bit"),
                               text_part("<p>html</p>", "html"))):
            with self.subTest(body=body.get_content_type()):
                _, plain, html = self.open_mail(au_mail(body))
                self.check_text_parts(plain, html, "iso-2022-jp")
                self.assertEqual(plain.get_payload(decode=True).strip(), jis)
                self.check_pictures(html.get_payload(decode=True), [1])
                self.assertIn("写真です".encode("cp932"), html.get_payload(decode=True))

    def test_attachment_only_mail_gets_an_empty_page(self):
        _, plain, html = self.open_mail(au_mail(multipart("mixed", attachment("a.pdf"))))
        self.assertEqual(plain.get_payload(decode=True).strip(), b"")
        self.check_pictures(html.get_payload(decode=True), [])

    def test_display_name_does_not_make_a_carrier_sender(self):
        source = au_mail(text_part("x"), sender="a@example.com").replace(
            b"From: Taro", b"From: taro@ezweb.ne.jp")
        path = self.install.root / "mail.eml"
        path.write_bytes(source)
        self.assertEqual(self.install.open(path), ("unchanged", None))


def carrier_table(name, prefix):
    """A carrier's pictographs from its data file beside au's: {form: (picture, name)} keyed by
    Shift_JIS code bytes, by private-use character and, for SoftBank, by webcode bytes."""
    table = {}
    for line in (pathlib.Path(ARGS.data).parent / name).read_text(encoding="utf-8").splitlines():
        fields = line.split("\t")
        if not fields[0].isdigit():
            continue
        picture = (f"{prefix}{fields[0]}", fields[1].encode("cp932").replace(b'"', b"&quot;"))
        columns = dict(zip(["number", "name", "webcode", "sjis", "pua"] if prefix == "s" else
                           ["number", "name", "sjis", "pua"], fields))
        if len(columns["sjis"]) == 4:
            table[bytes.fromhex(columns["sjis"])] = picture
        table[chr(int(columns["pua"], 16))] = picture
        if prefix == "s":
            table[bytes.fromhex(columns["webcode"])] = picture
    return table


class RawTextPart:
    """A text/plain part whose body is written as its bytes stand, 8-bit ones among them."""

    def __init__(self, data, charset, encoding):
        self.data, self.charset, self.encoding = data, charset, encoding

    def as_bytes(self, policy=None):
        return (f"Content-Type: text/plain; charset={self.charset}\r\n"
                f"Content-Transfer-Encoding: {self.encoding}\r\n\r\n").encode() + self.data + b"\r\n"

    def get_payload(self, decode=False):
        return self.data


def sjis(*parts):
    return b"".join(p if isinstance(p, bytes) else p.encode("cp932") for p in parts)


class OtherCarriers(HostCase):
    """docomo's and SoftBank's mail in every form they use, each code read in its sender's table."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.docomo = carrier_table("docomo-emoji.tsv", "d")
        cls.softbank = carrier_table("softbank-emoji.tsv", "s")

    def pictures(self, page):
        tags = re.findall(rb'<img src="file://([^"]*?)([ds]\d+)\.gif" alt="([^"]*)">', page)
        for folder, picture, _ in tags:
            path = self.install.local_path(folder.decode("cp932"), picture.decode() + ".gif")
            self.assertTrue(path.read_bytes().startswith(b"GIF89a"), path)
        return [(picture.decode(), alt) for _, picture, alt in tags]

    def test_each_form_shows_the_pictographs_of_its_carrier(self):
        d, s = self.docomo, self.softbank
        clover = bytes.fromhex("F750")  # SoftBank's four-leaf clover, au's small white square
        cases = [  # sender, body part, the pictographs it shows in order, plain charset
            ("h@docomo.ne.jp", RawTextPart(sjis("晴", bytes.fromhex("F89FF9FC"), clover),
                                           "shift_jis", "8bit"),
             [d[bytes.fromhex("F89F")], d[bytes.fromhex("F9FC")]], "shift_jis"),
            ("h@DOCOMO.ne.jp", RawTextPart(sjis("あ", bytes.fromhex("F8A0")), "Shift_JIS", "7bit"),
             [d[bytes.fromhex("F8A0")]], "shift_jis"),
            ("h@docomo.ne.jp", text_part("\ue63e雨\ue757"), [d["\ue63e"], d["\ue757"]], "utf-8"),
            ("s@softbank.ne.jp", RawTextPart(sjis(clover, "と", bytes.fromhex("FB41F941")),
                                             "shift_jis", "8bit"),
             [s[clover], s[bytes.fromhex("FB41")], s[bytes.fromhex("F941")]], "shift_jis"),
            ("s@t.vodafone.ne.jp", RawTextPart(b"a\x1b$G!\"#\x0f\x1b$B$\"\x1b$E!\x0f$$\x1b(B",
                                               "iso-2022-jp", "7bit"),
             [s[b"G!"], s[b'G"'], s[b"G#"], s[b"E!"]], "iso-2022-jp"),
            ("s@i.softbank.jp", text_part("\ue001\ue110\ue255"),
             [s["\ue001"], s["\ue110"], s["\ue255"]], "utf-8"),
        ]
        for sender, body, expected, charset in cases:
            with self.subTest(sender=sender, body=body.get_payload(decode=True)[:30]):
                path = self.install.root / "mail.eml"
                path.write_bytes(au_mail(body, sender=sender))
                status, rewritten = self.install.open(path)
                self.assertEqual(status, "rewritten")
                message = email.message_from_bytes(rewritten, policy=email.policy.compat32)
                self.assertEqual(tree(message), EMOJI_TREE)
                plain, html = self.alternatives(message)
                self.check_text_parts(plain, html, charset)
                self.assertEqual(plain.get_payload(decode=True).rstrip(b"\r\n"),
                                 body.get_payload(decode=True).rstrip(b"\r\n"))
                self.assertEqual(self.pictures(html.get_payload(decode=True)), expected)

    def test_subject_codes_and_the_clash_are_read_as_the_senders_carrier(self):
        subject = "=?ISO-2022-JP?B?" + base64.b64encode(b"\x1b$B$\"\x1b(B\x1b$G!\x0f").decode() + "?="
        body = RawTextPart(bytes.fromhex("F750"), "shift_jis", "8bit")
        path = self.install.root / "mail.eml"
        path.write_bytes(au_mail(body, sender="s@softbank.ne.jp", subject=subject).replace(
            b"From: Taro", b"From: taro@ezweb.ne.jp"))
        _, rewritten = self.install.open(path)
        html = self.alternatives(email.message_from_bytes(rewritten))[1]
        self.assertEqual(self.pictures(html.get_payload(decode=True)),
                         [self.softbank[b"G!"], self.softbank[bytes.fromhex("F750")]])
        path.write_bytes(au_mail(body))  # the same code from au is au's own pictograph
        _, rewritten = self.install.open(path)
        page = self.alternatives(email.message_from_bytes(rewritten))[1].get_payload(decode=True)
        self.assertIn(b'17.gif" alt="' + self.names[17] + b'"', page)

    def test_a_carrier_turned_off_in_the_settings_is_left_as_it_is(self):
        path = self.install.root / "mail.eml"
        path.write_bytes(au_mail(text_part("\ue63e"), sender="h@docomo.ne.jp"))
        self.install.settings(chbIsEnable_Checked=-1, chbShowDocomo_Checked=0)
        self.assertEqual(self.install.open(path), ("unchanged", None))
        self.install.settings(chbIsEnable_Checked=-1, chbShowDocomo_Checked="True")
        self.assertEqual(self.install.open(path)[0], "rewritten")


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for name in ("--host", "--plugin", "--skins", "--examples", "--data"):
        parser.add_argument(name, required=True)
    parser.add_argument("--wine")
    parser.add_argument("--converter", nargs="?", const=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
