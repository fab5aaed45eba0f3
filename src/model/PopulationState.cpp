#include "model/PopulationState.hpp"

#include <cmath>

namespace recmod {

void ThrowSubscriptOutOfRange(const char* table, int index) {
  throw RuntimeError(ErrorKind::SubscriptOutOfRange,
                     std::string(table) + " index " + std::to_string(index));
}

double AlleleSum(const PopulationState& population, const HaplotypeTables& tables, int slot,
                 int deme, int allele) {
  double sum = population.Freq(slot, deme, tables.Carrier(allele, 1)) +
               population.Freq(slot, deme, tables.Carrier(allele, 2));
  if (tables.AllelesNumber == 3) {
    sum = sum + population.Freq(slot, deme, tables.Carrier(allele, 3));
    sum = sum + population.Freq(slot, deme, tables.Carrier(allele, 4));
  }
  return sum;
}

double EquilibriumProduct(const PopulationState& population, const HaplotypeTables& tables,
                          int haplotype, double total, int mode) {
  const double a1 = population.AlleleFreq(tables.AlleleAt(haplotype, 1));
  const double a2 = population.AlleleFreq(tables.AlleleAt(haplotype, 2));
  double x = a2 * a1;
  if (mode == -1) {
    if (total == 0.0) throw RuntimeError(ErrorKind::DivisionByZero, "EquilibriumProduct total 0");
    x = x / std::pow(total, 2);
  }
  if (tables.AllelesNumber == 3) {
    if (total == 0.0) throw RuntimeError(ErrorKind::DivisionByZero, "EquilibriumProduct total 0");
    const double a3 = population.AlleleFreq(tables.AlleleAt(haplotype, 3));
    x = x * a3 / total;
  }
  return x;
}

}  // namespace recmod
