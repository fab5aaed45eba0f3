#pragma once

#include <pybind11/pybind11.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "ModuleRuns.hpp"
#include "run/RunOutputs.hpp"

namespace recmod::python {

// Runs `compute` on a thread of its own with the GIL released, while the
// calling thread looks for Ctrl-C and calls `progress(done, total)` a few
// times a second. A pending signal (or an exception from `progress`) asks the
// computation to stop after its current generation and is raised here.
template <typename Compute>
auto Watched(Compute compute, const pybind11::object& progress)
    -> decltype(compute(std::declval<RunWatch&>())) {
  using Result = decltype(compute(std::declval<RunWatch&>()));
  RunWatch watch;
  std::optional<Result> result;
  std::exception_ptr failure;
  std::optional<pybind11::error_already_set> pythonError;
  std::mutex mutex;
  std::condition_variable finishedChanged;
  bool finished = false;
  std::int64_t reported = -1;
  {
    pybind11::gil_scoped_release release;
    std::thread worker([&] {
      try {
        result.emplace(compute(watch));
      } catch (...) {
        failure = std::current_exception();
      }
      const std::lock_guard<std::mutex> lock(mutex);
      finished = true;
      finishedChanged.notify_all();
    });
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(mutex);
        if (finishedChanged.wait_for(lock, std::chrono::milliseconds(50),
                                     [&] { return finished; })) {
          break;
        }
      }
      if (pythonError) continue;
      const pybind11::gil_scoped_acquire acquire;
      try {
        if (PyErr_CheckSignals() != 0) throw pybind11::error_already_set();
        const std::int64_t done = watch.done.load();
        if (!progress.is_none() && done != reported) {
          reported = done;
          progress(done, watch.total.load());
        }
      } catch (pybind11::error_already_set& error) {
        pythonError.emplace(std::move(error));
        watch.stop = true;
      }
    }
    worker.join();
  }
  if (pythonError) throw std::move(*pythonError);
  if (failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const StartStopped&) {
      // Not reached: a stop always has its reason, kept above.
      PyErr_SetNone(PyExc_KeyboardInterrupt);
      throw pybind11::error_already_set();
    }
  }
  if (!progress.is_none() && watch.done.load() != reported) {
    progress(watch.done.load(), watch.total.load());
  }
  return std::move(*result);
}

}  // namespace recmod::python
