#!/usr/bin/env python3
"""Damaged and hostile archives, made from the fuzz seeds by mutating their
records, each put where a package lies and run through zip.exe (sanitized)
and through Create (the real window, builder, launcher, zip.exe and check).

Counts what must never happen: a sanitizer report, a hang, an entry of the
old package that the game listed gone after a success, a success whose
archive unzip rejects, a file left behind, an old package changed by a
refusal. Not a test: bench/hostile.sh builds what it needs and runs it.

    hostile.py --zip ZIP.EXE --create CORVANE_BENCH_HOSTILE --program-folder DIR
               --seeds DIR --count N [--work DIR]
"""
import argparse
import glob
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile

SIGNATURES = [b"PK\x03\x04", b"PK\x01\x02", b"PK\x05\x06", b"PK\x06\x06", b"PK\x06\x07"]
MAP = {"q3dm99.jpg": bytes(range(256)) * 12, "q3dm99.aas": b"EAAS" * 900,
       "q3dm99.bsp": b"IBSP" + b"brush 12 textures/base_wall/concrete\n" * 900,
       "q3dm99.txt": b"A map.\r\n", "q3dm99.arena": b'{ map "q3dm99" }\n'}
# Outcomes that are no fault; everything else counted is one.
EXPECTED = {"zip.exe: refused", "zip.exe: refused (unzip -t accepts it)", "zip.exe: updated",
            "Create: failed, with a message", "Create: success"}
STAGED = ["levelshots/q3dm99.jpg", "maps/q3dm99.aas", "maps/q3dm99.bsp", "q3dm99.txt", "scripts/q3dm99.arena"]


def game_names(data):
    """The entry names the game lists: the last end record in the last 64 KiB,
    its count of directory entries, read where it says, shifted as the game
    shifts it; names up to a NUL; the first bad record ends the list."""
    start = max(0, len(data) - 0xFFFF)
    at = data.rfind(b"PK\x05\x06", start)
    if at < 0 or at + 22 > len(data):
        return []
    count, size, offset = struct.unpack_from("<HII", data, at + 10)
    shift = at - (offset + size)
    if shift < 0:
        return []
    names, pos = [], offset + shift
    for _ in range(count):
        if pos + 46 > len(data) or data[pos:pos + 4] != b"PK\x01\x02":
            break
        n, e, c = struct.unpack_from("<HHH", data, pos + 28)
        names.append(data[pos + 46:pos + 46 + n].split(b"\0")[0])
        pos += 46 + n + e + c
    return names


def mutate(rng, data, seeds):
    data = bytearray(data)
    for _ in range(rng.randint(1, 3)):
        records = [i for s in SIGNATURES for i in range(len(data)) if data.startswith(s, i)]
        kind = rng.randrange(8)
        if kind <= 2 and records:
            at = rng.choice(records) + rng.randrange(4, 46)
            width = 2 if kind < 2 else 4
            if at + width > len(data):
                continue
            old = int.from_bytes(data[at:at + width], "little")
            top = (1 << (8 * width)) - 1
            value = rng.choice([0, 1, top, top - 1, top - 3, top >> 1, (top >> 1) + 1, old + 1, old - 1,
                                len(data), rng.randrange(top + 1)]) & top
            data[at:at + width] = value.to_bytes(width, "little")
        elif kind == 3 and data:
            at = rng.randrange(len(data))
            data[at] ^= 1 << rng.randrange(8)
        elif kind == 4 and data:
            del data[rng.randrange(len(data)):]
        elif kind == 5:
            other = rng.choice(seeds)
            data = bytearray(other + data) if rng.random() < 0.5 else data + bytearray(other)
        elif kind == 6 and records:
            at = rng.choice(records) + rng.randrange(4, 46)
            data[at:at] = bytes(rng.randrange(256) for _ in range(rng.randrange(1, 9)))
        elif kind == 7:
            end = data.rfind(b"PK\x05\x06")
            if end >= 0:
                count = rng.choice([0, 1, 2, 0xFFFF, 1 << 32])
                record = struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, count, count,
                                     rng.choice([0, 46, 0xFFFFFFFF]), end)
                locator = struct.pack("<IIQI", 0x07064B50, 0, end, 1)
                data[end:end] = record + locator
    return bytes(data)


def listing(folder):
    return sorted(os.listdir(folder)) if os.path.isdir(folder) else []


def unzip_accepts(path):
    return subprocess.run(["unzip", "-tqq", path], capture_output=True).returncode == 0


def unzip_accepts_whole(data, work):
    path = os.path.join(work, "unzip-check.zip")
    with open(path, "wb") as f:
        f.write(data)
    return unzip_accepts(path)


class Tally:
    def __init__(self):
        self.counts = {}
        self.examples = {}
        self.reasons = {}  # why zip.exe refused what unzip -t accepts

    def add(self, what, example=None):
        self.counts[what] = self.counts.get(what, 0) + 1
        if example is not None and what not in self.examples:
            self.examples[what] = example


def run_zip(args, work, case, data, tally, reports):
    out = os.path.join(work, "zip-out")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    archive = os.path.join(out, "q3dm99.pk3")
    with open(archive, "wb") as f:
        f.write(data)
    try:
        run = subprocess.run([args.zip, "-q", archive, "maps/q3dm99.bsp"], cwd=os.path.join(work, "stage"),
                             capture_output=True, timeout=30)
    except subprocess.TimeoutExpired:
        tally.add("zip.exe: hang", case)
        return
    if glob.glob(os.path.join(reports, "*")):
        tally.add("zip.exe: sanitizer report", case)
        for report in glob.glob(os.path.join(reports, "*")):
            shutil.move(report, os.path.join(args.work_keep, os.path.basename(report)))
    if listing(out) != ["q3dm99.pk3"]:
        tally.add("zip.exe: files left behind", case)
    with open(archive, "rb") as f:
        after = f.read()
    if run.returncode != 0:
        tally.add("zip.exe: refused")
        if unzip_accepts_whole(data, work):
            tally.add("zip.exe: refused (unzip -t accepts it)")
            reason = run.stderr.decode(errors="replace").strip().splitlines()[-1].replace(archive, "<archive>")
            reason = re.sub(r'"[^"]*"|\d+', "_", reason)
            if reason not in tally.reasons:
                with open(os.path.join(args.work_keep, "refused-%02d.pk3" % len(tally.reasons)), "wb") as f:
                    f.write(data)
            tally.reasons[reason] = tally.reasons.get(reason, 0) + 1
        if after != data:
            tally.add("zip.exe: refusal changed the old archive", case)
        return
    tally.add("zip.exe: updated")
    if not unzip_accepts(archive):
        tally.add("zip.exe: success, but unzip rejects the archive", case)
    if set(game_names(data)) - {b"maps/q3dm99.bsp"} - set(game_names(after)):
        tally.add("zip.exe: success with old entries gone", case)


def run_create(args, work, case, data, tally):
    base = os.path.join(work, "create")
    for folder in ("out", "data"):
        shutil.rmtree(os.path.join(base, folder), ignore_errors=True)
    os.makedirs(os.path.join(base, "out"))
    package = os.path.join(base, "out", "q3dm99.pk3")
    with open(package, "wb") as f:
        f.write(data)
    try:
        run = subprocess.run([args.create, base, args.program_folder], capture_output=True, text=True, timeout=120,
                             env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    except subprocess.TimeoutExpired:
        tally.add("Create: hang", case)
        return
    failed = "48|" in run.stdout
    staging = os.path.join(base, "data", "drive_c")
    left = [p for p in glob.glob(os.path.join(staging, "**"), recursive=True) if os.path.isfile(p)]
    if left or listing(os.path.join(base, "data", "set-aside")):
        tally.add("Create: files left in the program's folders", case)
    if listing(os.path.join(base, "out")) != ["q3dm99.pk3"]:
        tally.add("Create: files left in the save folder", case)
    with open(package, "rb") as f:
        after = f.read()
    if failed:
        tally.add("Create: failed, with a message")
        if after != data:
            tally.add("Create: failure changed the old package", case)
        return
    tally.add("Create: success")
    names = set(game_names(after))
    if not unzip_accepts(package) or not {n.encode() for n in STAGED} <= names:
        tally.add("Create: success, but the package is not whole", case)
    if set(game_names(data)) - names:
        tally.add("Create: success with old entries gone", case)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zip", required=True)
    parser.add_argument("--create", required=True)
    parser.add_argument("--program-folder", required=True)
    parser.add_argument("--seeds", required=True)
    parser.add_argument("--count", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--work")
    parser.add_argument("--zip-only", action="store_true", help="leave Create out")
    args = parser.parse_args()
    args.zip, args.create = os.path.abspath(args.zip), os.path.abspath(args.create)
    work = args.work or tempfile.mkdtemp(prefix="corvane-hostile-")
    args.work_keep = os.path.join(work, "kept")
    os.makedirs(args.work_keep, exist_ok=True)
    for name, data in MAP.items():
        for folder in ("create/src", "stage/maps"):
            os.makedirs(os.path.join(work, folder), exist_ok=True)
        with open(os.path.join(work, "create/src", name), "wb") as f:
            f.write(data)
    with open(os.path.join(work, "stage/maps/q3dm99.bsp"), "wb") as f:
        f.write(MAP["q3dm99.bsp"])
    reports = os.path.join(work, "reports")
    os.makedirs(reports, exist_ok=True)
    os.environ["ASAN_OPTIONS"] = "log_path=%s/asan:detect_leaks=1" % reports
    os.environ["UBSAN_OPTIONS"] = "log_path=%s/ubsan:halt_on_error=1:print_stacktrace=1" % reports
    seeds = [open(p, "rb").read() for p in sorted(glob.glob(os.path.join(args.seeds, "*")))]
    rng = random.Random(args.seed)
    tally = Tally()
    for i in range(args.count):
        data = mutate(rng, rng.choice(seeds), seeds)
        case = os.path.join(args.work_keep, "case-%05d.pk3" % i)
        before = dict(tally.counts)
        run_zip(args, work, case, data, tally, reports)
        if not args.zip_only:
            run_create(args, work, case, data, tally)
        if any(k not in EXPECTED and tally.counts[k] != before.get(k) for k in tally.counts):
            with open(case, "wb") as f:
                f.write(data)
    print("%d archives (work folder %s)" % (args.count, work))
    for what, count in sorted(tally.counts.items()):
        print("  %-55s %6d  %s" % (what, count, tally.examples.get(what, "")))
    if tally.reasons:
        print("zip.exe refused what unzip -t accepts, because (an example of each kept as refused-NN.pk3):")
        for number, (reason, count) in enumerate(tally.reasons.items()):
            print("  %5d  refused-%02d  %s" % (count, number, reason))
    bad = [k for k in tally.counts if k not in EXPECTED]
    sys.exit(1 if bad else 0)


if __name__ == "__main__":
    main()
