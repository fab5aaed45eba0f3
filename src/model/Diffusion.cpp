#include "model/Diffusion.hpp"

#include "model/ModelParameters.hpp"
#include "model/Normalisation.hpp"

namespace recmod {

void DiffuseBetweenDemes(const ModelParameters& params, const HaplotypeTables& tables,
                         PopulationState& population, RandomDraw& draw) {
  const int demes = params.Demes;
  if (demes == 1) return;
  if (demes == 0) throw RuntimeError(ErrorKind::DivisionByZero, "mean over 0 demes");
  const int count = tables.HaplotypeCount;
  const double diffusion = static_cast<double>(params.Diffusion);
  for (int c = 0; c <= 1; ++c) {
    for (int h = 1; h <= count; ++h) {
      double sum = 0.0;
      for (int d = 1; d <= demes; ++d) sum = sum + population.Freq(c, d, h);
      population.Freq(c + 3, 1, h) = sum / demes;
      const double x = (diffusion * sum) / demes;
      for (int d = 1; d <= demes; ++d) {
        double& f = population.Freq(c, d, h);
        f = f + DrawFrequency(draw, x);
      }
    }
  }
  for (int d = 1; d <= demes; ++d) NormaliseDeme(tables, population, d, 0);
  NormaliseDeme(tables, population, 1, 3);
}

}  // namespace recmod
