#!/usr/bin/env python3
"""Prints the benchmark's table from its raw figures.

Usage: report.py FACTS CSV
FACTS holds the machine facts written by bench/run.sh, one "name: value" a
line; CSV has the columns size, files, rep, measure, ms, load1. Every figure
of the table is the median over the repetitions.
"""
import csv
import statistics
import sys
from collections import defaultdict

# Goals: the largest allowed ratio of RemoveKM to its floor.
WHOLE_REMOVAL_GOAL = 1.10
QUIET_GOAL = 1.05
PER_FILE_SPREAD_GOAL = 0.20
CLEANUP_GOAL = 1.5
STARTUP_GOAL = 1.2
STARTUP_NONE_GOAL = 1.1
SIZE_GOAL = 128 * 1024


def read_figures(path):
    figures = defaultdict(list)  # (size, measure) -> [ms]
    files = {}
    loads = []
    with open(path, newline="") as table:
        for row in csv.DictReader(table):
            size = int(row["size"])
            figures[(size, row["measure"])].append(float(row["ms"]))
            files[size] = int(row["files"]) or files.get(size, 0)
            loads.append(float(row["load1"]))
    return figures, files, loads


def read_facts(path):
    facts = {}
    with open(path) as lines:
        for line in lines:
            name, _, value = line.partition(": ")
            facts[name.strip()] = value.strip()
    return facts


class Table:
    def __init__(self, figures, sizes):
        self.figures = figures
        self.sizes = sizes
        self.lines = []

    def median(self, size, measure):
        values = self.figures.get((size, measure))
        return statistics.median(values) if values else None

    def row(self, label, values, form="{:,.0f}"):
        cells = ["-" if value is None else form.format(value) for value in values]
        self.lines.append("  %-46s" % label + "".join("%12s" % cell for cell in cells))

    def measure_row(self, label, measure):
        self.row(label, [self.median(size, measure) for size in self.sizes])

    def ratio_row(self, label, numerator, denominator):
        self.row(label, self.ratios(numerator, denominator), "{:.2f}x")

    def ratios(self, numerator, denominator):
        result = []
        for size in self.sizes:
            top, bottom = self.median(size, numerator), self.median(size, denominator)
            result.append(top / bottom if top is not None and bottom else None)
        return result


def verdict(passed):
    return "met" if passed else "NOT met"


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: report.py FACTS CSV")
    facts = read_facts(sys.argv[1])
    figures, files, loads = read_figures(sys.argv[2])
    sizes = sorted(size for size in files if files[size])
    reps = max((len(values) for (size, _), values in figures.items() if size in sizes), default=0)
    table = Table(figures, sizes)
    out = table.lines

    out.append("RemoveKM removal benchmark (Wine + Xvfb), medians of %d repetitions, times in ms"
               % reps)
    for name in ("date", "cpu", "wine", "load average at start", "load average at end",
                 "run time"):
        if name in facts:
            out.append("  %-22s %s" % (name + ":", facts[name]))
    if loads:
        out.append("  %-22s %.2f to %.2f (1-minute, at each measurement)"
                   % ("load seen:", min(loads), max(loads)))
    out.append("")
    # A start-up-only run (BENCH_ONLY_STARTUP) has no removal figures.
    if sizes:
        table.row("installation size (files)", sizes, "{:,}")
        table.row("files removed (install + caches)", [files[size] for size in sizes], "{:,}")
        out.append("")
        out.append("Whole removal: RemoveKM from its progress window to its final message")
        table.measure_row("RemoveKM, save box ticked", "removekm_save")
        table.measure_row("floor, with the copy", "floor_save")
        table.ratio_row("ratio RemoveKM / floor", "removekm_save", "floor_save")
        table.row("RemoveKM per file (ms)", per_file(table, files, "removekm_save"), "{:.3f}")
        table.row("floor per file (ms)", per_file(table, files, "floor_save"), "{:.3f}")
        table.measure_row("RemoveKM, save box not ticked", "removekm_nosave")
        table.measure_row("floor, without the copy", "floor_nosave")
        table.ratio_row("ratio RemoveKM / floor", "removekm_nosave", "floor_nosave")
        table.measure_row("floor + RemoveKM's windows + the recorder", "floor_nosave_watched")
        table.ratio_row("ratio RemoveKM / that", "removekm_nosave", "floor_nosave_watched")
        table.row("RemoveKM per file (ms)", per_file(table, files, "removekm_nosave"), "{:.3f}")
        table.row("floor per file (ms)", per_file(table, files, "floor_nosave"), "{:.3f}")
        out.append("  parts of the ticked removal:")
        table.measure_row("  step 1: RemoveKM's copy of Students", "removekm_save_step1")
        table.measure_row("  the floor's copy (CopyFileA loop)", "floor_copy")
        table.measure_row("  step 3: RemoveKM deletes the install folder", "removekm_save_step3")
        table.measure_row("  the floor's SHFileOperationA of that folder", "floor_install")
        table.measure_row("RemoveKM ticked, driver's OK to exit", "removekm_save_ok_to_end")
        table.measure_row("RemoveKM not ticked, driver's OK to exit", "removekm_nosave_ok_to_end")
        out.append("")
        out.append("Unattended removal (/quiet /nosave, no display), process start to end")
        table.measure_row("RemoveKM /quiet /nosave", "removekm_quiet")
        table.measure_row("floor, without the copy", "floor_nosave_process")
        table.ratio_row("ratio RemoveKM / floor", "removekm_quiet", "floor_nosave_process")
        out.append("")
        out.append("Clean-up path (step 1's copy fails; DeleteTree of the copy, "
                   "a tenth of the files)")
        table.measure_row("RemoveKM, progress window to the message", "removekm_cleanup_total")
        table.measure_row("  of it the copy (recorder)", "removekm_cleanup_copy")
        table.measure_row("  of it DeleteTree + message (recorder)", "removekm_cleanup_delete")
        table.measure_row("floor copy (CopyFileA loop)", "floor_cleanup_copy")
        table.measure_row("floor delete loop, bare", "floor_cleanup_delete_bare")
        table.ratio_row("ratio DeleteTree / bare loop", "removekm_cleanup_delete",
                        "floor_cleanup_delete_bare")
        table.measure_row("bare loop + clearing blocking attributes", "floor_cleanup_delete_attrs")
        table.measure_row("  (clearing every file's instead)", "floor_cleanup_delete_attrs_every")
        table.measure_row("bare loop + item line text", "floor_cleanup_delete_item")
        table.measure_row("bare loop + item line + repaint", "floor_cleanup_delete_item_repaint")
        table.ratio_row("ratio of that to the bare loop", "floor_cleanup_delete_item_repaint",
                        "floor_cleanup_delete_bare")
        table.measure_row("bare loop + all three (= DeleteTree's work)", "floor_cleanup_delete_all")
        table.measure_row("that, item and repaint at most every 50 ms",
                          "floor_cleanup_delete_throttled")
        table.ratio_row("ratio of that to the bare loop", "floor_cleanup_delete_throttled",
                        "floor_cleanup_delete_bare")
        out.append("")

    # Start-up is measured once, recorded under size 0: with the product
    # found, then (suffix "_none") with nothing installed, each phase with its
    # own floor.
    startup_ratios = []
    for suffix, what, goal in (("", "the product found through the registry", STARTUP_GOAL),
                               ("_none", "nothing installed", STARTUP_NONE_GOAL)):
        startup = figures.get((0, "startup_removekm" + suffix))
        floor_dlls = figures.get((0, "startup_floor_dlls" + suffix))
        if not startup or not floor_dlls:
            continue
        out.append("Start-up, %s: process start to the main dialog shown (median of %d)"
                   % (what, len(startup)))
        out.append("  %-46s%12s%12s" % ("", "median", "fastest"))
        for measure, label in (
                ("startup_removekm", "RemoveKM.exe"),
                ("startup_floor", "floor-dialog.exe (same template, nothing else)"),
                ("startup_floor_dlls", "floor + loading shell32, advapi32, ole32")):
            values = figures.get((0, measure + suffix))
            if values:
                out.append("  %-46s%12.0f%12.0f" % (label, statistics.median(values), min(values)))
        ratio = statistics.median(startup) / statistics.median(floor_dlls)
        out.append("  %-46s%11.2fx" % ("ratio to the floor with the same DLLs", ratio))
        startup_ratios.append((what, goal, ratio))
        out.append("")

    exe_size = int(facts.get("exe", "0 0").split()[1])
    out.append("Executable")
    out.append("  %-46s%12s" % ("RemoveKM.exe (bytes)", "{:,}".format(exe_size)))
    out.append("  %-46s%s" % ("imported DLLs", facts.get("imports", "?")))
    out.append("")

    out.append("Goals")
    whole = [r for r in table.ratios("removekm_save", "floor_save") +
             table.ratios("removekm_nosave", "floor_nosave") if r is not None]
    if whole:
        out.append("  whole removal within %.2fx of the floor: worst %.2fx, %s"
                   % (WHOLE_REMOVAL_GOAL, max(whole), verdict(max(whole) <= WHOLE_REMOVAL_GOAL)))
    quiet = [r for r in table.ratios("removekm_quiet", "floor_nosave_process") if r is not None]
    if quiet:
        out.append("  unattended removal within %.2fx of the floor: worst %.2fx, %s"
                   % (QUIET_GOAL, max(quiet), verdict(max(quiet) <= QUIET_GOAL)))
    for measure, floor, label in (("removekm_save", "floor_save", "ticked"),
                                  ("removekm_nosave", "floor_nosave", "not ticked")):
        spread = per_file_spread(table, files, measure)
        if spread is not None:
            out.append("  time per file flat within +-%d%% (%s): largest change from the smallest"
                       " size %+.0f%% (the floor's: %+.0f%%), %s"
                       % (PER_FILE_SPREAD_GOAL * 100, label, spread * 100,
                          per_file_spread(table, files, floor) * 100,
                          verdict(abs(spread) <= PER_FILE_SPREAD_GOAL)))
    cleanup = [r for r in table.ratios("removekm_cleanup_delete", "floor_cleanup_delete_bare")
               if r is not None]
    if cleanup:
        line = ("  clean-up within %.1fx of the bare loop: worst %.2fx, %s"
                % (CLEANUP_GOAL, max(cleanup), verdict(max(cleanup) <= CLEANUP_GOAL)))
        # The item line and repaint of every file, without which the window
        # would not show each file as it goes, cost this much on their own.
        shown = [r for r in table.ratios("floor_cleanup_delete_item_repaint",
                                         "floor_cleanup_delete_bare") if r is not None]
        if shown:
            line += " (a bare loop that only shows and repaints each file: %.2fx)" % max(shown)
        out.append(line)
    for what, goal, ratio in startup_ratios:
        out.append("  start-up with %s within %.1fx of the floor dialog with the same DLLs:"
                   " %.2fx, %s" % (what, goal, ratio, verdict(ratio <= goal)))
    out.append("  RemoveKM.exe at most %d bytes: %d, %s"
               % (SIZE_GOAL, exe_size, verdict(exe_size <= SIZE_GOAL)))
    print("\n".join(out))


def per_file(table, files, measure):
    return [None if table.median(size, measure) is None else table.median(size, measure) /
            files[size] for size in table.sizes]


def per_file_spread(table, files, measure):
    """The per-file time's largest relative change from the smallest size."""
    values = [value for value in per_file(table, files, measure) if value is not None]
    if len(values) < 2:
        return None
    changes = [value / values[0] - 1 for value in values[1:]]
    return max(changes, key=abs)


if __name__ == "__main__":
    main()
