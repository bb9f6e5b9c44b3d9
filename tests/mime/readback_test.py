#!/usr/bin/env python3
"""Reads every message that the mail engine's tests build back with an independent reader,
Python's email package, and checks that it sees the same tree and the same decoded content as
the engine itself (the NAME.tree file written beside each NAME.eml by the tests).

Usage: readback_test.py TEST-PROGRAM [--wine WINE-RUN] [--examples FOLDER] [--minimum COUNT]"""
import argparse
import email
import email.header
import email.policy
import os
import re
import subprocess
import sys
import tempfile


def python_tree(message):
    """The subject (UTF-8) and the parts of a message in tree order, as Python reads them:
    (depth, content type, transfer-decoded content or None for containers)."""
    subject = message.get("Subject", "")
    subject = re.sub(r"\r?\n(?=[ \t])", "", subject)  # unfold
    try:
        decoded = str(email.header.make_header(email.header.decode_header(subject)))
    except (UnicodeDecodeError, LookupError):
        decoded = None  # a charset Python cannot read (the carrier's emoji codes in JIS)
    parts = []

    def walk(part, depth, inside_multipart):
        content_type = part.get_content_type()
        if part.is_multipart():
            parts.append((depth, content_type, None))
            for sub in part.get_payload():
                walk(sub, depth + 1, content_type.startswith("multipart/"))
            return
        if inside_multipart:
            # The line break before a boundary line belongs to the boundary; the engine keeps it
            # as the part's last line break, so give it back before decoding.
            part.set_payload(part.get_payload() + "\r\n")
        parts.append((depth, content_type, part.get_payload(decode=True)))

    walk(message, 0, False)
    return None if decoded is None else decoded.encode("utf-8", "surrogateescape"), parts


def engine_tree(text):
    """The same view, from the engine's NAME.tree file."""
    subject = b""
    parts = []
    original = None
    for line in text.splitlines():
        kind, _, rest = line.partition(" ")
        if kind == "subject":
            subject = bytes.fromhex(rest) if rest != "." else b""
        elif kind == "part":
            depth, content_type, content = rest.split(" ")
            payload = None if content == "-" else (b"" if content == "." else bytes.fromhex(content))
            parts.append((int(depth), content_type, payload))
        elif kind == "original":
            original = rest
    return subject, parts, original


def describe(parts):
    return [(depth, content_type, None if payload is None else len(payload))
            for depth, content_type, payload in parts]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mime_tests", help="the test program that saves the messages")
    parser.add_argument("--wine")
    parser.add_argument("--examples", default=os.path.join(os.path.dirname(__file__), "..", "..",
                                                           "examples"))
    parser.add_argument("--minimum", type=int, default=8, help="messages the program must save")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="pl-mime-readback-") as folder:
        environment = dict(os.environ)
        environment["PICTOLUMEN_MIME_READBACK_DIR"] = ("Z:" + folder) if args.wine else folder
        command = ([args.wine] if args.wine else []) + [args.mime_tests, "--gtest_brief=1"]
        result = subprocess.run(command, env=environment, capture_output=True, timeout=1200)
        if result.returncode != 0:
            sys.stdout.write(result.stdout.decode("utf-8", "replace"))
            print("%s failed; nothing to read back" % args.mime_tests)
            return 1

        names = sorted(name[:-4] for name in os.listdir(folder) if name.endswith(".eml"))
        failures = 0
        for name in names:
            with open(os.path.join(folder, name + ".eml"), "rb") as source:
                data = source.read()
            with open(os.path.join(folder, name + ".tree"), encoding="ascii") as tree:
                expected_subject, expected_parts, original = engine_tree(tree.read())
            message = email.message_from_bytes(data, policy=email.policy.compat32)
            subject, parts = python_tree(message)
            problems = []
            if message.defects:
                problems.append("defects %r" % message.defects)
            if subject != expected_subject:
                problems.append("subject %r, engine %r" % (subject, expected_subject))
            if describe(parts) != describe(expected_parts):
                problems.append("tree %r, engine %r" % (describe(parts), describe(expected_parts)))
            else:
                for (depth, content_type, payload), (_, _, wanted) in zip(parts, expected_parts):
                    if payload != wanted:
                        problems.append("content of %s at depth %d: %r, engine %r" % (
                            content_type, depth, payload[:80], wanted[:80]))
            if original:
                with open(os.path.join(args.examples, original), "rb") as source:
                    _, original_parts = python_tree(
                        email.message_from_bytes(source.read(), policy=email.policy.compat32))
                if original_parts != parts:
                    problems.append("differs from %s as Python reads both" % original)
            status = "ok" if not problems else "FAILED"
            print("%-40s %s" % (name, status))
            for problem in problems:
                print("    " + problem)
            failures += bool(problems)

        if len(names) < args.minimum:
            print("only %d messages were saved for reading back" % len(names))
            return 1
        print("%d messages read back, %d failed" % (len(names), failures))
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
