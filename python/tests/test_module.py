"""The module against recmod-batch's report files, its checks and its stops."""
import signal
import threading

import numpy as np
import pytest
import recmod
from conftest import digits15, report_lines


def parse_sk_report(directory):
    """ReportFile2 of the loop over S and K: {(s_text, k): value}, in file order."""
    values = []
    for line in report_lines(directory / "ReportFile2.txt"):
        fields = line.split("\t")
        if len(fields) == 2 and not fields[1].startswith("u="):
            values.append(float(fields[1]))
    return np.array(values)


def parse_log10n_report(directory):
    blocks = []
    for line in report_lines(directory / "ReportFile2.txt"):
        if line.startswith("N ="):
            blocks.append([])
        elif line.strip():
            blocks[-1].append(float(line))
    return np.array(blocks)


SK_CASES = [
    # (settings, batch options, S, K)
    (dict(max_gen=60), ["--maxgen", 60], None, None),
    (dict(max_gen=80, loci=3, demes=3, diffusion=0.3),
     ["--maxgen", 80, "--loci", 3, "--demes", 3, "--diffusion", 0.3],
     [-0.2, -0.1], [0.8, 1.0, 1.2]),
]


@pytest.mark.parametrize("kwargs,options,S,K", SK_CASES)
def test_sweep_sk_has_the_batch_numbers(batch, kwargs, options, S, K):
    extra = []
    if S is not None:
        extra = ["--s-range", f"{S[0]}:{S[-1]}:0.1", "--k-range", f"{K[0]}:{K[-1]}:0.2"]
    report = parse_sk_report(batch("--mode", 2, *options, *extra))
    grid = recmod.sweep_sk(recmod.Settings(**kwargs), S, K, threads=2)
    default_s, default_k = recmod.default_sk_grid()
    assert grid.shape == ((len(default_s), len(default_k)) if S is None else (len(S), len(K)))
    assert [digits15(x) for x in grid.ravel()] == list(report)


RUN_CASES = [
    # (settings, finite, seed, batch options)
    (dict(max_gen=40), False, None, ["--mode", 0, "--maxgen", 40]),
    (dict(max_gen=40, loci=3, demes=4, S=-0.05, K=1.2), False, None,
     ["--mode", 0, "--maxgen", 40, "--loci", 3, "--demes", 4, "--S=-0.05", "--K", 1.2]),
    (dict(max_gen=50, log10n=3), True, 7, ["--mode", 1, "--maxgen", 50, "--log10n", 3, "--seed", 7]),
]


@pytest.mark.parametrize("kwargs,finite,seed,options", RUN_CASES)
def test_run_has_the_batch_numbers_and_sums_to_one(batch, kwargs, finite, seed, options):
    result = recmod.run(recmod.Settings(**kwargs), finite=finite, seed=seed)
    lines = [l for l in report_lines(batch(*options) / "ReportFile1.txt")[1:] if l]
    f = result.frequencies
    assert f.shape == (kwargs["max_gen"] + 1, 2, 2 ** kwargs.get("loci", 2))
    # ReportFile1 holds generations 1.. as running sums along R+ then R-.
    report = np.array([[float(x) for x in l.split("\t") if x] for l in lines])
    cumulative = np.cumsum(f[1:].reshape(len(f) - 1, -1), axis=1)
    assert np.vectorize(digits15)(cumulative).tolist() == report.tolist()
    assert np.all(f >= 0)
    np.testing.assert_allclose(f.sum(axis=(1, 2)), 1.0, rtol=0, atol=1e-12)
    assert f[0, 0].sum() == pytest.approx(recmod.Settings(**kwargs).R)
    assert result.rplus == cumulative[-1, f.shape[2] - 1]
    assert result.seed == seed


@pytest.mark.parametrize("kwargs,options", [
    (dict(max_gen=30), []),
    # Three inversions per run: every other run starts with S negated.
    (dict(max_gen=30, inversion=True, inversion_period=10),
     ["--tick", "InversionOfS", "--inversion-period", 10]),
])
def test_seeded_sweep_log10n_has_the_batch_numbers(batch, kwargs, options):
    directory = batch("--mode", 3, "--maxgen", kwargs["max_gen"], "--log10n-from", 2,
                      "--log10n-to", 3, "--iterations", 5, "--seed", 11, *options)
    rplus, seed = recmod.sweep_log10n(recmod.Settings(**kwargs), [2, 2.5, 3], 5, seed=11)
    assert seed == 11
    assert np.vectorize(digits15)(rplus).tolist() == parse_log10n_report(directory).tolist()


def test_threads_give_equal_arrays():
    settings = recmod.Settings(max_gen=40, loci=3)
    grids = [recmod.sweep_sk(settings, [0.05, 0.1, 0.15], [0.9, 1.1], threads=t) for t in (1, 3)]
    assert np.array_equal(*grids)
    sweeps = [recmod.sweep_log10n(settings, [2, 4], 6, seed=3, threads=t)[0] for t in (1, 3)]
    assert np.array_equal(*sweeps)
    # Distinct runs get distinct streams.
    assert len(np.unique(sweeps[0][0])) > 1


BAD_SETTINGS = [
    (dict(S=1.5), "S = 1.5 is outside its range -0.99 .. 1"),
    (dict(S=-1), "S = -1 is outside its range -0.99 .. 1"),
    (dict(u=0), "u = 0 is outside its range 1e-10 .. 0.0001"),
    (dict(K=0.5), "K = 0.5 is outside its range 0.6 .. 1.4"),
    (dict(R=1), "R = 1 is outside its range 0.01 .. 0.99"),
    (dict(z=float("nan")), "z = nan is outside"),
    (dict(demes=101), "demes = 101 is outside its range 1 .. 100"),
    (dict(max_gen=5), "max_gen = 5 is outside its range 10 .. 10000"),
    (dict(log10n=6.3), "log10n = 6.3 is not a whole or half number"),
    (dict(inversion_period=0), "inversion_period = 0 is outside its range 10 .. 10000"),
    (dict(loci=4), "loci = 4 must be 2 or 3"),
    (dict(sampling="exactly"), "must be \"draw\" or \"exact\""),
    (dict(sinusoidal=True), "sinusoidal=True needs inversion=True"),
    (dict(linkage_disequilibrium=(0.3, 0.2, 0.3, 0.3)), "must add up to 1, not 1.1"),
    (dict(linkage_disequilibrium=(0.25,) * 4, loci=3), "two loci only"),
    (dict(linkage_disequilibrium=(1.5, -0.5, 0, 0)), "linkage_disequilibrium = 1.5 is outside"),
]


@pytest.mark.parametrize("kwargs,message", BAD_SETTINGS)
def test_bad_settings_raise_value_error(kwargs, message):
    with pytest.raises(ValueError, match=message.replace(".", r"\.").replace("(", r"\(")):
        recmod.Settings(**kwargs)


@pytest.mark.parametrize("call,message", [
    (lambda s: recmod.sweep_sk(s, [0.3, 2.0], [1.0]), "S = 2 is outside"),
    (lambda s: recmod.sweep_sk(s, [0.1], [1.0], threads=0), "threads = 0"),
    (lambda s: recmod.sweep_log10n(s, [2, 21], 5), "log10n = 21 is outside its range 1 .. 20"),
    (lambda s: recmod.sweep_log10n(s, [2], 1), "iterations = 1 is outside its range 2 .. 10000"),
    (lambda s: s.replace(K=2), "K = 2 is outside"),
    (lambda s: s.replace(k=1), "no setting named k"),
])
def test_bad_arguments_raise_value_error(call, message):
    with pytest.raises(ValueError, match=message):
        call(recmod.Settings())


def test_replace_keeps_the_rest_and_start_up_values_are_the_windows():
    s = recmod.Settings()
    assert (s.u, s.S, s.K, s.R, s.max_gen, s.log10n, s.loci) == (1e-5, 0.1, 1.0, 0.5, 250, 6.0, 2)
    t = s.replace(K=1.1)
    assert t.K == 1.1 and t.replace(K=1.0) == s


def test_ctrl_c_stops_a_long_sweep_and_progress_is_called():
    seen = []
    timer = threading.Timer(0.5, signal.raise_signal, (signal.SIGINT,))
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        # Hours of work: only the interrupt ends it.
        recmod.sweep_sk(recmod.Settings(max_gen=10000, loci=3, demes=100), threads=2,
                        progress=lambda done, total: seen.append((done, total)))
    timer.join()
    assert seen and all(total == 820 for _, total in seen)
    # The module works on after an interrupt.
    assert recmod.run(recmod.Settings(max_gen=10)).frequencies.shape == (11, 2, 4)


@pytest.mark.parametrize("option,grid,count", [
    # By repeated addition these ended at 1.4000000000000001 and 1.2000000000000002.
    ("--k-range", "0.6:1.4:0.1", 9),
    ("--k-range", "0.8:1.2:0.1", 5),
    ("--s-range", "-0.2:-0.05:0.05", 4),
])
def test_batch_sweep_grid_stays_in_its_range(batch, tmp_path, option, grid, count):
    table = tmp_path / "table.csv"
    other = "--s-range" if option == "--k-range" else "--k-range"
    batch("--mode", 2, "--maxgen", 10, option, grid, other, "1:1:0.1", "--table", table)
    column = 1 if option == "--k-range" else 0
    values = [float(line.split(",")[column]) for line in table.read_text().splitlines()[1:]]
    first, last, step = map(float, grid.split(":"))
    assert len(values) == count and values[0] == first and values[-1] == last
    assert all(first <= v <= last for v in values)
    assert values == [min(first + i * step, last) for i in range(count)]
    # Every value is one the module's own range check takes.
    for v in values:
        recmod.Settings(**{"K" if column else "S": v})
