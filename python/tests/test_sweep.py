"""recmod.sweep: its tables, its checks, its record, and its agreement with the loops and
recmod-batch."""
import json
import math
import pickle
import subprocess
import sys
import warnings

import numpy as np
import pytest
import recmod
from conftest import BATCH


def batch_has_studies():
    help_text = subprocess.run([BATCH, "--help"], capture_output=True, text=True).stdout
    return "--sweep" in help_text


needs_batch_studies = pytest.mark.skipif(not batch_has_studies(),
                                         reason="this recmod-batch runs no studies")

SHORT = recmod.Settings(max_gen=30)


def test_run_table_and_summary_have_their_columns_in_run_order():
    # u beyond the window's range, inside the model's domain: taken, with one warning.
    with pytest.warns(UserWarning, match=r"u = 0\.001 is outside the window's range 1e-10 \.\. "
                                         r"0\.0001; a study takes any value") as seen:
        result = recmod.sweep(SHORT, {"u": np.array([1e-5, 0, 1e-3])[::2], "K": range(1, 4)})
    assert len(seen) == 1 and "K = 2 is outside" in str(seen[0].message)
    runs = result.runs
    assert runs.dtype.names == ("run", "u", "K", "replicate", "seed", "rplus", "outcome",
                                "generation")
    assert [runs.dtype[n].kind + str(runs.dtype[n].itemsize) for n in runs.dtype.names] == [
        "i8", "f8", "f8", "i8", "u8", "f8", "i1", "i4"]
    # The first axis varies slowest.
    assert runs["u"].tolist() == [1e-5] * 3 + [1e-3] * 3
    assert runs["K"].tolist() == [1.0, 2.0, 3.0] * 2
    assert runs["run"].tolist() == list(range(6)) and not runs["replicate"].any()
    # Without drift: no seed, every run segregating.
    assert result.seed is None and not runs["seed"].any()
    assert recmod.OUTCOMES[0] == "segregating" and not runs["outcome"].any()
    assert (runs["generation"] == -1).all()
    assert ((runs["rplus"] > 0) & (runs["rplus"] < 1)).all()
    summary = result.summary()
    assert summary.dtype.names == ("u", "K", "n", "mean", "sd", "se", "fixed", "fixed_low",
                                   "fixed_high", "lost", "lost_low", "lost_high",
                                   "mean_fixation_generation")
    assert summary["mean"].tolist() == runs["rplus"].tolist() and (summary["n"] == 1).all()
    assert not summary["sd"].any() and np.isnan(summary["mean_fixation_generation"]).all()
    assert list(result.axes) == ["u", "K"] and result.axes["K"].tolist() == [1, 2, 3]
    assert result.to_csv().startswith("run,u,K,replicate,seed,rplus,outcome,generation\n0,")


def test_sweep_over_s_and_k_and_over_log10n_give_the_loops_numbers():
    S, K = [-0.1, 0.05, 0.1], [0.8, 1.2]
    rplus = recmod.sweep(SHORT, {"S": S, "K": K}).runs["rplus"]
    assert rplus.reshape(3, 2).tolist() == recmod.sweep_sk(SHORT, S, K).tolist()
    finite = recmod.sweep(SHORT, {"log10n": [2, 2.5]}, 4, "finite", seed=11)
    assert finite.seed == 11 and (finite.runs["seed"] == 11).all()
    assert finite.runs["replicate"].tolist() == [0, 1, 2, 3] * 2
    loop, _ = recmod.sweep_log10n(SHORT, [2, 2.5], 4, seed=11)
    assert finite.runs["rplus"].reshape(2, 4).tolist() == loop.tolist()


def test_threads_seed_and_pickling_keep_every_byte():
    settings = recmod.Settings(max_gen=40, loci=3)
    axes = {"S": [0.05, 0.1], "demes": [1, 2]}
    results = [recmod.sweep(settings, axes, 3, "finite", "exact", seed=5, threads=t)
               for t in (1, 2)]
    assert results[0].to_csv() == results[1].to_csv()
    assert results[0].sampling == "exact" and len(np.unique(results[0].runs["rplus"])) > 1
    again = pickle.loads(pickle.dumps(results[0]))
    assert again.to_csv() == results[0].to_csv()
    assert again.summary_csv() == results[0].summary_csv()
    assert (again.seed, again.settings, again.population) == (5, settings, "finite")


BAD_SWEEPS = [
    # (axes, keywords, exception, message)
    ({"mu": [1e-5]}, {}, ValueError, r"no parameter 'mu' \(did you mean 'u'\?\)"),
    ({"max_gen": [10], "maxgen": [20]}, {}, ValueError, "max_gen is an axis twice"),
    ({"S": []}, {}, ValueError, "S: the list of values is empty"),
    ({"S": [0.1, math.nan]}, {}, ValueError, "S = nan is outside its model domain"),
    ({"S": [-1]}, {}, ValueError, r"S = -1 is outside its model domain \(-1, inf\)"),
    ({"demes": [2.5]}, {}, ValueError, "demes = 2.5 is outside its model domain"),
    ({"log10n": [2]}, {}, ValueError, "an axis over log10n needs a finite population"),
    ({"drift": [0, 1]}, dict(population="finite"), ValueError, "drift cannot be an axis"),
    ({}, dict(replicates=0, population="finite"), ValueError, "replicates = 0 must be at least 1"),
    ({}, dict(replicates=2), ValueError, "replicates = 2 needs population=\"finite\""),
    ({"S": np.zeros(3001) + 0.1}, dict(replicates=4000, population="finite"), ValueError,
     r"12004000 runs, more than 10\*\*7; force=True"),
    ({}, dict(population="huge"), ValueError, "population = \"huge\" must be"),
    ({}, dict(population="finite", sampling="exactly"), ValueError, "sampling = \"exactly\""),
    ({}, dict(sampling="exact"), ValueError, "sampling=\"exact\" needs population=\"finite\""),
    ({}, dict(seed=3), ValueError, "a seed needs population=\"finite\""),
    ({"S": 0.1}, {}, TypeError, r"axes\['S'\] must be an iterable of numbers, not float"),
    ({"S": "0.1"}, {}, TypeError, r"axes\['S'\] must be an iterable"),
    ({"S": [True]}, {}, TypeError, r"axes\['S'\] must be a number, not bool"),
    ({"S": np.array([[0.1]])}, {}, ValueError, "must be one-dimensional"),
    ({1: [0.1]}, {}, TypeError, "a parameter name must be a str"),
    ([("S", [0.1])], {}, TypeError, "axes must be a dict"),
    ({}, dict(replicates=1.0), TypeError, "replicates must be a whole number"),
]

BAD_RECORD_NAMES = [
    (dict(table="out/table.csv"), "must be a plain file name"),
    (dict(summary=".."), "must be a plain file name"),
    (dict(table="recmod-run.json"), "not the record's own"),
    (dict(table="t.csv", summary="t.csv"), "different file names"),
]


@pytest.mark.parametrize("axes,keywords,error,message", BAD_SWEEPS)
def test_bad_sweeps_are_refused_before_any_run(axes, keywords, error, message):
    with pytest.raises(error, match=message):
        recmod.sweep(SHORT, axes, **keywords)


@pytest.mark.parametrize("names,message", BAD_RECORD_NAMES)
def test_a_record_names_files_that_a_repeat_can_write(tmp_path, names, message):
    result = recmod.sweep(SHORT, {"S": [0.1]})
    with pytest.raises(ValueError, match=message):
        result.save_record(tmp_path, **names)
    assert not list(tmp_path.iterdir())


def test_pandas_frames_and_a_clear_error_without_pandas(monkeypatch):
    result = recmod.sweep(SHORT, {"S": [0.05, 0.1]})
    pandas = pytest.importorskip("pandas")
    frame = result.to_pandas()
    assert list(frame["outcome"]) == ["segregating"] * 2 and frame["seed"].isna().all()
    assert frame["rplus"].tolist() == result.runs["rplus"].tolist()
    assert isinstance(result.to_pandas(summary=True), pandas.DataFrame)
    monkeypatch.setitem(sys.modules, "pandas", None)
    with pytest.raises(ImportError, match="needs pandas"):
        result.to_pandas()


STUDIES = [
    # (settings, axes, sweep keywords, recmod-batch options of the same study)
    (dict(max_gen=30), {"u": [1e-5, 1e-3], "K": [0.8, 1.2]}, {},
     ["--maxgen", 30, "--sweep", "u=1e-5,1e-3", "--sweep", "K=0.8,1.2"]),
    (dict(max_gen=60, log10n=2), {"S": [0, 0.1]}, dict(replicates=5, population="finite", seed=9),
     ["--maxgen", 60, "--log10n", 2, "--sweep", "S=0,0.1", "--replicates", 5,
      "--population", "finite", "--seed", 9]),
]


@needs_batch_studies
@pytest.mark.filterwarnings("ignore:u = 0.001 is outside the window's range")
@pytest.mark.parametrize("kwargs,axes,keywords,options", STUDIES)
def test_batch_makes_the_same_tables_and_repeats_the_python_record(tmp_path, kwargs, axes,
                                                                   keywords, options):
    result = recmod.sweep(recmod.Settings(**kwargs), axes, **keywords)
    result.to_csv(tmp_path / "table.csv")
    result.summary_csv(str(tmp_path / "summary.csv"))
    record = result.save_record(tmp_path)
    assert json.loads(open(record).read()) == result.record()
    assert result.record()["kind"] == "study" and result.record()["front_end"] == "python"
    again, cli = tmp_path / "again", tmp_path / "cli"
    for directory in (again, cli):
        directory.mkdir()
    subprocess.run([BATCH, "--quiet", "--repeat", record, "--dir", again], check=True)
    subprocess.run([BATCH, "--quiet", "--dir", cli, *map(str, options), "--table",
                    cli / "table.csv", "--summary", cli / "summary.csv"], check=True)
    for name in ("table.csv", "summary.csv"):
        made = (tmp_path / name).read_bytes()
        assert (again / name).read_bytes() == made and (cli / name).read_bytes() == made


def test_a_neutral_modifier_fixes_as_often_as_it_starts():
    # S = 0: no haplotype is fitter, so R+ gains nothing by recombining. Under exact
    # Wright-Fisher sampling its mean frequency stays R = 0.3 and it fixes with probability R;
    # with N = 10 every run ends within the 400 generations.
    n = 4000
    settings = recmod.Settings(S=0, u=1e-10, w=1e-10, R=0.3, log10n=1, max_gen=400)
    result = recmod.sweep(settings, {}, n, "finite", "exact", seed=2024)
    (point,) = result.summary()
    se = math.sqrt(0.3 * 0.7 / n)
    assert point["n"] == n and abs(point["mean"] - 0.3) < 3 * point["se"]
    assert point["lost"] + point["fixed"] > 0.99
    assert abs(point["fixed"] - 0.3) < 3 * se
    assert point["fixed_low"] < point["fixed"] < point["fixed_high"]
    runs = result.runs
    fixed = runs["outcome"] == recmod.OUTCOMES.index("fixed")
    assert (runs["rplus"][fixed] == 1).all() and (runs["generation"][fixed] > 0).all()
    assert point["mean_fixation_generation"] == pytest.approx(runs["generation"][fixed].mean())
    # The test tells a biased drift apart: the draw scheme loses R+ more often (docs/model.md).
    (drawn,) = recmod.sweep(settings, {}, n, "finite", "draw", seed=2024).summary()
    assert drawn["fixed"] < 0.3 - 3 * se


def test_a_run_records_how_to_repeat_it():
    settings = recmod.Settings(max_gen=40, log10n=3)
    first = recmod.run(settings, finite=True)
    record = first.record()
    assert (record["kind"], record["front_end"], record["population"]) == ("run", "python",
                                                                            "finite")
    again = recmod.run(recmod.Settings(**record["settings"]),
                       finite=record["population"] == "finite", seed=record["seed"])
    assert again.rplus == first.rplus == record["rplus"]
    assert json.loads(json.dumps(record)) == record


@pytest.mark.parametrize("write", [
    lambda study, path: study.to_csv(path),
    lambda study, path: study.summary_csv(path),
    lambda study, path: study.save_record(path),
], ids=["table", "summary", "record"])
def test_writers_refuse_a_link_or_a_fifo_and_leave_the_old_file_whole(tmp_path, write):
    import os
    study = recmod.sweep(SHORT, {"K": [0.6, 1.0]})
    target = tmp_path / "target"
    target.write_text("kept")
    os.symlink(target, tmp_path / "link.csv")
    os.mkfifo(tmp_path / "fifo.csv")
    for name, kind in (("link.csv", "a link"), ("fifo.csv", "a FIFO")):
        with pytest.raises(OSError, match=f"{kind} is in the way"):
            write(study, tmp_path / name)
    assert target.read_text() == "kept"
    write(study, tmp_path / "new.csv")
    assert sorted(p.name for p in tmp_path.iterdir()) == ["fifo.csv", "link.csv", "new.csv",
                                                         "target"]
