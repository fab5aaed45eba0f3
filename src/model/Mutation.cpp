#include "model/Mutation.hpp"

#include <cmath>

#include "model/ModelParameters.hpp"
#include "model/Normalisation.hpp"

namespace recmod {

void BuildMutationCoefficients(const ModelParameters& params, const HaplotypeTables& tables,
                               MutationCoefficients& coefficients, RandomDraw& draw) {
  draw.PopulationSize = std::pow(10.0, static_cast<double>(params.CurrentLog10N));
  const double u = params.u;
  const double w = params.w;
  auto& c = coefficients.value;
  c[1] = u;
  c[2] = u - u * u;
  if (tables.AllelesNumber == 2) {
    c[3] = u * u;
    c[4] = w;
    c[5] = w - w * w;
    c[6] = w * w;
  } else {
    c[3] = u * u;
    c[4] = u - u * u;
    c[5] = u * u - std::pow(u, 3);
    c[6] = std::pow(u, 3);
    c[7] = w;
    c[8] = w - std::pow(w, 2);
    c[9] = w * w;
    c[10] = w - w * w;
    c[11] = w * w - std::pow(w, 3);
    c[12] = std::pow(w, 3);
  }
}

void ApplyMutation(const ModelParameters& params, const HaplotypeTables& tables,
                   const MutationCoefficients& coefficients, bool totalStochasticity,
                   PopulationState& population, RandomDraw& draw) {
  const int rows = tables.TransitionCount;
  double amount[HaplotypeTables::kMaxTransition + 1][2];
  for (int d = 1; d <= params.Demes; ++d) {
    for (int k = 1; k <= rows; ++k) {
      const int source = tables.TransitionSource(k);
      const double coefficient = coefficients.At(tables.TransitionCoefficient(k));
      for (int c = 0; c <= 1; ++c) {
        if (!totalStochasticity && c == 1) draw.ReuseUniforms = true;
        const double x = population.Freq(c, d, source) * coefficient;
        amount[k][c] = DrawFrequency(draw, x);
        draw.ReuseUniforms = false;
      }
    }
    for (int k = 1; k <= rows; ++k) {
      const int source = tables.TransitionSource(k);
      const int target = tables.TransitionTarget(k);
      for (int c = 0; c <= 1; ++c) {
        double& to = population.Freq(c, d, target);
        to = to + amount[k][c];
        if (to > 1.0) to = 1.0;
        double& from = population.Freq(c, d, source);
        from = from - amount[k][c];
        if (from < 0.0) from = 0.0;
      }
    }
    NormaliseDeme(tables, population, d, 0);
  }
}

}  // namespace recmod
