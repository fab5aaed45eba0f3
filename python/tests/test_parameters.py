"""The parameter table: the command line and the module list the same rows."""
import csv
import io
import subprocess

import recmod
from conftest import BATCH


def batch_text(*options):
    return subprocess.run([BATCH, *options], check=True, capture_output=True, text=True).stdout


def test_the_command_line_and_the_module_print_the_same_table():
    rows = list(csv.DictReader(io.StringIO(batch_text("--parameters")), delimiter="\t"))
    assert rows == recmod.parameters()
    assert [r["name"] for r in rows][:4] == ["u", "w", "S", "K"]


def test_the_table_covers_every_field_and_check_box_that_fields_shows():
    shown = [line.split("\t")[0] for line in batch_text("--fields").splitlines()]
    covered = {r["field"] for r in recmod.parameters()}
    inputs = [name for name in shown if not name.isdigit() or int(name) <= 20]
    assert inputs and set(inputs) - covered == set()
