#!/usr/bin/env python3
"""Writes a large Kelmora installation straight into a Wine prefix's drive_c.

The install folder "Program Files/Kelmora" gets FILES files in folders of
realistic depth and width, a tenth of them in the "Students" tree; each of the
two installer-cache folders gets the files of a cached installation. File sizes
run from a few bytes to a few hundred KiB, mostly small. The same FILES and
seed always give the same tree. Prints the number of files written.

The small sample installation (e2e/sample: marker file, shortcuts, registry)
is seeded beside it by the caller.
"""
import argparse
import math
import os
import random

INSTALL = ("Program Files", "Kelmora")
CACHES = (
    ("Program Files", "InstallShield Installation Information",
     "{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}"),
    ("Program Files", "InstallShield Installation Information",
     "{5E2B7C41-9A3D-4F06-8C1E-2D7F4B90A6C3}"),
)
# The files of a cached installation and their sizes in bytes.
CACHE_FILES = (
    ("setup.exe", 372_000), ("setup.inx", 190_000), ("data1.cab", 393_000),
    ("data1.hdr", 24_000), ("data2.cab", 310_000), ("ISSetup.dll", 350_000),
    ("_Setup.dll", 96_000), ("layout.bin", 600), ("setup.skin", 41_000),
    ("0x0409.ini", 5_200), ("setup.iss", 900),
)
TOP_FOLDERS = ("lib", "content", "media", "help", "lessons", "resources", "plugins", "config")
FOLDER_WORDS = ("unit", "lesson", "images", "audio", "data", "pages", "scripts", "styles",
                "maps", "fonts", "assets", "chapter", "module", "templates", "locale")
EXTENSIONS = (".dat", ".htm", ".png", ".wav", ".xml", ".txt", ".js", ".css", ".class", ".gif")
STUDENT_PARTS = ("Portfolio", "Work", "Progress", "Drawings", "Stories", "Tests")

# Sizes: (share of the files, smallest, largest), drawn log-uniformly.
SIZE_CLASSES = ((0.73, 8, 4 << 10), (0.25, 4 << 10, 64 << 10), (0.02, 64 << 10, 384 << 10))
PATTERN = bytes(range(256)) * 1600  # 400 KiB of contents to cut files from


def file_size(rng):
    pick = rng.random()
    for share, low, high in SIZE_CLASSES:
        if pick < share:
            return int(math.exp(rng.uniform(math.log(low), math.log(high))))
        pick -= share
    return SIZE_CLASSES[-1][2]


def write_file(path, size):
    with open(path, "wb") as out:
        out.write(PATTERN[:size])


class TreeWriter:
    def __init__(self, rng):
        self.rng = rng
        self.files = 0

    def files_here(self, folder, count):
        for index in range(count):
            name = "f%04d%s" % (index, self.rng.choice(EXTENSIONS))
            write_file(os.path.join(folder, name), file_size(self.rng))
        self.files += count

    def tree(self, folder, count, depth, names=FOLDER_WORDS):
        """`count` files in `folder` and below: a folder of up to a few dozen
        files is a leaf; a bigger one keeps a few files and shares the rest
        among 2 to 8 sub-folders."""
        os.makedirs(folder, exist_ok=True)
        if count <= self.rng.randint(8, 40) or depth >= 8:
            self.files_here(folder, count)
            return
        own = min(count, self.rng.randint(0, 8))
        self.files_here(folder, own)
        rest = count - own
        width = self.rng.randint(2, 8)
        weights = [self.rng.uniform(0.3, 1.0) for _ in range(width)]
        total = sum(weights)
        shares = [int(rest * weight / total) for weight in weights]
        shares[0] += rest - sum(shares)
        for index, share in enumerate(shares):
            name = "%s%d" % (self.rng.choice(names), index + 1)
            self.tree(os.path.join(folder, name), share, depth + 1)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--files", type=int, required=True, help="files in the install folder")
    parser.add_argument("--drive", required=True, help="the prefix's drive_c folder")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()

    rng = random.Random(args.seed * 1_000_003 + args.files)
    writer = TreeWriter(rng)
    install = os.path.join(args.drive, *INSTALL)
    students = args.files // 10
    others = args.files - students

    # The program's own files, spread over its top-level folders.
    shares = [others // len(TOP_FOLDERS)] * len(TOP_FOLDERS)
    shares[0] += others - sum(shares)
    for name, share in zip(TOP_FOLDERS, shares):
        writer.tree(os.path.join(install, name), share, 1)

    # One folder per student, each with its own work folders.
    per_student = 40
    student_count = max(3, students // per_student)
    for index in range(student_count):
        share = students // student_count + (1 if index < students % student_count else 0)
        writer.tree(os.path.join(install, "Students", "Student %03d" % (index + 1)), share, 2,
                    STUDENT_PARTS)

    for cache in CACHES:
        folder = os.path.join(args.drive, *cache)
        os.makedirs(folder, exist_ok=True)
        for name, size in CACHE_FILES:
            write_file(os.path.join(folder, name), size)
            writer.files += 1
    print(writer.files)


if __name__ == "__main__":
    main()
