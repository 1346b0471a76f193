"""Journeys through the card program: start, the card window, editing and
navigation, with the card file read back from disk afterwards."""

import os
import signal
import time

from kinfolio_e2e import CardWindow, Journey, main, sample_couples, wait_for

# The sample file's four families, in file order: (husband, wife).
FAMILIES = sample_couples()


def quoted_lines(*texts):
    """Card file bytes: one quoted Windows-1252 item per field, CR LF after each."""
    return b"".join(b'"' + t.encode("cp1252") + b'"\r\n' for t in texts)


class CardJourneys(Journey):

    def test_splash_then_card_window_shows_last_card_and_exit_keeps_the_file(self):
        self.write_sample_cards()
        original = self.card_file()
        program = self.start(os.path.join(self.dist, "test.ttt"))

        def splash():
            for window in program.windows():
                labels = window.labels()
                if "Version 1.0" in labels:
                    return window, labels
            return None

        window, labels = wait_for("the splash", splash, timeout=15)
        self.assertIn("Kinfolio", labels)
        self.assertIn("Company: Quillbrook", labels)
        self.assertNotIn("Kinfolio", [w.name for w in program.windows() if w.role == "frame"],
                         "the card window opened while the splash was still waiting")

        card_window = program.window("Kinfolio", timeout=20)
        waited = time.monotonic() - program.started_at
        self.assertGreaterEqual(waited, 2.9, "the splash handed over before its three seconds")
        wait_for("the splash to go", lambda: splash() is None, timeout=5)
        self.assertEqual(program.window_titles(), ["Kinfolio"])

        cards = CardWindow(card_window)
        cards.wait_showing("Samuel Whitcombe", "Hannah Cole", ("4", "4"))
        card = cards.card()
        self.assertEqual(card["BornPlace"], "Bristol")
        self.assertEqual(card["Notes"], "Parents unknown; check the parish registers.")
        self.assertEqual(card["Father"], "")

        cards.press("Exit")
        self.assertEqual(program.wait_ended(), 0)
        self.assertEqual(self.card_file(), original, "Exit rewrote the cards differently")

    def test_shipped_empty_card_file_opens_a_blank_card(self):
        self.assertEqual(self.card_file(), b"")
        program, cards = self.start_card_program()
        card = cards.card()
        self.assertEqual(card["Notes"], "Text1")
        self.assertEqual({k: v for k, v in card.items() if k != "Notes" and v}, {})
        self.assertEqual(cards.banner(), ("", ""))

    def test_exit_on_an_empty_table_ends_the_program_and_writes_nothing(self):
        program, cards = self.start_card_program()
        cards.press("Exit")
        self.assertEqual(program.wait_ended(timeout=8), 0)
        self.assertEqual(self.card_file(), b"")

    def test_new_card_typed_added_saved_and_shown_after_restart(self):
        self.write_sample_cards()
        original = self.card_file()
        program, cards = self.start_card_program()
        cards.wait_showing("Samuel Whitcombe", "Hannah Cole", ("4", "4"))

        # Clicked with the mouse, so that the window is active and has a focus.
        cards.window.button("New").click()
        wait_for("the boxes to clear", lambda: set(cards.card().values()) == {""})
        self.assertEqual(cards.banner(), ("5", "5"))
        wait_for("the focus in the husband's box after New", lambda: cards.box("Name").focused, timeout=5)

        cards.press("Add")
        program.expect_message("Please enter a name.", "Error!")

        typed = {
            "Name": "Edvin Söderby",
            "BornDate": "2 MAY 1861",
            "BornPlace": "Västerås",
            "WifeName": "Elin Nyström",
            "WifeFather": "Nils Nyström",
            "Notes": "Arrived 1888.\nFarmed near Lindsborg.",
        }
        for field, text in typed.items():
            cards.box(field).type(text)

        cards.press("Add")
        program.expect_message("Record has been added.", "Kinfolio")
        self.assertEqual(cards.banner(), ("5", "5"))

        cards.press("Exit")
        self.assertEqual(program.wait_ended(), 0)
        expected_card = quoted_lines(
            "Edvin Söderby", "2 MAY 1861", "Västerås", "", "", "", "", "", "",
            "Elin Nyström", "", "", "", "", "Nils Nyström", "",
            "Arrived 1888.\r\nFarmed near Lindsborg.")
        self.assertEqual(self.card_file(), original + expected_card)

        program, cards = self.start_card_program()
        cards.wait_showing("Edvin Söderby", "Elin Nyström", ("5", "5"))
        card = cards.card()
        for field, text in typed.items():
            self.assertEqual(card[field], text, field)
        cards.press("| <")
        cards.wait_showing(*FAMILIES[0], banner=("1", "5"))
        cards.press("Exit")
        self.assertEqual(program.wait_ended(), 0)

    def test_navigation_walks_to_both_ends_and_stops_there(self):
        self.write_sample_cards()
        program, cards = self.start_card_program()
        cards.wait_showing(*FAMILIES[3], banner=("4", "4"))

        # On the last card neither forward button moves.
        for caption in ("> >", "> |"):
            cards.press(caption)
            program.expect_message("Last record reached.", "Information")
            cards.wait_showing(*FAMILIES[3], banner=("4", "4"))

        cards.press("| <")
        cards.wait_showing(*FAMILIES[0], banner=("1", "4"))
        self.assertEqual(cards.card()["Notes"], "Weaver at the Bank Mills.\nSeven children, five survived; "
                                               "the two eldest sons are buried at St. Peter’s, Leeds.")
        for caption in ("< <", "| <"):
            cards.press(caption)
            program.expect_message("First record reached.", "Information")
            cards.wait_showing(*FAMILIES[0], banner=("1", "4"))

        for position in (1, 2, 3):
            cards.press("> >")
            cards.wait_showing(*FAMILIES[position], banner=(str(position + 1), "4"))
        cards.press("< <")
        cards.wait_showing(*FAMILIES[2], banner=("3", "4"))
        self.assertEqual(cards.card()["BornPlace"], "Växjö, Sweden")
        cards.press("> |")
        cards.wait_showing(*FAMILIES[3], banner=("4", "4"))

        # Unsaved edits are dropped by a move, and the store keeps the card.
        cards.box("Name").type("Samuel Whitcomb")
        cards.press("| <")
        cards.wait_showing(*FAMILIES[0], banner=("1", "4"))
        cards.press("> |")
        cards.wait_showing(*FAMILIES[3], banner=("4", "4"))
        cards.press("Exit")
        self.assertEqual(program.wait_ended(), 0)

    def test_delete_asks_first_and_removes_only_on_yes(self):
        self.write_sample_cards()
        program, cards = self.start_card_program()
        cards.wait_showing(*FAMILIES[3], banner=("4", "4"))
        warning = "Warning!\nThis will overwrite your current record\nDo you want to proceed?"

        cards.press("Delete")
        program.expect_message(warning, "Warning!", answer="No")
        cards.wait_showing(*FAMILIES[3], banner=("4", "4"))

        cards.press("Delete")
        program.expect_message(warning, "Warning!", answer="Yes")
        # The last card gone, the first one is shown.
        cards.wait_showing(*FAMILIES[0], banner=("1", "3"))

        cards.press("Exit")
        self.assertEqual(program.wait_ended(), 0)
        data = self.card_file()
        self.assertEqual(data.count(b"\r\n"), 3 * 17 + 1, "three cards (one notes field holds a line break)")
        self.assertNotIn(b"Samuel Whitcombe", data)
        self.assertTrue(data.startswith(b'"Jonas Ashworth"\r\n'), data[:40])

    def test_a_second_copy_on_the_same_card_file_says_so_and_ends(self):
        self.write_sample_cards()
        original = self.card_file()
        first, cards = self.start_card_program()
        cards.wait_showing("Samuel Whitcombe", "Hannah Cole", ("4", "4"))

        second = self.start(os.path.join(self.dist, "test.ttt"))
        second.expect_message("Kinfolio is already open on its card file in\n" + self.dist
                              + "\n\nOnly one Kinfolio at a time can keep its cards there. It holds the lock file\n"
                              + os.path.join(self.dist, "Kinfolio.dat.lock"), "Error!", timeout=20)
        self.assertEqual(second.wait_ended(), 0)
        self.assertTrue(first.running())
        self.assertEqual(self.card_file(), original)

        # The first copy still saves its cards on Exit, and a later start opens again.
        cards.press("Exit")
        self.assertEqual(first.wait_ended(), 0)
        third, cards = self.start_card_program()
        cards.wait_showing("Samuel Whitcombe", "Hannah Cole", ("4", "4"))

    def test_a_killed_session_comes_back_and_a_shutdown_saves_it(self):
        self.write_sample_cards()
        original = self.card_file()
        journal = os.path.realpath(os.path.join(self.dist, "Kinfolio.dat")) + ".journal"
        program, cards = self.start_card_program()
        cards.wait_showing(*FAMILIES[3], banner=("4", "4"))
        cards.press("New")
        cards.box("Name").type("Edvin Söderby")
        cards.box("WifeName").type("Elin Nyström")
        cards.press("Add")
        program.expect_message("Record has been added.", "Kinfolio")
        program.process.send_signal(signal.SIGKILL)
        program.wait_ended()
        self.assertEqual(self.card_file(), original)

        program = self.start(os.path.join(self.dist, "test.ttt"))
        program.expect_message("Kinfolio did not end through Exit last time. 1 change made then (cards added, "
                               "updated or deleted) was recovered from its journal\n" + journal
                               + "\n\nThey reach the card file when you press Exit.", "Kinfolio", timeout=20)
        cards = CardWindow(program.window("Kinfolio", timeout=20))
        cards.wait_showing("Edvin Söderby", "Elin Nyström", ("5", "5"))

        # A shutdown's SIGTERM saves as Exit does, and the journal goes.
        program.process.send_signal(signal.SIGTERM)
        self.assertEqual(program.wait_ended(), 0)
        self.assertEqual(self.card_file(), original + quoted_lines(
            "Edvin Söderby", "", "", "", "", "", "", "", "", "Elin Nyström", "", "", "", "", "", "", ""))
        self.assertFalse(os.path.exists(journal))

    def test_named_pipes_in_place_of_the_data_files_open_as_missing_files(self):
        for name in ("Kinfolio.dat", "WebSites.dat"):
            os.remove(os.path.join(self.dist, name))
            os.mkfifo(os.path.join(self.dist, name))
        program, cards = self.start_card_program()
        self.assertEqual(cards.card()["Notes"], "Text1")
        cards.window.menu("Websites")
        program.window("Kinfolio - WebSites")
        self.assertTrue(program.running())


if __name__ == "__main__":
    main()
