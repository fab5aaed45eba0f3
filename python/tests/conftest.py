"""Helpers shared by the module's tests: recmod-batch and its report files."""
import os
import pathlib
import subprocess

import pytest

BATCH = os.environ.get("RECMOD_BATCH", str(pathlib.Path(__file__).resolve().parents[2] / "build/bin/recmod-batch"))


@pytest.fixture
def batch(tmp_path):
    """Runs recmod-batch with the given options into a fresh directory; returns it."""
    def run(*options):
        out = tmp_path / f"run{len(list(tmp_path.iterdir()))}"
        out.mkdir()
        subprocess.run([BATCH, "--quiet", "--dir", str(out), *map(str, options)], check=True,
                       stdout=subprocess.DEVNULL)
        return out
    return run


def report_lines(path):
    return path.read_text().split("\n")


def digits15(x):
    """A double as the report files print it: 15 significant digits, read back."""
    return float(f"{x:.15g}")
