#!/usr/bin/env python3
"""pictolumen-convert end to end, natively or under Wine: archives of every kind made into pages
and an index that reference only pictures that exist beside them, the rewritten mail read back
by Python's email package, unreadable mail listed, hostile attachment names kept inside the
output, inputs left untouched, and a second run keeping what the first one wrote.
Usage: convert_cli_test.py PROGRAM EXAMPLES [--wine WINE-RUN]"""
import argparse
import email
import email.policy
import glob
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

ARGS = None
DOCOMO_SUN = b"\xf8\x9f"  # docomo's first pictograph in Shift_JIS


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def native(path):
    return "Z:" + path if ARGS.wine else path


def convert(*arguments):
    command = ([ARGS.wine] if ARGS.wine else []) + [ARGS.program] + list(arguments)
    result = subprocess.run(command, capture_output=True, timeout=600)
    return result.returncode, result.stdout.decode("utf-8", "replace"), result.stderr.decode("utf-8", "replace")


def mail(sender, subject, date, body, charset="ISO-2022-JP", extra=b""):
    return (f"From: {sender}\r\nTo: someone@example.com\r\nSubject: {subject}\r\nDate: {date}\r\n"
            f"MIME-Version: 1.0\r\nContent-Type: text/plain; charset={charset}\r\n").encode() + extra + b"\r\n" + body


HOSTILE_NAMES = ["../../evil.sh", "/etc/passwd", "C:\\x.bat", "CON.txt", "a" * 300 + ".jpg",
                 "=?UTF-8?B?5YaZ55yf?=.png"]


def hostile_mail():
    parts = [b"--b\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nsee the files\r\n"]
    for i, name in enumerate(HOSTILE_NAMES):
        parts.append(f'--b\r\nContent-Type: application/octet-stream; name="{name}"\r\n'
                     f'Content-Disposition: attachment; filename="{name}"\r\n'
                     f"Content-Transfer-Encoding: base64\r\n\r\n".encode()
                     + __import__("base64").b64encode(f"payload {i}".encode()) + b"\r\n")
    return (b"From: x@ezweb.ne.jp\r\nSubject: files\r\nDate: Mon, 01 Jan 2024 00:00:00 +0900\r\n"
            b"MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
            + b"".join(parts) + b"--b--\r\n")


def sample_count():
    return len([n for n in os.listdir(ARGS.examples) if n.endswith(".eml")])


def build_inputs(root):
    examples = sorted(os.listdir(ARGS.examples))
    os.makedirs(f"{root}/in/files")
    for name in examples:
        if name.endswith(".eml"):
            shutil.copy(f"{ARGS.examples}/{name}", f"{root}/in/files/{name}")
    au = read(f"{ARGS.examples}/au-jis-single.eml").replace(b"\r\n", b"\n")
    quoted = mail("a@example.org", "quoted", "Sun, 01 Mar 2020 10:00:00 +0000",
                  b"first\n\n>From the start\n>>From deeper\n").replace(b"\r\n", b"\n")
    with open(f"{root}/in/box.mbox", "wb") as f:
        for text in (au, quoted, hostile_mail().replace(b"\r\n", b"\n")):
            f.write(b"From sender@example Mon Jan  1 00:00:00 2024\n" + text + b"\n\n")
    for folder in ("cur", "new", "tmp"):
        os.makedirs(f"{root}/in/maildir/{folder}")
    write(f"{root}/in/maildir/cur/1:2,S", 
        mail("k@docomo.ne.jp", "docomo", "Fri, 05 May 2023 09:00:00 +0900", b"sun " + DOCOMO_SUN + b"\r\n",
             "Shift_JIS", b"Content-Transfer-Encoding: 8bit\r\n"))
    write(f"{root}/in/maildir/new/2", 
        mail("p@example.com", "plain", "Sat, 06 May 2023 09:00:00 +0900", b"hello\r\n"))
    write(f"{root}/in/maildir/tmp/3", 
        mail("p@example.com", "tmp-should-not-appear", "Sat, 06 May 2023 09:00:00 +0900", b"x\r\n"))
    sjis = read(f"{ARGS.examples}/au-sjis-8bit.eml")
    record = b"BEGIN:VMSG\r\nVERSION:1.1\r\nBEGIN:VENV\r\nBEGIN:VBODY\r\n%s\r\nEND:VBODY\r\nEND:VENV\r\nEND:VMSG\r\n"
    with open(f"{root}/in/phone.vmg", "wb") as f:
        f.write(record % sjis + record % sjis.replace(b"2026", b"2019")
                + b"BEGIN:VMSG\r\nVERSION:1.1\r\nEND:VMSG\r\n")
    write(f"{root}/in/notes.txt", b"just some notes\n")
    write(f"{root}/bad.eml", b"\x00\x01garbage\xff")


def hashes(folder):
    result = {}
    for top, _, files in os.walk(folder):
        for name in files:
            path = os.path.join(top, name)
            result[path] = hashlib.sha256(read(path)).hexdigest()
    return result


def rows(out):
    index = read(f"{out}/index.html").decode("cp932")
    return re.findall(r"<tr[^>]*><td class=\"date\">([^<]*)</td>(.*?)</tr>", index)


def links(html):
    return re.findall(r'(?:src|href)="([^"]*)"', html)


class Conversion(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = tempfile.mkdtemp(prefix="convert-test-")
        build_inputs(cls.root)
        cls.before = hashes(f"{cls.root}/in")
        cls.out = f"{cls.root}/out"
        cls.result = convert(native(f"{cls.root}/in"), native(f"{cls.root}/bad.eml"),
                             "-o", native(cls.out), "--eml", "--jobs", "3")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.root)

    def test_every_mail_listed_newest_first_and_unreadable_ones_give_3(self):
        status, _, err = self.result
        self.assertEqual(status, 3, err)
        listed = rows(self.out)
        # the sample files, 3 in the mbox, 2 in the Maildir, 3 records, 1 bad
        self.assertEqual(len(listed), SAMPLES + 9)
        unreadable = [r for r in listed if "Unreadable:" in r[1]]
        self.assertEqual(len(unreadable), 2)
        self.assertTrue(any("VBODY" in r[1] for r in unreadable))
        dates = [r[0] for r in listed if r[0]]
        self.assertEqual(dates, sorted(dates, reverse=True))
        self.assertNotIn("tmp-should-not-appear", read(f"{self.out}/index.html").decode("cp932"))
        self.assertIn("2 unreadable", err)

    def test_pages_reference_only_relative_files_that_exist(self):
        pages = [f"{self.out}/index.html"] + [f"{self.out}/mail/{n}" for n in os.listdir(f"{self.out}/mail")
                                              if n.endswith(".html")]
        self.assertEqual(len(pages), SAMPLES + 8)
        pictures = 0
        for page in pages:
            html = read(page).decode("cp932")
            self.assertNotIn("file:", html)
            for link in links(html):
                self.assertFalse(link.startswith("/") or ":" in link, link)
                target = os.path.normpath(os.path.join(os.path.dirname(page), link))
                self.assertTrue(target.startswith(self.out + "/"), link)
                self.assertTrue(os.path.isfile(target), f"{page}: {link}")
                pictures += "pictures/" in link
        self.assertGreater(pictures, 20)
        docomo = [p for p in pages if "k@docomo.ne.jp" in read(p).decode("cp932")]
        self.assertTrue(docomo and all(re.search(r'src="\.\./pictures/d\d+\.gif"', read(p).decode("cp932"))
                                        for p in docomo if "/mail/" in p))
        plain = [p for p in pages if "p@example.com" in read(p).decode("cp932") and "/mail/" in p]
        self.assertEqual(len(plain), 1)
        self.assertNotIn("pictures/", read(plain[0]).decode("cp932"))

    def test_rewritten_mail_reads_back_with_python(self):
        emls = [n for n in os.listdir(f"{self.out}/mail") if n.endswith(".eml")]
        self.assertEqual(len(emls), SAMPLES + 7)
        unquoted = 0
        for name in emls:
            message = email.message_from_bytes(read(f"{self.out}/mail/{name}"), policy=email.policy.default)
            html = [p for p in message.walk() if p.get_content_type() == "text/html"]
            self.assertEqual(len(html), 1, name)
            self.assertIn("</html>", html[0].get_content().lower())
            plain = message.get_body(("plain",))
            if plain is not None and "\nFrom the start\n>From deeper" in plain.get_content().replace("\r\n", "\n"):
                unquoted += 1
        self.assertEqual(unquoted, 1)

    def test_hostile_attachment_names_stay_inside(self):
        for top, folders, files in os.walk(self.root):
            for name in files + folders:
                self.assertLessEqual(len(name.encode()), 200)
                self.assertNotIn(name.upper().split(".")[0], ("CON", "PRN", "AUX", "NUL"))
        self.assertEqual(sorted(os.listdir(self.root)), ["bad.eml", "in", "out"])
        saved = sorted(read(f"{self.out}/mail/{n}") for n in os.listdir(f"{self.out}/mail")
                       if not n.endswith((".html", ".eml", ".row")))
        self.assertEqual([s for s in saved if s.startswith(b"payload")],
                         [f"payload {i}".encode() for i in range(len(HOSTILE_NAMES))])

    def test_inputs_unchanged(self):
        self.assertEqual(hashes(f"{self.root}/in"), self.before)


class Reruns(unittest.TestCase):
    def test_second_run_keeps_pages_and_force_redoes_them(self):
        with tempfile.TemporaryDirectory() as root:
            out = f"{root}/out"
            self.assertEqual(convert(native(ARGS.examples), "-o", native(out), "--quiet")[0], 0)
            first = {n: os.stat(f"{out}/mail/{n}").st_ino for n in os.listdir(f"{out}/mail")}
            listed = rows(out)
            status, _, err = convert(native(ARGS.examples), "-o", native(out))
            self.assertEqual(status, 0)
            self.assertIn(f"{SAMPLES} of them were done by an earlier run", err)
            self.assertEqual({n: os.stat(f"{out}/mail/{n}").st_ino for n in os.listdir(f"{out}/mail")}, first)
            self.assertEqual(rows(out), listed)
            self.assertEqual(convert(native(ARGS.examples), "-o", native(out), "--force", "--quiet")[0], 0)
            again = {n: os.stat(f"{out}/mail/{n}").st_ino for n in os.listdir(f"{out}/mail")}
            self.assertEqual(again.keys(), first.keys())
            self.assertTrue(all(again[n] != first[n] for n in first if n.endswith(".html")))
            # The output folder is never read as input.
            status, _, err = convert(native(root), "-o", native(out), "--quiet")
            self.assertEqual(status, 0, err)
            self.assertEqual(len(rows(out)), 0)

    def test_all_reads_any_sender_in_the_carrier_named(self):
        pc = native(f"{ARGS.examples}/pc-jis-single.eml")
        with tempfile.TemporaryDirectory() as root:
            self.assertEqual(convert(pc, "-o", native(f"{root}/plain"), "--quiet")[0], 0)
            self.assertEqual(convert(pc, "-o", native(f"{root}/all"), "--all", "--carrier", "au", "--quiet")[0], 0)
            page = lambda out: read(glob.glob(f"{out}/mail/*.html")[0]).decode("cp932")
            self.assertNotIn("pictures/", page(f"{root}/plain"))
            self.assertIn('src="../pictures/', page(f"{root}/all"))

    def test_usage_errors_give_1(self):
        self.assertEqual(convert(native(ARGS.examples))[0], 1)
        self.assertEqual(convert(native(ARGS.examples), "-o", "x", "--carrier", "au")[0], 1)
        self.assertEqual(convert("/no/such/input", "-o", "x")[0], 1)
        status, out, _ = convert("--help")
        self.assertEqual(status, 0)
        self.assertIn("Usage: pictolumen-convert INPUT... -o FOLDER", out)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("examples")
    parser.add_argument("--wine")
    ARGS, rest = parser.parse_known_args()
    SAMPLES = sample_count()
    unittest.main(argv=[sys.argv[0]] + rest)
