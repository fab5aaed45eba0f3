#include "BatchSignals.hpp"

namespace recmod::batch {

void StopForwardingFrontEnd::RefreshField(int index) {
  signals_.Reassert();
  inner_.RefreshField(index);
}

void StopForwardingFrontEnd::RunFinished(long long runsDone, long long runsTotal) {
  signals_.Reassert();
  inner_.RunFinished(runsDone, runsTotal);
}

}  // namespace recmod::batch
