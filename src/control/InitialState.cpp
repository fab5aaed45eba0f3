#include "control/InitialState.hpp"

#include "control/DecimalParse.hpp"
#include "model/Normalisation.hpp"
#include "output/NumberText.hpp"
#include "ui/ControlValues.hpp"

namespace recmod {

void BuildInitialState(Engine& engine, const ControlValues& controls, MessageSink& messages) {
  PopulationState& population = engine.population;
  const HaplotypeTables& tables = engine.tables;
  const int count = tables.HaplotypeCount;
  const int loci = tables.AllelesNumber;
  population.ClearFreq();

  if (!controls.Ticked(CheckBox::LinkageDisequilibrium)) {
    for (int i = 1; i <= loci; ++i) {
      population.AlleleFreq(i) = ParseDecimal(controls.Text(3 + i));
      population.AlleleFreq(loci + i) = 1.0 - population.AlleleFreq(i);
    }
    for (int h = 1; h <= count; ++h) {
      population.Freq(0, 1, h) = EquilibriumProduct(population, tables, h, 1.0, 0);
    }
  } else {
    const double ab = ParseDecimal(controls.Text(13));
    const double Ab = ParseDecimal(controls.Text(14));
    const double aB = ParseDecimal(controls.Text(15));
    const double AB = ParseDecimal(controls.Text(16));
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

  const double R = ParseDecimal(controls.Text(20));
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
