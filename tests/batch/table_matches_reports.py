#!/usr/bin/env python3
"""recmod-batch --table: each long-format table, read with the csv module, holds
the numbers of the report files the same start wrote.

Usage: table_matches_reports.py RECMOD_BATCH
"""
import csv
import pathlib
import subprocess
import sys
import tempfile

BATCH = sys.argv[1]


def start(directory, *options):
    table = directory / "table.csv"
    subprocess.run([BATCH, "--quiet", "--dir", str(directory), "--table", str(table),
                    *map(str, options)], check=True, stdout=subprocess.DEVNULL)
    raw = table.read_bytes()
    assert b"\r" not in raw and raw.endswith(b"\n"), "LF line ends"
    with table.open(newline="") as f:
        return list(csv.reader(f))


def report(directory, number):
    return (directory / f"ReportFile{number}.txt").read_text().split("\n")


def digits15(text):
    return float(f"{float(text):.15g}")


def check_sk(directory):
    rows = start(directory, "--mode", 2, "--maxgen", 30, "--s-range", "-0.2:0.1:0.1",
                 "--k-range", "0.8:1.2:0.2", "--threads", 2)
    assert rows[0] == ["S", "K", "final_rplus"]
    lines = [l.split("\t") for l in report(directory, 2)]
    values = [(float(k), float(v)) for k, v in (l for l in lines if len(l) == 2)
              if not v.startswith("u=")]
    blocks = [float(l[1].split("s=")[1]) for l in lines if len(l) == 2 and l[1].startswith("u=")]
    assert len(rows) - 1 == len(values) == 4 * 3
    for i, (s, k, rplus) in enumerate(rows[1:]):
        assert digits15(s) == blocks[i // 3]
        assert digits15(k) == values[i][0] and digits15(rplus) == values[i][1], (i, rows[i + 1])
    assert [r[0] for r in rows[1::3]] == ["-0.2", "-0.1", "0", "0.1"]
    # The shortest text that reads back to the same double, as Python writes it.
    assert all(repr(float(x)) in (x, x + ".0") for r in rows[1:] for x in r)


def check_log10n(directory):
    rows = start(directory, "--mode", 3, "--maxgen", 20, "--log10n-from", 2, "--log10n-to", 3,
                 "--iterations", 4, "--seed", 5, "--first-position", 8)
    assert rows[0] == ["log10n", "iteration", "seed", "position", "final_rplus"]
    expected = []
    size = None
    for line in report(directory, 2):
        if line.startswith("N ="):
            size = float(line[3:])
            iteration = 0
        elif line.strip():
            iteration += 1
            expected.append((size, iteration, float(line)))
    assert [(float(n), int(i), digits15(v)) for n, i, _, _, v in rows[1:]] == expected
    assert {seed for _, _, seed, _, _ in rows[1:]} == {"5"}
    # Each run's place in the whole sweep, which with the seed fixes its draws.
    assert [int(p) for _, _, _, p, _ in rows[1:]] == list(range(8, 8 + len(expected)))


def check_single(directory):
    rows = start(directory, "--mode", 1, "--maxgen", 25, "--log10n", 3, "--demes", 3, "--seed", 9)
    assert rows[0] == ["generation", "class", "haplotype", "frequency"]
    lines = [l for l in report(directory, 1)[1:] if l]
    assert len(rows) - 1 == len(lines) * 8
    for g, line in enumerate(lines, start=1):
        cumulative = [float(x) for x in line.split("\t") if x]
        block = rows[1 + (g - 1) * 8: 1 + g * 8]
        assert [r[:3] for r in block] == [[str(g), c, h] for c in ("R+", "R-")
                                          for h in ("ab", "Ab", "aB", "AB")]
        total = 0.0
        for r, c in zip(block, cumulative):
            total += float(r[3])
            assert digits15(total) == c, (g, r)
        assert all(float(r[3]) >= 0 for r in block)


with tempfile.TemporaryDirectory() as root:
    for check in (check_sk, check_log10n, check_single):
        directory = pathlib.Path(root) / check.__name__
        directory.mkdir()
        check(directory)
print("tables match the report files")
