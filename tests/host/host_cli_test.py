#!/usr/bin/env python3
"""Drives the plug-in through the stand-in host's command line, natively or under Wine:
the information record, the menu entry and its message box, the host binding rule and the
failed loads. Usage: host_cli_test.py HOST [--wine WINE-RUN] [--not-a-plugin FILE]"""
import argparse
import subprocess
import sys
import unittest

ARGS = None

DESCRIPTION = "携帯電話(au・docomo・SoftBank)の絵文字を表示することができるようになります。"


def host(*arguments):
    command = ([ARGS.wine] if ARGS.wine else []) + [ARGS.host] + list(arguments)
    result = subprocess.run(command, capture_output=True, timeout=120)
    return result.returncode, result.stdout.decode("utf-8").replace("\r\n", "\n"), result.stderr.decode(
        "utf-8", "replace")


class Info(unittest.TestCase):
    def test_prints_the_four_fields(self):
        status, out, _ = host("info")
        self.assertEqual(status, 0)
        self.assertEqual(out.splitlines(), ["Pictolumen Ver.1.50", "Qelvo", "1.50", DESCRIPTION])


class Menu(unittest.TestCase):
    def test_entry_only_on_the_fifth_submenu_for_kind_0(self):
        status, out, _ = host("menu")
        self.assertEqual(status, 0)
        self.assertEqual(out.splitlines(), ["File:", "Edit:", "View:", "Tools:", "Plug-ins: Pictolumen", "Help:"])

    def test_choosing_shows_the_message_box(self):
        status, out, _ = host("menu", "--choose")
        self.assertEqual(status, 0)
        self.assertEqual(out.splitlines()[-1], "[Pictolumen] Message from Pictolumen")

    def test_without_fifth_submenu_the_command_is_still_registered(self):
        status, out, _ = host("menu", "--submenus", "4", "--choose")
        self.assertEqual(status, 0)
        self.assertEqual(out.splitlines(), ["File:", "Edit:", "View:", "Tools:",
                                            "[Pictolumen] Message from Pictolumen"])


class Binding(unittest.TestCase):
    def test_old_host_without_set_status_loads(self):
        for version in ("2.00.05", "1.00", "2.00.0"):
            with self.subTest(version=version):
                self.assertEqual(host("--host-version", version, "--no-setstatus", "info")[0], 0)

    def test_newer_host_without_set_status_is_refused(self):
        for version in ("2.00.06", "2.75.00", "2.00.050"):
            with self.subTest(version=version):
                status, out, err = host("--host-version", version, "--no-setstatus", "info")
                self.assertEqual(status, 2)
                self.assertEqual(out, "")
                self.assertIn("cannot load the plug-in", err)

    def test_any_version_with_set_status_loads(self):
        for version in ("2.00.06", "9.99.99", "a very long version text"):
            with self.subTest(version=version):
                self.assertEqual(host("--host-version", version, "info")[0], 0)


class FailedLoad(unittest.TestCase):
    def test_missing_plugin(self):
        status, _, err = host("--plugin", "no-such-plugin.dll", "info")
        self.assertEqual(status, 2)
        self.assertIn("no-such-plugin.dll", err)

    def test_file_that_is_not_a_plugin(self):
        status, _, err = host("--plugin", ARGS.not_a_plugin, "info")
        self.assertEqual(status, 2)
        self.assertIn("cannot load the plug-in", err)

    def test_usage_error(self):
        self.assertEqual(host("frobnicate")[0], 1)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("host")
    parser.add_argument("--wine")
    parser.add_argument("--not-a-plugin", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
