// Runs the real alignments under examples/ through the built program and
// checks the figures of its results file against values computed without
// Halvik. For the stickleback alignment they include the figures that a widely
// used tool published for the same data: Ks, Kt, Kst and K*t agree outright,
// and its other figures follow from Halvik's by the differences of definition
// that the README states.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The P values are random; a fixed seed keeps every run of the test alike.
constexpr const char *Seed = "20261206";
constexpr int Lineups = 199;

struct Figure {
  std::string label;     // the results-file label, blanks before the tab dropped
  std::string expected;  // as text: its decimals say how closely it must agree
};

struct Example {
  std::string name;
  std::string file;
  std::vector<std::string> starts;  // first sequence of localities 2, 3, ...
  int sites;
  std::vector<Figure> figures;
  bool structured;  // P values should be small; else large
};

const std::vector<Example> &Examples() {
  static const std::vector<Example> examples = {
      {"stickleback",
       "stickleback-orti.txt",
       {"15"},
       29,
       {{"Pn:", "0.038822"},
        {"Theta:", "0.010396"},
        {"K(EPAC_AK1_E to EPAC_BC9_L):", "8.27473"},
        {"K(WPAC_JA1_A to WPAC_JA9_H):", "1.94444"},
        {"K(EPAC_AK1_E to WPAC_JA9_H):", "11.28063"},
        {"Ks:", "5.79766"},
        {"Kt:", "11.28063"},
        {"Kst:", "0.48605"},
        {"Kst:", "0.486052"},
        {"Fs:", "5.79766"},
        {"Ft:", "16.11905"},
        {"Fst:", "0.640322"},
        {"K*s:", "1.37164"},
        {"K*t:", "2.01346"},
        {"K*st:", "0.318767"},
        {"F*s:", "1.37164"},
        {"F*b:", "2.59334"},
        {"F*sb:", "0.471093"}},
       true},
      {"cg15644",
       "cg15644-zimbabwe.txt",
       {"6"},
       47,
       {{"Pn:", "0.074250"},
        {"Theta:", "0.025350"},
        {"K(ZS2 to ZS51):", "15.0"},
        {"K(ZH1 to ZH42):", "21.6"},
        {"Ks:", "18.30000"},
        {"Kt:", "17.93333"},
        {"Kst:", "-0.020446"},
        {"Ft:", "17.64000"},
        {"Fst:", "-0.037415"},
        {"K*s:", "2.52639"},
        {"K*t:", "2.51799"},
        {"K*st:", "-0.003334"},
        {"F*b:", "2.51127"},
        {"F*sb:", "-0.006017"}},
       false},
      {"dolphin3",
       "dolphin-dloop.txt",
       {"69", "109"},
       43,
       {{"Pn:", "0.106965"},
        {"Theta:", "0.019745"},
        {"K(Coa_23945 to Coa_78069):", "2.04741"},
        {"K(OfN_4495 to OfN_78532):", "9.24103"},
        {"K(OfS_18650 to OfS_41759):", "7.84967"},
        {"Ks:", "5.15999"},
        {"Kt:", "6.43302"},
        {"Kst:", "0.197889"},
        {"Ft:", "8.05896"},
        {"Fst:", "0.359720"},
        {"K*s:", "1.49044"},
        {"K*t:", "1.78376"},
        {"K*st:", "0.164439"},
        {"F*b:", "2.12007"},
        {"F*sb:", "0.296985"}},
       true},
      {"dolphin2",
       "dolphin-dloop.txt",
       {"69"},
       43,
       {{"Ks:", "5.25310"},
        {"Kt:", "6.43302"},
        {"Kst:", "0.183416"},
        {"Ft:", "7.88540"},
        {"Fst:", "0.333819"},
        {"K*s:", "1.50346"},
        {"K*st:", "0.157139"},
        {"F*b:", "2.11122"},
        {"F*sb:", "0.287870"}},
       true},
  };
  return examples;
}

void PrintTo(const Example &example, std::ostream *out) { *out << example.name; }

std::string Slurp(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Quote(const std::string &text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

fs::path Examplesdir() { return fs::path(HALVIK_E2E_DIR).parent_path().parent_path() / "examples"; }

struct Outcome {
  int status = -1;
  std::string console;
  std::string results;
};

// One complete analysis, answered as a user would, in a folder of its own.
Outcome Analyse(const Example &example) {
  const fs::path work =
      fs::temp_directory_path() / ("halvik-examples-" + example.name + "-" + std::to_string(::getpid()));
  fs::remove_all(work);
  fs::create_directories(work);
  fs::copy_file(Examplesdir() / example.file, work / example.file);
  std::ofstream answers(work / "answers");
  answers << example.file << "\n\n" << example.starts.size() + 1 << "\n";
  for (const auto &start : example.starts) answers << start << "\n";
  answers << "y\n" << Lineups << "\nn\n";
  answers.close();

  const std::string command = "cd " + Quote(work) + " && " + HALVIK_SEEDED_BINARY + " " + Seed +
                              " < answers > console 2> errors";
  const int raw = std::system(command.c_str());
  Outcome run;
  if (WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
  run.console = Slurp(work / "console");
  run.results = Slurp(work / (example.file + ".HVK"));
  fs::remove_all(work);
  return run;
}

// Labelled values of the results file: the label is the text before the tab
// with its trailing blanks dropped; a label may recur (one line per locality).
std::multimap<std::string, std::string> Labelled(const std::string &results) {
  std::multimap<std::string, std::string> values;
  std::istringstream lines(results);
  std::string line;
  while (std::getline(lines, line)) {
    const auto tab = line.find('\t');
    if (tab == std::string::npos || tab == 0) continue;
    std::string label = line.substr(0, tab);
    label.erase(label.find_last_not_of(' ') + 1);
    std::string value = line.substr(tab + 1);
    value.erase(0, value.find_first_not_of(' '));
    values.emplace(label, value);
  }
  return values;
}

int Decimals(const std::string &number) {
  const auto point = number.find('.');
  return point == std::string::npos ? 0 : static_cast<int>(number.size() - point - 1);
}

// The printed figure agrees with the expected one when both could be roundings
// of the same value; at equal precision that means the same text.
::testing::AssertionResult Agrees(const std::string &printed, const std::string &expected) {
  if (Decimals(printed) == Decimals(expected)) {
    if (printed == expected) return ::testing::AssertionSuccess();
  } else {
    const double slack = 0.5 * std::pow(10.0, -Decimals(printed)) + 0.5 * std::pow(10.0, -Decimals(expected));
    if (std::fabs(std::stod(printed) - std::stod(expected)) <= slack * (1 + 1e-9))
      return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "printed " << printed << ", expected " << expected;
}

double Value(const std::multimap<std::string, std::string> &values, const std::string &label) {
  const auto found = values.find(label);
  if (found == values.end()) {
    ADD_FAILURE() << "no line labelled " << label;
    return std::nan("");
  }
  return std::stod(found->second);
}

class Figures : public ::testing::TestWithParam<Example> {};

TEST_P(Figures, ReproducesIndependentValues) {
  const Example &example = GetParam();
  const Outcome run = Analyse(example);
  ASSERT_EQ(run.status, 0) << run.console.substr(run.console.size() > 2000 ? run.console.size() - 2000 : 0);
  ASSERT_FALSE(run.results.empty()) << "no results file";

  const std::string total = "Halvik found a total of ";
  const auto at = run.results.find(total);
  ASSERT_NE(at, std::string::npos) << "no total of segregating sites";
  EXPECT_EQ(std::stoi(run.results.substr(at + total.size())), example.sites);

  const auto values = Labelled(run.results);
  for (const auto &figure : example.figures) {
    const auto found = values.find(figure.label);
    if (found == values.end()) {
      ADD_FAILURE() << "no line labelled " << figure.label;
      continue;
    }
    EXPECT_TRUE(Agrees(found->second, figure.expected)) << figure.label;
  }
}

// Each P value is a count of lineups divided by their number; strong structure
// leaves almost no lineup at or above the observed ratio, none leaves many.
TEST_P(Figures, PValuesCountLineups) {
  const Example &example = GetParam();
  const Outcome run = Analyse(example);
  ASSERT_EQ(run.status, 0);
  const auto values = Labelled(run.results);
  EXPECT_EQ(Value(values, "Number of randomized sequence lineups:"), Lineups);
  for (const std::string label : {"P(Kst) =", "P(Fst) =", "P(K*st) =", "P(F*st) ="}) {
    const double p = Value(values, label);
    ASSERT_GE(p, 0.0) << label;
    ASSERT_LE(p, 1.0) << label;
    const double count = p * Lineups;
    EXPECT_NEAR(count, std::round(count), 0.5e-6 * Lineups) << label << " is not a whole count over " << Lineups;
    if (example.structured)
      EXPECT_LE(p, 0.02) << label;
    else
      EXPECT_GE(p, 0.15) << label;
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, Figures, ::testing::ValuesIn(Examples()),
                         [](const auto &info) { return info.param.name; });

double Harmonic(int n) {
  double sum = 0.0;
  for (int i = 1; i <= n; ++i) sum += 1.0 / i;
  return sum;
}

// The published figures that Halvik does not print as such follow from what it
// prints: the usual Theta divides by the sum to N - 1, the usual Hudson Fst takes
// the plain mean of the localities' K, and the published K*s weighs locality k
// by (n_k - 2)/(N - 4).
TEST(Stickleback, PublishedFiguresFollowFromTheStatedDifferences) {
  const Outcome run = Analyse(Examples().front());
  ASSERT_EQ(run.status, 0);
  const auto values = Labelled(run.results);
  const double k1 = Value(values, "K(EPAC_AK1_E to EPAC_BC9_L):");
  const double k2 = Value(values, "K(WPAC_JA1_A to WPAC_JA9_H):");
  const double kstar1 = Value(values, "K*(EPAC_AK1_E to EPAC_BC9_L):");
  const double kstar2 = Value(values, "K*(WPAC_JA1_A to WPAC_JA9_H):");
  const double kstart = Value(values, "K*t:");
  const double ft = Value(values, "Ft:");
  const double theta = Value(values, "Theta:");

  EXPECT_NEAR(theta * Harmonic(23) / Harmonic(22), 0.01052, 0.5e-5 + 0.5e-6 * 1.02);
  EXPECT_NEAR(1.0 - (k1 + k2) / 2.0 / ft, 0.68301, 0.5e-5 + 1e-5);
  const double publishedkstars = 12.0 / 19.0 * kstar1 + 7.0 / 19.0 * kstar2;
  EXPECT_NEAR(publishedkstars, 1.38575, 0.5e-5 + 1e-5);
  EXPECT_NEAR(1.0 - publishedkstars / kstart, 0.31176, 0.5e-5 + 1e-5);
}

}  // namespace
