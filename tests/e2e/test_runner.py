"""The Run button, end to end: real scripts run by Wine's cmd.exe.

Every script that may run appends its own tag to ran.txt in the folder it
runs in, so a test sees exactly which scripts, and which parts of them, ran
and where. A two-part script's tail copies the temporary script it runs
from, byte for byte, to copy.txt ("copy /b": cmd's "type" stops at a NUL
byte), so the test sees what "__a.bat" held although it is gone by then.
Lines placed after an "exit" in a tail are copied but never read by cmd
(Wine's cmd spins forever on a line holding a NUL byte).
"""

import os
import subprocess
import unittest

from keshbat_e2e import MESSAGES, KeshBatTestCase

DISCLAIMER = MESSAGES["DisclaimerText"]
FOLDER_UNREACHABLE = MESSAGES["MsgFolderUnreachable"]
NO_SELECTION = MESSAGES["MsgNoSelection"]
REGISTRY_PROBLEM = MESSAGES["MsgRegistryProblem"]
TEMP_FAILED = MESSAGES["MsgTempScriptFailed"]
UNSAFE_NAME = MESSAGES["MsgUnsafeName"]

TEMP = "__a.bat"
HEADER = b"@echo off\r\n"
COPY_SELF = b'copy /b "%~f0" copy.txt >nul'


def rec(tag):
    """The script line that records `tag` as having run."""
    return b"echo " + tag.encode() + b">>ran.txt"


def script(*lines, end=b"\r\n"):
    """A script of these lines, each followed by `end`."""
    return b"".join(line + end for line in lines)


def recorder(tag):
    """A whole script that only records that it ran."""
    return script(b"@echo off", rec(tag))


def temp_script(*tail, ends_with_break):
    """What "__a.bat" must hold for this tail: the header, every line ended
    by CR LF, and one empty line more when the script ended with a break."""
    return HEADER + script(*tail) + (b"\r\n" if ends_with_break else b"")


class RunnerTestCase(KeshBatTestCase):

    def open_game(self, files, game="XWA", **kw):
        """Installs the game with these patch files, starts KeshBat and
        presses the game's button; returns the app."""
        self.folder = self.make_game(game, files=files, **kw)
        app = self.start()
        app.press_game(game)
        self.assertCountEqual(app.list_items(), [name.rstrip("\\") for name in files])
        return app

    def path(self, name, folder=None):
        return (folder or self.folder) + "\\" + name

    def ran(self, folder=None):
        """The tags recorded in the folder, in order."""
        path = self.path("ran.txt", folder)
        if not self.sandbox.exists(path):
            return []
        return self.sandbox.read_file(path).decode().split("\r\n")[:-1]

    def forget_runs(self):
        # Emptied, not removed: a folder may forbid removals.
        for name in ("ran.txt", "copy.txt"):
            if self.sandbox.exists(self.path(name)):
                self.sandbox.write_file(self.path(name), b"")

    def run_selected(self, app, name):
        """Selects `name` and presses Run; fails unless the dialog is back
        (the script finished, or a box is up) in time."""
        self.assertNotEqual(app.select(name), -1, name)
        self.assertTrue(app.run(settle=30), "the Run command did not finish: " + name)

    def assertRunsDirectly(self, app, name, ran):
        """Running `name` asks nothing and records exactly `ran`."""
        self.forget_runs()
        self.run_selected(app, name)
        self.assertNoBox(app)
        self.assertEqual(self.ran(), ran)

    def hold(self, app, win_path):
        """Another program holds the file open with no sharing until the
        returned release is called, or the test ends."""
        held = [win_path]

        def release():
            while held:
                app.release_file(held.pop())

        app.hold_file(win_path)
        self.addCleanup(release)
        return release

    def chattr(self, win_path, flag):
        """Sets a Linux file attribute until the test ends: "a" on a folder
        lets files in it be made and rewritten but not removed, "i" makes a
        file unchangeable. Root ignores permission bits, not these."""
        host = self.sandbox.host_path(win_path)
        if subprocess.run(["chattr", "+" + flag, host], capture_output=True).returncode:
            self.skipTest("this file system has no %r attribute" % flag)
        self.addCleanup(subprocess.run, ["chattr", "-" + flag, host], capture_output=True)

    def forbid_deletions(self):
        """Every "__a.bat" stays after its run, for the test to read."""
        self.chattr(self.folder, "a")

    def assertNoBox(self, app):
        """No box is up; one that is gets answered, so later rows go on."""
        try:
            app.expect_no_message_box(wait=0.3)
        except AssertionError:
            box = app.message_box(timeout=1)
            app.answer("No" if "No" in box.buttons else "OK", settle=30)
            raise

    def assertDisclaimer(self, app):
        box = app.message_box()
        self.assertEqual((box.caption, box.text, box.buttons, box.default, box.has_icon),
                         ("", DISCLAIMER, ["Yes", "No"], "Yes", False))

    def accept_disclaimer(self, app):
        box = app.message_box()
        self.assertEqual((box.caption, box.text), ("", DISCLAIMER))
        self.assertTrue(app.answer("Yes", settle=30), "the tail did not finish")

    def assertTempScriptGone(self):
        self.assertFalse(self.sandbox.exists(self.path(TEMP)), TEMP + " was left behind")


class DirectRunTest(RunnerTestCase):

    def test_script_without_marker_line_runs_whole_without_question(self):
        # Each script records its tag on its first line: a tail run would
        # skip it, a disclaimer would show up as a box.
        cases = [
            ("plain.bat", b""),
            ("upper.bat", b":CONT\r\n"),
            ("blank-before.bat", b" :cont\r\n"),
            ("blank-after.bat", b":cont \r\n"),
            ("tab-after.bat", b":cont\t\r\n"),
            ("lone-cr.bat", b":cont\rrem\r\n"),
            ("cr-cr-lf.bat", b":cont\r\r\n"),
            ("last-line-no-break.bat", b":cont"),
            ("after-ctrl-z.bat", b"\x1a\r\n:cont\r\nrem\r\n"),
        ]
        files = {name: script(b"@echo off", rec(name)) + rest for name, rest in cases}
        app = self.open_game(files)
        for name, _ in cases:
            with self.subTest(name):
                self.assertRunsDirectly(app, name, [name])

    def test_name_reaches_cmd_as_one_quoted_file_name(self):
        # Each decoy is what cmd would run if it split or unescaped the name.
        cases = [
            ("my patch.bat", ["my.bat"]),
            ("two  blanks.bat", ["two.bat"]),
            (" lead.bat", ["lead.bat"]),
            ("d\u00e9j\u00e0 vu.bat", ["d\u00e9j\u00e0.bat"]),
            ("a;b,c=d.bat", ["a.bat"]),
            ("a&b.bat", ["a.bat", "b.bat"]),
            ("x^y.bat", ["xy.bat"]),
            ("p(1).bat", []),
            ("(a) & b^c.bat", ["a.bat", "bc.bat"]),
            ("@at.bat", ["at.bat"]),
            # Bare, cmd takes "exit.bat" for its own exit command.
            ("exit.bat", []),
        ]
        files = {}
        for name, decoys in cases:
            files[name] = recorder("target")
            files.update((decoy, recorder(decoy)) for decoy in decoys)
        app = self.open_game(files)
        for name, _ in cases:
            with self.subTest(name):
                self.assertRunsDirectly(app, name, ["target"])

    def test_name_with_percent_is_refused(self):
        # cmd expands %...% even inside quotes: %OS% would become Windows_NT.
        files = {"100%.bat": recorder("100"), "%OS%.bat": recorder("os"),
                 "Windows_NT.bat": recorder("decoy")}
        app = self.open_game(files)
        for name in ("100%.bat", "%OS%.bat"):
            with self.subTest(name):
                self.run_selected(app, name)
                self.assertErrorBox(app, UNSAFE_NAME)
        self.assertEqual(self.ran(), [])

    def test_selection_that_cannot_be_opened_runs_nothing_silently(self):
        # The same names in the start-up folder must not run either.
        for name in ("dir.bat", "held.bat"):
            self.sandbox.write_file(self.start_dir + "\\" + name, recorder("start"))
        app = self.open_game({"dir.bat\\": None, "held.bat": recorder("held")})
        self.hold(app, self.path("held.bat"))
        for name in ("dir.bat", "held.bat"):
            with self.subTest(name):
                self.run_selected(app, name)
                self.assertNoBox(app)
        self.assertEqual((self.ran(), self.ran(self.start_dir)), ([], []))

    def test_results_of_the_run_are_not_reported(self):
        # A failing exit status, and a tail that deletes its own temporary
        # script so that removing it fails: no box either way.
        files = {
            "status.bat": script(b"@echo off", rec("status"), b"exit 7"),
            "tail-exit.bat": script(b":cont", rec("tail-exit"), b"exit 7"),
            "tail-del.bat": script(b":cont", rec("tail-del"), b'del "%~f0"'),
        }
        app = self.open_game(files)
        for name in ("status.bat", "tail-exit.bat", "tail-del.bat"):
            with self.subTest(name):
                self.forget_runs()
                self.run_selected(app, name)
                if name.startswith("tail"):
                    self.accept_disclaimer(app)
                self.assertNoBox(app)
                self.assertEqual(self.ran(), [name[:-4]])
                self.assertTempScriptGone()

    def test_each_run_happens_in_the_current_games_patch_folder(self):
        # A folder path that cmd would mangle if it ever reached a command.
        xwa = self.make_game("XWA", files={"where.bat": recorder("xwa")},
                             install=self.root + "\\Games (x86) & Co 100%^!;=,")
        tie = self.make_game("TIE", files={"where.bat": recorder("tie")})
        app = self.start()
        for game in ("XWA", "TIE", "XWA"):
            app.press_game(game)
            app.select("where.bat")
            self.assertTrue(app.run(settle=30))
        self.assertEqual((self.ran(xwa), self.ran(tie), self.ran(self.start_dir)),
                         (["xwa", "xwa"], ["tie"], []))


class TwoPartScriptTest(RunnerTestCase):

    def test_disclaimer_box_and_refusal(self):
        app = self.open_game({"two.bat": script(rec("head"), b":cont", rec("tail"))})
        app.select("two.bat")
        app.run()
        self.assertDisclaimer(app)
        app.answer("No")
        self.assertNoBox(app)
        self.assertEqual(self.ran(), [])
        self.assertTempScriptGone()

    def test_only_the_tail_runs_from_an_exact_temporary_script(self):
        tail = [rec("tail"), COPY_SELF]
        # Long lines after the exit, so that a CR LF pair, a bare LF and a
        # lone CR fall where a copy in 64 KiB blocks splits the tail.
        start = len(script(*tail, b"exit"))
        long_lines = (b"rem " + b"a" * (0x10000 - start - 5) + b"\r\n"
                      + b"rem " + b"b" * (0xFFFF - 4) + b"\n"
                      + b"rem " + b"c" * (0xFFFF - 4) + b"\rd\r\n")
        cases = [
            # script,                                               __a.bat
            ("marker first, CR LF ends",
             script(b":cont", *tail),
             temp_script(*tail, ends_with_break=True)),
            ("LF ends, no final break",
             script(rec("head"), b":cont", *tail, end=b"\n")[:-1],
             temp_script(*tail, ends_with_break=False)),
            ("look-alikes before the marker",
             script(rec("head"), b":CONT", b" :cont", b":cont ", b":cont\r" + rec("head2"),
                    b":cont\r", b":cont", *tail),
             temp_script(*tail, ends_with_break=True)),
            ("second marker is a tail line",
             script(rec("head"), b":cont", rec("tail"), b":cont", COPY_SELF),
             temp_script(rec("tail"), b":cont", COPY_SELF, ends_with_break=True)),
            ("NUL byte and lone CR kept in a line",
             script(b":cont", *tail, b"exit", b"rem a\0b\xff", b"rem c\rd"),
             temp_script(*tail, b"exit", b"rem a\0b\xff", b"rem c\rd", ends_with_break=True)),
            ("line ends across 64 KiB blocks",
             script(b":cont", *tail, b"exit") + long_lines,
             temp_script(*tail, b"exit", *long_lines.replace(b"\r\n", b"\n").split(b"\n")[:-1],
                         ends_with_break=True)),
            ("Ctrl-Z ends the text",
             script(b":cont", *tail) + b"\x1a" + script(rec("after-ctrl-z")),
             temp_script(*tail, ends_with_break=True)),
        ]
        files = {"%d.bat" % i: data for i, (_, data, _) in enumerate(cases)}
        app = self.open_game(files)
        for i, (case, _, expected) in enumerate(cases):
            with self.subTest(case):
                self.forget_runs()
                self.run_selected(app, "%d.bat" % i)
                self.accept_disclaimer(app)
                self.assertNoBox(app)
                self.assertEqual(self.ran(), ["tail"])
                self.assertEqual(self.sandbox.read_file(self.path("copy.txt")), expected)
                self.assertTempScriptGone()

    def test_marker_as_last_line_leaves_an_empty_tail(self):
        # The removal fails, and that goes unreported too.
        app = self.open_game({"empty.bat": script(rec("head"), b":cont")})
        self.forbid_deletions()
        self.run_selected(app, "empty.bat")
        self.accept_disclaimer(app)
        self.assertNoBox(app)
        self.assertEqual(self.ran(), [])
        self.assertEqual(self.sandbox.read_file(self.path(TEMP)), HEADER + b"\r\n")

    def test_each_run_rewrites_the_temporary_script_from_scratch(self):
        # Every run leaves its "__a.bat" behind: no byte of a longer one
        # may survive into the next, shorter one.
        long_tail = [rec("long"), COPY_SELF] + [b"rem " + b"x" * 70] * 60
        short_tail = [rec("short"), COPY_SELF]
        tails = {"long.bat": long_tail, "short.bat": short_tail}
        app = self.open_game({name: script(b":cont", *tail) for name, tail in tails.items()})
        self.forbid_deletions()
        for name in ("short.bat", "long.bat", "short.bat"):
            with self.subTest(name):
                self.forget_runs()
                self.run_selected(app, name)
                self.accept_disclaimer(app)
                self.assertEqual(self.ran(), [name[:-4]])
                expected = temp_script(*tails[name], ends_with_break=True)
                self.assertEqual(self.sandbox.read_file(self.path("copy.txt")), expected)
                self.assertEqual(self.sandbox.read_file(self.path(TEMP)), expected)

    def test_temporary_script_that_cannot_be_written_runs_nothing(self):
        # A leftover "__a.bat" that cannot be rewritten keeps its stale
        # content, which must not run in place of the tail.
        stale = recorder("stale")
        cases = [
            ("folder", TEMP + "\\", None, lambda app: None),
            ("held", TEMP, stale, lambda app: self.hold(app, self.path(TEMP))),
            ("unchangeable", TEMP, stale, lambda app: self.chattr(self.path(TEMP), "i")),
        ]
        for case, name, content, lock in cases:
            with self.subTest(case):
                app = self.open_game({"two.bat": script(b":cont", rec("tail")), name: content},
                                     install=self.root + "\\" + case)
                lock(app)
                self.run_selected(app, "two.bat")
                self.accept_disclaimer(app)
                self.assertErrorBox(app, TEMP_FAILED)
                self.assertEqual(self.ran(), [])
                if content:
                    self.assertEqual(self.sandbox.read_file(self.path(TEMP)), stale)


class MissingPatchFolderTest(RunnerTestCase):

    def test_run_after_failed_lookup_runs_nothing(self):
        # The list still shows the last game's scripts; the same name in the
        # start-up folder must not run in their place.
        self.sandbox.write_file(self.start_dir + "\\go.bat", recorder("start"))
        app = self.open_game({"go.bat": recorder("patch")})
        self.sandbox.clear_install_paths()
        app.press_game("XWA")
        self.assertErrorBox(app, REGISTRY_PROBLEM)
        self.assertEqual(app.list_items(), ["go.bat"])
        app.run()
        self.assertErrorBox(app, NO_SELECTION)
        self.run_selected(app, "go.bat")
        self.assertErrorBox(app, REGISTRY_PROBLEM)
        self.assertEqual((self.ran(), self.ran(self.start_dir)), ([], []))

    def test_patch_folder_gone_after_listing_runs_nothing(self):
        def rename(folder):
            os.rename(self.sandbox.host_path(folder), self.sandbox.host_path(folder + "-old"))

        self.sandbox.write_file(self.start_dir + "\\go.bat", recorder("start"))
        for case, make_gone in (("deleted", self.sandbox.remove), ("renamed", rename)):
            with self.subTest(case):
                app = self.open_game({"go.bat": recorder("patch")},
                                     install=self.root + "\\" + case)
                app.select("go.bat")
                make_gone(self.folder)
                app.run()
                self.assertErrorBox(app, FOLDER_UNREACHABLE + self.folder)
                self.assertEqual(self.ran(self.start_dir), [])
                if case == "renamed":
                    self.assertEqual(self.ran(self.folder + "-old"), [])


if __name__ == "__main__":
    unittest.main()
