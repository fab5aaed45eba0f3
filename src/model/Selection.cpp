#include "model/Selection.hpp"

#include "model/ModelParameters.hpp"
#include "model/Normalisation.hpp"

namespace recmod {

namespace {
// The coefficient of a haplotype is keyed on its number of mutant alleles.
double Coefficient(const ModelParameters& params, const HaplotypeTables& tables, int h) {
  if (tables.AllelesNumber == 2) {
    return h == 4 ? params.DoubleMutantSelection : params.S;
  }
  if (h <= 4) return params.S;
  if (h <= 7) return params.DoubleMutantSelection;
  return params.TripleMutantSelection;
}
}  // namespace

void ApplySelection(const ModelParameters& params, const HaplotypeTables& tables,
                    PopulationState& population, RandomDraw& draw) {
  const int count = tables.HaplotypeCount;
  double coefficient[HaplotypeTables::kMaxHaplotype + 1] = {};
  for (int h = 2; h <= count; ++h) coefficient[h] = Coefficient(params, tables, h);
  for (int d = 1; d <= params.Demes; ++d) {
    for (int c = 0; c <= 1; ++c) {
      for (int h = 2; h <= count; ++h) {
        double& f = population.Freq(c, d, h);
        const double x = f * coefficient[h];
        const double y = DrawFrequency(draw, x);
        f = y + f;
      }
    }
    NormaliseDeme(tables, population, d, 0);
  }
}

}  // namespace recmod
