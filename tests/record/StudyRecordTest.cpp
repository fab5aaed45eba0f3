// The record of a study: it reads back to the same study, refuses what it
// cannot repeat (naming the key), and digests text as a file of it.
#include "record/StudyRecord.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "support/TempDirectory.hpp"
#include "sweep/SweepAxisCheck.hpp"

namespace recmod {
namespace {

Study FiniteStudy() {
  Study study = DefaultStudy();
  study.Base("S") = 0.05;
  study.Base("z") = 0.1;  // held as a float
  study.Base("drift") = 1;
  study.Base("exact_sampling") = 1;
  study.sweep.finitePopulation = true;
  study.sweep.replicates = 3;
  study.sweep.seed = 18446744073709551615ULL;
  study.sweep.firstPosition = 4;
  study.sweep.axes = {{FindParameter("u"), {1e-4, 0.0031622776601683794, 0.01}},
                      {FindParameter("demes"), {1, 4}}};
  return study;
}

TEST(StudyRecord, ReadsBackTheSameStudyAndRecord) {
  StudyRecord record;
  record.study = FiniteStudy();
  record.commandLine = {"recmod-batch", "--sweep", "u=1e-4:1e-2:log:3"};
  record.table = StudyOutput{"runs.csv", DigestOfText("run\n")};
  const nlohmann::json json = nlohmann::json::parse(StudyRecordText(record));
  EXPECT_EQ(json["study"]["parameters"]["demes"].dump(), "1");
  EXPECT_EQ(json["study"]["sampling"], "exact");
  EXPECT_FALSE(json["outputs"].contains("summary"));
  // u = 0.01 lies beyond the window's field (to 1e-4), demes = 4 within it.
  ASSERT_EQ(json["notes"].size(), 1U);
  EXPECT_EQ(json["notes"][0],
            "u = 0.0031622776601683794 is outside the window's range 1e-10 .. 0.0001; a study "
            "takes any value of the model's domain [0, 1]");

  const StudyRecord back = StudyRecordFromJson(json, 1000);
  EXPECT_EQ(StudyRecordText(back), StudyRecordText(record));
  EXPECT_EQ(back.study.base, record.study.base);
  EXPECT_EQ(back.study.sweep.axes[0].values, record.study.sweep.axes[0].values);
  EXPECT_EQ(back.study.sweep.seed, record.study.sweep.seed);
  EXPECT_EQ(back.table->digest.sha256, record.table->digest.sha256);
}

struct BrokenCase {
  std::function<void(nlohmann::json&)> breakIt;
  const char* message;
};

class StudyRecordRefused : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(StudyRecordRefused, NamesTheKey) {
  StudyRecord record;
  record.study = FiniteStudy();
  nlohmann::json json = nlohmann::json::parse(StudyRecordText(record));
  GetParam().breakIt(json);
  try {
    StudyRecordFromJson(json, 1000);
    FAIL() << "accepted";
  } catch (const SweepError& error) {
    EXPECT_NE(std::string(error.what()).find(GetParam().message), std::string::npos)
        << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    StudyRecord, StudyRecordRefused,
    ::testing::Values(
        BrokenCase{[](auto& j) { j["study"]["colour"] = 1; }, "study.colour: unknown key"},
        BrokenCase{[](auto& j) { j["study"]["parameters"]["Kk"] = 1; },
                   "study.parameters.Kk: no such parameter (did you mean K?)"},
        BrokenCase{[](auto& j) { j["study"]["parameters"].erase("w"); },
                   "the key \"w\" is missing"},
        BrokenCase{[](auto& j) { j["study"]["parameters"]["u"] = "0.1"; },
                   "study.parameters.u: must be a number"},
        BrokenCase{[](auto& j) { j["study"]["parameters"]["demes"] = 101; },
                   "study.parameters.demes: 101 is outside the model domain [1, 100] whole"},
        BrokenCase{[](auto& j) { j["study"]["axes"][0]["values"][1] = -0.5; },
                   "study.axes[0]: u = -0.5 is outside its model domain [0, 1]"},
        BrokenCase{[](auto& j) { j["study"]["axes"][1]["name"] = "dems"; },
                   "study.axes[1]: no parameter \"dems\" (did you mean demes?)"},
        BrokenCase{[](auto& j) { j["study"]["replicates"] = 2.5; },
                   "study.replicates: must be a whole number"},
        BrokenCase{[](auto& j) { j["study"]["population"] = "infinite"; },
                   "study.parameters.drift"},
        BrokenCase{[](auto& j) { j["study"]["sampling"] = "draw"; }, "study.sampling"},
        BrokenCase{[](auto& j) { j["study"]["seed"] = -1; }, "study.seed"},
        BrokenCase{[](auto& j) { j["study"]["replicates"] = 200; }, "more than 1000 runs"},
        BrokenCase{[](auto& j) {
                     j["outputs"]["table"] = {
                         {"file", "../x.csv"}, {"lines", 1}, {"bytes", 1}, {"sha256", ""}};
                   },
                   "outputs.table.file"},
        BrokenCase{[](auto& j) { j["kind"] = "start"; }, "kind"}));

TEST(FileDigest, OfTextIsThatOfAFileWithTheText) {
  testing::TempDirectory directory;
  const std::string text = "a,b\n1,2\n3";
  std::ofstream(directory.path() / "t.csv", std::ios::binary) << text;
  const FileDigest file = DigestOfFile(directory.path() / "t.csv");
  const FileDigest memory = DigestOfText(text);
  EXPECT_EQ(memory.sha256, file.sha256);
  EXPECT_EQ(memory.lines, 2U);
  EXPECT_EQ(memory.bytes, 9U);
  EXPECT_EQ(DigestOfText("").sha256,
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

}  // namespace
}  // namespace recmod
