#include "run/RunEnd.hpp"

namespace recmod {

const char* RunOutcomeName(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Fixed:
      return "fixed";
    case RunOutcome::Lost:
      return "lost";
    case RunOutcome::Segregating:
      break;
  }
  return "segregating";
}

}  // namespace recmod
