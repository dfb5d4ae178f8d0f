"""The main dialog as the user meets it: its first state, its layout, the
keys and clicks it ignores, and how it ends."""

import unittest

from keshbat_e2e import (GAME_BUTTON, IDC_GAME_TIE, IDC_RUN, IDC_SCRIPT_LIST, MESSAGES,
                         KeshBatTestCase)

WS_CAPTION, WS_SYSMENU, WS_THICKFRAME = 0x00C00000, 0x00080000, 0x00040000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_TABSTOP = 0x00020000, 0x00010000, 0x00010000
LBS_NOTIFY, LBS_SORT, LBS_MULTIPLESEL, LBS_EXTENDEDSEL = 0x1, 0x2, 0x8, 0x800

RAN = "@echo off\r\necho x>ran.txt\r\n"


class DialogTest(KeshBatTestCase):

    def test_opens_empty_with_focus_on_tie_fighter(self):
        app = self.start()
        app.expect_no_message_box(wait=0.5)
        self.assertEqual(app.list_items(), [])
        self.assertEqual(app.focused_control(), IDC_GAME_TIE)

    def test_layout_captions_and_tab_order(self):
        app = self.start()
        dialog = app.geometry()
        self.assertEqual(dialog["style"] & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU)
        self.assertEqual(dialog["style"] & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0)
        controls = dialog["controls"]
        self.assertEqual([(c["id"], c["class"], c["text"]) for c in controls], [
            (GAME_BUTTON["TIE"], "Button", "TIE Fighter"),
            (GAME_BUTTON["XVT"], "Button", "X-wing vs TIE Fighter"),
            (GAME_BUTTON["BOP"], "Button", "Balance of Power"),
            (GAME_BUTTON["XWA"], "Button", "X-wing Alliance"),
            (IDC_RUN, "Button", "Run"),
            (IDC_SCRIPT_LIST, "ListBox", ""),
        ])
        self.assertTrue(all(c["style"] & WS_TABSTOP for c in controls))
        games, run, script_list = controls[:4], controls[4], controls[5]
        # (The list's scroll bar and border styles change at run time.)
        list_style = script_list["style"]
        self.assertEqual(list_style & (LBS_NOTIFY | LBS_SORT), LBS_NOTIFY | LBS_SORT)
        self.assertEqual(list_style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL), 0)

        # The list on the left, the game buttons in a column on its right
        # from top to bottom, Run below the list; everything inside the
        # client area, and the dialog centred on the screen.
        left, top, width, height = range(4)
        lx, ly, lw, lh = script_list["rect"]
        tops = [c["rect"][top] for c in games]
        self.assertEqual(tops, sorted(tops))
        self.assertEqual(len({c["rect"][left] for c in games}), 1)
        self.assertGreater(games[0]["rect"][left], lx + lw)
        self.assertEqual(run["rect"][left], lx)
        self.assertGreater(run["rect"][top], ly + lh)
        client_w, client_h = dialog["client"][width], dialog["client"][height]
        for c in controls:
            x, y, w, h = c["rect"]
            self.assertTrue(0 <= x and x + w <= client_w and 0 <= y and y + h <= client_h, c)
        x, y, w, h = dialog["window"]
        self.assertLessEqual(abs(2 * x + w - dialog["screen_width"]), 2)
        self.assertLessEqual(abs(2 * y + h - dialog["screen_height"]), 2)

    def test_run_without_a_selection_says_so(self):
        self.make_game("XWA", files={"a.bat": RAN})
        app = self.start()
        states = [
            ("no game pressed yet", lambda: None),
            ("scripts listed, none selected", lambda: app.press_game("XWA")),
            ("list emptied by a folder without scripts", lambda: (
                self.write_patch_ini("\\Missing"), app.press_game("XWA"), app.answer("OK"))),
        ]
        for state, reach in states:
            with self.subTest(state):
                reach()
                self.assertEqual(app.selected_index(), -1)
                app.run()
                self.assertErrorBox(app, MESSAGES["MsgNoSelection"])
        self.assertFalse(self.sandbox.exists(self.game_folder("XWA") + "\\KeshPatch\\ran.txt"))

    def test_escape_does_not_close_the_dialog(self):
        app = self.start()
        self.assertTrue(app.press_escape())
        self.assertTrue(app.alive())
        app.expect_no_message_box(wait=0.2)
        self.assertEqual(app.close(), 0)

    def test_double_click_in_the_list_runs_nothing(self):
        folder = self.make_game("XWA", files={"a.bat": RAN})
        app = self.start()
        app.press_game("XWA")
        app.double_click_list(0)
        app.expect_no_message_box(wait=0.5)
        self.assertFalse(self.sandbox.exists(folder + "\\ran.txt"))
        # The same entry does run from the Run button.
        self.assertEqual(app.selected_index(), 0)
        app.run()
        self.assertTrue(self.sandbox.exists(folder + "\\ran.txt"))

    def test_close_button_ends_process_with_code_0(self):
        self.make_game("XWA", files={"a.bat": RAN})
        cases = [
            ("untouched", lambda app: None),
            ("after a list and an error box", lambda app: (
                app.press_game("XWA"), app.press_game("TIE"), app.answer("OK"))),
        ]
        for case, use in cases:
            with self.subTest(case):
                app = self.start()
                use(app)
                self.assertEqual(app.close(), 0)


if __name__ == "__main__":
    unittest.main()
