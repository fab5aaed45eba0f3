#include "model/Recombination.hpp"

#include "model/ModelParameters.hpp"
#include "model/Normalisation.hpp"

namespace recmod {

namespace {

void RecombineWithinSex(const HaplotypeTables& tables, PopulationState& population, int d,
                        RandomDraw& draw) {
  const int count = tables.HaplotypeCount;
  for (int r = 1; r <= tables.AlleleCount; ++r) {
    population.AlleleFreq(r) = AlleleSum(population, tables, 0, d, r);
  }
  double s0 = 0.0;
  for (int h = 1; h <= count; ++h) s0 = s0 + population.Freq(0, d, h);
  if (!(s0 > 0.0)) return;
  for (int h = 1; h <= count; ++h) {
    const double e = EquilibriumProduct(population, tables, h, s0, 0);
    double& f = population.Freq(0, d, h);
    const double x = (e / s0) / 2.0 - f / 2.0;
    f = DrawFrequency(draw, x) + f;
  }
}

void RecombineInPool(const HaplotypeTables& tables, PopulationState& population, int d, float z,
                     RandomDraw& draw) {
  const int count = tables.HaplotypeCount;
  double s0 = 0.0;
  double s2 = 0.0;
  for (int h = 1; h <= count; ++h) {
    s0 = s0 + population.Freq(0, d, h);
    population.Freq(2, d, h) = static_cast<double>(z) * population.Freq(1, d, h);
    s2 = s2 + population.Freq(2, d, h);
  }
  const double total = s2 + s0;
  for (int r = 1; r <= tables.AlleleCount; ++r) {
    population.AlleleFreq(r) =
        AlleleSum(population, tables, 2, d, r) + AlleleSum(population, tables, 0, d, r);
  }
  for (int h = 1; h <= count; ++h) {
    // The pool's equilibrium frequency of h; AlleleFreq does not change
    // within the deme, so one evaluation serves both classes.
    const double e = EquilibriumProduct(population, tables, h, total, -1);
    double& sex = population.Freq(0, d, h);
    const double xSex = (e * s0) / 2.0 - sex / 2.0;
    sex = DrawFrequency(draw, xSex) + sex;
    const double xAsex = (e * s2) / 2.0 - population.Freq(2, d, h) / 2.0;
    double& asex = population.Freq(1, d, h);
    asex = DrawFrequency(draw, xAsex) + asex;
  }
}

}  // namespace

void Recombine(const ModelParameters& params, const HaplotypeTables& tables,
               PopulationState& population, RandomDraw& draw) {
  for (int d = 1; d <= params.Demes; ++d) {
    if (params.z == 0.0F) {
      RecombineWithinSex(tables, population, d, draw);
    } else if (params.z > 0.0F) {
      RecombineInPool(tables, population, d, params.z, draw);
    }
    NormaliseDeme(tables, population, d, 0);
  }
}

}  // namespace recmod
