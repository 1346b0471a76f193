"""tools/run as a new user meets it, in a home of its own and without a display."""

import os
import pathlib
import subprocess
import tempfile
import unittest

RUN = pathlib.Path(__file__).resolve().parents[2] / "tools" / "run"
DIST = pathlib.Path(os.environ["KINFOLIO_DIST_DIR"])


class RunJourneys(unittest.TestCase):
    def run_script(self, *folder, user=None):
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "KINFOLIO_HOME", "XDG_DATA_HOME")}
        env.update(HOME=str(self.home), KINFOLIO_BUILD_DIR=str(DIST.parent), KINFOLIO_SKIP_BUILD="1")
        return subprocess.run([RUN, *folder], env=env, user=user, group=user, extra_groups=user and [],
                              capture_output=True, text=True, timeout=120)

    def test_the_folder_keeps_the_cards_takes_new_programs_and_refuses_what_it_cannot_use(self):
        self.home = pathlib.Path(self.enterContext(tempfile.TemporaryDirectory()))
        self.home.chmod(0o755)  # open to nobody, below
        folder = self.home / "Kinfolio"
        self.assertIn(f"Your card folder is {folder}", self.run_script().stdout)
        cards = (folder / "Kinfolio.dat").read_bytes()
        self.assertTrue(cards.startswith(b'"Jonas Ashworth"\r\n'), "no sample cards")
        kept = {name: b"kept " + name.encode() for name in ("Kinfolio.dat.journal", "Kinfolio.dat.lock",
                                                              "Kinfolio.dat.unread-1", "WebSites.dat")}
        kept["Kinfolio.dat"] = cards + b'"Ada Byrne"\r\n' + b'""\r\n' * 16
        for name, data in {**kept, "Kinfolio.exe": b"an older program"}.items():
            (folder / name).write_bytes(data)
        self.assertEqual(self.run_script().returncode, 0)
        self.assertEqual({name: (folder / name).read_bytes() for name in kept}, kept)
        for name in ("Kinfolio.exe", "kinfolio-gedcom", "kinfolio-sheets", "kinfolio-site", "Readme.txt"):
            built = DIST / ("test.ttt" if name == "Kinfolio.exe" else name)
            self.assertTrue(built.read_bytes() == (folder / name).read_bytes(), name)
        entry = self.home / ".local/share/applications/kinfolio.desktop"
        subprocess.run(["desktop-file-validate", entry], check=True)
        self.assertIn(f'Exec="{folder}/Kinfolio.exe" --folder "{folder}"\n', entry.read_text())
        snapshot = lambda: sorted((p, p.lstat().st_mtime_ns) for p in self.home.rglob("*"))
        (self.home / "a file").touch()
        (folder / "Kinfolio.dat").write_bytes(b'"Ada Byrne"\r\n')
        (self.home / "locked").mkdir(0o555)  # tried as nobody when root, who writes anywhere
        for name, reason in [("a file", "not a folder"), ("Kinfolio", "incomplete"), ("locked", "not writable")]:
            with self.subTest(reason):
                before = snapshot()
                run = self.run_script(self.home / name, user=65534 if name == "locked" and not os.geteuid() else None)
                self.assertNotEqual(run.returncode, 0)
                self.assertIn(reason, run.stderr)
                self.assertEqual(snapshot(), before)


if __name__ == "__main__":
    unittest.main()
