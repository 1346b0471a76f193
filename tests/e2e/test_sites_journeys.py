"""The web-site round trip: card window, user site list, standard site list
and back, with the list file and the browser hand-over checked from outside."""

import os

from kinfolio_e2e import Journey, main, wait_for

FREE_SLOT = "http://"


def slot_at(k):
    """Top left corner, in twips, of site box k (and the Go button beside it)."""
    top = 120 + 480 * ((k + 1) // 2 - 1)
    return (120 if k % 2 else 5160, top), (4320 if k % 2 else 9360, top)


def list_file_bytes(slots):
    return b"".join(b'"' + s.encode("cp1252") + b'"\r\n' for s in slots)


class SitesJourneys(Journey):

    def setUp(self):
        super().setUp()
        # A stand-in for the desktop's opener: it notes each address it is given.
        self.opened = os.path.join(self.work, "opened.txt")
        bin_dir = os.path.join(self.work, "bin")
        os.mkdir(bin_dir)
        opener = os.path.join(bin_dir, "xdg-open")
        with open(opener, "w") as f:
            f.write('#!/bin/sh\nprintf "%s\\n" "$*" >> "$KINFOLIO_E2E_OPENED"\n')
        os.chmod(opener, 0o755)
        self.browser_env = {
            "PATH": bin_dir + os.pathsep + os.environ.get("PATH", "/usr/bin:/bin"),
            "KINFOLIO_E2E_OPENED": self.opened,
        }

    def opened_addresses(self):
        if not os.path.exists(self.opened):
            return []
        with open(self.opened) as f:
            return f.read().splitlines()

    def site_list_file(self):
        with open(os.path.join(self.dist, "WebSites.dat"), "rb") as f:
            return f.read()

    def test_websites_round_trip_with_more(self):
        self.write_sample_cards()
        self.assertEqual(self.site_list_file(), list_file_bytes([FREE_SLOT] * 30))
        program, cards = self.start_card_program(extra_env=self.browser_env)
        cards.wait_showing("Samuel Whitcombe", "Hannah Cole", ("4", "4"))

        cards.window.menu("Websites")
        sites = program.window("Kinfolio - WebSites")
        self.assertEqual(program.window_titles(), ["Kinfolio - WebSites"], "the card window stayed visible")

        def box(k):
            return sites.control_at(*slot_at(k)[0])

        def go(k):
            return sites.control_at(*slot_at(k)[1], roles=("push button",))

        self.assertEqual([box(k).text for k in range(1, 31)], [FREE_SLOT] * 30)
        self.assertEqual({go(k).name for k in range(1, 31)}, {"Go"})

        # A free slot is refused, and the caret waits at its end: what is
        # typed next goes straight after "http://".
        go(1).click()
        program.expect_message("Please enter a valid URL", "Error!")
        self.assertEqual(self.opened_addresses(), [])
        sites.key("w", "w", "w", "period")
        wait_for("typing to go on at the end of slot 1", lambda: box(1).text == "http://www.", timeout=5)
        box(1).type("http://www.example.org/parish")
        go(1).press()
        wait_for("the address handed to the browser",
                 lambda: self.opened_addresses() == ["http://www.example.org/parish"])

        box(2).type("http://archives.example.net/")
        sites.menu("Save")
        program.expect_message("Entry has been added.", "Kinfolio")
        saved = ["http://www.example.org/parish", "http://archives.example.net/"] + [FREE_SLOT] * 28
        self.assertEqual(self.site_list_file(), list_file_bytes(saved))

        # More hides this list, edits and all, behind the standard one.
        box(3).type("http://unsaved.example.com/")
        sites.menu("More")
        standard = program.window("Kinfolio - Standard Sites")
        self.assertEqual(program.window_titles(), ["Kinfolio - Standard Sites"])
        first = standard.control_at(*slot_at(1)[0])
        self.assertEqual(first.tooltip, "GenForum")
        self.assertTrue(first.has_state(first.atspi.STATE_READ_ONLY))
        # Entry 2's box and button carry slightly different titles.
        self.assertEqual((standard.control_at(*slot_at(2)[0]).tooltip,
                          standard.control_at(*slot_at(2)[1], roles=("push button",)).tooltip),
                         ("Family Tree Maker", "Faily Tree Maker"))
        addresses = [standard.control_at(*slot_at(k)[0]).text for k in range(1, 31)]
        first.type_keys("http://elsewhere.example/")
        # What is refused never shows; Tab, pressed after the keys, moves the
        # focus on only once they have all been handled.
        first.key("Tab")
        second = standard.control_at(*slot_at(2)[0])
        wait_for("the focus to move on from slot 1", lambda: second.focused, timeout=5)
        self.assertEqual(first.text, addresses[0], "a standard address could be typed over")
        self.assertTrue(all(a.startswith("http://") and len(a) > len("http://") for a in addresses), addresses)
        standard.control_at(*slot_at(30)[1], roles=("push button",)).press()
        wait_for("the standard address handed to the browser",
                 lambda: self.opened_addresses()[1:] == [addresses[29]])

        standard.menu("Exit")
        sites = program.window("Kinfolio - WebSites")
        self.assertEqual(program.window_titles(), ["Kinfolio - WebSites"])
        self.assertEqual(box(3).text, "http://unsaved.example.com/")

        # Exit stores the list without asking and brings the cards back.
        sites.menu("Exit")
        wait_for("the card window back alone", lambda: program.window_titles() == ["Kinfolio"])
        saved[2] = "http://unsaved.example.com/"
        self.assertEqual(self.site_list_file(), list_file_bytes(saved))
        cards.wait_showing("Samuel Whitcombe", "Hannah Cole", ("4", "4"))

        # Opened afresh, the list is read back from the file.
        cards.window.menu("Websites")
        sites = program.window("Kinfolio - WebSites")
        self.assertEqual([box(k).text for k in (1, 2, 3, 4)], saved[:4])
        sites.menu("Exit")
        wait_for("the card window back alone", lambda: program.window_titles() == ["Kinfolio"])

        cards.press("Exit")
        self.assertEqual(program.wait_ended(), 0)


if __name__ == "__main__":
    main()
