#include "driver/ReadParameters.hpp"
#include "model/ModelParameters.hpp"

#include <gtest/gtest.h>

#include "model/RuntimeError.hpp"
#include "numbers/NumberText.hpp"
#include "support/StartupControls.hpp"

namespace recmod {
namespace {

TEST(ReadParameters, StartupValues) {
  const ControlValues controls = testing::StartupControlValues();
  ModelParameters params;
  ReadParameters(controls, 2, params);
  EXPECT_EQ(params.u, 1e-05);
  EXPECT_EQ(params.w, 1e-05);
  EXPECT_EQ(params.S, 0.1);
  EXPECT_EQ(params.K, 1.0);
  EXPECT_NEAR(params.DoubleMutantSelection, 0.21, 1e-15);
  EXPECT_EQ(params.MaxGen, 250);
  EXPECT_EQ(params.z, 0.0F);
  EXPECT_EQ(params.Iterations, 100);
  EXPECT_EQ(params.Log10N, 6.0F);
  EXPECT_EQ(params.Demes, 1);
  EXPECT_EQ(params.Diffusion, 0.1F);
  EXPECT_EQ(params.InversionPeriod, 100);
  EXPECT_EQ(params.SaveDirectory, "C:");
  EXPECT_EQ(params.CurrentLog10N, 0.0F) << "only the driver sets it";
}

TEST(ReadParameters, ConvertsEachFieldByItsType) {
  ControlValues controls = testing::StartupControlValues();
  controls.Text(17) = "250.5";  // 16-bit fields round halves to even
  controls.Text(8) = "251.5";
  controls.Text(12) = "10.7";
  controls.Text(10) = "";    // a blank field reads as 0
  controls.Text(7) = "0.1";  // single precision
  controls.Text(11) = "0.3";
  controls.Text(9) = " 6.5";
  controls.Text(30) = "  /some dir\\x ";  // taken as typed
  const ControlValues before = controls;
  ModelParameters params;
  ReadParameters(controls, 2, params);
  EXPECT_EQ(params.MaxGen, 250);
  EXPECT_EQ(params.Iterations, 252);
  EXPECT_EQ(params.InversionPeriod, 11);
  EXPECT_EQ(params.Demes, 0);
  EXPECT_EQ(NumberText(static_cast<double>(params.z)), " .100000001490116");
  EXPECT_EQ(NumberText(static_cast<double>(params.Diffusion)), " .300000011920929");
  EXPECT_EQ(params.Log10N, 6.5F);
  EXPECT_EQ(params.SaveDirectory, "  /some dir\\x ");
  EXPECT_EQ(controls.txt, before.txt) << "reading changes no field";
}

TEST(ReadParameters, AnIntegerFieldOutOfRangeIsAnOverflow) {
  ControlValues controls = testing::StartupControlValues();
  controls.Text(17) = "40000";
  ModelParameters params;
  try {
    ReadParameters(controls, 2, params);
    FAIL() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::Overflow);
  }
}

TEST(DeriveSelectionTerms, WorkedValues) {
  ModelParameters params;
  params.S = 0.1;
  params.K = 1.0;
  DeriveSelectionTerms(3, params);
  EXPECT_NEAR(params.DoubleMutantSelection, 0.21, 1e-15);
  EXPECT_NEAR(params.TripleMutantSelection, 0.331, 1e-15);
  // Powers as written: (1.1)^2 - 1 in double precision, then times K.
  EXPECT_EQ(params.DoubleMutantSelection, 1.0 * ((1.0 + 0.1) * (1.0 + 0.1) - 1.0));

  params.K = 1.2;
  DeriveSelectionTerms(3, params);
  EXPECT_NEAR(params.DoubleMutantSelection, 0.252, 1e-15);
  EXPECT_NEAR(params.TripleMutantSelection, 0.47664, 1e-15);

  params.S = -1.0;
  params.K = 1.4;
  DeriveSelectionTerms(3, params);
  EXPECT_EQ(params.DoubleMutantSelection, -1.4);
  EXPECT_EQ(params.TripleMutantSelection, -1.4 * 1.4);

  params.S = 0.0;
  DeriveSelectionTerms(3, params);
  EXPECT_EQ(params.DoubleMutantSelection, 0.0);
  EXPECT_EQ(params.TripleMutantSelection, 0.0);
}

TEST(DeriveSelectionTerms, TwoLociLeaveTheTripleTermAsItWas) {
  ModelParameters params;
  params.S = 0.1;
  params.K = 1.0;
  DeriveSelectionTerms(3, params);
  const double triple = params.TripleMutantSelection;
  params.S = 0.5;
  DeriveSelectionTerms(2, params);
  EXPECT_EQ(params.TripleMutantSelection, triple);
  EXPECT_NEAR(params.DoubleMutantSelection, 1.25, 1e-15);
}

TEST(DeriveSelectionTerms, AnExtremeCoefficientIsAnOverflowNotInfinity) {
  ModelParameters params;
  params.S = 1e200;
  params.K = 1.0;
  try {
    DeriveSelectionTerms(2, params);
    FAIL() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::Overflow);
  }
}

}  // namespace
}  // namespace recmod
