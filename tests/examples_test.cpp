// Runs the real alignments under examples/ through whole analyses and checks
// the figures of the results file against values computed without Halvik. For
// the stickleback alignment they include the figures that a widely used tool
// published for the same data: Ks, Kt, Kst and K*t agree outright, and its
// other figures follow from Halvik's by the differences of definition that the
// README states.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "fuzz/harness.h"

namespace halvik::fuzzing {
namespace {

constexpr int Lineups = 199;  // the harness fixes the random source

struct Example {
  const char *name, *file;
  const char *localities;  // the count, then the first sequence of localities 2, 3, ...
  int sites;
  const char *figures;  // label=value|...; the decimals say how closely it must agree
  bool structured;      // P values should be small; else large
};

const Example Examples[] = {
    {"stickleback", "stickleback-orti.txt", "2\n15\n", 29,
     "Pn:=0.038822|Theta:=0.010396|K(EPAC_AK1_E to EPAC_BC9_L):=8.27473|K(WPAC_JA1_A to WPAC_JA9_H):=1.94444|"
     "K(EPAC_AK1_E to WPAC_JA9_H):=11.28063|Ks:=5.79766|Kt:=11.28063|Kst:=0.48605|Kst:=0.486052|Fs:=5.79766|"
     "Ft:=16.11905|Fst:=0.640322|K*s:=1.37164|K*t:=2.01346|K*st:=0.318767|F*s:=1.37164|F*b:=2.59334|F*sb:=0.471093",
     true},
    {"cg15644", "cg15644-zimbabwe.txt", "2\n6\n", 47,
     "Pn:=0.074250|Theta:=0.025350|K(ZS2 to ZS51):=15.0|K(ZH1 to ZH42):=21.6|Ks:=18.30000|Kt:=17.93333|"
     "Kst:=-0.020446|Ft:=17.64000|Fst:=-0.037415|K*s:=2.52639|K*t:=2.51799|K*st:=-0.003334|F*b:=2.51127|"
     "F*sb:=-0.006017",
     false},
    {"dolphin3", "dolphin-dloop.txt", "3\n69\n109\n", 43,
     "Pn:=0.106965|Theta:=0.019745|K(Coa_23945 to Coa_78069):=2.04741|K(OfN_4495 to OfN_78532):=9.24103|"
     "K(OfS_18650 to OfS_41759):=7.84967|Ks:=5.15999|Kt:=6.43302|Kst:=0.197889|Ft:=8.05896|Fst:=0.359720|"
     "K*s:=1.49044|K*t:=1.78376|K*st:=0.164439|F*b:=2.12007|F*sb:=0.296985",
     true},
    {"dolphin2", "dolphin-dloop.txt", "2\n69\n", 43,
     "Ks:=5.25310|Kt:=6.43302|Kst:=0.183416|Ft:=7.88540|Fst:=0.333819|K*s:=1.50346|K*st:=0.157139|F*b:=2.11122|"
     "F*sb:=0.287870",
     true},
};

// One complete analysis, answered as a user would; the results file's values
// by label (the text before the tab, trailing blanks dropped; the first line
// of each label), and the number of segregating sites.
std::map<std::string, std::string> Analyse(const Example &example) {
  Inworkfolder here;
  Clearfolder();
  Writefile(example.file, Readfile(fs::path(HALVIK_E2E_DIR) / ".." / ".." / "examples" / example.file));
  const Outcome run =
      Runwithkeys(example.file + std::string("\n\n") + example.localities + "y\n" + std::to_string(Lineups) + "\nn\n");
  EXPECT_EQ(run.status, 0);
  std::map<std::string, std::string> values;
  std::istringstream lines(Readfile(std::string(example.file) + ".HVK"));
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("Halvik found a total of")) values.emplace("sites", line.substr(23));
    const auto tab = line.find('\t');
    if (tab == std::string::npos || tab == 0) continue;
    const std::string label = line.substr(0, line.find_last_not_of(' ', tab - 1) + 1);
    values.emplace(label, line.substr(line.find_first_not_of(' ', tab + 1)));
  }
  return values;
}

// Both could be roundings of the same value; at equal precision that means the
// same text.
bool Agrees(const std::string &printed, const std::string &expected) {
  auto decimals = [](const std::string &x) { return x.find('.') == x.npos ? 0 : int(x.size() - x.find('.') - 1); };
  if (decimals(printed) == decimals(expected)) return printed == expected;
  const double slack = 0.5 * std::pow(10.0, -decimals(printed)) + 0.5 * std::pow(10.0, -decimals(expected));
  return std::fabs(std::stod(printed) - std::stod(expected)) <= slack * (1 + 1e-9);
}

double Value(const std::map<std::string, std::string> &values, const std::string &label) {
  const auto found = values.find(label);
  if (found != values.end()) return std::stod(found->second);
  ADD_FAILURE() << "no line labelled " << label;
  return std::nan("");
}

void PrintTo(const Example &example, std::ostream *out) { *out << example.name; }

class Figures : public ::testing::TestWithParam<Example> {};

// Each P value is a count of lineups divided by their number; strong structure
// leaves almost no lineup at or above the observed ratio, none leaves many.
TEST_P(Figures, Reproduceindependentvaluesandpvaluescountlineups) {
  const Example &example = GetParam();
  const auto values = Analyse(example);
  EXPECT_EQ(Value(values, "sites"), example.sites);
  std::istringstream figures(example.figures);
  for (std::string figure; std::getline(figures, figure, '|');) {
    const std::string label = figure.substr(0, figure.find('=')), expected = figure.substr(figure.find('=') + 1);
    const auto found = values.find(label);
    EXPECT_TRUE(found != values.end() && Agrees(found->second, expected))
        << label << " printed " << (found == values.end() ? "nothing" : found->second) << ", expected " << expected;
  }
  EXPECT_EQ(Value(values, "Number of randomized sequence lineups:"), Lineups);
  for (const std::string label : {"P(Kst) =", "P(Fst) =", "P(K*st) =", "P(F*st) ="}) {
    const double p = Value(values, label), count = p * Lineups;
    EXPECT_NEAR(count, std::round(count), 0.5e-6 * Lineups) << label << " is not a whole count over " << Lineups;
    EXPECT_TRUE(example.structured ? p >= 0 && p <= 0.02 : p >= 0.15 && p <= 1) << label << " = " << p;
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, Figures, ::testing::ValuesIn(Examples),
                         [](const auto &info) { return std::string(info.param.name); });

// The published figures that Halvik does not print as such follow from what it
// prints: the usual Theta divides by the sum to N - 1, the usual Hudson Fst takes
// the plain mean of the localities' K, and the published K*s weighs locality k
// by (n_k - 2)/(N - 4).
TEST(Stickleback, Publishedfiguresfollowfromthestateddifferences) {
  const auto values = Analyse(Examples[0]);
  auto harmonic = [](int n) {
    double sum = 0.0;
    for (int i = 1; i <= n; ++i) sum += 1.0 / i;
    return sum;
  };
  const double k1 = Value(values, "K(EPAC_AK1_E to EPAC_BC9_L):"), k2 = Value(values, "K(WPAC_JA1_A to WPAC_JA9_H):");
  const double kstars = 12.0 / 19.0 * Value(values, "K*(EPAC_AK1_E to EPAC_BC9_L):") +
                        7.0 / 19.0 * Value(values, "K*(WPAC_JA1_A to WPAC_JA9_H):");
  EXPECT_NEAR(Value(values, "Theta:") * harmonic(23) / harmonic(22), 0.01052, 0.5e-5 + 0.5e-6 * 1.02);
  EXPECT_NEAR(1.0 - (k1 + k2) / 2.0 / Value(values, "Ft:"), 0.68301, 0.5e-5 + 1e-5);
  EXPECT_NEAR(kstars, 1.38575, 0.5e-5 + 1e-5);
  EXPECT_NEAR(1.0 - kstars / Value(values, "K*t:"), 0.31176, 0.5e-5 + 1e-5);
}

}  // namespace
}  // namespace halvik::fuzzing
