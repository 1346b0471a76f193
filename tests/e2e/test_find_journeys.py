"""Journeys through the find dialog and the About window of the card program."""

from kinfolio_e2e import E2EError, Journey, main, sample_couples, wait_for

WIVES = [wife for _, wife in sample_couples()]

# Top left corners, in twips, of the dialog's two combo boxes.
COMBO1_AT = (120, 120)
COMBO2_AT = (2760, 120)


class Combo:
    """An editable combo box: its list, and its edit part to type or step through."""

    def __init__(self, control):
        self.control = control
        edits = control.controls("text")
        if len(edits) != 1:
            raise E2EError(f"combo box has {len(edits)} edit parts")
        self.edit = edits[0]

    def entries(self):
        return [item.name for item in self.control.controls("list item")]

    @property
    def text(self):
        return self.edit.text

    def choose_with_arrow_keys(self, entry):
        """Steps through the list with Down, as a keyboard user picks an entry."""
        entries = self.entries()
        if entry not in entries:
            raise E2EError(f"{entry!r} is not among the entries {entries}")
        self.edit.focus_by_click()
        for _ in range(len(entries) + 1):
            if self.text == entry:
                return
            before = self.text
            self.edit.key("Down")
            wait_for("the combo box to step to the next entry", lambda: self.text != before, timeout=5)
        raise E2EError(f"stepping through the list never reached {entry!r}")


class FindJourneys(Journey):

    def open_find(self, program, cards):
        cards.press("Find")
        dialog = program.window("Find")
        return dialog, Combo(dialog.control_at(*COMBO1_AT, roles=("combo box",))), \
            Combo(dialog.control_at(*COMBO2_AT, roles=("combo box",)))

    def test_find_by_wife_s_name_shows_her_card_and_navigation_goes_on_from_there(self):
        self.write_sample_cards()
        program, cards = self.start_card_program()
        cards.wait_showing("Samuel Whitcombe", "Hannah Cole", ("4", "4"))

        dialog, combo1, combo2 = self.open_find(program, cards)
        self.assertEqual(sorted(c.name for c in dialog.controls("push button")), ["Accept", "Cancel"])
        # Sixteen fields to search, each once: all but the notes.
        self.assertEqual(len(set(combo1.entries())), 16)
        self.assertEqual((combo1.text, combo2.text, combo2.entries()), ("", "", []))

        combo1.choose_with_arrow_keys("Wife's Name")
        wait_for("the wives' names in the value list", lambda: combo2.entries() == WIVES)
        combo2.choose_with_arrow_keys("Karin Lindqvist")
        dialog.button("Accept").press()
        wait_for("the find dialog to close", lambda: "Find" not in program.window_titles())
        cards.wait_showing("Henrik Dahlberg", "Karin Lindqvist", ("3", "4"))
        self.assertEqual(cards.card()["BornPlace"], "Växjö, Sweden")

        # The found card is the current one: Back goes to the card before it.
        cards.press("< <")
        cards.wait_showing("Thomas Ashworth", "Sarah Whitfield", ("2", "4"))

        cards.press("Exit")
        self.assertEqual(program.wait_ended(), 0)

    def test_typed_value_must_match_exactly_and_the_dialog_stays_until_found_or_cancelled(self):
        self.write_sample_cards()
        program, cards = self.start_card_program()
        cards.press("| <")
        cards.wait_showing("Jonas Ashworth", "Ellen Pryce", ("1", "4"))

        dialog, combo1, combo2 = self.open_find(program, cards)
        combo1.choose_with_arrow_keys("Wife's Name")
        wait_for("the wives' names in the value list", lambda: combo2.entries() == WIVES)
        for near_miss in ("hannah cole", "Hannah Cole ", "Hannah"):
            combo2.edit.type(near_miss)
            dialog.button("Accept").press()
            program.expect_message("No Match Found", "Kinfolio")
            self.assertEqual(program.window_titles(), ["Find", "Kinfolio"])
            cards.wait_showing("Jonas Ashworth", "Ellen Pryce", ("1", "4"))

        combo2.edit.type("Hannah Cole")
        dialog.button("Accept").press()
        wait_for("the find dialog to close", lambda: "Find" not in program.window_titles())
        cards.wait_showing("Samuel Whitcombe", "Hannah Cole", ("4", "4"))

        # A new search starts afresh; Cancel leaves the card window as it was.
        dialog, combo1, combo2 = self.open_find(program, cards)
        self.assertEqual((combo1.text, combo2.text, combo2.entries()), ("", "", []))
        combo1.choose_with_arrow_keys("Husband")
        combo2.choose_with_arrow_keys("Jonas Ashworth")
        dialog.button("Cancel").press()
        wait_for("the find dialog to close", lambda: "Find" not in program.window_titles())
        cards.wait_showing("Samuel Whitcombe", "Hannah Cole", ("4", "4"))

        cards.press("Exit")
        self.assertEqual(program.wait_ended(), 0)

    def test_about_opens_beside_the_card_window_and_ok_closes_it(self):
        self.write_sample_cards()
        program, cards = self.start_card_program()
        cards.window.menu("About")
        about = program.window("Kinfolio", role="dialog")
        self.assertIn("Kinfolio", about.labels())
        description = [c.text for c in about.controls("text")]
        self.assertEqual(description, ["Kinfolio is the ideal way to store vital Genealogical \n"
                                       "information. Compact, easy to use, Kinfolio is the \n"
                                       "genealogist's friend. \n"])

        # The card window stays usable while About is open.
        cards.press("| <")
        cards.wait_showing("Jonas Ashworth", "Ellen Pryce", ("1", "4"))
        cards.window.menu("About")
        self.assertEqual(len([w for w in program.windows() if w.role == "dialog"]), 1,
                         "a second About window opened")

        about.button("OK").press()
        wait_for("the About window to close",
                 lambda: not [w for w in program.windows() if w.role == "dialog"])
        self.assertTrue(program.running())
        cards.wait_showing("Jonas Ashworth", "Ellen Pryce", ("1", "4"))
        cards.press("Exit")
        self.assertEqual(program.wait_ended(), 0)


if __name__ == "__main__":
    main()
