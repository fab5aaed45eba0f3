#include "sweep/Sweep.hpp"

#include "numbers/NumberText.hpp"
#include "run/Engine.hpp"
#include "run/LoopRuns.hpp"
#include "run/RunInputs.hpp"

namespace recmod {

namespace {

// A number as a report line writes it, without the blank that stands for a sign.
std::string Bare(const std::string& number) {
  const std::size_t first = number.find_first_not_of(' ');
  return first == std::string::npos ? number : number.substr(first);
}

// The model numbers of a run (not the directory, not what derives from them).
void TakeModelNumbers(ModelParameters& to, const ModelParameters& from) {
  to.u = from.u;
  to.w = from.w;
  to.S = from.S;
  to.K = from.K;
  to.MaxGen = from.MaxGen;
  to.z = from.z;
  to.Iterations = from.Iterations;
  to.Log10N = from.Log10N;
  to.Demes = from.Demes;
  to.Diffusion = from.Diffusion;
  to.InversionPeriod = from.InversionPeriod;
}

}  // namespace

std::int64_t Sweep::PointCount() const {
  std::int64_t points = 1;
  for (const SweepAxis& axis : axes) points *= static_cast<std::int64_t>(axis.values.size());
  return points;
}

std::int64_t Sweep::RunCount() const {
  return PointCount() * replicates;
}

double Sweep::ValueAt(std::size_t axis, std::int64_t point) const {
  std::int64_t stride = 1;
  for (std::size_t later = axis + 1; later < axes.size(); ++later) {
    stride *= static_cast<std::int64_t>(axes[later].values.size());
  }
  const std::vector<double>& values = axes[axis].values;
  return values[static_cast<std::size_t>((point / stride) %
                                         static_cast<std::int64_t>(values.size()))];
}

std::string Sweep::RunName(std::int64_t run) const {
  std::string name;
  const std::int64_t point = PointOf(run);
  for (std::size_t i = 0; i < axes.size(); ++i) {
    const ParameterInfo& parameter = *axes[i].parameter;
    const double value = ValueAt(i, point);
    const std::string text =
        parameter.singlePrecision ? NumberTextSingle(static_cast<float>(value)) : NumberText(value);
    name +=
        std::string(name.empty() ? "" : ", ") + std::string(parameter.label) + " = " + Bare(text);
  }
  if (finitePopulation) {
    name +=
        std::string(name.empty() ? "" : ", ") + "iteration " + std::to_string(ReplicateOf(run) + 1);
  }
  return name;
}

void PlaceSweepRun(const Sweep& sweep, const RunInputs& startInputs, std::uint64_t reseedsBefore,
                   std::int64_t run, Engine& engine, RunInputs& runInputs) {
  runInputs = startInputs;
  const std::int64_t point = sweep.PointOf(run);
  for (std::size_t i = 0; i < sweep.axes.size(); ++i) {
    sweep.axes[i].parameter->apply(runInputs, sweep.ValueAt(i, point));
  }
  ModelParameters& params = engine.params;
  if (sweep.sinusoidFollowsS) runInputs.SAmplitude = runInputs.params.S;
  TakeModelNumbers(params, runInputs.params);
  DeriveSelectionTerms(engine.tables.AllelesNumber, params);
  if (!sweep.finitePopulation) return;
  params.CurrentLog10N = params.Log10N;
  const std::int64_t position = sweep.firstPosition + run;
  if (sweep.handsOnS) {
    StartSOfRun(InversionHandOverOf(startInputs.switches, startInputs.params), position, engine);
  }
  engine.draw.ReseedCount = reseedsBefore + static_cast<std::uint64_t>(run);
  SeedLoopRun(engine.draw, sweep.seed, static_cast<std::uint64_t>(position));
}

}  // namespace recmod
