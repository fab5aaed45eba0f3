#include "run/ParameterTable.hpp"
#include "run/RunInputs.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

namespace recmod {
namespace {

TEST(ParameterTable, NamesAndAliasesAreUniqueAndFindTheirParameter) {
  std::set<std::string> spellings;
  for (const ParameterInfo& parameter : Parameters()) {
    EXPECT_TRUE(spellings.insert(std::string(parameter.name)).second) << parameter.name;
    EXPECT_EQ(FindParameter(parameter.name), &parameter);
    std::string aliases(parameter.aliases);
    for (std::size_t start = 0; start < aliases.size();) {
      const std::size_t blank = std::min(aliases.find(' ', start), aliases.size());
      const std::string alias = aliases.substr(start, blank - start);
      EXPECT_TRUE(spellings.insert(alias).second) << alias;
      EXPECT_EQ(FindParameter(alias), &parameter) << alias;
      start = blank + 1;
    }
    EXPECT_TRUE(InDomain(parameter, parameter.startValue)) << parameter.name;
  }
  EXPECT_EQ(FindParameter("s"), nullptr);  // names are case-sensitive
}

struct DomainCase {
  const char* name;
  double value;
  bool inside;
};

class Domains : public ::testing::TestWithParam<DomainCase> {};

TEST_P(Domains, HoldExactlyTheSoundValues) {
  const DomainCase& c = GetParam();
  EXPECT_EQ(InDomain(*FindParameter(c.name), c.value), c.inside) << c.name << " " << c.value;
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    ParameterTable, Domains,
    ::testing::Values(
        DomainCase{"u", 0.01, true}, DomainCase{"u", 1.0, true}, DomainCase{"u", 1.0000001, false},
        DomainCase{"u", -1e-12, false}, DomainCase{"u", kNaN, false}, DomainCase{"S", -1.0, false},
        DomainCase{"S", -0.999, true}, DomainCase{"S", 5.0, true}, DomainCase{"S", kInf, false},
        DomainCase{"K", -0.1, false}, DomainCase{"z", 1.0, true}, DomainCase{"demes", 100.0, true},
        DomainCase{"demes", 101.0, false}, DomainCase{"demes", 2.5, false},
        DomainCase{"max_gen", 32766.0, true}, DomainCase{"maxgen", 32767.0, false},
        DomainCase{"iterations", 1.0, false}, DomainCase{"loci", 4.0, false},
        DomainCase{"recombination", 0.5, false}, DomainCase{"exact_sampling", 1.0, true},
        DomainCase{"log10n", 0.0, true}, DomainCase{"log10n", -0.5, false}));

TEST(ParameterTable, DomainsReadAsIntervalsAndNearMissesAreSuggested) {
  EXPECT_EQ(DomainText(*FindParameter("S")), "(-1, inf)");
  EXPECT_EQ(DomainText(*FindParameter("u")), "[0, 1]");
  EXPECT_EQ(DomainText(*FindParameter("demes")), "[1, 100] whole");
  EXPECT_EQ(DomainText(*FindParameter("loci")), "{2, 3}");
  EXPECT_EQ(NearestParameterName("maxgne"), "max_gen");
  EXPECT_EQ(NearestParameterName("diffusoin"), "diffusion");
  EXPECT_EQ(NearestParameterName("s"), "S");
  EXPECT_EQ(NearestParameterName("population"), std::nullopt);
}

// Applying every parameter's start value gives the inputs a start at the
// window's start-up values reads (the switches as mode 0 leaves them).
TEST(ParameterTable, ApplyReachesTheTypedInputs) {
  RunInputs inputs;
  FindParameter("S")->apply(inputs, 0.05);
  FindParameter("z")->apply(inputs, 0.1);
  FindParameter("maxgen")->apply(inputs, 500.0);
  FindParameter("Ab")->apply(inputs, 0.25);
  FindParameter("exact_sampling")->apply(inputs, 1.0);
  EXPECT_EQ(inputs.params.S, 0.05);
  // The amplitude of a sinusoidal S stays the start's S, as in the loop over S and K.
  EXPECT_EQ(inputs.SAmplitude, 0.0);
  EXPECT_EQ(inputs.params.z, 0.1F);  // held in single precision
  EXPECT_EQ(inputs.params.MaxGen, 500);
  EXPECT_EQ(inputs.start.haplotypes[1], 0.25);
  EXPECT_TRUE(inputs.switches.ExactSampling);
}

}  // namespace
}  // namespace recmod
