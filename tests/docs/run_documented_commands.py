#!/usr/bin/env python3
"""Runs every recmod-batch command that README.md and docs/*.md show, so that
a documented command that stops working fails the tests.

Usage: run_documented_commands.py PROGRAM SOURCE_DIR [--without-pictures]

With --without-pictures (a build without Qt, where --plot and --replot only
say that pictures are unavailable) the commands that draw are skipped.

Which commands: every command in a fenced ```sh (or ```bash, ```shell) block
whose first word is `recmod-batch` or `build/bin/recmod-batch`. Lines ending
in a backslash are joined with the next; `# ...` comments are dropped.
Commands of other programs (mpirun, python3, scripts/...) are not run.

Where: each document's commands run in order, in a fresh temporary
directory of their own, with PROGRAM in place of the documented path. The
directory holds an empty docs/ so that `--plot docs/x.png` lands there and
never in the checkout, and every argument that starts with /tmp/ is moved
below it (a later command that reads /tmp/out finds what an earlier one
wrote there). The directory named by --dir is created first.

Markers: a comment line directly above a command changes it for the test.
    # doc-test: skip              do not run the next command
    # doc-test: --maxgen 20 ...   set these options (replacing the value the
                                  command gives, or adding the option), to keep
                                  long documented runs short

A command fails when it exits with a status other than 0; the test then
names the document, the line and the command, and shows its stderr.

Excerpts: an HTML comment `<!-- doc-test: expect FILE -->` directly above a
```text block says that the block is the beginning of FILE as the commands
above it in the document left it, written with `→` for a TAB and `↵` for
CR LF (every line must show its `↵`); a line `...` ends the excerpt. So the
report lines a document quotes are checked byte for byte.

Python: after a document's commands, each of its ```python blocks is saved
and run as `python3 BLOCK.py .` in the same directory, so that a reader
shown beside the commands must read the files they wrote.
"""
import os
import re
import shlex
import subprocess
import sys
import tempfile
import time
from pathlib import Path

PROGRAM_NAMES = {"recmod-batch", "build/bin/recmod-batch"}
FENCE = re.compile(r"^```\s*(sh|bash|shell)\s*$")
MARKER = re.compile(r"^\s*#\s*doc-test:\s*(.*?)\s*$")
EXPECT = re.compile(r"^<!--\s*doc-test:\s*expect\s+(\S+)\s*-->\s*$")
TIMEOUT_SECONDS = 300


def documented_commands(path):
    """(line number, words, marker or None) for every recmod-batch command."""
    commands = []
    in_block = False
    marker = None
    pending, pending_line = "", 0
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), start=1):
        if not in_block:
            in_block = bool(FENCE.match(line))
            marker = None
            continue
        if line.startswith("```"):
            in_block = False
            continue
        if not pending:
            found = MARKER.match(line)
            if found:
                marker = found.group(1)
                continue
            pending_line = number
        if line.rstrip().endswith("\\"):
            pending += line.rstrip()[:-1] + " "
            continue
        text, pending = pending + line, ""
        try:
            words = shlex.split(text, comments=True)
        except ValueError:  # a quoted text that goes on over the next lines
            pending = text + "\n"
            continue
        if words and words[0] in PROGRAM_NAMES:
            commands.append((pending_line, words, marker))
        if words:
            marker = None
    return commands


def expected_excerpts(path):
    """(line number, file name, expected first bytes) of every excerpt."""
    excerpts, target, current, start, in_fence = [], None, None, 0, False

    def finish():
        text = "".join(current).replace("→", "\t").replace("↵", "\r\n")
        excerpts.append((start, target_of_block, text.encode("ascii")))

    target_of_block = None
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), start=1):
        if in_fence:
            if line.startswith("```") or (current is not None and line.strip() == "..."):
                if current is not None:
                    finish()
                    current = None
                in_fence = not line.startswith("```")
            elif current is not None:
                current.append(line)
            continue
        if line.startswith("```"):
            in_fence = True
            if target and re.match(r"^```\s*text\s*$", line):
                current, start, target_of_block = [], number, target
            target = None
            continue
        found = EXPECT.match(line)
        if found:
            target = found.group(1)
        elif line.strip():
            target = None
    return excerpts


def check_excerpt(directory, name, expected):
    """None when the file begins with the expected bytes, else the problem."""
    path = directory / name
    if not path.exists():
        return f"{name} does not exist"
    actual = path.read_bytes()
    if actual.startswith(expected):
        return None
    for number, (want, have) in enumerate(
            zip(expected.split(b"\r\n"), actual.split(b"\r\n")), start=1):
        if want != have:
            return f"{name} line {number} is {have!r}, the document shows {want!r}"
    return f"{name} is shorter than the document shows"


def option_name(word):
    return word.split("=", 1)[0] if word.startswith("--") else None


def python_blocks(path):
    """(line number, text) of every ```python block."""
    blocks, current, start = [], None, 0
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), start=1):
        if current is None:
            if re.match(r"^```\s*python\s*$", line):
                current, start = [], number
        elif line.startswith("```"):
            blocks.append((start, "\n".join(current) + "\n"))
            current = None
        else:
            current.append(line)
    return blocks


def apply_marker(words, marker):
    """Sets each `--option value` of the marker in the command."""
    changes = shlex.split(marker)
    result = list(words)
    i = 0
    while i < len(changes):
        name = changes[i]
        value = changes[i + 1] if i + 1 < len(changes) else ""
        i += 2
        for j, word in enumerate(result):
            if word == name and j + 1 < len(result):
                result[j + 1] = value
                break
            if word.startswith(name + "="):
                result[j] = name + "=" + value
                break
        else:
            result += [name, value]
    return result


def relocate(words, directory):
    """Moves /tmp/ paths below the test directory and creates --dir."""
    moved = [str(directory) + w if w.startswith("/tmp/") or w == "/tmp" else w for w in words]
    for j, word in enumerate(moved):
        target = None
        if word == "--dir" and j + 1 < len(moved):
            target = moved[j + 1]
        elif word.startswith("--dir="):
            target = word[len("--dir="):]
        if target and target not in ("C:", "C:\\", "C:/"):
            (directory / target).mkdir(parents=True, exist_ok=True)
    return moved


def main():
    if len(sys.argv) not in (3, 4) or sys.argv[3:] not in ([], ["--without-pictures"]):
        print(__doc__, file=sys.stderr)
        return 2
    pictures = sys.argv[3:] != ["--without-pictures"]
    program = str(Path(sys.argv[1]).resolve())
    source = Path(sys.argv[2])
    documents = [source / "README.md"] + sorted((source / "docs").glob("*.md"))
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    failures, run, skipped = [], 0, 0
    for document in documents:
        commands = documented_commands(document)
        if not commands:
            continue
        with tempfile.TemporaryDirectory(prefix="recmod-doc-test-") as temporary:
            directory = Path(temporary)
            (directory / "docs").mkdir()
            excerpts = expected_excerpts(document)

            def check_excerpts_above(limit):
                nonlocal run
                while excerpts and excerpts[0][0] < limit:
                    line, name, expected = excerpts.pop(0)
                    where = f"{document.relative_to(source)}:{line}"
                    problem = check_excerpt(directory, name, expected)
                    run += 1
                    print(f"{'ok  ' if problem is None else 'FAIL'}  {where}: excerpt of {name}")
                    if problem:
                        failures.append((where, f"excerpt of {name}", "differs", problem))

            for line, words, marker in commands:
                check_excerpts_above(line)
                where = f"{document.relative_to(source)}:{line}"
                shown = shlex.join(words)
                draws = any(option_name(w) in ("--plot", "--replot") for w in words)
                if marker == "skip" or (draws and not pictures):
                    skipped += 1
                    print(f"skip  {where}: {shown}")
                    continue
                if marker:
                    words = apply_marker(words, marker)
                arguments = [program] + relocate(words[1:], directory)
                started = time.monotonic()
                try:
                    done = subprocess.run(arguments, cwd=directory, env=environment,
                                          capture_output=True, text=True,
                                          timeout=TIMEOUT_SECONDS)
                    status, errors = done.returncode, done.stderr
                except subprocess.TimeoutExpired:
                    status, errors = "timeout", f"no end after {TIMEOUT_SECONDS} s"
                run += 1
                seconds = time.monotonic() - started
                if marker:
                    shown += "  (run as: " + shlex.join(words) + ")"
                print(f"{'ok  ' if status == 0 else 'FAIL'}  {where} ({seconds:.1f} s): {shown}")
                if status != 0:
                    failures.append((where, shown, status, errors))
            check_excerpts_above(float("inf"))
            for line, text in python_blocks(document):
                where = f"{document.relative_to(source)}:{line}"
                script = directory / f"doc_block_{line}.py"
                script.write_text(text, encoding="utf-8")
                done = subprocess.run([sys.executable, script.name, "."], cwd=directory,
                                      capture_output=True, text=True, timeout=TIMEOUT_SECONDS)
                run += 1
                print(f"{'ok  ' if done.returncode == 0 else 'FAIL'}  {where}: python block")
                if done.returncode != 0:
                    failures.append((where, "python block", done.returncode, done.stderr))
    for where, shown, status, errors in failures:
        outcome = f"exit status {status}" if isinstance(status, int) else status
        print(f"\n{where}: {outcome}: {shown}\n{errors.rstrip()}", file=sys.stderr)
    print(f"\n{run} documented commands run, {skipped} skipped, {len(failures)} failed")
    if run == 0:
        print("no documented command found: the extraction is broken", file=sys.stderr)
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
