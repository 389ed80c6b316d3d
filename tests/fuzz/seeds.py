#!/usr/bin/env python3
"""Makes the fuzz targets' seed corpus: small archives of every kind the
readers meet, written by Info-ZIP, by Python's zipfile, by our zip.exe and
by hand, some of them damaged on purpose.

    seeds.py OUTPUT-FOLDER --zip path/to/zip.exe
"""
import argparse
import io
import os
import struct
import subprocess
import tempfile
import zipfile


class Unseekable(io.RawIOBase):
    """A stream zipfile cannot seek back in, so it writes data descriptors."""

    def __init__(self):
        self.data = bytearray()

    def writable(self):
        return True

    def write(self, b):
        self.data += b
        return len(b)


def python_archives():
    files = {"maps/a.bsp": b"IBSP" + bytes(range(256)) * 3, "a.txt": b"readme\r\n", "caf\u00e9.shader": b"{ }\n"}
    made = {}
    for name, kwargs in [("python_deflated.zip", {"compression": zipfile.ZIP_DEFLATED}),
                         ("python_stored.zip", {"compression": zipfile.ZIP_STORED})]:
        buffer = io.BytesIO()
        with zipfile.ZipFile(buffer, "w", **kwargs) as z:
            for entry, data in files.items():
                z.writestr(entry, data)
            z.comment = b"a comment"
        made[name] = buffer.getvalue()
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as z:
        for entry, data in files.items():
            with z.open(entry, "w", force_zip64=True) as f:
                f.write(data)
    made["python_zip64.zip"] = buffer.getvalue()
    stream = Unseekable()
    with zipfile.ZipFile(stream, "w", zipfile.ZIP_DEFLATED) as z:
        for entry, data in files.items():
            z.writestr(entry, data)
    made["python_descriptors.zip"] = bytes(stream.data)
    made["empty.zip"] = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 0, 0, 0, 0, 0)
    return made


def tool_archives(zip_exe):
    made = {}
    with tempfile.TemporaryDirectory() as work:
        os.makedirs(os.path.join(work, "maps"))
        with open(os.path.join(work, "maps", "a.bsp"), "wb") as f:
            f.write(b"IBSP" + b"brush 1 textures/base_wall\n" * 40)
        with open(os.path.join(work, "a.txt"), "wb") as f:
            f.write(b"readme\n")
        for name, program, args in [("infozip.zip", "zip", ["-q"]), ("infozip_zip64.zip", "zip", ["-q", "-fz"]),
                                    ("infozip_stored.zip", "zip", ["-q", "-0"]), ("ours.pk3", zip_exe, ["-q", "-9"]),
                                    ("ours_stored.pk3", zip_exe, ["-q", "-0"])]:
            archive = os.path.join(work, name)
            subprocess.run([program, *args, archive, "maps/a.bsp", "a.txt"], cwd=work, check=True)
            with open(archive, "rb") as f:
                made[name] = f.read()
    return made


def damaged(archives):
    """A few of the damage classes, for the fuzzer to start from."""
    plain = archives["ours.pk3"]
    made = {"joined.zip": plain + plain}
    end = plain.rindex(b"PK\x05\x06")
    count = bytearray(plain)
    struct.pack_into("<HH", count, end + 8, 1, 1)
    made["count_short.zip"] = bytes(count)
    comment = bytearray(plain)
    struct.pack_into("<H", comment, end + 20, 22)
    made["comment_end_record.zip"] = bytes(comment) + struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 0, 0, 0, 0, 0)
    extra = bytearray(archives["infozip.zip"])
    central = extra.index(b"PK\x01\x02")
    name_length = struct.unpack_from("<H", extra, central + 28)[0]
    struct.pack_into("<H", extra, central + 46 + name_length + 2, 0xFFFC)
    made["extra_too_long.zip"] = bytes(extra)
    return made


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("output")
    parser.add_argument("--zip", required=True)
    args = parser.parse_args()
    os.makedirs(args.output, exist_ok=True)
    archives = python_archives()
    archives.update(tool_archives(os.path.abspath(args.zip)))
    archives.update(damaged(archives))
    for name, data in sorted(archives.items()):
        with open(os.path.join(args.output, name), "wb") as f:
            f.write(data)
    print("%d seeds in %s" % (len(archives), args.output))


if __name__ == "__main__":
    main()
