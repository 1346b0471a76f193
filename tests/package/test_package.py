"""The Debian package: what it holds, what its programs do from a scratch root,
and, with KINFOLIO_PACKAGE_TEST=1, a user's install and removal through apt."""

import gzip
import os
import pathlib
import signal
import subprocess
import tempfile
import time
import unittest

BUILD = pathlib.Path(os.environ["KINFOLIO_BUILD_DIR"])
VERSION = os.environ["KINFOLIO_VERSION"]
SAMPLE_CARDS = "/usr/share/kinfolio/Kinfolio.dat"


def run(*argv, **kwargs):
    return subprocess.run([str(a) for a in argv], capture_output=True, text=True, timeout=600, **kwargs)


def snapshot(tree):
    """Every path under `tree` with its kind, size and time: what a write would change."""
    return {p: (p.is_symlink(), p.lstat().st_size, p.lstat().st_mtime_ns) for p in tree.rglob("*")}


def start_card_folder(launcher, home, env=None):
    """Starts `launcher` for a user whose home is `home` and returns the card folder
    once the card window holds its lock there, or fails."""
    env = {k: v for k, v in (env or os.environ).items() if k not in ("KINFOLIO_HOME", "DISPLAY")}
    runtime = home / "runtime"
    runtime.mkdir(mode=0o700, exist_ok=True)
    env.update(HOME=str(home), QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=str(runtime))
    program = subprocess.Popen([str(launcher)], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    folder = home / "Kinfolio"
    try:
        for _ in range(150):
            if (folder / "Kinfolio.dat.lock").exists() or program.poll() is not None:
                break
            time.sleep(0.1)
        assert (folder / "Kinfolio.dat.lock").exists(), f"the card window did not open: {program.poll()}"
    finally:
        # Ended as a logout ends it: the cards are saved as Exit would.
        program.send_signal(signal.SIGTERM)
        program.communicate(timeout=30)
    return folder


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = pathlib.Path(tempfile.mkdtemp(prefix="kinfolio-package-"))
        cls.work.chmod(0o755)  # apt reads the package as its own user
        made = run("cpack", "--config", BUILD / "CPackConfig.cmake", "-B", cls.work)
        assert made.returncode == 0, made.stdout + made.stderr
        (cls.deb,) = cls.work.glob("kinfolio_*.deb")
        cls.root = cls.work / "root"
        subprocess.run(["dpkg", "-x", cls.deb, cls.root], check=True)

    @classmethod
    def tearDownClass(cls):
        subprocess.run(["rm", "-rf", cls.work], check=True)

    def field(self, name):
        return run("dpkg-deb", "-f", self.deb, name).stdout.strip()

    def test_the_package_holds_the_layout_and_names_what_it_needs(self):
        self.assertEqual(self.deb.name, f"kinfolio_{VERSION}_amd64.deb")
        with gzip.open(self.root / "usr/share/doc/kinfolio/changelog.gz", "rt") as changelog:
            self.assertTrue(changelog.readline().startswith(f"kinfolio ({VERSION})"), "the changelog is behind")
        depends = self.field("Depends")
        for needed in ("libqt6widgets6", "libqt6gui6", "qt6-qpa-plugins", "xdg-utils", "fonts-liberation"):
            self.assertIn(needed, depends)
        entries = run("dpkg-deb", "-c", self.deb).stdout.splitlines()
        self.assertTrue(all(" ./usr/" in line for line in entries), "a file outside /usr")
        usr = self.root / "usr"
        self.assertTrue((usr / "lib/kinfolio/Kinfolio.exe").is_file())
        for path in ("share/applications/kinfolio.desktop", "share/icons/hicolor/128x128/apps/kinfolio.png",
                     "share/doc/kinfolio/copyright", "share/kinfolio/Kinfolio.dat", "share/kinfolio/WebSites.dat"):
            self.assertTrue((usr / path).is_file(), path)
        # Every command is the launcher or a companion in lib/kinfolio, with its manual page.
        commands = sorted(p.name for p in (usr / "bin").iterdir())
        self.assertIn("kinfolio-gedcom", commands)
        for command in commands:
            with self.subTest(command):
                link = usr / "bin" / command
                if command != "kinfolio":
                    self.assertEqual(os.readlink(link), f"../lib/kinfolio/{command}")
                page = usr / f"share/man/man1/{command}.1.gz"
                shown = run("man", "-l", "--warnings", page, env={**os.environ, "MANWIDTH": "80"})
                self.assertEqual(shown.stderr, "")
                for section in ("EXIT STATUS", "ENVIRONMENT", "FILES"):
                    self.assertIn(section, shown.stdout)

    def test_lintian_and_the_desktop_validators_pass(self):
        checked = run("lintian", "--fail-on", "error,warning", self.deb)
        self.assertEqual(checked.returncode, 0, checked.stdout)
        entry = run("desktop-file-validate", self.root / "usr/share/applications/kinfolio.desktop")
        self.assertEqual((entry.returncode, entry.stdout), (0, ""))
        (metainfo,) = (self.root / "usr/share/metainfo").glob("*.metainfo.xml")
        valid = run("appstreamcli", "validate", "--no-net", metainfo)
        self.assertEqual(valid.returncode, 0, valid.stdout)

    def test_the_programs_run_from_a_scratch_root_and_write_nothing_under_it(self):
        usr = self.root / "usr"
        before = snapshot(usr)
        home = self.work / "home"
        home.mkdir()
        asked = run(usr / "bin/kinfolio", "--version", env={"HOME": str(home), "PATH": os.environ["PATH"]})
        self.assertEqual((asked.returncode, asked.stdout, list(home.iterdir())), (0, f"Kinfolio {VERSION}\n", []))
        folder = start_card_folder(usr / "bin/kinfolio", home)
        self.assertEqual((folder / "Kinfolio.dat").read_bytes(), (usr / "share/kinfolio/Kinfolio.dat").read_bytes())
        self.assertEqual((folder / "WebSites.dat").read_bytes(), (usr / "share/kinfolio/WebSites.dat").read_bytes())
        cards = folder / "Kinfolio.dat"
        for command in sorted(p.name for p in (usr / "bin").iterdir() if p.name != "kinfolio"):
            with self.subTest(command):
                shown = run(usr / "bin" / command, "--version")
                self.assertEqual((shown.returncode, shown.stdout), (0, f"{command} {VERSION}\n"))
        exported = run(usr / "bin/kinfolio-gedcom", cards, home / "family.ged")
        self.assertEqual(exported.returncode, 0, exported.stderr)
        printed = run(usr / "bin/kinfolio-sheets", cards, home / "family.pdf")
        self.assertEqual(printed.returncode, 0, printed.stderr)
        self.assertTrue((home / "family.pdf").read_bytes().startswith(b"%PDF"))
        self.assertEqual(snapshot(usr), before)

    @unittest.skipUnless(os.environ.get("KINFOLIO_PACKAGE_TEST") == "1", "installs on this machine: KINFOLIO_PACKAGE_TEST=1")
    def test_a_user_installs_starts_and_removes_kinfolio(self):
        installed = run("dpkg-query", "-W", "-f=${Status}", "kinfolio").stdout
        self.assertNotIn("install ok installed", installed, "kinfolio is installed already; this journey removes it")
        apt = ["apt-get", "-y", "-q", "-o", "DPkg::Lock::Timeout=600"]
        added = run(*apt, "install", self.deb, env={**os.environ, "DEBIAN_FRONTEND": "noninteractive"})
        print(added.stdout, added.stderr)
        self.assertEqual(added.returncode, 0)
        try:
            self.assertEqual(run("man", "-w", "kinfolio-gedcom").stdout, "/usr/share/man/man1/kinfolio-gedcom.1.gz\n")
            self.assertEqual(run("desktop-file-validate", "/usr/share/applications/kinfolio.desktop").returncode, 0)
            home = self.work / "user"
            home.mkdir()
            folder = start_card_folder("/usr/bin/kinfolio", home)
            kept = snapshot(folder)
            self.assertEqual((folder / "Kinfolio.dat").read_bytes(), pathlib.Path(SAMPLE_CARDS).read_bytes())
        finally:
            removed = run(*apt, "remove", "kinfolio")
            print(removed.stdout, removed.stderr)
        self.assertEqual(removed.returncode, 0)
        self.assertFalse(pathlib.Path("/usr/lib/kinfolio").exists())
        self.assertEqual(snapshot(folder), kept)


if __name__ == "__main__":
    unittest.main(verbosity=2)
