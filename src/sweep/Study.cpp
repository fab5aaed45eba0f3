#include "sweep/Study.hpp"

#include <stdexcept>
#include <string>

#include "numbers/ShortestNumber.hpp"
#include "run/Engine.hpp"
#include "run/PrepareEngine.hpp"
#include "run/RunInputs.hpp"
#include "sweep/RunSweep.hpp"
#include "sweep/SweepAxisCheck.hpp"

namespace recmod {

namespace {

std::size_t IndexOf(std::string_view name) {
  const ParameterInfo* parameter = FindParameter(name);
  if (parameter == nullptr) throw std::out_of_range("no parameter " + std::string(name));
  return static_cast<std::size_t>(parameter - Parameters().data());
}

// The population decides the drift switch; a study cannot sweep it.
bool SetByThePopulation(const ParameterInfo& parameter) {
  return parameter.name == "drift";
}

// The parameters that only a finite population reads.
bool OnlyFiniteReads(const ParameterInfo& parameter) {
  return parameter.name == "log10n" || parameter.name == "exact_sampling";
}

// The inputs every run of the study starts from: the base values, with the
// switches of drift as the population has them.
RunInputs BaseInputs(const Study& study) {
  RunInputs inputs;
  const auto parameters = Parameters();
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    if (parameters[i].apply != nullptr) parameters[i].apply(inputs, study.base[i]);
  }
  const bool finite = study.sweep.finitePopulation;
  inputs.switches.GeneticDrift = finite;
  if (!finite) inputs.switches.ExactSampling = false;
  // The sinusoid's amplitude is the S the runs start from.
  inputs.SAmplitude = inputs.params.S;
  return inputs;
}

}  // namespace

double Study::Base(std::string_view name) const {
  return base.at(IndexOf(name));
}

double& Study::Base(std::string_view name) {
  return base.at(IndexOf(name));
}

Study DefaultStudy() {
  Study study;
  for (const ParameterInfo& parameter : Parameters()) study.base.push_back(parameter.startValue);
  return study;
}

void CheckStudy(const Study& study, std::int64_t runLimit) {
  const auto parameters = Parameters();
  if (study.base.size() != parameters.size()) {
    throw SweepError("the study has " + std::to_string(study.base.size()) +
                     " base values; the table has " + std::to_string(parameters.size()) +
                     " parameters");
  }
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    if (!InDomain(parameters[i], study.base[i])) {
      throw SweepError(std::string(parameters[i].name) + " = " + ShortestNumber(study.base[i]) +
                       " is outside its model domain " + DomainText(parameters[i]));
    }
  }
  const Sweep& sweep = study.sweep;
  for (const SweepAxis& axis : sweep.axes) {
    if (axis.parameter == nullptr) throw SweepError("an axis has no parameter");
    // Rebuilt through the one check of an axis: a name a run holds, values
    // in the domain, a list that is not empty.
    MakeSweepAxis(axis.parameter->name, axis.values);
    const std::string name(axis.parameter->name);
    if (SetByThePopulation(*axis.parameter)) {
      throw SweepError(name + " cannot be an axis: the population (finite or infinite) sets it");
    }
    if (!sweep.finitePopulation && OnlyFiniteReads(*axis.parameter)) {
      throw SweepError(name +
                       " cannot be an axis of an infinite population, which does not use "
                       "it; choose a finite population");
    }
  }
  CheckDistinctAxes(sweep.axes);
  if (!sweep.finitePopulation && study.Base("exact_sampling") != 0.0) {
    throw SweepError("exact sampling needs a finite population");
  }
  if (sweep.replicates < 1) {
    throw SweepError("replicates = " + std::to_string(sweep.replicates) + " must be at least 1");
  }
  if (!sweep.finitePopulation && sweep.replicates != 1) {
    throw SweepError("replicates = " + std::to_string(sweep.replicates) +
                     ": an infinite population gives the same result every time; replicates "
                     "need a finite population");
  }
  if (sweep.firstPosition < 0) throw SweepError("the first position must not be negative");
  // The product of the axes' lengths, stopped as soon as it passes the limit
  // so that it cannot overflow.
  std::int64_t runs = sweep.replicates;
  for (const SweepAxis& axis : sweep.axes) {
    const auto length = static_cast<std::int64_t>(axis.values.size());
    if (runs > runLimit / length)
      runs = runLimit + 1;
    else
      runs *= length;
  }
  if (runs > runLimit) {
    throw SweepError("the study has more than " + std::to_string(runLimit) +
                     " runs (points times replicates)");
  }
}

void RunStudy(const Study& study, LoopExecutor& executor, const StudyObserver& observer) {
  const RunInputs inputs = BaseInputs(study);
  const bool finite = study.sweep.finitePopulation;
  // Each run as a single run of that population would go.
  const RunMode mode{.SingleRun = true, .InfinitePopulation = !finite};
  Engine master;
  PrepareEngine(master, static_cast<std::int16_t>(study.Base("loci")), inputs);
  if (study.sweep.RunCount() == 0) return;
  SweepObserver sweepObserver;
  sweepObserver.stopRequested = observer.stopRequested;
  sweepObserver.consume = observer.consume;
  // Each run is the single run of its values: its sinusoid swings about its
  // own S.
  Sweep sweep = study.sweep;
  sweep.sinusoidFollowsS = true;
  RunSweep(sweep, master, inputs, mode, executor, sweepObserver);
}

}  // namespace recmod
