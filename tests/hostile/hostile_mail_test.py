#!/usr/bin/env python3
"""Opens every mail of the hostile corpus through the stand-in host, each in a fresh host
process, and checks what the plug-in made of it:

- the host exits normally and reports "rewritten" or "unchanged" as the case expects (nothing
  escaped the plug-in, nothing crashed);
- a rewritten mail is read back with Python's email package: the new frame mixed / related /
  alternative holds a plain and an HTML part, the plain part the decoded text of the mail, the
  page one picture per emoji, and the subject and the lines the mail must keep;
- the peak memory of the host process (under Wine, of the Wine process that runs it), less that
  of the empty mail, stays within ten times the size of the mail plus a fixed allowance.

Prints a table of the figures.

Usage: hostile_mail_test.py --host HOST --plugin PLUGIN --skins SKIN_FOLDER --data au-emoji.tsv
                            [--gnu-time /usr/bin/time] [--wine WINE-RUN]
                            [--cases small|large|all] [--no-memory-bound]"""
import argparse
import base64
import binascii
import email
import email.parser
import email.policy
import email.utils
import os
import pathlib
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import hostile_corpus  # noqa: E402
from jis_text import jis_to_sjis  # noqa: E402

MIB = 1024 * 1024
FIXED_ALLOWANCE = 32 * MIB
TIMEOUT_SECONDS = 240
FILE_TIMEOUT_SECONDS = 30  # a hostile file beside the plug-in with a mail of a few lines
EMOJI_TREE = ("multipart/mixed", [("multipart/related", [("multipart/alternative",
                                                           ["text/plain", "text/html"])])])


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


class Run:
    """One host process: its exit status, output, time and peak resident memory. The memory is
    taken by GNU time, which starts the host as its own child: a process's peak counts that of
    the process it was forked from, so a small program must fork it rather than this script."""

    def __init__(self, args, root, plugin, mail, out, timeout):
        figures = root / "figures"
        command = ([args.gnu_time, "-f", "%M", "-o", str(figures)] if args.gnu_time else []) + (
            [args.wine] if args.wine else []) + [
            args.host, "--plugin", str(plugin), "open", str(mail), "--out", str(out)]
        env = dict(os.environ, TMPDIR=str(root / "temp"))
        with open(root / "stdout", "wb") as stdout, open(root / "stderr", "wb") as stderr:
            start = time.monotonic()
            process = subprocess.Popen(command, stdout=stdout, stderr=stderr, env=env,
                                       start_new_session=True)
            try:
                process.wait(timeout=timeout)
                self.timed_out = False
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
                self.timed_out = True
            self.seconds = time.monotonic() - start
        self.exit_code = process.returncode
        # After a failed command GNU time writes its exit status first; the figure ends the file.
        # GNU time killed with the host writes nothing.
        figures_text = figures.read_text().split() if figures.exists() else []
        self.peak = int(figures_text[-1]) * 1024 if figures_text else 0
        if figures.exists():
            figures.unlink()
        self.stdout = (root / "stdout").read_bytes().decode(errors="replace")
        self.stderr = (root / "stderr").read_bytes().decode(errors="replace")
        self.output = out.read_bytes() if out.exists() else None
        if out.exists():
            out.unlink()


class Installation:
    """A fresh copy of the plug-in and its skins, and a private temporary folder."""

    def __init__(self, args):
        self.args = args
        self.root = pathlib.Path(tempfile.mkdtemp(prefix="pl-hostile-"))
        self.plugin = self.root / pathlib.Path(args.plugin).name
        shutil.copy(args.plugin, self.plugin)
        shutil.copytree(args.skins, self.root / "Pictolumen_SKIN")
        (self.root / "temp").mkdir()
        self.cases = self.root / "cases"
        self.folders = {}

    def open(self, mail, timeout=TIMEOUT_SECONDS):
        return Run(self.args, self.root, self.plugin, mail, self.root / "out.eml", timeout)

    def local_path(self, folder):
        """The local path of a folder as the plug-in wrote it (a Windows path under Wine)."""
        if not self.args.wine:
            return pathlib.Path(folder)
        if folder not in self.folders:
            result = subprocess.run([self.args.wine, "winepath", "-u", folder],
                                    capture_output=True, timeout=120)
            self.folders[folder] = pathlib.Path(result.stdout.decode().strip())
        return self.folders[folder]

    def cleanup(self):
        shutil.rmtree(self.root, ignore_errors=True)


# ---- Reading the new mail back ---------------------------------------------------------------

def tree(part):
    if part.is_multipart():
        return (part.get_content_type(), [tree(p) for p in part.get_payload()])
    return part.get_content_type()


def lines_of(data):
    lines = re.split(rb"\r\n|\r|\n", data)
    while lines and lines[-1] == b"":
        lines.pop()
    return lines


ENCODED_WORD = re.compile(rb"(=\?[^?]*\?[BbQq]\?[^?]*\?=)")


def subject_text(value, emoji):
    """A header value as a reader shows it, each of the carrier's emoji as "<N>": encoded words
    decoded by the set they name (JIS by the row arithmetic, so that the carrier's codes stay),
    blanks between two words dropped (as email.header does, in linear time for values of many
    megabytes)."""
    pieces = ENCODED_WORD.split(value.replace(b"\r\n", b"").strip(b" \t"))
    out = []
    for n, piece in enumerate(pieces):
        if n % 2:
            _, charset, kind, text, _ = piece.split(b"?")
            data = (binascii.a2b_qp(text, header=True) if kind in b"Qq"
                    else base64.b64decode(text))
            if charset.lower() == b"utf-8":
                out.append("".join(emoji.get(c, c) for c in data.decode("utf-8", "replace")))
            else:
                out.append(sjis_text(jis_to_sjis(data), emoji))
        elif not (piece.strip(b" \t") == b"" and 0 < n < len(pieces) - 1):
            out.append(piece.decode("ascii"))
    return "".join(out)


def sjis_text(sjis, emoji):
    """Shift_JIS text as a reader shows it, each of the carrier's codes (of either table) as
    "<N>", every byte that forms no character as U+FFFD."""
    out, i = [], 0
    while i < len(sjis):
        pair = sjis[i:i + 2]
        if pair in emoji:
            out.append(emoji[pair])
            i += 2
            continue
        width = 2 if (0x81 <= sjis[i] <= 0x9F or 0xE0 <= sjis[i] <= 0xFC) and len(pair) == 2 else 1
        out.append(sjis[i:i + width].decode("cp932", "replace"))
        i += width
    return "".join(out)


def raw_header(raw, name):
    """The raw value of the first header line `name` of the top-level header block."""
    head = raw[:raw.index(b"\r\n\r\n") + 2]
    match = re.search(rb"^" + name + rb":[ \t]*(.*?)\r\n(?![ \t])", head, re.M | re.I | re.S)
    return match.group(1) if match else b""


def last_sub_part(raw, boundary):
    """The source of the last part below the top-level boundary, found without parsing the parts
    before it (they may nest deeper than a recursive reader can go)."""
    opening = b"\r\n--" + boundary + b"\r\n"
    closing = b"\r\n--" + boundary + b"--"
    end = raw.rfind(closing)
    start = raw.rfind(opening, 0, end)
    expect(start >= 0 and end > start, "the top-level part list is not closed")
    return raw[start + len(opening):end + 2]


def check_rewrite(case, raw, install, emoji_names, emoji_codes):
    head = email.parser.BytesHeaderParser(policy=email.policy.compat32).parsebytes(raw)
    boundary = head.get_param("boundary")
    expect(head.get_content_type() == "multipart/mixed" or case.frame_last,
           f"top-level type {head.get_content_type()}")
    expect(boundary, "the new mail has no top-level boundary")
    boundary = boundary.encode("ascii")
    # Nothing of the new mail was cut off: it ends with its closing boundary.
    expect(lines_of(raw)[-1] == b"--" + boundary + b"--", "the new mail does not end with its "
           "closing boundary")

    # A single-part mail is the frame itself; its header block, which may be huge, is read
    # once only, above.
    body = raw[raw.index(b"\r\n\r\n") + 4:]
    frame_source = (last_sub_part(raw, boundary) if case.frame_last else
                    b"Content-Type: " + head["Content-Type"].encode("ascii") + b"\r\n\r\n" + body)
    frame = email.message_from_bytes(frame_source, policy=email.policy.compat32)
    expect(tree(frame) == EMOJI_TREE, f"frame {tree(frame)}")
    plain, html = frame.get_payload()[0].get_payload()[0].get_payload()
    expect(plain["Content-Description"] == "Message text", "plain part description")
    expect(html["Content-Description"] == "HTML text", "HTML part description")
    for part in (plain, html):
        expect(not part.defects, f"defects {part.defects}")
    if case.frame_last and not case.large:  # a recursive reader cannot take a deep tree
        whole = email.message_from_bytes(raw, policy=email.policy.compat32)
        expect(not whole.defects, f"defects {whole.defects}")
        expect(tree(whole.get_payload()[-1]) == EMOJI_TREE, "the new frame is not the last part")

    if case.plain is not None:
        got = lines_of(plain.get_payload(decode=True))
        expect(got == lines_of(case.plain), f"plain text {got[:4]!r} != "
               f"{lines_of(case.plain)[:4]!r}")

    page = html.get_payload(decode=True)
    tags = re.findall(rb'<img src="file://([^"]*?)(\d+)\.gif" alt="([^"]*)">', page)
    numbers = sorted(int(n) for _, n, _ in tags)
    expect(numbers == sorted(case.pictures),
           f"{len(numbers)} pictures {numbers[:8]}... != {sorted(case.pictures)}")
    for folder, number, alt in tags[:3]:
        picture = install.local_path(folder.decode("cp932")) / (number.decode() + ".gif")
        expect(picture.read_bytes().startswith(b"GIF89a"), f"no picture {picture}")
        expect(alt == emoji_names[int(number)], f"alt text of {number}")

    if case.subject is not None:
        got = subject_text(raw_header(raw, b"Subject"), emoji_codes)
        wanted = sjis_text(case.subject, emoji_codes)
        expect(got == wanted, f"subject {got[:60]!r}... != {wanted[:60]!r}...")
    expect(email.utils.parsedate_to_datetime(head["Date"]) is not None, "date")

    if case.kept_lines:
        old, new = lines_of(case.data), lines_of(raw)
        for line in case.kept_lines:
            expect(new.count(line) == old.count(line),
                   f"{line[:40]!r} stands {new.count(line)} times, not {old.count(line)}")


def emoji_names(data_path):
    names = {}
    for line in pathlib.Path(data_path).read_text(encoding="utf-8").splitlines():
        if line and not line.startswith("#") and not line.startswith("number"):
            fields = line.split("\t")
            names[int(fields[0])] = (fields[1].encode("cp932").replace(b"&", b"&amp;")
                                     .replace(b"<", b"&lt;").replace(b">", b"&gt;")
                                     .replace(b'"', b"&quot;"))
    return names


def emoji_codes(data_path):
    """The carrier's emoji by each of their codes: JIS as Shift_JIS, Shift_JIS, private-use."""
    codes = {}
    for line in pathlib.Path(data_path).read_text(encoding="utf-8").splitlines():
        if line and not line.startswith("#") and not line.startswith("number"):
            fields = line.split("\t")
            mark = f"<{fields[0]}>"
            codes[bytes.fromhex(fields[3])] = codes[bytes.fromhex(fields[4])] = mark
            codes[chr(int(fields[7], 16))] = codes[chr(int(fields[8], 16))] = mark
    return codes


def main():
    parser = argparse.ArgumentParser()
    for name in ("--host", "--plugin", "--skins", "--data"):
        parser.add_argument(name, required=True)
    parser.add_argument("--wine")
    parser.add_argument("--gnu-time", help="GNU time (/usr/bin/time); without it no memory "
                        "figures are taken")
    parser.add_argument("--cases", choices=("small", "large", "all"), default="all")
    parser.add_argument("--no-memory-bound", action="store_true",
                        help="report the memory figures without checking them (sanitizer "
                             "builds)")
    args = parser.parse_args()
    check_memory = args.gnu_time and not args.no_memory_bound

    cases = hostile_corpus.build(args.data, small=args.cases == "small")
    if args.cases == "large":
        cases = [c for c in cases if c.large or c.name == "empty_source"]
    if args.wine:
        cases = [c for c in cases if not c.native_only]
    names = emoji_names(args.data)
    codes = emoji_codes(args.data)
    install = Installation(args)
    failures, rows = [], []
    try:
        baseline = None
        for case in cases:
            timeout = TIMEOUT_SECONDS
            if case.plant:
                # An installation of its own, with the hostile file planted in it.
                install.cleanup()
                install = Installation(args)
                case.plant(install.root, install.plugin)
                timeout = FILE_TIMEOUT_SECONDS
            mail = hostile_corpus.write([case], install.cases)[0]
            run = install.open(mail, timeout)
            mail.unlink()
            if baseline is None:
                baseline = run.peak  # the empty source comes first
            over = run.peak - baseline
            bound = 10 * len(case.data) + FIXED_ALLOWANCE
            status = run.stdout.strip().splitlines()[-1] if run.stdout.strip() else ""
            verdict = "ok"
            try:
                expect(not run.timed_out, f"no end within {timeout} s")
                expect(run.exit_code == 0, f"host exit status {run.exit_code}: {run.stderr}")
                expect(status == case.outcome, f"host reported {status!r}, not {case.outcome!r}")
                if not args.wine:
                    expect(run.stderr == "", f"host wrote to its error output: {run.stderr}")
                if case.outcome == "rewritten":
                    expect(run.output is not None, "no new source")
                    check_rewrite(case, run.output, install, names, codes)
                else:
                    expect(run.output is None, "the host was handed a source")
                if check_memory:
                    expect(over <= bound, f"peak memory {over / MIB:.1f} MiB above the empty "
                           f"mail, more than {bound / MIB:.1f} MiB")
            except Failure as failure:
                verdict = "FAIL"
                failures.append(f"{case.name}: {failure}")
            rows.append((case.name, len(case.data), status, run.seconds, run.peak, over, bound,
                         verdict))
            print(f"{case.name}: {verdict}", flush=True)
    finally:
        install.cleanup()

    print()
    print(f"{'case':34} {'input':>12} {'result':>10} {'seconds':>8} {'peak MiB':>9} "
          f"{'+MiB':>8} {'bound MiB':>9}")
    for name, size, status, seconds, peak, over, bound, verdict in rows:
        figures = (f"{peak / MIB:>9.1f} {over / MIB:>8.1f} {bound / MIB:>9.1f}" if args.gnu_time
                   else f"{'-':>9} {'-':>8} {'-':>9}")
        print(f"{name:34} {size:>12} {status:>10} {seconds:>8.2f} {figures} {verdict}")
    print()
    for failure in failures:
        print("FAILED", failure)
    print(f"{len(rows) - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
