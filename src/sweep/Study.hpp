#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "run/LoopExecutor.hpp"
#include "run/RunEnd.hpp"
#include "sweep/Sweep.hpp"

namespace recmod {

// A study: every run of a sweep from one set of base parameters. The base
// holds one value per parameter of the table (Parameters(), in its order,
// switches as 0 or 1, the number of loci included); the sweep's axes set
// their parameters run by run. With a finite population the drift switch is
// on and the exact-sampling switch chooses the scheme; with an infinite one
// both are off. This is all a study needs to be repeated: the command line,
// Python and a run record describe a study the same way.
struct Study {
  std::vector<double> base;
  Sweep sweep;

  // The base value of the parameter of that name (or alias).
  double Base(std::string_view name) const;
  double& Base(std::string_view name);
};

// The table's start values: a study of the window as it opens, with an
// infinite population and no axes.
Study DefaultStudy();

// Throws SweepError unless the study can run: every base value in its
// parameter's model domain, the axes distinct and over parameters a run
// holds, replicates >= 1 (and 1 with an infinite population), axes over the
// population size only with a finite one, at most `runLimit` runs.
void CheckStudy(const Study& study, std::int64_t runLimit);

// What a study tells its front end, in run order, one call at a time.
struct StudyObserver {
  std::function<void(std::int64_t run, const RunEnd& end)> consume;
  const std::atomic<bool>* stopRequested = nullptr;
};

// Carries out every run of the study through `executor` (side by side in the
// lanes where the axes allow): the same results, bit for bit, on any
// executor, thread count or vector path.
void RunStudy(const Study& study, LoopExecutor& executor, const StudyObserver& observer);

}  // namespace recmod
