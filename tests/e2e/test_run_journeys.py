"""tools/run as a new user meets it, in a home of its own and without a
display: the card folder it makes, keeps and refuses to touch."""

import filecmp
import os
import shutil
import subprocess
import tempfile
import unittest

RUN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "run")
DIST = os.environ["KINFOLIO_DIST_DIR"]
PROGRAM_FILES = {"Kinfolio.exe": "test.ttt", "kinfolio-gedcom": "kinfolio-gedcom",
                 "kinfolio-sheets": "kinfolio-sheets", "Readme.txt": "Readme.txt"}
# The card program's own files beside the cards, which no run may touch.
KEPT = ["Kinfolio.dat.journal", "Kinfolio.dat.lock", "Kinfolio.dat.unread-1", "WebSites.dat"]


class RunJourneys(unittest.TestCase):

    def setUp(self):
        self.home = tempfile.mkdtemp()
        os.chmod(self.home, 0o755)  # open to the unprivileged user below
        self.addCleanup(shutil.rmtree, self.home)
        self.folder = os.path.join(self.home, "Kinfolio")

    def run_script(self, user=None):
        env = dict(os.environ, HOME=self.home, KINFOLIO_BUILD_DIR=os.path.dirname(DIST), KINFOLIO_SKIP_BUILD="1")
        for name in ("DISPLAY", "KINFOLIO_HOME", "XDG_DATA_HOME"):
            env.pop(name, None)
        return subprocess.run([RUN], env=env, user=user, group=user, extra_groups=[] if user else None,
                              capture_output=True, text=True, timeout=120)

    def path(self, name):
        return os.path.join(self.folder, name)

    def test_the_folder_keeps_the_cards_and_takes_new_program_files(self):
        first = self.run_script()
        self.assertEqual(first.returncode, 0, first.stderr)
        self.assertIn(f"Your card folder is {self.folder}", first.stdout)
        with open(self.path("Kinfolio.dat"), "rb") as f:
            self.assertTrue(f.read().startswith(b'"Jonas Ashworth"\r\n'), "no sample cards")

        added = b'"Ada Byrne"\r\n' + b'""\r\n' * 15 + b'"typed by the user"\r\n'
        with open(self.path("Kinfolio.dat"), "ab") as f:
            f.write(added)
        for name in KEPT + ["Kinfolio.exe"]:
            with open(self.path(name), "wb") as f:
                f.write(b"left by an earlier run of " + name.encode())
        cards = open(self.path("Kinfolio.dat"), "rb").read()

        second = self.run_script()
        self.assertEqual(second.returncode, 0, second.stderr)
        self.assertEqual(open(self.path("Kinfolio.dat"), "rb").read(), cards)
        for name in KEPT:
            self.assertEqual(open(self.path(name), "rb").read(), b"left by an earlier run of " + name.encode())
        for name, source in PROGRAM_FILES.items():
            self.assertTrue(filecmp.cmp(os.path.join(DIST, source), self.path(name), shallow=False), name)
        self.assertTrue(os.access(self.path("Kinfolio.exe"), os.X_OK))
        entry = os.path.join(self.home, ".local", "share", "applications", "kinfolio.desktop")
        subprocess.run(["desktop-file-validate", entry], check=True)
        self.assertIn(f'Exec="{self.path("Kinfolio.exe")}"\n', open(entry).read())

    def test_refusals_change_nothing(self):
        def snapshot():
            return {os.path.join(d, n): os.lstat(os.path.join(d, n)).st_mtime_ns
                    for d, dirs, files in os.walk(self.home) for n in dirs + files}

        def not_writable():
            os.mkdir(self.folder, 0o555)
            self.addCleanup(os.chmod, self.folder, 0o755)
            return 65534 if os.geteuid() == 0 else None  # nobody: root writes anywhere

        def not_a_card_file(contents):
            os.mkdir(self.folder)
            with open(self.path("Kinfolio.dat"), "wb") as f:
                f.write(contents)

        cases = {
            "is a file, not a folder": lambda: open(self.folder, "w").close(),
            "is not writable": not_writable,
            "card 1 is incomplete": lambda: not_a_card_file(b'"Ada Byrne"\r\n""\r\n'),
            "is a folder, not a card file": lambda: os.makedirs(self.path("Kinfolio.dat")),
        }
        for reason, make in cases.items():
            with self.subTest(reason):
                self.setUp()
                user = make()
                before = snapshot()
                refused = self.run_script(user)
                self.assertNotEqual(refused.returncode, 0)
                self.assertIn(reason, refused.stderr)
                self.assertEqual(snapshot(), before)


if __name__ == "__main__":
    unittest.main()
