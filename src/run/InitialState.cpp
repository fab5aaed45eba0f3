#include "run/InitialState.hpp"

#include "model/Normalisation.hpp"
#include "numbers/NumberText.hpp"
#include "run/Engine.hpp"
#include "run/RunInputs.hpp"

namespace recmod {

void BuildInitialState(Engine& engine, const RunInputs& inputs, MessageSink& messages) {
  PopulationState& population = engine.population;
  const HaplotypeTables& tables = engine.tables;
  const int count = tables.HaplotypeCount;
  const int loci = tables.AllelesNumber;
  population.ClearDemes(engine.params.Demes);

  const StartFrequencies& start = inputs.start;
  if (!inputs.switches.LinkageDisequilibrium) {
    for (int i = 1; i <= loci; ++i) {
      population.AlleleFreq(i) = start.alleles[static_cast<std::size_t>(i - 1)];
      population.AlleleFreq(loci + i) = 1.0 - population.AlleleFreq(i);
    }
    for (int h = 1; h <= count; ++h) {
      population.Freq(0, 1, h) = EquilibriumProduct(population, tables, h, 1.0, 0);
    }
  } else {
    const double ab = start.haplotypes[0];
    const double Ab = start.haplotypes[1];
    const double aB = start.haplotypes[2];
    const double AB = start.haplotypes[3];
    const double sum = ((ab + Ab) + aB) + AB;
    // The Total field shows the sum to 15 significant digits; a sum that shows
    // as 1 there (0.7 + 0.1 + 0.1 + 0.1 = 0.9999999999999999) is accepted and
    // the normalisation below makes it exact.
    if (sum != 1.0 && NumberText(sum) != " 1") {
      messages.ShowMessage(kFrequenciesNotOneMessage);
      engine.InitialStateRejected = true;
      return;
    }
    population.Freq(0, 1, 1) = ab;
    population.Freq(0, 1, 2) = Ab;
    population.Freq(0, 1, 3) = aB;
    population.Freq(0, 1, 4) = AB;
  }

  const double R = start.R;
  for (int h = 1; h <= count; ++h) {
    population.Freq(1, 1, h) = (1.0 - R) * population.Freq(0, 1, h);
    population.Freq(0, 1, h) = R * population.Freq(0, 1, h);
  }
  NormaliseDeme(tables, population, 1, 0);
  for (int d = 2; d <= engine.params.Demes; ++d) {
    for (int h = 1; h <= count; ++h) {
      population.Freq(0, d, h) = population.Freq(0, 1, h);
      population.Freq(1, d, h) = population.Freq(1, 1, h);
    }
  }
}

}  // namespace recmod
