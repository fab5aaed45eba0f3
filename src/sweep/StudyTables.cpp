#include "sweep/StudyTables.hpp"

#include "numbers/ShortestNumber.hpp"

namespace recmod {

namespace {

// An axis value as the runs hold it: a parameter kept in single precision
// reads as its float.
std::string AxisValueText(const ParameterInfo& parameter, double value) {
  return parameter.singlePrecision ? ShortestNumber(static_cast<float>(value))
                                   : ShortestNumber(value);
}

std::string AxisNames(const Study& study) {
  std::string names;
  for (const SweepAxis& axis : study.sweep.axes) names += std::string(axis.parameter->name) + ",";
  return names;
}

std::string AxisValues(const Study& study, std::int64_t point) {
  std::string values;
  const Sweep& sweep = study.sweep;
  for (std::size_t i = 0; i < sweep.axes.size(); ++i) {
    values += AxisValueText(*sweep.axes[i].parameter, sweep.ValueAt(i, point)) + ",";
  }
  return values;
}

std::string ShareText(const Share& share) {
  return ShortestNumber(share.value) + "," + ShortestNumber(share.low) + "," +
         ShortestNumber(share.high);
}

}  // namespace

std::string RunTableHeader(const Study& study) {
  return "run," + AxisNames(study) + "replicate,seed,rplus,outcome,generation\n";
}

std::string RunTableRow(const Study& study, std::int64_t run, const RunEnd& end) {
  const Sweep& sweep = study.sweep;
  std::string row = std::to_string(run) + "," + AxisValues(study, sweep.PointOf(run)) +
                    std::to_string(sweep.ReplicateOf(run)) + ",";
  if (sweep.finitePopulation && sweep.seed) row += std::to_string(*sweep.seed);
  row += "," + ShortestNumber(end.rPlus) + "," + RunOutcomeName(end.outcome) + ",";
  if (end.outcome != RunOutcome::Segregating) row += std::to_string(end.absorbedAt);
  return row + "\n";
}

std::string SummaryTableHeader(const Study& study) {
  return AxisNames(study) +
         "n,mean,sd,se,fixed,fixed_low,fixed_high,lost,lost_low,lost_high,"
         "mean_fixation_generation\n";
}

std::string SummaryTableRow(const Study& study, std::int64_t point, const PointSummary& summary) {
  std::string row = AxisValues(study, point) + std::to_string(summary.count()) + "," +
                    ShortestNumber(summary.mean()) + "," +
                    ShortestNumber(summary.standardDeviation()) + "," +
                    ShortestNumber(summary.standardError()) + "," + ShareText(summary.fixed()) +
                    "," + ShareText(summary.lost()) + ",";
  if (const auto generation = summary.meanFixationGeneration()) row += ShortestNumber(*generation);
  return row + "\n";
}

}  // namespace recmod
