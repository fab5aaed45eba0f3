#include "run/PrepareEngine.hpp"
#include "run/Engine.hpp"
#include "run/RunInputs.hpp"

namespace recmod {

void PrepareEngine(Engine& engine, std::int16_t loci, const RunInputs& inputs) {
  BuildHaplotypeTables(loci, engine.tables);
  engine.params = inputs.params;
  DeriveSelectionTerms(loci, engine.params);
}

}  // namespace recmod
