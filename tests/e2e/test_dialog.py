"""The main dialog as the user meets it: its first state, the keys and
clicks it ignores, and how it ends."""

import unittest

from keshbat_e2e import IDC_GAME_TIE, MESSAGES, KeshBatTestCase


class DialogTest(KeshBatTestCase):

    def test_opens_empty_with_focus_on_tie_fighter(self):
        app = self.start()
        self.assertEqual(app.list_items(), [])
        self.assertEqual(app.focused_control(), IDC_GAME_TIE)
        app.expect_no_message_box(wait=0.5)

    def test_close_button_ends_process_with_code_0(self):
        app = self.start()
        self.assertEqual(app.close(), 0)


if __name__ == "__main__":
    unittest.main()
