#pragma once

#include <atomic>
#include <string>

#include "driver/StopOnSignals.hpp"
#include "ui/Simulator.hpp"

namespace recmod::batch {

// The stop on signals of the logic layer, under the batch program's names.
using recmod::SignalName;
using recmod::StopOnSignals;

// Passes everything on to `inner`; every refresh and every finished run
// re-asserts a stop that a signal asked for, so the start cannot lose it.
class StopForwardingFrontEnd final : public FrontEnd {
 public:
  StopForwardingFrontEnd(FrontEnd& inner, const StopOnSignals& signals)
      : inner_(inner), signals_(signals) {}
  void ShowMessage(const std::string& text) override { inner_.ShowMessage(text); }
  void RefreshField(int index) override;
  void RunFinished(long long runsDone, long long runsTotal) override;

 private:
  FrontEnd& inner_;
  const StopOnSignals& signals_;
};

}  // namespace recmod::batch
