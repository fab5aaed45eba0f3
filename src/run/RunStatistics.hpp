#pragma once

namespace recmod {

// Mean and standard deviation of the results of the runs of one population
// size in the loop over Log10(N).
struct RunStatistics {
  double mean = 0.0;
  double standardDeviation = 0.0;
};

// The sample mean Sum / n and the sample standard deviation
// sqrt((SumSq - Sum^2 / n) / (n - 1)) from the running sums of n results.
// When the results are (nearly) equal, rounding can leave the variance
// slightly negative; it then counts as 0. Fewer than two results have no
// standard deviation: a "Division by zero" error.
RunStatistics SummariseRuns(double sum, double sumOfSquares, int n);

}  // namespace recmod
