"""The parameter table: the command line and the module list the same rows."""
import csv
import inspect
import io
import re
import subprocess

import pytest
import recmod
from conftest import BATCH

# The table's parameters that are no Settings keyword of their own name: the
# keyword that takes them, or None where Python takes them elsewhere.
NOT_OWN_KEYWORDS = {
    "ab": "linkage_disequilibrium", "Ab": "linkage_disequilibrium",
    "aB": "linkage_disequilibrium", "AB": "linkage_disequilibrium",
    "exact_sampling": "sampling",
    "iterations": None, "log10n_from": None, "log10n_to": None,  # sweep_log10n's arguments
    "interdemic_diffusion": None,  # follows demes
}


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


def test_every_parameter_of_the_table_is_a_settings_keyword_and_back():
    rows = {r["name"]: r for r in recmod.parameters()}
    signature = inspect.signature(recmod.Settings).parameters
    keywords = set(signature)
    assert keywords == set(recmod.Settings().as_dict())
    assert keywords - set(NOT_OWN_KEYWORDS.values()) == rows.keys() - NOT_OWN_KEYWORDS.keys() - {"linkage_disequilibrium"}
    assert set(NOT_OWN_KEYWORDS.values()) - {None} <= keywords
    # Numbers start from the table's start value.
    for name, parameter in signature.items():
        if type(parameter.default) in (int, float):
            assert parameter.default == float(rows[name]["default"]), name


def test_the_settings_docstring_and_messages_state_each_range_as_the_table_has_it():
    doc = recmod.Settings.__doc__
    keywords = recmod.Settings().as_dict()
    for row in recmod.parameters():
        name, window = row["name"], row["window range"]
        assert re.search(rf"^  {re.escape(name)}  \S", doc, re.M), name
        if not row["field"].isdigit():
            continue
        assert re.search(rf"^  {re.escape(name)}  {re.escape(window)}[ ,]", doc, re.M), name
        if type(keywords.get(name)) in (int, float):
            highest = window.split(" .. ")[1]
            above = type(keywords[name])(float(highest) * 2 + 1)
            with pytest.raises(ValueError, match=rf"^{name} = \S+ is outside its range \S+ \.\. {re.escape(highest)}$"):
                recmod.Settings(**{name: above})
