#!/usr/bin/env python3
"""Two stand-in hosts open mails that hold all 641 emoji at the same moment, against one image
cache folder that is emptied (or removed) before every round. After every round both runs must
have succeeded with the mail rewritten, every emoji shown by exactly one image tag, and the cache
folder must hold exactly the pictures and tables used, each byte for byte its resource, with no
temporary file left behind.

Usage: concurrent_hosts_test.py --host HOST --plugin PLUGIN --skins SKIN_FOLDER
                                --resources EMOJI_RESOURCES --data au-emoji.tsv
                                [--rounds N] [--wine WINE-RUN]

Natively each host gets TMPDIR; under Wine, whose processes take their temporary folder from the
prefix, each host is started by cmd with TMP and TEMP set, so that the cache folder is the
test's own and no other test sharing the Wine prefix is disturbed."""
import argparse
import base64
import collections
import email
import email.policy
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time

ARGS = None

MAIL_HEAD = (
    b"From: robust.sender@ezweb.ne.jp\r\n"
    b"To: reader@example.com\r\n"
    b"Date: Tue, 08 Dec 2026 18:03:10 +0900\r\n"
    b"Message-ID: <concurrent-%s@ezweb.ne.jp>\r\n"
    b"MIME-Version: 1.0\r\n"
    b"Subject: =?%s?B?%s?=\r\n"
    b"Content-Type: text/plain; charset=%s\r\n"
    b"Content-Transfer-Encoding: %s\r\n"
    b"\r\n")

SUBJECT_EMOJI = (1, 822, 44)  # three emoji in the subject as well
PER_LINE = 16


def load_emoji():
    """Rows of au-emoji.tsv: (number, name in cp932, JIS code, carrier's Shift_JIS code)."""
    rows = []
    for line in pathlib.Path(ARGS.data).read_text(encoding="utf-8").splitlines():
        if not line or line.startswith("#") or line.startswith("number"):
            continue
        number, name, jis, _, sjis = line.split("\t")[:5]
        rows.append((int(number), name.encode("cp932"), bytes.fromhex(jis), bytes.fromhex(sjis)))
    return rows


def jis_mail(rows):
    """An ISO-2022-JP mail, 7bit: every emoji once in the body, in JIS rows 0x75 to 0x7B."""
    by_number = {r[0]: r for r in rows}
    subject = b"\x1b$B" + b"".join(by_number[n][2] for n in SUBJECT_EMOJI) + b"\x1b(B"
    body = b"\x1b$B%\"%b!<\x1b(B all 641:\r\n"
    for start in range(0, len(rows), PER_LINE):
        body += b"\x1b$B" + b"".join(r[2] for r in rows[start:start + PER_LINE]) + b"\x1b(B\r\n"
    body += b"end\r\n"
    head = MAIL_HEAD % (b"jis", b"ISO-2022-JP", base64.b64encode(subject), b"ISO-2022-JP",
                        b"7bit")
    return head + body


def sjis_mail(rows):
    """A Shift_JIS mail, 8bit, with the carrier's own codes: every emoji once in the body."""
    by_number = {r[0]: r for r in rows}
    subject = b"".join(by_number[n][3] for n in SUBJECT_EMOJI)
    body = b"\x83A\x83o\x81[ all 641:\r\n"
    for start in range(0, len(rows), PER_LINE):
        body += b"".join(r[3] for r in rows[start:start + PER_LINE]) + b"\r\n"
    body += b"end\r\n"
    head = MAIL_HEAD % (b"sjis", b"Shift_JIS", base64.b64encode(subject), b"Shift_JIS", b"8bit")
    return head + body


def html_part(rewritten):
    """The decoded HTML alternative of a rewritten message (quoted-printable)."""
    message = email.message_from_bytes(rewritten, policy=email.policy.compat32)
    for part in message.walk():
        if part.get_content_type() == "text/html":
            return part.get_payload(decode=True)
    raise AssertionError("no HTML part in the rewritten message")


def escape(text):
    return (text.replace(b"&", b"&amp;").replace(b"<", b"&lt;").replace(b">", b"&gt;")
            .replace(b'"', b"&quot;"))


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


class Round:
    def __init__(self, root, cache_parent):
        self.root = root
        self.cache_parent = cache_parent

    def command(self, mail, out):
        if not ARGS.wine:
            return [ARGS.host, "--plugin", ARGS.plugin, "open", str(mail), "--out", str(out)]
        temp = windows_path(self.cache_parent) + "\\"
        line = (f"set TMP={temp}&& set TEMP={temp}&& {windows_path(ARGS.host)} --plugin "
                f"{windows_path(ARGS.plugin)} open {windows_path(mail)} --out {windows_path(out)}")
        return [ARGS.wine, "cmd", "/c", line]

    def run_pair(self, mails):
        """Starts one host per mail at once; returns (returncode, stdout, stderr, output, start,
        end) for each."""
        env = dict(os.environ, TMPDIR=str(self.cache_parent))
        outs = [self.root / f"out{i}.eml" for i in range(len(mails))]
        for out in outs:
            if out.exists():
                out.unlink()
        processes = []
        for mail, out in zip(mails, outs):
            processes.append((subprocess.Popen(self.command(mail, out), env=env,
                                               stdout=subprocess.PIPE, stderr=subprocess.PIPE),
                              time.monotonic()))
        results = []
        for (process, started), out in zip(processes, outs):
            stdout, stderr = process.communicate(timeout=300)
            results.append((process.returncode, stdout, stderr,
                            out.read_bytes() if out.exists() else None, started, time.monotonic()))
        return results


def expected_numbers(rows, skin_text):
    numbers = collections.Counter()
    for n in SUBJECT_EMOJI:
        numbers[n] += skin_text.count(b"{Subject}")
    for r in rows:
        numbers[r[0]] += skin_text.count(b"{Body}")
    return numbers


def check_round(index, kinds, results, rows, names, expected, cache):
    failures = []
    cache_text = (windows_path(cache) + "\\") if ARGS.wine else str(cache) + "/"
    for host, (code, stdout, stderr, output, _, _) in enumerate(results):
        status = stdout.decode(errors="replace").strip().splitlines()
        if code != 0 or not status or status[-1] != "rewritten" or output is None:
            failures.append(f"round {index} host {host}: exit {code}, output {stdout!r}, "
                            f"error {stderr.decode(errors='replace')!r}")
            continue
        if stderr.strip():
            failures.append(f"round {index} host {host}: wrote to its error output: {stderr!r}")
        page = html_part(output)
        tags = re.findall(rb'<img src="file://([^"]*?)(\d+)\.gif" alt="([^"]*)">', page)
        found = collections.Counter(int(n) for _, n, _ in tags)
        if found != expected:
            missing = expected - found
            extra = found - expected
            failures.append(f"round {index} host {host}: image tags differ; missing "
                            f"{sorted(missing)[:10]}, extra {sorted(extra)[:10]}")
        if page.count(b"<img src=\"file://") != len(tags):
            failures.append(f"round {index} host {host}: an image tag of another form")
        for folder, number, alt in tags:
            if folder.decode("cp932") != cache_text or alt != escape(names[int(number)]):
                failures.append(f"round {index} host {host}: tag of {int(number)} names "
                                f"{folder!r} / {alt!r}")
                break

    # Every mail's subject is read with the 7-bit table, whatever table its body needs.
    wanted = {f"{n}.gif" for n in expected} | {f"EMOJI_{kind}BIT.csv" for kind in kinds | {"7"}}
    present = set(p.name for p in cache.iterdir()) if cache.is_dir() else set()
    if present != wanted:
        failures.append(f"round {index}: cache folder holds {sorted(present - wanted)[:10]} too "
                        f"and lacks {sorted(wanted - present)[:10]}")
    resources = pathlib.Path(ARGS.resources)
    for name in sorted(present & wanted):
        if (cache / name).read_bytes() != (resources / name).read_bytes():
            failures.append(f"round {index}: {name} differs from its resource")
    return failures


def empty_cache(cache, remove_folder):
    if remove_folder:
        shutil.rmtree(cache, ignore_errors=True)
        if cache.exists():
            raise AssertionError(f"cannot remove {cache}")
        return
    cache.mkdir(exist_ok=True)
    for entry in cache.iterdir():
        entry.unlink()


def main():
    rows = load_emoji()
    if len(rows) != 641:
        raise AssertionError(f"{ARGS.data} holds {len(rows)} emoji, not 641")
    names = {r[0]: r[1] for r in rows}
    root = pathlib.Path(tempfile.mkdtemp(prefix="pl-concurrent-"))
    try:
        mails = {"7": root / "all-emoji-jis.eml", "8": root / "all-emoji-sjis.eml"}
        mails["7"].write_bytes(jis_mail(rows))
        mails["8"].write_bytes(sjis_mail(rows))
        skin_text = (pathlib.Path(ARGS.skins) / "Simple.html").read_bytes()
        expected = expected_numbers(rows, skin_text)
        cache_parent = root / "temp"
        cache_parent.mkdir()
        cache = cache_parent / "_AE.tmp"
        pairs = [("7", "7"), ("8", "8"), ("7", "8")]
        runner = Round(root, cache_parent)
        failures, failed_rounds, overlapping = [], set(), 0
        begun = time.monotonic()
        for index in range(ARGS.rounds):
            kinds = pairs[index % len(pairs)]
            empty_cache(cache, remove_folder=index % 2 == 0)
            results = runner.run_pair([mails[k] for k in kinds])
            (_, _, _, _, start0, end0), (_, _, _, _, start1, end1) = results
            if start1 < end0 and start0 < end1:
                overlapping += 1
            found = check_round(index, set(kinds), results, rows, names, expected, cache)
            if found:
                failed_rounds.add(index)
                failures += found
            if len(failures) > 20:
                break
            if (index + 1) % 25 == 0:
                print(f"{index + 1} rounds, {time.monotonic() - begun:.0f} s", flush=True)
        elapsed = time.monotonic() - begun
        print(f"{index + 1} rounds of two hosts in {elapsed:.1f} s, "
              f"{overlapping} with both hosts running at once")
        for failure in failures:
            print("FAIL:", failure)
        print(f"{index + 1 - len(failed_rounds)} passed, {len(failed_rounds)} failed")
        return 1 if failures else 0
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for name in ("--host", "--plugin", "--skins", "--resources", "--data"):
        parser.add_argument(name, required=True)
    parser.add_argument("--rounds", type=int, default=200)
    parser.add_argument("--wine")
    ARGS = parser.parse_args()
    sys.exit(main())
