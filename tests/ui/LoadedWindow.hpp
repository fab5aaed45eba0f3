#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/RecordingPlotSurface.hpp"
#include "ui/InputValidation.hpp"
#include "ui/OptionInterplay.hpp"
#include "ui/Simulator.hpp"
#include "ui/WindowLogic.hpp"

namespace recmod::testing {

// A window just after start-up, with a picture box that logs what is done to
// it (the log is emptied once the start-up has run).
class LoadedWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    sim.plot = &plot;
    Form_Load(sim);
    plot.calls.clear();
  }

  // Types `text` into txt `index` and leaves the field, as a user does.
  void Type(int index, const std::string& text) {
    sim.controls.Text(index) = text;
    txt_LostFocus(sim, index);
  }
  const std::string& Text(int index) const { return sim.controls.Text(index); }
  bool TxtEnabled(int index) const {
    return sim.controls.txtEnabled.at(static_cast<std::size_t>(index));
  }
  bool LablEnabled(int index) const {
    return sim.controls.lablEnabled.at(static_cast<std::size_t>(index));
  }
  bool Ticked(CheckBox box) const { return sim.controls.Ticked(box); }
  bool CheckEnabled(CheckBox box) const { return sim.controls.CheckEnabled(box); }

  Simulator sim;
  RecordingPlotSurface plot;
};

}  // namespace recmod::testing
