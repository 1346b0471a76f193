"""The installer as a user runs it from the installation set, and the card
program started from where it was installed."""

import filecmp
import os

from kinfolio_e2e import CardWindow, Journey, main, wait_for

PATH_BOX_AT = (1440, 3000)
INSTALLED_FILES = ["Kinfolio.dat", "Kinfolio.exe", "Readme.txt", "WebSites.dat", "kinfolio-gedcom", "kinfolio-sheets",
                   "kinfolio-site"]


class InstallJourneys(Journey):

    def install(self, target):
        """Runs Install from the installation set into target; returns the About window's program."""
        installer = self.start(os.path.join(self.dist, "Install"), cwd=self.dist)
        window = installer.window("Kinfolio Installation")
        labels = window.labels()
        for caption in ("Kinfolio", "Version 1.0", "Installation Screen", "Directory"):
            self.assertIn(caption, labels)
        path_box = window.control_at(*PATH_BOX_AT)
        self.assertTrue(path_box.text.rstrip("/\\").endswith("Kinfolio"), path_box.text)

        path_box.type(target)
        window.button("Install").press()
        about = installer.window("Kinfolio", role="dialog")
        self.assertEqual(installer.window_titles(), ["Kinfolio"], "the installer window stayed")
        self.assertTrue(installer.no_message_box(), "the installer reported a failed step")
        return installer, about

    def close_about(self, installer, about):
        self.assertIn("Kinfolio", about.labels())
        about.button("OK").press()
        self.assertEqual(installer.wait_ended(), 0)

    def test_install_into_a_new_directory_and_start_the_installed_program(self):
        self.write_sample_cards()
        os.mkdir(os.path.join(self.work, "programs"))
        target = os.path.join(self.work, "programs", "Kinfolio")

        installer, about = self.install(target)
        self.assertEqual(sorted(os.listdir(target)), INSTALLED_FILES)
        for name in ("Kinfolio.dat", "Readme.txt", "WebSites.dat"):
            self.assertTrue(filecmp.cmp(os.path.join(self.dist, name), os.path.join(target, name), shallow=False),
                            name)
        program_file = os.path.join(target, "Kinfolio.exe")
        self.assertTrue(filecmp.cmp(os.path.join(self.dist, "test.ttt"), program_file, shallow=False))
        self.assertTrue(os.access(program_file, os.X_OK), "the installed program cannot be run")
        self.close_about(installer, about)

        # The installed program finds its cards beside itself.
        program = self.start(program_file, cwd=self.work)
        cards = CardWindow(program.window("Kinfolio", timeout=20))
        cards.wait_showing("Samuel Whitcombe", "Hannah Cole", ("4", "4"))
        cards.press("| <")
        cards.wait_showing("Jonas Ashworth", "Ellen Pryce", ("1", "4"))
        cards.press("Delete")
        program.expect_message("Warning!\nThis will overwrite your current record\nDo you want to proceed?",
                               "Warning!", answer="Yes")
        cards.wait_showing("Thomas Ashworth", "Sarah Whitfield", ("1", "3"))
        cards.press("Exit")
        self.assertEqual(program.wait_ended(), 0)
        self.assertTrue(self.card_file(target).startswith(b'"Thomas Ashworth"\r\n'))
        self.assertTrue(self.card_file().startswith(b'"Jonas Ashworth"\r\n'),
                        "the installed program wrote into the installation set")

    def test_installing_again_keeps_the_users_cards_and_replaces_the_program(self):
        target = os.path.join(self.work, "Kinfolio")
        installer, about = self.install(target)
        self.close_about(installer, about)
        self.assertEqual(self.card_file(target), b"")

        # The user's own cards, and an older program file, are in place.
        users_cards = b'"Ada Byrne"\r\n' + b'""\r\n' * 15 + b'"Notes of my own"\r\n'
        with open(os.path.join(target, "Kinfolio.dat"), "wb") as f:
            f.write(users_cards)
        with open(os.path.join(target, "Kinfolio.exe"), "wb") as f:
            f.write(b"an older program")

        self.write_sample_cards()
        installer, about = self.install(target)
        self.close_about(installer, about)
        self.assertEqual(sorted(os.listdir(target)), INSTALLED_FILES)
        self.assertEqual(self.card_file(target), users_cards)
        self.assertTrue(filecmp.cmp(os.path.join(self.dist, "test.ttt"), os.path.join(target, "Kinfolio.exe"),
                                    shallow=False), "the older program was not replaced")

        program = self.start(os.path.join(target, "Kinfolio.exe"))
        cards = CardWindow(program.window("Kinfolio", timeout=20))
        wait_for("the user's card", lambda: cards.card()["Notes"] == "Notes of my own")
        self.assertEqual(cards.banner(), ("1", "1"))


if __name__ == "__main__":
    main()
