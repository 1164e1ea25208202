#!/usr/bin/env python3
"""Turns the bench script's hyperfine exports and memory figures into one
Markdown table of times, ratios to each case's floor, and targets.

usage: report.py WORK_DIR CASES_FILE OUT.md
  CASES_FILE lines, tab-separated: case, hyperfine JSON file, index of the
  floor command, limit on the second command's ratio (or -), labels joined
  by commas
  WORK_DIR/rss.txt lines: what|peak RSS in KB|limit in KB or -
  WORK_DIR/throughput.txt, if there, lines: clients x jobs|jobs|the
  case's hyperfine JSON file
bench/results/notes.md, the reasons behind the figures, is appended to the
full run's table.
"""
import json
import os
import platform
import sys
import time


def case_rows(work, line):
    """Table rows for one case: every command's median and mean, the ratio
    of its median to the floor's, and whether the measured program keeps
    the limit. Medians, since other work on the machine adds outliers."""
    name, export, floor, limit, labels = line.split("\t")
    results = json.load(open(os.path.join(work, export)))["results"]
    labels = labels.split(",")
    floor_median = results[int(floor)]["median"]
    rows = []
    for i, result in enumerate(results):
        ratio = result["median"] / floor_median
        verdict = ""
        if i == 1 and limit != "-":
            verdict = "met" if ratio <= float(limit) else "NOT met"
        target = "<= %s x" % limit if i == 1 and limit != "-" else ""
        rows.append("| %s | %s | %.1f | %.1f ± %.1f | %.2f x | %s | %s |" % (
            name if i == 0 else "", labels[i].replace("|", "\\|"), result["median"] * 1000,
            result["mean"] * 1000, result["stddev"] * 1000 if result["stddev"] else 0, ratio,
            target, verdict))
    return rows


def rss_rows(work):
    """Table rows for the peak memory figures."""
    rows = []
    for line in open(os.path.join(work, "rss.txt")):
        what, kb, limit = line.strip().split("|")
        verdict = "" if limit == "-" else ("met" if int(kb) <= int(limit) else "NOT met")
        target = "" if limit == "-" else "<= %d MB" % (int(limit) // 1024)
        rows.append("| %s | %.1f MB | %s | %s |" % (what, int(kb) / 1024, target, verdict))
    return rows


def main():
    work, cases, out = sys.argv[1:4]
    lines = ["# Benchmark results", "",
             "Made by `scripts/bench.sh` on %s, %s, %d cores, %s." % (
                 platform.node(), platform.platform(), os.cpu_count(),
                 time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime())),
             "Each case's commands ran side by side in one hyperfine run (warm-up, then",
             "several runs, every output removed before each run); the ratio is to the",
             "case's first command, its floor, taken between medians. Absolute times vary",
             "with the machine's load; the ratios are what the targets are about.", "",
             "| Case | Command | Median ms | Mean ± σ ms | Ratio to floor | Target | |",
             "|---|---|---|---|---|---|---|"]
    for line in open(cases):
        if line.strip():
            lines += case_rows(work, line.rstrip("\n"))
    lines += ["", "## Peak memory (`/usr/bin/time`, maximum resident set size)", "",
              "| Run | Peak RSS | Target | |", "|---|---|---|---|"]
    lines += rss_rows(work)
    throughput = os.path.join(work, "throughput.txt")
    if os.path.exists(throughput):
        lines += ["", "## Printer application throughput", "",
                  "| Clients x jobs | Jobs | Median s | Jobs a second |", "|---|---|---|---|"]
        for line in open(throughput):
            what, jobs, export = line.strip().split("|")
            median = json.load(open(os.path.join(work, export)))["results"][0]["median"]
            lines.append("| %s | %s | %.2f | %.1f |" % (what, jobs, median, int(jobs) / median))
    extra = os.path.join(work, "inner_loops.txt")
    if os.path.exists(extra):
        lines += ["", "## Inner loops (Google Benchmark)", "", "```"]
        lines += [l.rstrip() for l in open(extra) if l.startswith("BM_") or l.startswith("Benchmark")]
        lines += ["```"]
    notes = os.path.join(os.path.dirname(os.path.abspath(__file__)), "results", "notes.md")
    if os.path.exists(notes) and not out.endswith("quick.md"):
        lines += [""] + [l.rstrip("\n") for l in open(notes)]
    with open(out, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
