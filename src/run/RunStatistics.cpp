#include "run/RunStatistics.hpp"

#include <cmath>
#include <string>

#include "model/RuntimeError.hpp"

namespace recmod {

RunStatistics SummariseRuns(double sum, double sumOfSquares, int n) {
  if (n < 2) {
    throw RuntimeError(ErrorKind::DivisionByZero,
                       "the standard deviation of " + std::to_string(n) + " results");
  }
  const double count = static_cast<double>(n);
  const double variance = (sumOfSquares - sum * sum / count) / (count - 1.0);
  RunStatistics statistics;
  statistics.mean = sum / count;
  statistics.standardDeviation = variance > 0.0 ? std::sqrt(variance) : 0.0;
  return statistics;
}

}  // namespace recmod
