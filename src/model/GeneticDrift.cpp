#include "model/GeneticDrift.hpp"

#include "model/ModelParameters.hpp"
#include "model/MultinomialSampling.hpp"
#include "model/Normalisation.hpp"

namespace recmod {

void ApplyGeneticDrift(const ModelParameters& params, const HaplotypeTables& tables,
                       PopulationState& population, RandomDraw& draw) {
  if (draw.ExactSampling && !draw.InfinitePopulation) {
    ApplyMultinomialDrift(params, tables, population, draw);
    return;
  }
  const int count = tables.HaplotypeCount;
  for (int d = 1; d <= params.Demes; ++d) {
    for (int c = 0; c <= 1; ++c) {
      for (int h = 1; h <= count; ++h) {
        double& f = population.Freq(c, d, h);
        f = DrawFrequency(draw, f);
      }
    }
    NormaliseDeme(tables, population, d, 0);
  }
}

}  // namespace recmod
