#!/usr/bin/env python3
"""Size and speed of Corvane's zip.exe against Info-ZIP and 7-Zip.

Packs one map set the way Corvane's launcher does (staging folder as the
working folder, relative names), several times, the tools interleaved so
that a busy moment on the machine hits all of them alike, and prints a
Markdown table of medians. The map set is OpenArena's ctf_compromise when
the Debian package openarena-data is installed, otherwise generated files
of similar compressibility (--generated forces those).

Usage: bench/bench.py --zip build/zip.exe [--rounds 5] [--generated]

Further tools (say, Corvane's whole build from its window) go into
tools() below; each is a name and a function that makes an archive.
"""
import argparse
import os
import random
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time
import zlib

OPENARENA = "/usr/share/games/openarena/baseoa"
MAP = "ctf_compromise"


def openarena_set(stage):
    """The map's own files out of the game's packages; later packages win."""
    wanted = {
        "maps/%s.bsp" % MAP: "maps/%s.bsp" % MAP,
        "maps/%s.aas" % MAP: "maps/%s.aas" % MAP,
        "levelshots/%s.tga" % MAP: "levelshots/%s.tga" % MAP,
        "scripts/ctf.shader": "scripts/%s.shader" % MAP,
    }
    found = {}
    for pk3 in sorted(os.listdir(OPENARENA)):
        if not pk3.endswith(".pk3"):
            continue
        names = subprocess.run(["unzip", "-Z1", os.path.join(OPENARENA, pk3)], capture_output=True,
                               text=True).stdout.splitlines()
        for name in names:
            if name in wanted:
                found[name] = os.path.join(OPENARENA, pk3)
    if len(found) != len(wanted):
        return None
    for name, pk3 in found.items():
        target = os.path.join(stage, wanted[name])
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(subprocess.run(["unzip", "-p", pk3, name], capture_output=True, check=True).stdout)
    extra = {
        "scripts/%s.arena" % MAP: '{\nmap "%s"\nlongname "Compromise"\ntype "ctf"\n}\n' % MAP,
        "%s.txt" % MAP: "Compromise, a capture the flag map from OpenArena.\n" * 8,
    }
    for name, text in extra.items():
        with open(os.path.join(stage, name), "w") as f:
            f.write(text)
    return "OpenArena %s (openarena-data)" % MAP


def generated_set(stage):
    """About 14 MB shaped like a map's files: structured binary, text, and
    an image that does not compress."""
    rng = random.Random(2026)

    def write(name, data):
        path = os.path.join(stage, name)
        os.makedirs(os.path.dirname(path) or stage, exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    bsp = bytearray(b"IBSP" + struct.pack("<i", 46) + bytes(17 * 8))
    ents = []
    for i in range(900):
        ents.append('{\n"classname" "%s"\n"origin" "%d %d %d"\n"angle" "%d"\n}\n' % (
            rng.choice(["info_player_deathmatch", "weapon_rocketlauncher", "item_armor_body", "light",
                        "misc_model", "target_position"]),
            rng.randrange(-3000, 3000, 8), rng.randrange(-3000, 3000, 8), rng.randrange(-200, 800, 8),
            rng.choice([0, 90, 180, 270])))
    bsp += "".join(ents).encode()
    for i in range(400):  # shaders: 64-byte names and flags
        bsp += ("textures/base_wall/tile%03d" % rng.randrange(120)).encode().ljust(64, b"\0")
        bsp += struct.pack("<ii", rng.choice([0, 1, 0x200000]), rng.choice([1, 0x2000000]))
    for i in range(30000):  # planes: mostly axis-aligned normals and grid distances
        axis = rng.randrange(6)
        normal = [0.0, 0.0, 0.0]
        if axis < 3:
            normal[axis] = rng.choice([-1.0, 1.0])
        else:
            normal = [rng.uniform(-1, 1) for _ in range(3)]
        bsp += struct.pack("<4f", *normal, rng.randrange(-4096, 4096, 8))
    for i in range(110000):  # draw vertices, 44 bytes each
        x, y, z = (rng.randrange(-2048, 2048, 16) + rng.choice([0, 0, 0, rng.random() * 16]) for _ in range(3))
        bsp += struct.pack("<3f2f2f3f4B", x, y, z, x / 128.0, z / 128.0, rng.random(), rng.random(),
                           0.0, 0.0, 1.0, 255, 255, 255, 255)
    for i in range(60000):  # indices of triangles into the vertices above
        base = rng.randrange(0, 64)
        bsp += struct.pack("<3i", base, base + 1, base + 2)
    for m in range(40):  # 128x128 RGB lightmaps: smooth light with noise
        cx, cy, tone = rng.randrange(128), rng.randrange(128), rng.randrange(40, 200)
        row = bytearray()
        for y in range(128):
            for x in range(128):
                v = max(0, tone - ((x - cx) ** 2 + (y - cy) ** 2) // 64 + rng.randrange(-6, 7))
                row += bytes((min(v, 255), min(v * 9 // 10, 255), min(v * 8 // 10, 255)))
        bsp += row
    vis = bytearray()
    for i in range(900000):  # sparse visibility bits
        vis.append(rng.getrandbits(8) if rng.random() < 0.3 else 0)
    bsp += vis
    write("maps/q3gen1.bsp", bytes(bsp))

    aas = bytearray(b"EAAS" + struct.pack("<i", 5))
    for i in range(120000):  # areas, faces and reachabilities: small ints and floats
        aas += struct.pack("<4i3f", rng.randrange(0, 5000), rng.randrange(0, 12), i // 7, rng.randrange(0, 3),
                           rng.randrange(-2048, 2048, 8), rng.randrange(-2048, 2048, 8),
                           rng.randrange(-100, 600, 8))
    write("maps/q3gen1.aas", bytes(aas))

    # JPEG data looks random to deflate.
    write("levelshots/q3gen1.jpg", b"\xff\xd8\xff\xe0" + os.urandom(380000) + b"\xff\xd9")
    write("textures/q3gen1/sky.jpg", b"\xff\xd8\xff\xe0" + os.urandom(900000) + b"\xff\xd9")
    tga = bytearray(struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, 256, 256, 24, 0))
    for y in range(256):
        for x in range(256):
            tga += bytes(((x * 3 + y) & 255, (y * 2) & 255, ((x ^ y) + rng.randrange(4)) & 255))
    write("textures/q3gen1/wall.tga", bytes(tga))

    words = ["textures/q3gen1/wall", "{", "}", "qer_editorimage", "surfaceparm", "nomarks", "map",
             "$lightmap", "blendFunc", "GL_DST_COLOR", "GL_ZERO", "rgbGen", "identity", "tcMod", "scroll",
             "0.1", "0", "q3map_surfacelight", "400"]
    shader = "".join("\t" * rng.randrange(3) + " ".join(rng.choice(words) for _ in range(rng.randrange(1, 5)))
                     + "\n" for _ in range(12000))
    write("scripts/q3gen1.shader", shader.encode())
    write("scripts/q3gen1.arena", b'{\nmap "q3gen1"\nlongname "Generated"\ntype "ffa tourney"\n}\n')
    write("q3gen1.txt", b"Generated map set for Corvane's archiver benchmark.\r\n" * 10)
    return "generated (deflate -9 ratio %.2f)" % (
        len(zlib.compress(bytes(bsp), 9)) / len(bsp))


BIG_FILE_BYTES = 400 << 20


def generated_bsp_piece():
    """16 MiB shaped like a BSP's lumps, repeated to make one big file."""
    rng = random.Random(7)
    out = bytearray()
    while len(out) < 16 << 20:
        base = rng.randrange(-4096, 4096)
        for _ in range(rng.randrange(50, 400)):
            out += struct.pack("<3f2i", base + rng.random() * 64, base * 0.5, rng.randrange(-8, 8) * 16.0,
                               rng.randrange(0, 64), rng.randrange(0, 3))
    return bytes(out[:16 << 20])


def tools(zip_exe):
    """Name -> command (without the archive and files)."""
    # 7zz on Debian 12 (7zip) and Debian 13 (7zip-standalone), else Debian 13's 7z.
    seven = [shutil.which("7zz") or "7z", "a", "-tzip", "-mm=Deflate", "-mx=9", "-mfb=258", "-mpass=15", "-bd", "-bso0", "-bsp0"]
    return {
        "ours -0": [zip_exe, "-q", "-0"],
        "ours default": [zip_exe, "-q"],
        "ours -9": [zip_exe, "-q", "-9"],
        "Info-ZIP -0": ["zip", "-q", "-0"],
        "Info-ZIP -6": ["zip", "-q", "-6"],
        "Info-ZIP -9": ["zip", "-q", "-9"],
        "7-Zip deflate max": seven,
    }


def run_once(command, stage, archive, files):
    if os.path.exists(archive):
        os.remove(archive)
    start = time.perf_counter()
    subprocess.run(command + [archive] + files, cwd=stage, check=True, stdout=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    return elapsed, os.path.getsize(archive)


def peak_memory_kib(command, stage, archive, files):
    gnu_time = shutil.which("time", path="/usr/bin")
    if not gnu_time:
        return None
    if os.path.exists(archive):
        os.remove(archive)
    out = subprocess.run([gnu_time, "-v"] + command + [archive] + files, cwd=stage, capture_output=True,
                         text=True, check=True)
    for line in out.stderr.splitlines():
        if "Maximum resident set size" in line:
            return int(line.split(":")[1])
    return None


TITLE = "Corvane For Quake 3 - Version: 0.9"


def program_startup(corvane, rounds):
    """Seconds from starting corvane to its window being viewable on a fresh
    Xvfb, and the program's peak resident memory once it is up."""
    if not shutil.which("Xvfb") or not shutil.which("xwininfo"):
        return None
    # Xvfb picks a free display itself and writes its number to the pipe.
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                               "-nolisten", "tcp"], pass_fds=(write_end,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        display = ":" + pipe.readline().strip()
    times, peaks = [], []
    try:
        for _ in range(rounds):
            home = tempfile.mkdtemp(prefix="corvane-home-")
            env = dict(os.environ, DISPLAY=display, HOME=home, XDG_CONFIG_HOME=home + "/.config",
                       XDG_DATA_HOME=home + "/.local/share", XDG_RUNTIME_DIR=home)
            env.pop("QT_QPA_PLATFORM", None)
            start = time.perf_counter()
            program = subprocess.Popen([corvane], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            shown = None
            while time.perf_counter() - start < 20:
                out = subprocess.run(["xwininfo", "-display", display, "-name", TITLE], capture_output=True,
                                     text=True).stdout
                if "IsViewable" in out:
                    shown = time.perf_counter() - start
                    break
                time.sleep(0.005)
            time.sleep(0.5)
            with open("/proc/%d/status" % program.pid) as status:
                for line in status:
                    if line.startswith("VmHWM:"):
                        peaks.append(int(line.split()[1]))
            program.terminate()
            program.wait()
            shutil.rmtree(home, ignore_errors=True)
            if shown is not None:
                times.append(shown)
    finally:
        server.terminate()
        server.wait()
    if not times:
        return None
    return statistics.median(times), min(times), max(peaks)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zip", required=True, help="the zip.exe to measure")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--generated", action="store_true", help="use generated files even with OpenArena")
    parser.add_argument("--corvane", help="the corvane program, for start-up time and memory")
    parser.add_argument("--create-bench", help="corvane_bench_create, for Create's overhead")
    args = parser.parse_args()
    zip_exe = os.path.abspath(args.zip)

    work = tempfile.mkdtemp(prefix="corvane-bench-")
    try:
        stage = os.path.join(work, "stage")
        os.makedirs(stage)
        label = None
        if not args.generated and os.path.isdir(OPENARENA):
            label = openarena_set(stage)
        if label is None:
            shutil.rmtree(stage)
            os.makedirs(stage)
            label = generated_set(stage)
        files = sorted(os.path.relpath(os.path.join(d, f), stage) for d, _, fs in os.walk(stage) for f in fs)
        total = sum(os.path.getsize(os.path.join(stage, f)) for f in files)

        commands = tools(zip_exe)
        names = list(commands)
        times = {n: [] for n in names}
        sizes = {}
        for round_ in range(args.rounds):
            # Rotate the order each round so no tool always runs first or last.
            order = names[round_ % len(names):] + names[:round_ % len(names)]
            for name in order:
                elapsed, size = run_once(commands[name], stage, os.path.join(work, "out.zip"), files)
                times[name].append(elapsed)
                sizes.setdefault(name, size)
                if sizes[name] != size:
                    sys.exit("%s made archives of different sizes" % name)
        median = {n: statistics.median(times[n]) for n in names}
        memory = {n: peak_memory_kib(commands[n], stage, os.path.join(work, "out.zip"), files)
                  for n in names if n.startswith("ours")}

        print("Map set: %s, %d files, %d bytes; %d interleaved rounds, median wall time (fastest in "
              "brackets); %d cores; load average %.2f at the end." % (
                  label, len(files), total, args.rounds, os.cpu_count(), os.getloadavg()[0]))
        print()
        print("| tool | archive bytes | vs Info-ZIP same level | vs 7-Zip max | seconds | time vs Info-ZIP same level |"
              " peak RSS KiB |")
        print("|---|---:|---:|---:|---:|---:|---:|")
        reference = {"ours -0": "Info-ZIP -0", "ours default": "Info-ZIP -6", "ours -9": "Info-ZIP -9"}
        for name in names:
            ref = reference.get(name)
            size_vs = "%.4f" % (sizes[name] / sizes[ref]) if ref else ""
            time_vs = "%.2f" % (median[name] / median[ref]) if ref else ""
            seven = "%.4f" % (sizes[name] / sizes["7-Zip deflate max"])
            mem = str(memory[name]) if memory.get(name) else ""
            print("| %s | %d | %s | %s | %.3f (%.3f) | %s | %s |" % (
                name, sizes[name], size_vs, seven, median[name], min(times[name]), time_vs, mem))
        print()
        goals = [
            ("-9 size <= 7-Zip max", sizes["ours -9"] <= sizes["7-Zip deflate max"]),
            ("-9 time <= Info-ZIP -9", median["ours -9"] <= median["Info-ZIP -9"]),
            ("default size <= Info-ZIP -6", sizes["ours default"] <= sizes["Info-ZIP -6"]),
            ("default time <= Info-ZIP -6", median["ours default"] <= median["Info-ZIP -6"]),
        ]
        for goal, met in goals:
            print("- %s: %s" % (goal, "met" if met else "NOT met"))

        # Memory must not grow with the input: one big file, every level.
        big_stage = os.path.join(work, "big")
        os.makedirs(os.path.join(big_stage, "maps"))
        piece = generated_bsp_piece()
        with open(os.path.join(big_stage, "maps/huge.bsp"), "wb") as f:
            for _ in range(BIG_FILE_BYTES // len(piece)):
                f.write(piece)
        print()
        print("| %d MB file | peak RSS KiB |" % (BIG_FILE_BYTES >> 20))
        print("|---|---:|")
        peaks = {}
        for name in ("ours -0", "ours default", "ours -9"):
            peaks[name] = peak_memory_kib(commands[name], big_stage, os.path.join(work, "big.zip"), ["maps/huge.bsp"])
            print("| %s | %s |" % (name, peaks[name]))
        met = all(peak is not None and peak < 100 * 1024 for peak in peaks.values())
        print("- peak RSS < 100 MB at every level: %s" % ("met" if met else "NOT met"))

        if args.create_bench:
            print()
            env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
            subprocess.run([os.path.abspath(args.create_bench), stage, os.path.dirname(zip_exe),
                            str(args.rounds)], check=True, env=env)
        if args.corvane:
            startup = program_startup(os.path.abspath(args.corvane), args.rounds)
            print()
            if startup is None:
                print("- start-up: not measured (no Xvfb or the window did not appear)")
            else:
                median_s, fastest, peak = startup
                print("| corvane | start-up to a shown window, s | peak RSS KiB |")
                print("|---|---:|---:|")
                print("| median (fastest) | %.3f (%.3f) | %d |" % (median_s, fastest, peak))
                print("- start-up <= 250 ms: %s" % ("met" if median_s <= 0.25 else "NOT met"))
                print("- peak RSS <= 60 MB: %s" % ("met" if peak <= 60 * 1024 else "NOT met"))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
