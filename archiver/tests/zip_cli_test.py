#!/usr/bin/env python3
"""Drives the real zip.exe on generated map files in temporary folders.

Every archive it makes must pass unzip -t, 7-Zip's test and Python's
zipfile, hold the files byte for byte under the expected names, and a
failed or interrupted run must leave the previous archive as it was.
Info-ZIP (--infozip) serves as the reference for update behaviour.
"""
import argparse
import hashlib
import os
import random
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

ZIP = ""
INFOZIP = ""
SEVENZIP = ""  # 7zz (Debian 12's 7zip, Debian 13's 7zip-standalone) or 7z (Debian 13's 7zip)

MAP_FILES = [
    "levelshots/q3dm99.jpg",
    "maps/q3dm99.aas",
    "maps/q3dm99.bsp",
    "q3dm99.txt",
    "scripts/q3dm99.arena",
    "scripts/q3dm99.shader",
]


def bsp_like(rng, size):
    """Binary lumps of repeated little-endian records, as a BSP has."""
    out = bytearray(b"IBSP" + struct.pack("<i", 46))
    while len(out) < size:
        base = rng.randrange(-4096, 4096)
        for _ in range(rng.randrange(50, 400)):
            out += struct.pack("<3f2i", base + rng.random() * 64, base * 0.5, rng.randrange(-8, 8) * 16.0,
                               rng.randrange(0, 64), rng.randrange(0, 3))
    return bytes(out[:size])


def text_like(rng, lines):
    words = ["textures/base_wall/", "qer_editorimage", "surfaceparm", "nolightmap", "{", "}", "map",
             "blendfunc", "GL_ONE", "rgbGen", "identity", "tcMod", "scroll", "0.5"]
    return "".join(" ".join(rng.choice(words) for _ in range(rng.randrange(1, 7))) + "\n"
                   for _ in range(lines)).encode()


def make_map(root, rng):
    """A small map set under root, named as the launcher names it."""
    contents = {
        "levelshots/q3dm99.jpg": bytes(rng.getrandbits(8) for _ in range(40000)),  # incompressible
        "maps/q3dm99.aas": bsp_like(rng, 60000),
        "maps/q3dm99.bsp": bsp_like(rng, 200000),
        "q3dm99.txt": b"Q3DM99: The Test Chamber\r\nBy Corvane's test suite\r\n",
        "scripts/q3dm99.arena": b'{\nmap "q3dm99"\nlongname "The Test Chamber"\ntype "ffa tourney"\n}\n',
        "scripts/q3dm99.shader": text_like(rng, 1500),
    }
    for name, data in contents.items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    return contents


def sha(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def raw_entries(path):
    """Name -> (central directory fields, local extra, compressed bytes)."""
    result = {}
    with zipfile.ZipFile(path) as z, open(path, "rb") as f:
        for info in z.infolist():
            f.seek(info.header_offset)
            header = f.read(30)
            name_len, extra_len = struct.unpack("<HH", header[26:30])
            f.read(name_len)
            local_extra = f.read(extra_len)
            data = f.read(info.compress_size)
            fields = (info.compress_type, info.CRC, info.compress_size, info.file_size, info.date_time,
                      info.external_attr, info.create_system, info.extra, info.comment)
            result[info.filename] = (fields, local_extra, data)
    return result


class ZipCase(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="corvane-zip-")
        self.stage = os.path.join(self.tmp, "stage")
        self.out = os.path.join(self.tmp, "out")
        os.makedirs(self.stage)
        os.makedirs(self.out)
        self.rng = random.Random(99)

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def zip(self, *args, cwd=None, program=None, **kw):
        return subprocess.run([program or ZIP, *args], cwd=cwd or self.stage, capture_output=True, text=True,
                              timeout=120, **kw)

    def assertValid(self, archive):
        """The three independent readers accept the archive."""
        t = subprocess.run(["unzip", "-tqq", archive], capture_output=True, text=True)
        self.assertEqual(t.returncode, 0, t.stdout + t.stderr)
        t = subprocess.run([SEVENZIP, "t", archive], capture_output=True, text=True)
        self.assertEqual(t.returncode, 0, t.stdout + t.stderr)
        self.assertIn("Everything is Ok", t.stdout)
        with zipfile.ZipFile(archive) as z:
            self.assertIsNone(z.testzip())

    def assertHolds(self, archive, contents):
        """Entry names exactly and in order, and every entry byte-identical."""
        names = subprocess.run(["unzip", "-Z1", archive], capture_output=True, text=True, check=True)
        self.assertEqual(names.stdout.splitlines(), list(contents))
        for name, data in contents.items():
            # unzip would read "[...]" in a name as a wildcard; -p takes it literally with \[
            pattern = re.sub(r"([\[\]*?])", r"\\\1", name)
            extracted = subprocess.run(["unzip", "-p", archive, pattern], capture_output=True, check=True)
            self.assertEqual(extracted.stdout, data, name)

    def assertNoLeftovers(self, folder, expected):
        self.assertEqual(sorted(os.listdir(folder)), sorted(expected))


class PackageLines(ZipCase):
    """The two command lines the launcher writes, and the level switches."""

    def test_pk3_line_at_each_level(self):
        contents = make_map(self.stage, self.rng)
        sizes = {}
        for switch in ["-9", None, "-0", "-1", "-5"]:
            archive = os.path.join(self.out, "q3dm99%s.pk3" % (switch or ""))
            args = ([switch] if switch else []) + [archive] + MAP_FILES
            run = self.zip(*args)
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertEqual(run.stderr, "")
            self.assertValid(archive)
            self.assertHolds(archive, contents)
            sizes[switch] = os.path.getsize(archive)
            with zipfile.ZipFile(archive) as z:
                methods = {i.filename: i.compress_type for i in z.infolist()}
            lines = run.stdout.splitlines()
            self.assertEqual(len(lines), len(MAP_FILES))
            for name, line in zip(MAP_FILES, lines):
                if methods[name] == zipfile.ZIP_STORED:
                    self.assertEqual(line, "  adding: %s (stored 0%%)" % name)
                else:
                    self.assertRegex(line, r"^  adding: %s \(deflated \d+%%\)$" % re.escape(name))
            if switch == "-0":
                self.assertEqual(set(methods.values()), {zipfile.ZIP_STORED})
            else:
                # The random "JPG" cannot shrink, so it is stored as Info-ZIP would.
                self.assertEqual(methods["levelshots/q3dm99.jpg"], zipfile.ZIP_STORED)
                for name in ["maps/q3dm99.bsp", "maps/q3dm99.aas", "scripts/q3dm99.shader"]:
                    self.assertEqual(methods[name], zipfile.ZIP_DEFLATED, name)
        self.assertLess(sizes["-9"], sizes[None])
        self.assertLess(sizes[None], sizes["-1"])
        self.assertLess(sizes["-1"], sizes["-0"])

    def test_entry_attributes_as_info_zip_writes_them(self):
        make_map(self.stage, self.rng)
        os.chmod(os.path.join(self.stage, "q3dm99.txt"), 0o640)
        odd_time = time.mktime((2021, 6, 5, 14, 30, 7, 0, 0, -1))
        os.utime(os.path.join(self.stage, "q3dm99.txt"), (odd_time, odd_time))
        ours = os.path.join(self.out, "ours.pk3")
        theirs = os.path.join(self.out, "theirs.pk3")
        self.assertEqual(self.zip("-9", ours, *MAP_FILES).returncode, 0)
        self.assertEqual(self.zip("-9", "-q", theirs, *MAP_FILES, program=INFOZIP).returncode, 0)
        with zipfile.ZipFile(ours) as a, zipfile.ZipFile(theirs) as b:
            for mine, ref in zip(a.infolist(), b.infolist()):
                self.assertEqual(mine.filename, ref.filename)
                self.assertEqual(mine.create_system, 3, "made by Unix")
                self.assertEqual(mine.external_attr, ref.external_attr, mine.filename)
                self.assertEqual(mine.date_time, ref.date_time, mine.filename)
                self.assertEqual(mine.flag_bits & 0x08, 0, "no data descriptor")
            self.assertEqual(a.getinfo("q3dm99.txt").date_time, (2021, 6, 5, 14, 30, 8))
            self.assertEqual(a.getinfo("q3dm99.txt").external_attr >> 16, 0o100640)

    def test_readme_zip_line_strips_folders(self):
        make_map(self.stage, self.rng)
        pk3 = os.path.join(self.out, "q3dm99.pk3")
        self.assertEqual(self.zip("-9", "-q", pk3, *MAP_FILES).returncode, 0)
        src = os.path.join(self.tmp, "src")
        os.makedirs(src)
        shutil.copy(os.path.join(self.stage, "q3dm99.txt"), src)
        for switches in (["-j", "-9"], ["-j9"], ["-9", "-j"]):
            archive = os.path.join(self.out, "q3dm99.zip")
            if os.path.exists(archive):
                os.remove(archive)
            run = self.zip(*switches, archive, pk3, os.path.join(src, "q3dm99.txt"), cwd=self.tmp)
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertValid(archive)
            with open(pk3, "rb") as f:
                pk3_bytes = f.read()
            with open(os.path.join(src, "q3dm99.txt"), "rb") as f:
                txt = f.read()
            self.assertHolds(archive, {"q3dm99.pk3": pk3_bytes, "q3dm99.txt": txt})

    def test_large_file_at_strongest_level(self):
        # Big enough to be compressed in pieces on several cores at -9.
        data = bsp_like(self.rng, 5 << 20)
        os.makedirs(os.path.join(self.stage, "maps"))
        with open(os.path.join(self.stage, "maps/big.bsp"), "wb") as f:
            f.write(data)
        archive = os.path.join(self.out, "big.pk3")
        run = self.zip("-9", archive, "maps/big.bsp")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertValid(archive)
        self.assertHolds(archive, {"maps/big.bsp": data})
        with zipfile.ZipFile(archive) as z:
            self.assertEqual(z.getinfo("maps/big.bsp").compress_type, zipfile.ZIP_DEFLATED)

    def test_file_bigger_than_a_piece_at_each_level(self):
        # Streamed piece by piece: compressible, incompressible and a size
        # that is an exact number of pieces.
        files = {
            "maps/huge.bsp": bsp_like(self.rng, 13 << 20),
            "levelshots/noise.tga": os.urandom(9 << 20),
            "maps/exact.aas": bsp_like(self.rng, 8 << 20),
        }
        for name, data in files.items():
            os.makedirs(os.path.join(self.stage, os.path.dirname(name)), exist_ok=True)
            with open(os.path.join(self.stage, name), "wb") as f:
                f.write(data)
        for level in ("-0", "-5", None, "-9"):
            with self.subTest(level=level):
                archive = os.path.join(self.out, "big%s.pk3" % (level or ""))
                run = self.zip(*([level] if level else []), archive, *files)
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertValid(archive)
                self.assertHolds(archive, files)
                with zipfile.ZipFile(archive) as z:
                    wanted = zipfile.ZIP_STORED if level == "-0" else zipfile.ZIP_DEFLATED
                    self.assertEqual(z.getinfo("maps/huge.bsp").compress_type, wanted)
                    noise = z.getinfo("levelshots/noise.tga")
                    self.assertLessEqual(noise.compress_size, noise.file_size * 1.001)

    def test_quiet_prints_nothing(self):
        make_map(self.stage, self.rng)
        run = self.zip("-q", "-9", os.path.join(self.out, "q.pk3"), *MAP_FILES)
        self.assertEqual((run.returncode, run.stdout, run.stderr), (0, "", ""))

    def test_names_are_taken_literally(self):
        # Info-ZIP would read these as wildcards and pick up map1.bsp instead.
        files = {"maps/map[1].bsp": b"bracket" * 50, "maps/map1.bsp": b"plain" * 50,
                 "maps/*.bsp": b"star" * 50, "empty.txt": b"", "maps/caf\u00e9.bsp": b"utf8" * 40}
        for name, data in files.items():
            os.makedirs(os.path.join(self.stage, os.path.dirname(name)), exist_ok=True)
            with open(os.path.join(self.stage, name), "wb") as f:
                f.write(data)
        archive = os.path.join(self.out, "w.pk3")
        wanted = ["maps/map[1].bsp", "maps/*.bsp", "empty.txt", "maps/caf\u00e9.bsp"]
        run = self.zip("-9", archive, *wanted)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn("  adding: maps/map[1].bsp (deflated", run.stdout)
        self.assertValid(archive)
        with zipfile.ZipFile(archive) as z:
            self.assertEqual(z.namelist(), wanted)
            for name in wanted:
                self.assertEqual(z.read(name), files[name])
            self.assertEqual(z.getinfo("empty.txt").compress_type, zipfile.ZIP_STORED)

    def test_backslashes_and_folders(self):
        make_map(self.stage, self.rng)
        # On this system a backslash is part of the file name; in the archive it is a separator.
        with open(os.path.join(self.stage, "levelshots\\shot.jpg"), "wb") as f:
            f.write(b"shot" * 100)
        archive = os.path.join(self.out, "b.pk3")
        run = self.zip("-q", archive, "maps", "maps/q3dm99.bsp", "levelshots\\shot.jpg")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertValid(archive)
        with zipfile.ZipFile(archive) as z:
            self.assertEqual(z.namelist(), ["maps/", "maps/q3dm99.bsp", "levelshots/shot.jpg"])
            self.assertTrue(z.getinfo("maps/").is_dir())
            self.assertEqual(z.read("levelshots/shot.jpg"), b"shot" * 100)


class Updates(ZipCase):
    """An existing archive is updated as Info-ZIP updates it."""

    def write(self, name, data):
        path = os.path.join(self.stage, name)
        os.makedirs(os.path.dirname(path) or self.stage, exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    def test_replaces_in_place_and_appends_like_info_zip(self):
        contents = make_map(self.stage, self.rng)
        ours = os.path.join(self.out, "ours.pk3")
        theirs = os.path.join(self.out, "theirs.pk3")
        # Start from an Info-ZIP archive: its extra fields must survive the copy.
        self.assertEqual(self.zip("-9", "-q", theirs, *MAP_FILES, program=INFOZIP).returncode, 0)
        shutil.copy(theirs, ours)
        before = raw_entries(ours)

        contents["scripts/q3dm99.shader"] = text_like(self.rng, 900)
        contents["q3dm99.txt"] = b"changed\n"
        contents["maps/q3dm99_b.bsp"] = bsp_like(self.rng, 5000)
        for name in ["scripts/q3dm99.shader", "q3dm99.txt", "maps/q3dm99_b.bsp"]:
            self.write(name, contents[name])
        update = ["maps/q3dm99_b.bsp", "scripts/q3dm99.shader", "q3dm99.txt"]

        run = self.zip("-9", ours, *update)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(self.zip("-9", "-q", theirs, *update, program=INFOZIP).returncode, 0)
        self.assertEqual(run.stdout.splitlines()[0], "updating: q3dm99.txt (stored 0%)")
        self.assertRegex(run.stdout.splitlines()[1], r"^updating: scripts/q3dm99.shader \(deflated \d+%\)$")
        self.assertRegex(run.stdout.splitlines()[2], r"^  adding: maps/q3dm99_b.bsp \(deflated \d+%\)$")

        self.assertValid(ours)
        order = list(zipfile.ZipFile(theirs).namelist())
        self.assertEqual(zipfile.ZipFile(ours).namelist(), order)
        self.assertHolds(ours, {name: contents[name] for name in order})
        after = raw_entries(ours)
        for name in ["levelshots/q3dm99.jpg", "maps/q3dm99.aas", "maps/q3dm99.bsp", "scripts/q3dm99.arena"]:
            self.assertEqual(after[name], before[name], "copied as it was: " + name)

    def test_update_of_own_archive_keeps_entries_raw(self):
        contents = make_map(self.stage, self.rng)
        archive = os.path.join(self.out, "q3dm99.pk3")
        self.assertEqual(self.zip("-9", "-q", archive, *MAP_FILES).returncode, 0)
        os.chmod(archive, 0o604)
        before = raw_entries(archive)
        contents["q3dm99.txt"] = b"v2\n"
        self.write("q3dm99.txt", contents["q3dm99.txt"])
        run = self.zip("-0", archive, "q3dm99.txt")
        self.assertEqual((run.returncode, run.stdout), (0, "updating: q3dm99.txt (stored 0%)\n"))
        self.assertValid(archive)
        self.assertHolds(archive, contents)
        after = raw_entries(archive)
        for name in MAP_FILES:
            if name != "q3dm99.txt":
                self.assertEqual(after[name], before[name], name)
        self.assertEqual(os.stat(archive).st_mode & 0o777, 0o604, "permissions of the old archive kept")
        self.assertNoLeftovers(self.out, ["q3dm99.pk3"])

    def test_entry_count_limit(self):
        archive = os.path.join(self.out, "full.pk3")
        with zipfile.ZipFile(archive, "w") as z:
            for i in range(65535):
                z.writestr("f/%05d" % i, b"")
        digest = sha(archive)
        self.write("one.txt", b"one more\n")
        run = self.zip("-q", archive, "one.txt")
        self.assertEqual(run.returncode, 6, run.stderr)
        self.assertIn("65535", run.stderr)
        self.assertEqual(sha(archive), digest)
        self.assertNoLeftovers(self.out, ["full.pk3"])
        # Replacing keeps the count at the limit, which is allowed.
        self.write("f/00007", b"seven\n")
        run = self.zip("-q", archive, "f/00007")
        self.assertEqual(run.returncode, 0, run.stderr)
        with zipfile.ZipFile(archive) as z:
            self.assertEqual(len(z.infolist()), 65535)
            self.assertEqual(z.read("f/00007"), b"seven\n")
            self.assertIsNone(z.testzip())


class Refusals(ZipCase):
    """Bad input gets Info-ZIP's exit codes, a message, and no change."""

    def setUp(self):
        super().setUp()
        make_map(self.stage, self.rng)
        self.archive = os.path.join(self.out, "q3dm99.pk3")
        self.assertEqual(self.zip("-q", self.archive, *MAP_FILES).returncode, 0)
        self.digest = sha(self.archive)

    def assertUntouched(self):
        self.assertEqual(sha(self.archive), self.digest)
        self.assertNoLeftovers(self.out, ["q3dm99.pk3"])

    def test_argument_errors(self):
        cases = [
            (["-r", self.archive, "q3dm99.txt"], 16, "short option 'r' not supported"),
            (["-9", self.archive, "../stage/q3dm99.txt"], 16, "'..'"),
            (["-9", self.archive, "maps/../q3dm99.txt"], 16, "'..'"),
            (["-9", self.archive, "maps/./q3dm99.txt"], 16, "'.'"),
            (["-9", self.archive], 12, "Nothing to do! (%s)" % self.archive),
            (["-9"], 16, "no archive"),
        ]
        for args, code, message in cases:
            run = self.zip(*args)
            self.assertEqual(run.returncode, code, (args, run.stderr))
            self.assertIn(message, run.stderr, args)
            self.assertUntouched()

    def test_repeated_name_with_junk_paths(self):
        os.makedirs(os.path.join(self.stage, "other"))
        shutil.copy(os.path.join(self.stage, "q3dm99.txt"), os.path.join(self.stage, "other"))
        run = self.zip("-j", self.archive, "q3dm99.txt", "other/q3dm99.txt")
        self.assertEqual(run.returncode, 16)
        self.assertIn("cannot repeat names in zip file", run.stderr)
        self.assertIn("other/q3dm99.txt", run.stderr)
        self.assertUntouched()

    def test_missing_or_unreadable_file(self):
        os.mkfifo(os.path.join(self.stage, "pipe.txt"))
        names = ["missing.bsp", "pipe.txt"]
        if os.geteuid() != 0:  # root reads anything, so this case needs a normal user
            with open(os.path.join(self.stage, "locked.txt"), "w") as f:
                f.write("x")
            os.chmod(os.path.join(self.stage, "locked.txt"), 0)
            names.append("locked.txt")
        for name in names:
            run = self.zip("-9", self.archive, "q3dm99.txt", name)
            self.assertEqual(run.returncode, 18, (name, run.stderr))
            self.assertIn("Could not open for reading: " + name, run.stderr)
            self.assertUntouched()

    def test_not_a_zip(self):
        with open(self.archive, "wb") as f:
            f.write(b"PK not really a zip archive" * 10)
        self.digest = sha(self.archive)
        run = self.zip("-9", self.archive, "q3dm99.txt")
        self.assertEqual(run.returncode, 3)
        self.assertIn("Zip file structure invalid (%s)" % self.archive, run.stderr)
        self.assertUntouched()

    def test_archive_cannot_be_created(self):
        run = self.zip("-9", os.path.join(self.tmp, "no", "such", "folder.pk3"), "q3dm99.txt")
        self.assertEqual(run.returncode, 15)
        self.assertIn("Could not create temporary file", run.stderr)

    def test_write_failure_leaves_old_archive(self):
        # The file size limit makes writes fail part way, like a full disk.
        big = os.path.join(self.stage, "big.bin")
        with open(big, "wb") as f:
            f.write(os.urandom(3 << 20))

        def limit():
            import resource
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (1 << 20, 1 << 20))

        run = self.zip("-9", self.archive, "big.bin", preexec_fn=limit)
        self.assertEqual(run.returncode, 15, run.stderr)
        self.assertIn("write error", run.stderr)
        self.assertUntouched()


    def test_write_protected_archive_refused_like_info_zip(self):
        # Info-ZIP asks whether this user may write the archive; as root the
        # answer is always yes, so the check runs as an ordinary user.
        os.chmod(self.archive, 0o444)
        prefix = []
        if os.geteuid() == 0:
            for path in (self.tmp, self.stage, self.out, self.archive):
                os.chown(path, 65534, 65534)
            prefix = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
        for program in (ZIP, INFOZIP):
            run = subprocess.run([*prefix, program, "-q", self.archive, "q3dm99.txt"], cwd=self.stage,
                                 capture_output=True, text=True, timeout=60)
            self.assertEqual(run.returncode, 15, (program, run.stderr))
            self.assertIn("Could not create output file", run.stdout + run.stderr)
        self.assertUntouched()

    def test_hard_linked_archive_is_not_split(self):
        other = os.path.join(self.tmp, "other-name.pk3")
        os.link(self.archive, other)
        run = self.zip("-q", self.archive, "q3dm99.txt")
        self.assertEqual(run.returncode, 15)
        self.assertIn("hard links", run.stderr)
        self.assertUntouched()
        self.assertTrue(os.path.samefile(self.archive, other))


class Links(ZipCase):
    """An archive that is a symbolic link stays one."""

    def test_linked_archive_is_updated_where_it_leads(self):
        contents = make_map(self.stage, self.rng)
        game = os.path.join(self.tmp, "game", "baseq3")
        os.makedirs(game)
        target = os.path.join(game, "q3dm99.pk3")
        self.assertEqual(self.zip("-q", target, "q3dm99.txt").returncode, 0)
        link = os.path.join(self.out, "q3dm99.pk3")
        os.symlink(target, link)
        run = self.zip("-q", link, *MAP_FILES)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertTrue(os.path.islink(link))
        self.assertEqual(os.readlink(link), target)
        self.assertHolds(target, {name: contents[name] for name in ["q3dm99.txt", *MAP_FILES[:3], *MAP_FILES[4:]]})
        self.assertNoLeftovers(game, ["q3dm99.pk3"])
        self.assertNoLeftovers(self.out, ["q3dm99.pk3"])

    def test_link_that_leads_nowhere_is_refused(self):
        make_map(self.stage, self.rng)
        link = os.path.join(self.out, "q3dm99.pk3")
        os.symlink(os.path.join(self.tmp, "missing", "q3dm99.pk3"), link)
        run = self.zip("-q", link, "q3dm99.txt")
        self.assertEqual(run.returncode, 15)
        self.assertIn("Could not follow the link", run.stderr)
        self.assertTrue(os.path.islink(link))


class Interruptions(ZipCase):
    """A kill at any moment leaves the old archive byte-identical."""

    def setUp(self):
        super().setUp()
        make_map(self.stage, self.rng)
        self.archive = os.path.join(self.out, "q3dm99.pk3")
        self.assertEqual(self.zip("-q", self.archive, *MAP_FILES).returncode, 0)
        self.digest = sha(self.archive)
        chunk = os.urandom(1 << 20)
        self.big = []
        for i in range(4):
            name = "maps/big%d.bsp" % i
            with open(os.path.join(self.stage, name), "wb") as f:
                for _ in range(48):
                    f.write(chunk)
            self.big.append(name)

    def start_and_kill(self, sig):
        proc = subprocess.Popen([ZIP, "-0", "-q", self.archive, *self.big], cwd=self.stage,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        deadline = time.time() + 60
        temp = None
        while time.time() < deadline and proc.poll() is None:
            temps = [n for n in os.listdir(self.out) if n.endswith(".tmp")]
            if temps and os.path.getsize(os.path.join(self.out, temps[0])) > (64 << 20):
                temp = temps[0]
                break
            time.sleep(0.002)
        self.assertIsNotNone(temp, "the write was caught in progress")
        proc.send_signal(sig)
        self.killed_pid = proc.pid
        _, err = proc.communicate(timeout=60)
        self.assertEqual(sha(self.archive), self.digest)
        return proc.returncode, err.decode(), temp

    def test_kill_9_during_write(self):
        code, _, temp = self.start_and_kill(signal.SIGKILL)
        self.assertEqual(code, -signal.SIGKILL)
        # Nothing can clean up after SIGKILL: only the temporary remains, under
        # the name Corvane computes from the archive and the process id.
        self.assertEqual(temp, "q3dm99.pk3.zi%d.tmp" % self.killed_pid)
        self.assertNoLeftovers(self.out, ["q3dm99.pk3", temp])
        with zipfile.ZipFile(self.archive) as z:
            self.assertEqual(z.namelist(), MAP_FILES)

    def test_terminate_during_write(self):
        code, err, _ = self.start_and_kill(signal.SIGTERM)
        self.assertEqual(code, 9)
        self.assertIn("Interrupted", err)
        self.assertNoLeftovers(self.out, ["q3dm99.pk3"])


def main():
    global ZIP, INFOZIP, SEVENZIP
    parser = argparse.ArgumentParser()
    parser.add_argument("--zip", required=True)
    parser.add_argument("--infozip", default=shutil.which("zip"))
    args, rest = parser.parse_known_args()
    ZIP = os.path.abspath(args.zip)
    INFOZIP = args.infozip
    if not shutil.which("unzip"):
        sys.exit("unzip is needed (Debian package unzip)")
    SEVENZIP = shutil.which("7zz") or shutil.which("7z")
    if not SEVENZIP:
        sys.exit("7-Zip's 7zz or 7z is needed (Debian package 7zip)")
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == "__main__":
    main()
