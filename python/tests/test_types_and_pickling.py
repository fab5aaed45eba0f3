"""Arguments of the wrong type are refused, and what the module returns crosses processes."""
import multiprocessing
import pickle

import numpy as np
import pytest
import recmod

SETTINGS = recmod.Settings(max_gen=20)

WRONG_TYPES = [
    # A bool is not a number, nor a whole number.
    (lambda: recmod.Settings(S=True), "S must be a number, not bool"),
    (lambda: recmod.Settings(u=np.bool_(False)), "u must be a number, not bool"),
    (lambda: recmod.Settings(demes=True), "demes must be a whole number"),
    (lambda: recmod.Settings(max_gen=250.0), "max_gen must be a whole number"),
    (lambda: recmod.Settings(linkage_disequilibrium=(1, 0, 0, False)), "must be a number, not bool"),
    (lambda: recmod.Settings(S="0.1"), "S must be a number, not str"),
    # Switches take True or False only.
    (lambda: recmod.Settings(recombination=None), "recombination must be True or False, not NoneType"),
    (lambda: recmod.Settings(recombination=0.5), "recombination must be True or False, not float"),
    (lambda: recmod.Settings(inversion=1), "inversion must be True or False, not int"),
    (lambda: recmod.Settings(drift=0), "drift must be None, True or False"),
    (lambda: recmod.run(SETTINGS, finite=2), "finite must be True or False, not int"),
    (lambda: recmod.run(SETTINGS, finite=None), "finite must be True or False"),
    # Counts and seeds are ints, not bools.
    (lambda: recmod.sweep_sk(SETTINGS, [0.1], [1.0], threads=True), "threads must be a whole number"),
    (lambda: recmod.sweep_log10n(SETTINGS, [2], True), "iterations must be a whole number"),
    (lambda: recmod.sweep_log10n(SETTINGS, [True], 2), "log10n must be a number, not bool"),
    (lambda: recmod.sweep_sk(SETTINGS, [0.1, True], [1.0]), "S must be a number, not bool"),
    (lambda: recmod.sweep_sk(SETTINGS, "0.1", [1.0]), "S must be a sequence of numbers"),
    (lambda: recmod.run(SETTINGS, True, seed=True), "seed must be None or an int, not bool"),
    (lambda: recmod.sweep_log10n(SETTINGS, [2], 2, seed=1.5), "seed must be None or an int"),
    # Keywords only, and only the table's.
    (lambda: recmod.Settings(0.1), "Settings\\(\\) takes keyword arguments only"),
    (lambda: recmod.Settings(maxgen=10), "unexpected keyword argument 'maxgen' \\(did you mean 'max_gen'\\?\\)"),
    (lambda: recmod.Settings(iterations=10), "unexpected keyword argument 'iterations' \\(not a setting: sweep_log10n"),
]


@pytest.mark.parametrize("call,message", WRONG_TYPES)
def test_wrong_types_raise_type_error(call, message):
    with pytest.raises(TypeError, match=message):
        call()


@pytest.mark.parametrize("call,message", [
    (lambda: recmod.run(SETTINGS, True, seed=-1), r"seed = -1 is outside its range 0 \.\. 2\*\*64 - 1"),
    (lambda: recmod.run(SETTINGS, True, seed=2 ** 64), "seed = 18446744073709551616 is outside"),
    # A huge int is named, not echoed in full.
    (lambda: recmod.Settings(S=10 ** 400), r"^S is an int too large for any setting \(its range is -0\.99 \.\. 1\)$"),
    (lambda: recmod.Settings(demes=10 ** 30), r"demes is an int too large .* 1 \.\. 100"),
    (lambda: recmod.sweep_sk(SETTINGS, [0.1], [1.0], threads=2000), r"threads = 2000 is outside its range 1 \.\. 1024"),
    (lambda: recmod.Settings(linkage_disequilibrium=(0.5, 0.5)), "must hold four numbers, not 2"),
])
def test_values_outside_their_range_raise_value_error(call, message):
    with pytest.raises(ValueError, match=message):
        call()


def test_numbers_of_every_numeric_type_are_taken_as_their_value():
    s = recmod.Settings(S=np.float64(0.05), K=1, demes=np.int64(2), max_gen=np.int32(20), recombination=np.bool_(True))
    assert (s.S, s.K, s.demes, s.max_gen, s.recombination) == (0.05, 1.0, 2, 20, True)
    assert recmod.sweep_sk(SETTINGS, np.array([0.1, 0.2]), [np.int64(1)]).shape == (2, 1)


def test_settings_equal_only_settings():
    s = recmod.Settings(S=1, K=1)
    assert s == recmod.Settings(S=1.0, K=1.0)
    assert not (s == 5) and s != 5 and s != None and s != s.as_dict()  # noqa: E711
    assert s != s.replace(K=1.1)


def test_the_sweep_docstring_states_the_ranges_its_checks_apply():
    assert "an int from 2 to 10000" in recmod.sweep_log10n.__doc__
    with pytest.raises(ValueError, match=r"iterations = 1 is outside its range 2 \.\. 10000"):
        recmod.sweep_log10n(SETTINGS, [2], 1)
    recmod.sweep_log10n(SETTINGS, [2], 2, seed=1)


def test_settings_and_results_survive_pickling():
    s = recmod.Settings(S=-0.05, K=1.2, loci=3, drift=True, sampling="exact", max_gen=20)
    assert pickle.loads(pickle.dumps(s)) == s
    ld = recmod.Settings(linkage_disequilibrium=(0.25, 0.25, 0.25, 0.25))
    assert pickle.loads(pickle.dumps(ld)) == ld
    run = recmod.run(s, True, seed=5)
    back = pickle.loads(pickle.dumps(run))
    assert (back.rplus, back.seed, back.settings) == (run.rplus, run.seed, run.settings)
    assert np.array_equal(back.frequencies, run.frequencies)
    grid = recmod.sweep_sk(SETTINGS, [0.1, 0.2], [0.9, 1.1])
    assert np.array_equal(pickle.loads(pickle.dumps(grid)), grid)
    sweep = recmod.sweep_log10n(SETTINGS, [2, 3], 3, seed=4)
    back_sweep = pickle.loads(pickle.dumps(sweep))
    assert np.array_equal(back_sweep[0], sweep[0]) and back_sweep[1] == sweep[1]


def run_in_worker(settings):
    """A run in another process: settings in, RunResult and sweep out."""
    return recmod.run(settings, True, seed=9), recmod.sweep_sk(settings, [0.1], [0.9, 1.1], threads=1)


def test_spawned_processes_take_settings_and_return_results():
    settings = [recmod.Settings(max_gen=20, S=s) for s in (0.05, 0.1)]
    with multiprocessing.get_context("spawn").Pool(2) as pool:
        results = pool.map(run_in_worker, settings)
    for s, (run, grid) in zip(settings, results):
        here_run, here_grid = run_in_worker(s)
        assert run.settings == s and run.rplus == here_run.rplus
        assert np.array_equal(run.frequencies, here_run.frequencies)
        assert np.array_equal(grid, here_grid)
