"""Game buttons: from the registry and patch.ini to the list of scripts."""

import unittest

from keshbat_e2e import GAME_KEY, MESSAGES, KeshBatTestCase

REGISTRY_PROBLEM = MESSAGES["MsgRegistryProblem"]
NO_BAT_FILES = MESSAGES["MsgNoBatFiles"]
PATH_TOO_LONG = MESSAGES["MsgPathTooLong"]

RUN_MARK = "@echo off\r\necho x>ran.txt\r\n"


class GameTest(KeshBatTestCase):

    def test_each_button_lists_its_own_games_patch_folder(self):
        # Every game has a script of its own, so a button reading another
        # game's key, or BoP without its suffix, shows the wrong name.
        for game in ("TIE", "XVT", "BOP", "XWA"):
            self.make_game(game, files={game.lower() + ".bat": ""})
        app = self.start()
        for game in ("TIE", "XVT", "BOP", "XWA", "TIE"):
            with self.subTest(game=game):
                app.press_game(game)
                app.expect_no_message_box(wait=0.2)
                self.assertEqual(app.list_items(), [game.lower() + ".bat"])

    def test_listing_is_sorted_and_takes_every_bat_entry(self):
        self.make_game("XWA", files={
            "b.bat": "", "A.bat": "", "Z.BAT": "", "__a.bat": "", "sub.bat\\": None,
            "notes.txt": "", "bat": "", "c.bat.txt": "",
        })
        app = self.start()
        app.press_game("XWA")
        self.assertEqual(app.list_items(), ["__a.bat", "A.bat", "b.bat", "sub.bat", "Z.BAT"])


class PatchIniTest(KeshBatTestCase):

    def test_first_word_of_patch_ini_names_the_patch_folder(self):
        # One script per candidate folder: the list tells which one was used.
        scripts = {"": "install.bat", "\\KeshPatch": "default.bat", "\\My": "my.bat",
                   "\\Hangar": "hangar.bat", "\\P\u00e4tch\u00a0X": "high.bat"}
        for word, script in scripts.items():
            self.make_game("XWA", files={script: ""}, word=word)
        cases = [
            # patch.ini bytes,                  the word
            (None, "\\KeshPatch"),
            (b"", ""),
            (b" \r\n\t\x0b\x0c \r\n", ""),
            (b"\\My Patch\r\n", "\\My"),
            (b"\r\n\n   \t\\Hangar rest\n\\My\n", "\\Hangar"),
            (b"\\Hangar\x1a\\My", "\\Hangar"),
            (b"\x1a\\Hangar", ""),
            (b"  \x1a  \\Hangar", ""),
            # Bytes 0x80 to 0xFF belong to the word, also the no-break space.
            (b"\\P\xe4tch\xa0X\tnext", "\\P\u00e4tch\u00a0X"),
        ]
        app = self.start()
        for data, word in cases:
            with self.subTest(patch_ini=data):
                if data is None:
                    self.sandbox.remove(self.start_dir + "\\patch.ini")
                else:
                    self.write_patch_ini(data)
                app.press_game("XWA")
                app.expect_no_message_box(wait=0.2)
                self.assertEqual(app.list_items(), [scripts[word]])

    def test_patch_ini_stays_the_start_up_folders_after_a_run(self):
        # Run makes the patch folder current; a patch.ini there must not
        # steer the next press to another folder.
        folder = self.make_game("XWA", files={"run.bat": RUN_MARK, "patch.ini": "\\Second"},
                                patch_ini="\\First", word="\\First")
        self.make_game("XWA", files={"second.bat": ""}, word="\\Second")
        app = self.start()
        app.press_game("XWA")
        app.select("run.bat")
        app.run()
        self.assertTrue(self.sandbox.exists(folder + "\\ran.txt"), "the script did not run")
        app.press_game("XWA")
        app.expect_no_message_box(wait=0.2)
        self.assertEqual(app.list_items(), ["run.bat"])


class RegistryTest(KeshBatTestCase):

    def test_32_bit_view_first_then_default_view(self):
        view32, view64 = self.root + "\\v32", self.root + "\\v64"
        self.make_game("XWA", files={"view32.bat": ""}, install=view32)
        self.make_game("XWA", files={"view64.bat": ""}, install=view64)
        cases = [
            # 32-bit view, default view, expected list
            (view32, view64, ["view32.bat"]),
            (view32, None, ["view32.bat"]),
            (None, view64, ["view64.bat"]),
        ]
        app = self.start()
        for value32, value64, expected in cases:
            with self.subTest(view32=value32, view64=value64):
                self.sandbox.clear_install_paths()
                if value32:
                    self.sandbox.set_install_path("XWA", value32, view=32)
                if value64:
                    self.sandbox.set_install_path("XWA", value64, view=64)
                app.press_game("XWA")
                app.expect_no_message_box(wait=0.2)
                self.assertEqual(app.list_items(), expected)

    def test_failed_lookup_keeps_the_old_list_and_says_so(self):
        self.make_game("XWA", files={"keep.bat": ""})
        install = self.game_folder("TIE")
        self.make_game("TIE", files={"tie.bat": ""})
        cases = {
            "key missing": lambda: None,
            "value missing": lambda: self.sandbox.reg(
                "add", "HKLM\\" + GAME_KEY["TIE"], "/v", "Install", "/d", install,
                "/reg:32", "/f"),
            "empty value": lambda: self.sandbox.set_install_path("TIE", ""),
            "value over 260 bytes": lambda: self.sandbox.set_install_path(
                "TIE", install + "\\" * (300 - len(install))),
            "260 bytes, no NUL": lambda: self.sandbox.set_install_path(
                "TIE", install.encode().ljust(260, b"\\"), type="REG_BINARY"),
        }
        app = self.start()
        for case, set_up in cases.items():
            with self.subTest(case):
                self.sandbox.clear_install_paths()
                self.sandbox.set_install_path("XWA", self.game_folder("XWA"))
                set_up()
                app.press_game("XWA")
                self.assertEqual(app.list_items(), ["keep.bat"])
                app.press_game("TIE")
                self.assertErrorBox(app, REGISTRY_PROBLEM)
                self.assertEqual(app.list_items(), ["keep.bat"])
        with self.subTest("value without NUL that leaves room for one"):
            self.sandbox.set_install_path("TIE", install.encode(), type="REG_BINARY")
            app.press_game("TIE")
            app.expect_no_message_box(wait=0.2)
            self.assertEqual(app.list_items(), ["tie.bat"])


class FolderTest(KeshBatTestCase):

    def assertListEmptiedBehindBox(self, app, text):
        """The error box shows `text`, and the list is empty already while
        it shows, and after."""
        app.message_box()
        self.assertEqual(app.list_items(), [], "the list was not emptied before the box")
        self.assertErrorBox(app, text)
        self.assertEqual(app.list_items(), [])

    def test_no_scripts_empties_the_list_before_the_box(self):
        self.make_game("XWA", files={"old.bat": ""}, word="\\Old")
        self.make_game("XWA", files={"readme.txt": "", "run.cmd": ""}, word="\\NoBat")
        self.make_game("XWA", word="\\Empty")
        app = self.start()
        for word in ("\\Missing", "\\Empty", "\\NoBat"):
            with self.subTest(word=word):
                self.write_patch_ini("\\Old")
                app.press_game("XWA")
                self.assertEqual(app.list_items(), ["old.bat"])
                self.write_patch_ini(word)
                app.press_game("XWA")
                self.assertListEmptiedBehindBox(app, NO_BAT_FILES)

    def long_path(self, length):
        r"""A path under the test's folder exactly `length` characters long,
        in components a file system takes."""
        path = self.root + "\\long"
        while len(path) < length:
            left = length - len(path)
            part = min(100, left - 1)
            if left - part - 1 == 1:
                part -= 1
            path += "\\" + "d" * part
        return path

    def test_path_too_long_for_260_bytes_is_an_error_and_empties_the_list(self):
        # Every folder exists and holds a script: only the length of the
        # search pattern, folder + "\*.bat" and its NUL in 260 bytes, decides.
        self.make_game("TIE", files={"old.bat": ""})
        cases = [
            # game, install path length, patch.ini word, listed
            ("XWA", 243, "\\KeshPatch", True),      # pattern of 259 characters
            ("XWA", 244, "\\KeshPatch", False),     # 260
            ("XWA", 250, "\\KeshPatch", False),     # the folder alone is 260
            ("XWA", 100, "\\" + "w" * 152, True),   # 259
            ("XWA", 100, "\\" + "w" * 153, False),  # 260
            ("BOP", 228, "\\KeshPatch", True),      # 259
            ("BOP", 229, "\\KeshPatch", False),     # 260
            ("BOP", 245, "", False),                # value and suffix are 260
        ]
        app = self.start()
        for game, length, word, listed in cases:
            with self.subTest(game=game, length=length, word_length=len(word)):
                self.make_game(game, files={"a.bat": ""}, install=self.long_path(length),
                               word=word)
                self.write_patch_ini("\\KeshPatch")
                app.press_game("TIE")
                self.assertEqual(app.list_items(), ["old.bat"])
                self.write_patch_ini(word)
                app.press_game(game)
                if listed:
                    app.expect_no_message_box(wait=0.2)
                    self.assertEqual(app.list_items(), ["a.bat"])
                    continue
                self.assertListEmptiedBehindBox(app, PATH_TOO_LONG)


if __name__ == "__main__":
    unittest.main()
