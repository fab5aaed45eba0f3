#include "BatchCommandLine.hpp"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>
#include <thread>
#include <tuple>

#include "BatchPictures.hpp"
#include "FieldTextCheck.hpp"
#include "driver/ParameterListing.hpp"
#include "ui/ControlValues.hpp"
#include "ui/FieldCatalogue.hpp"
#include "version/BuildInfo.hpp"

namespace recmod::batch {

namespace {

constexpr const char* kDescription =
    "recmod-batch: runs the recombination simulator without its window. The command line\n"
    "drives the window's controls as a person would: start-up, the number of loci, the run\n"
    "option, the check boxes, every field typed and left (each time the validation pass\n"
    "runs), then \"Start simulation\". Report files go to the save directory (--dir; \"C:\"\n"
    "stands for the current directory).";

constexpr const char* kExamples =
    "Examples:\n"
    "  recmod-batch\n"
    "      one run, N infinite, at the start-up values; ReportFile1.txt in the current directory\n"
    "  recmod-batch --mode single-finite --log10n 4 --S 0.05 --maxgen 500 --seed 7\n"
    "      one reproducible run with N = 10^4\n"
    "  recmod-batch --mode loop-sk --dir /tmp/out\n"
    "      the loop over S and K (820 runs) into /tmp/out/ReportFile2.txt\n"
    "  recmod-batch --mode loop-sk --s-range 0.05:0.2:0.05 --k-range 1:1.2:0.1 --threads 2\n"
    "      a coarser sweep (4 x 3 runs) on two threads\n"
    "  recmod-batch --mode loop-log10n --log10n-from 1 --log10n-to 3 --iterations 20\n"
    "      20 runs for each Log10(N) of 1, 1.5, ..., 3; ReportFile2.txt and ReportFile3.txt\n"
    "  recmod-batch --loci 3 --c 0.5 --tick InversionOfS --inversion-period 50\n"
    "      three loci, S inverted every 50 generations\n"
    "  recmod-batch --mode loop-log10n --log10n-from 2 --log10n-to 2 --S 0 --sampling exact\n"
    "      exact Wright-Fisher drift (multinomial sampling) instead of the default draw\n"
    "  mpirun -n 8 recmod-batch --mode loop-log10n --iterations 1000 --threads 1 --seed 7\n"
    "      the runs spread over 8 processes of an MPI job (a build with MPI); the files are\n"
    "      those of one process with the same seed\n"
    "  recmod-batch --demes 4 --diffusion 0.2 --txt 17=1000 --fields\n"
    "      show every field after validation, without running\n"
    "  recmod-batch --plot plot.png\n"
    "      one run and its plot, the window's stacked curves (.svg for a drawing)\n"
    "  recmod-batch --mode loop-sk --maxgen 1000 --plot sweep.png\n"
    "      the loop over S and K and its heat map of the final R+ frequency\n"
    "  recmod-batch --replot /tmp/out --plot sweep.svg\n"
    "      the picture of the sweep already in /tmp/out, without running\n"
    "\n"
    "  recmod-batch --sweep u=1e-4:1e-2:log:5 --sweep K=0.8:1.2:0.1 --table runs.csv\n"
    "      a study: the final R+ of every u x K point (25 runs, N infinite), one CSV row each\n"
    "  recmod-batch --sweep log10n=2:4:1 --population finite --replicates 1000 --seed 7 \\\n"
    "      --S 0 --sampling exact --summary points.csv --table runs.csv\n"
    "      1000 replicates per population size: fixation and loss of R+ with 95 % intervals\n"
    "\n"
    "  recmod-batch --repeat /tmp/out/recmod-run.json --dir /tmp/again\n"
    "      the start recorded in /tmp/out again, its report files into /tmp/again\n"
    "  recmod-batch --verify /tmp/out/recmod-run.json\n"
    "      repeat it in a scratch directory: exit 0 when every report file is the same\n"
    "\n"
    "Every start writes recmod-run.json beside its report files: the version, every input,\n"
    "the seed and a digest of each report file. A field's text must read whole as a number;\n"
    "an empty value (--S= or --S followed by another option) leaves the field empty.\n"
    "\n"
    "The runs of the loops go side by side in the processor's vector lanes. RECMOD_SIMD=avx512,\n"
    "avx2, baseline (one lane) or scalar (lanes off) picks the path; by default the fastest\n"
    "vector path the processor has. Every path writes the same bytes.\n"
    "\n"
    "Exit status: 0 done; 1 start refused (the message on stderr); 2 usage error;\n"
    "3 run-time error (the report files keep the lines written before it);\n"
    "128 + N stopped by signal N (SIGINT 130, SIGTERM 143, SIGHUP 129, SIGQUIT 131, SIGXFSZ\n"
    "153) after a generation (files closed, lines complete). A start into a directory that\n"
    "another start is writing is refused with 3, touching nothing.\n"
    "With --plot or --table, 3 also when the file cannot be written (the reason is named,\n"
    "no partial file is left, and the record says what failed); a --plot or --table path\n"
    "that cannot be written, names a report file or a record, or lies in a directory that\n"
    "another start is writing is a usage error (2) before anything runs. With --replot, 2\n"
    "when a report file is not one loop's results in the report format (the message names\n"
    "file and line), 3 when it cannot be read. With --repeat or --verify, 4 when a report\n"
    "file differs from the recorded one. Standard output that cannot be written (a full\n"
    "device) gives 3.\n"
    "\n"
    "Studies (--sweep): every parameter of --parameters but the loop's own may be an axis,\n"
    "with any value of its model domain (a value outside the window's range is noted once on\n"
    "stderr); the fields give the base values as the window takes them. A study writes its\n"
    "--table and --summary (whole or not at all) and recmod-run.json into --dir, no report\n"
    "file; --repeat and --verify repeat it from that record. Exit 2 before anything is\n"
    "written for an unknown parameter, an axis given twice, an empty list, a step that is\n"
    "not above 0, FROM above TO, a value outside the model domain, more than 10^7 runs\n"
    "without --force, replicates or an axis over log10n or exact_sampling with an infinite\n"
    "population, or an axis over drift (the population sets it).";

// "RecombForR, TotalStochasticity, ...": every check box, as --tick takes them.
std::string CheckBoxNames() {
  std::string names;
  for (CheckBox box : kAllCheckBoxes)
    names += std::string(names.empty() ? "" : ", ") + CheckBoxName(box);
  return names;
}

// The option names of a field: its own alias, and the canonical name of the
// parameter it holds in both spellings (max_gen, max-gen) where they differ.
std::string FieldOptionNames(const FieldEntry& entry) {
  std::vector<std::string> names{entry.alias};
  if (entry.parameter != nullptr) {
    std::string name = entry.parameter;
    std::string dashed = name;
    std::replace(dashed.begin(), dashed.end(), '_', '-');
    for (const std::string& candidate : {name, dashed}) {
      if (std::find(names.begin(), names.end(), candidate) == names.end())
        names.push_back(candidate);
    }
  }
  std::string joined;
  for (const std::string& name : names)
    joined += std::string(joined.empty() ? "" : ",") + "--" + name;
  return joined;
}

int ParseIndex(const std::string& text, const std::string& option) {
  int index = -1;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, index);
  if (text.empty() || ec != std::errc() || ptr != end || !IsTxtIndex(index)) {
    throw UsageError(option + ": \"" + text + "\" is no field index (0..22, 30 or 37..40)");
  }
  return index;
}

FieldTyping ParseTxtAssignment(const std::string& value) {
  const std::size_t equals = value.find('=');
  if (equals == std::string::npos) {
    throw UsageError("--txt: \"" + value + "\" is not of the form INDEX=TEXT");
  }
  FieldTyping typing;
  typing.index = ParseIndex(value.substr(0, equals), "--txt");
  typing.text = value.substr(equals + 1);
  typing.option = "--txt " + std::to_string(typing.index);
  CheckFieldText(typing);
  return typing;
}

TickSetting ParseTick(const std::string& name, bool ticked) {
  TickSetting setting;
  setting.ticked = ticked;
  setting.option = std::string(ticked ? "--tick " : "--untick ") + name;
  if (!CheckBoxFromName(name, setting.box)) {
    throw UsageError(std::string(ticked ? "--tick" : "--untick") + ": no check box \"" + name +
                     "\" (the boxes are " + CheckBoxNames() + ")");
  }
  return setting;
}

std::uint64_t ParseSeed(const std::string& text) {
  std::uint64_t seed = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, seed);
  if (text.empty() || ec != std::errc() || ptr != end) {
    throw UsageError("--seed: \"" + text + "\" is not a whole number from 0 to " +
                     std::to_string(UINT64_MAX));
  }
  return seed;
}

std::int64_t ParseFirstPosition(const std::string& text) {
  std::int64_t position = -1;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, position);
  if (text.empty() || ec != std::errc() || ptr != end || position < 0 ||
      position > kMostFirstPosition) {
    throw UsageError("--first-position: \"" + text + "\" is not a whole number from 0 to " +
                     std::to_string(kMostFirstPosition));
  }
  return position;
}

// A plain decimal number (digits only) from `least` to `most`; no sign, no
// base prefix, no blanks.
int ParsePlainCount(const std::string& text, const char* option, int least, int most) {
  int value = -1;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  const bool digitsOnly =
      !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
  if (!digitsOnly || ec != std::errc() || ptr != end || value < least || value > most) {
    throw UsageError(std::string(option) + ": \"" + text + "\" is not a whole number from " +
                     std::to_string(least) + " to " + std::to_string(most));
  }
  return value;
}

bool LooksLikeOption(const std::string& argument) {
  return argument.size() > 1 && argument[0] == '-' && argument[1] == '-';
}

// The arguments for the parser, in its reversed order, with every value of an
// option that takes one spelt out: "--S=" and a "--S" followed by another
// option or by nothing give S an empty text, so that no option is ever taken
// for the value of the one before it; "--S VALUE" becomes "--S=VALUE", so that
// a value that starts with a minus sign (-.5) is a value too.
std::vector<std::string> SpelledOutArguments(const CLI::App& app, int argc, char** argv) {
  std::vector<std::string> out;
  auto takesValue = [&](const std::string& name) {
    const CLI::Option* option = app.get_option_no_throw(name);
    return option != nullptr && option->get_expected_max() > 0;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--") {
      for (; i < argc; ++i) out.emplace_back(argv[i]);
      break;
    }
    if (!LooksLikeOption(argument)) {
      out.push_back(argument);
      continue;
    }
    const std::size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    if (!takesValue(name)) {
      out.push_back(argument);
      continue;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = argument.substr(equals + 1);
    } else if (i + 1 < argc && !LooksLikeOption(argv[i + 1])) {
      value = argv[++i];
    }
    if (value.empty()) {
      // The parser takes an empty argument as an empty value, but not "--S=".
      out.push_back(name);
      out.emplace_back();
    } else {
      out.push_back(name + "=" + value);
    }
  }
  std::reverse(out.begin(), out.end());
  return out;
}

// A decimal number that fills `text` entirely.
bool ParseWholeDouble(const std::string& text, double& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return !text.empty() && ec == std::errc() && ptr == end;
}

// A repeat takes everything from its record; only where the files go and how
// the start shows itself may be given with it.
// --verify chooses its own directory.
void CheckRecordAlone(const CLI::App& app, const std::string& recordOption) {
  std::vector<std::string> allowed = {recordOption, "--threads", "--quiet", "--progress"};
  if (recordOption == "--repeat") allowed.emplace_back("--dir");
  for (const CLI::Option* option : app.parse_order()) {
    const std::string name = option->get_name();
    if (std::find(allowed.begin(), allowed.end(), name) == allowed.end()) {
      throw UsageError(recordOption + ": " + name +
                       " cannot be given with it (the record says it)");
    }
  }
}

// The options of a study, as the parser left them.
struct StudyOptionTexts {
  const std::vector<std::string>& sweeps;
  const std::string& replicates;
  const std::string& population;
  const std::string& summary;
  bool force;
};

std::int64_t ParseReplicates(const std::string& text) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  const bool digitsOnly =
      !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
  if (!digitsOnly || ec != std::errc() || ptr != end || value < 1) {
    throw UsageError("--replicates: \"" + text + "\" is not a whole number from 1 to " +
                     std::to_string(INT64_MAX));
  }
  return value;
}

void ParseStudyOptions(const CLI::App& app, BatchRequest& request, const StudyOptionTexts& texts) {
  request.sweeps = texts.sweeps;
  if (!request.IsStudy()) {
    for (const char* option : {"--replicates", "--population", "--summary", "--force"}) {
      if (app.count(option) > 0) {
        throw UsageError(std::string(option) + ": only a study (--sweep NAME=VALUES) has it");
      }
    }
    return;
  }
  for (const char* option :
       {"--mode", "--fields", "--replot", "--colour-range", "--repeat", "--verify"}) {
    if (app.count(option) > 0) {
      throw UsageError(std::string(option) + " does not go with --sweep (a study)");
    }
  }
  if (texts.population == "finite" || texts.population == "infinite") {
    request.finitePopulation = texts.population == "finite";
  } else {
    throw UsageError("--population: \"" + texts.population +
                     "\" is no population (finite or infinite)");
  }
  if (app.count("--replicates") > 0) request.replicates = ParseReplicates(texts.replicates);
  if (!texts.summary.empty()) request.summaryFile = texts.summary;
  request.force = texts.force;
  if (!request.tableFile && !request.summaryFile && !request.plotFile) {
    throw UsageError(
        "--sweep: a study needs --table FILE.csv, --summary FILE.csv or --plot "
        "FILE for its results");
  }
}

}  // namespace

SweepRange ParseSweepRange(const std::string& text, const std::string& option) {
  const std::size_t first = text.find(':');
  const std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
  SweepRange range;
  if (second == std::string::npos || text.find(':', second + 1) != std::string::npos ||
      !ParseWholeDouble(text.substr(0, first), range.from) ||
      !ParseWholeDouble(text.substr(first + 1, second - first - 1), range.to) ||
      !ParseWholeDouble(text.substr(second + 1), range.step)) {
    throw UsageError(option + ": \"" + text + "\" is not of the form FROM:TO:STEP (three numbers)");
  }
  if (const auto problem = SweepRangeProblem(range)) {
    throw UsageError(option + ": \"" + text + "\": " + *problem);
  }
  return range;
}

int AllCores() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

int ParseMode(const std::string& text) {
  std::string names;
  for (const RunKind& kind : kRunKinds) {
    if (text == kind.name || text == std::to_string(kind.option)) return kind.option;
    names += ", " + std::string(kind.name);
  }
  throw UsageError("--mode: \"" + text + "\" is no run mode (0.." +
                   std::to_string(kRunKinds.size() - 1) + names + ")");
}

bool ParseSampling(const std::string& text) {
  if (text == "draw") return false;
  if (text == "exact") return true;
  throw UsageError("--sampling: \"" + text + "\" is no sampling scheme (draw or exact)");
}

ParseResult ParseCommandLine(int argc, char** argv) {
  CLI::App app{kDescription, "recmod-batch"};
  app.footer(kExamples);
  app.set_version_flag(
      "--version", std::string("recmod-batch ") + ProgramVersion() + " (" + SourceRevision() + ")");

  std::string modeText = "0";
  app.add_option("--mode", modeText,
                 "run mode: 0 single-infinite, 1 single-finite, 2 loop-sk, 3 loop-log10n "
                 "(default 0)");
  std::string lociText = "2";
  app.add_option("--loci", lociText, "number of loci, 2 or 3 (default 2)");

  std::vector<std::string> txtValues;
  CLI::Option* txtOption =
      app.add_option("--txt", txtValues, "type TEXT into field INDEX, then leave the field")
          ->type_name("INDEX=TEXT")
          ->allow_extra_args(false);

  // One option per input field, each the same as --txt of its index.
  std::map<CLI::Option*, int> aliasIndex;
  std::map<int, std::vector<std::string>> aliasValues;
  for (const FieldEntry& entry : FieldCatalogue()) {
    if (!entry.input) continue;
    std::vector<std::string>& values = aliasValues[entry.index];
    CLI::Option* option =
        app.add_option(FieldOptionNames(entry), values,
                       "field " + std::to_string(entry.index) + ": " + entry.caption)
            ->type_name("TEXT")
            ->allow_extra_args(false)
            ->group("Fields (each the same as --txt INDEX=TEXT)");
    aliasIndex[option] = entry.index;
  }

  std::vector<std::string> tickNames;
  std::vector<std::string> untickNames;
  CLI::Option* tickOption =
      app.add_option("--tick", tickNames, std::string("tick a check box: ") + CheckBoxNames())
          ->type_name("NAME")
          ->allow_extra_args(false)
          ->group("Check boxes");
  CLI::Option* untickOption = app.add_option("--untick", untickNames, "untick a check box")
                                  ->type_name("NAME")
                                  ->allow_extra_args(false)
                                  ->group("Check boxes");

  bool listParameters = false;
  app.add_flag("--parameters", listParameters,
               "print the table of parameters (name, aliases, field, window range, model domain, "
               "default, kind, role in a batch of lanes, description) as TAB-separated text and "
               "exit");
  bool listFields = false;
  app.add_flag("--fields", listFields,
               "run the validation pass, print every field (INDEX<TAB>TEXT) and check box "
               "(NAME<TAB>0|1), and exit without running");
  std::string seedText;
  app.add_option("--seed", seedText,
                 "reproducible start: modes 0..2 start the generator from N, mode 3 and a "
                 "study of a finite population seed every run from N and its position; without "
                 "it modes 1 and 3 and such a study draw a seed, print it (seed: N) and keep it "
                 "in recmod-run.json, so that the start can be repeated")
      ->type_name("N");
  std::string threadsText = std::to_string(AllCores());
  app.add_option("--threads", threadsText,
                 "threads for the runs of modes 2 and 3 and of a study (default: all cores, "
                 "here " +
                     std::to_string(AllCores()) +
                     "); the report files and tables are the same for any number")
      ->type_name("N");
  std::string sRangeText;
  app.add_option("--s-range", sRangeText,
                 "mode 2: the values of S, FROM + i*STEP for i = 0, 1, ... up to TO (one that "
                 "passes TO only by rounding is TO); default 0.01:0.2:0.01, the window's loop")
      ->type_name("FROM:TO:STEP");
  std::string kRangeText;
  app.add_option("--k-range", kRangeText,
                 "mode 2: the values of K, likewise (default 0.8:1.2:0.01)")
      ->type_name("FROM:TO:STEP");
  std::string samplingText = "draw";
  app.add_option("--sampling", samplingText,
                 "drift in a finite population: draw (default) redraws every frequency on its "
                 "own and renormalises; exact makes every step apply its expected change and "
                 "samples each deme as one multinomial of N individuals (the window's \"Exact "
                 "sampling\")")
      ->type_name("draw|exact");
  std::string firstPositionText;
  app.add_option("--first-position", firstPositionText,
                 "mode 3: this start is the part of a larger sweep whose first run is the P-th "
                 "(from 0) of the whole; its runs are seeded (and S handed on) as there, so that "
                 "parts started with the same --seed give the lines of the whole sweep")
      ->type_name("P");
  std::string plotText;
  app.add_option("--plot", plotText,
                 "write a picture when the start has finished: in modes 0 and 1 the plot of "
                 "the run (the window's stacked curves), in mode 2 a heat map of the final R+ "
                 "frequency over S and K, in mode 3 its mean against Log10(N); for a study "
                 "with one axis the mean with a band of 2 standard errors, with two a heat "
                 "map of the mean; PNG or SVG by the name's ending (needs a build with Qt, no "
                 "display)")
      ->type_name("FILE.png|FILE.svg");
  std::string replotText;
  app.add_option("--replot", replotText,
                 "run nothing: draw the picture of the loop whose ReportFile2.txt (and "
                 "ReportFile3.txt) are in DIR into the file of --plot (default DIR/sweep.png); "
                 "--R gives the start frequency of R+ that the colours are centred on "
                 "(default .5)")
      ->type_name("DIR");
  double colourRange = 0.0;
  app.add_option("--colour-range", colourRange,
                 "the heat map's colours span X either side of the start frequency of R+ "
                 "(0 < X <= 1), for pictures to compare; default: as far as the results reach, "
                 "rounded up to a readable step")
      ->type_name("X");
  std::string tableText;
  app.add_option(
         "--table", tableText,
         "also write the results in long format to a CSV file: one row per run "
         "(S,K,final_rplus or log10n,iteration,seed,position,final_rplus) or, for a single run, "
         "per generation, class and haplotype (the plotted deme mean); for a study "
         "(--sweep), run,<axes>,replicate,seed,rplus,outcome,generation")
      ->type_name("FILE.csv");
  bool progress = false;
  app.add_flag("--progress", progress, "show progress on stderr even when it is not a terminal");
  bool quiet = false;
  app.add_flag("--quiet", quiet,
               "no progress, no seed and no note of where the report files went; a value "
               "that the validation changed is still told");
  std::string repeatText;
  app.add_option("--repeat", repeatText,
                 "start exactly the start that FILE (a recmod-run.json) records into the "
                 "directory of --dir (required; not the directory of FILE): the same report "
                 "files byte for byte; exit 4 when a file differs from a finished start's "
                 "digest; --threads and --quiet apply, nothing else may be given")
      ->type_name("FILE");
  std::string verifyText;
  app.add_option("--verify", verifyText,
                 "repeat the finished start that FILE records in a scratch directory and "
                 "compare its report files with the recorded digests: exit 0 when all are the "
                 "same, 4 when any differs (each named), 2 when FILE cannot be repeated")
      ->type_name("FILE");

  std::vector<std::string> sweepTexts;
  app.add_option(
         "--sweep", sweepTexts,
         "a study: run every value of parameter NAME (repeat for more axes; the runs are "
         "the grid product, the first axis slowest). VALUES is FROM:TO:STEP (added in "
         "decimal, TO included), FROM:TO:log:COUNT (COUNT values evenly spaced in log10) or a list "
         "V1,V2,...; any value of the model's domain")
      ->type_name("NAME=VALUES")
      ->allow_extra_args(false)
      ->group("Studies");
  std::string replicatesText;
  app.add_option("--replicates", replicatesText,
                 "a study: runs per point, each seeded from the seed and its position "
                 "(a finite population; default 1)")
      ->type_name("N")
      ->group("Studies");
  std::string populationText = "infinite";
  app.add_option("--population", populationText,
                 "a study: infinite (default; no drift, one run per point) or finite (drift in "
                 "a population of 10^log10n, as --sampling says)")
      ->type_name("finite|infinite")
      ->group("Studies");
  std::string summaryText;
  app.add_option("--summary", summaryText,
                 "a study: one CSV row per point (n, mean, sd and se of the final R+, the "
                 "shares of runs with R+ fixed and lost with 95 % Wilson intervals, the mean "
                 "generation of fixation); --table writes one row per run")
      ->type_name("FILE.csv")
      ->group("Studies");
  bool force = false;
  app.add_flag("--force", force, "a study: allow more than 10^7 runs")->group("Studies");

  try {
    app.parse(SpelledOutArguments(app, argc, argv));
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return {std::nullopt, kExitSuccess};
  } catch (const CLI::CallForVersion& e) {
    std::printf("%s\n", e.what());
    return {std::nullopt, kExitSuccess};
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "recmod-batch: %s\nRun with --help for more information.\n", e.what());
    return {std::nullopt, kExitUsage};
  }

  if (listParameters) {
    const std::string listing = ParameterListingText();
    if (std::fputs(listing.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
      std::fprintf(stderr, "recmod-batch: cannot write the parameter table: %s\n",
                   std::strerror(errno));
      return {std::nullopt, kExitRuntimeError};
    }
    return {std::nullopt, kExitSuccess};
  }

  BatchRequest request;
  request.mode = ParseMode(modeText);
  request.loci = ParsePlainCount(lociText, "--loci", 2, 3);
  request.listFields = listFields;
  request.progress = progress;
  if (!tableText.empty()) request.tableFile = tableText;
  if (app.count("--colour-range") > 0) {
    if (!(colourRange > 0.0 && colourRange <= 1.0))
      throw UsageError("--colour-range: X must be above 0 and at most 1");
    request.colourHalfWidth = colourRange;
  }
  request.quiet = quiet;
  request.exactSampling = ParseSampling(samplingText);
  if (!seedText.empty() || app.count("--seed") > 0) request.seed = ParseSeed(seedText);
  request.threads = ParsePlainCount(threadsText, "--threads", 1, 1024);
  request.threadsGiven = app.count("--threads") > 0;
  if (app.count("--first-position") > 0) {
    if (request.mode != 3) throw UsageError("--first-position: only mode 3 (loop-log10n) has it");
    request.firstPosition = ParseFirstPosition(firstPositionText);
  }
  if (app.count("--replot") > 0) {
    if (listFields) throw UsageError("--replot draws report files; it does not go with --fields");
    request.replotDirectory = replotText;
  }
  if (app.count("--plot") > 0) {
    CheckPictureFile(plotText, "--plot");
    request.plotFile = plotText;
  } else if (request.replotDirectory) {
    CheckPictureFile(DefaultSweepPictureFile(replotText), "--replot");
  }
  for (const auto& [name, text, range] : {std::tuple{"--s-range", &sRangeText, &request.sRange},
                                          std::tuple{"--k-range", &kRangeText, &request.kRange}}) {
    if (app.count(name) == 0) continue;
    if (request.mode != 2)
      throw UsageError(std::string(name) + ": only mode 2 (loop-sk) sweeps S and K");
    *range = ParseSweepRange(*text, name);
  }

  // Fields and boxes in the order of the command line: the n-th occurrence
  // of an option is its n-th value.
  std::map<const CLI::Option*, std::size_t> seen;
  for (const CLI::Option* option : app.parse_order()) {
    const std::size_t occurrence = seen[option]++;
    if (option == txtOption) {
      request.fields.push_back(ParseTxtAssignment(txtValues.at(occurrence)));
    } else if (option == tickOption) {
      request.ticks.push_back(ParseTick(tickNames.at(occurrence), true));
    } else if (option == untickOption) {
      request.ticks.push_back(ParseTick(untickNames.at(occurrence), false));
    } else if (const auto alias = aliasIndex.find(const_cast<CLI::Option*>(option));
               alias != aliasIndex.end()) {
      FieldTyping typing;
      typing.index = alias->second;
      typing.text = aliasValues.at(alias->second).at(occurrence);
      typing.option = option->get_name();
      CheckFieldText(typing);
      request.fields.push_back(std::move(typing));
    }
  }
  request.commandLine.assign(argv, argv + argc);
  ParseStudyOptions(app, request, {sweepTexts, replicatesText, populationText, summaryText, force});
  if (app.count("--repeat") > 0) {
    request.repeatFile = repeatText;
    CheckRecordAlone(app, "--repeat");
  }
  if (app.count("--verify") > 0) {
    request.verifyFile = verifyText;
    CheckRecordAlone(app, "--verify");
  }
  return {std::move(request), kExitSuccess};
}

}  // namespace recmod::batch
