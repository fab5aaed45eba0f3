#pragma once

#include <cstdint>
#include <optional>

#include "run/RunEnd.hpp"

namespace recmod {

// A share k/n with its 95 % Wilson score interval.
struct Share {
  double value = 0.0;
  double low = 0.0;
  double high = 0.0;
};
Share WilsonShare(std::int64_t k, std::int64_t n);

// What the runs of one point of a sweep came to, accumulated run by run (in
// run order, so that any split of the runs over threads or ranks gives the
// same numbers).
class PointSummary {
 public:
  void Add(const RunEnd& end);

  std::int64_t count() const { return count_; }
  double mean() const { return mean_; }
  // The sample standard deviation (n - 1); 0 for a single run.
  double standardDeviation() const;
  double standardError() const;
  Share fixed() const { return WilsonShare(fixed_, count_); }
  Share lost() const { return WilsonShare(lost_, count_); }
  // The mean generation in which R+ fixed, among the runs where it did.
  std::optional<double> meanFixationGeneration() const;

 private:
  std::int64_t count_ = 0;
  double mean_ = 0.0;
  double squares_ = 0.0;  // sum of squared deviations from the running mean
  std::int64_t fixed_ = 0;
  std::int64_t lost_ = 0;
  double fixationGenerations_ = 0.0;
};

}  // namespace recmod
