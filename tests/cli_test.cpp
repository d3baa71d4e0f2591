// The command line's analyses against the dialogue's, and the figures of its
// table against the results files and against each other.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "cli/fileanalysis.h"
#include "cli/lineupfiles.h"
#include "cli/options.h"
#include "cli/pairwise.h"
#include "cli/table.h"
#include "stats/tested.h"
#include "support.h"

namespace halvik {
namespace {

namespace fs = std::filesystem;
using support::Readfile;
using support::Writefile;

constexpr std::uint32_t Seed = 20261206u;  // the seed of support::Runwithkeys

std::string Example(const std::string &name) {
  return Readfile(fs::path(HALVIK_E2E_DIR) / ".." / ".." / "examples" / name);
}

Fileresult Analysed(const std::string &file, std::vector<std::int32_t> starts, std::int32_t lineups, std::uint32_t seed,
                    bool everyvalue = false, bool pairwise = false, Missingpolicy missing = Missingpolicy::State) {
  Filerequest request;
  request.Missing = missing;
  request.File = file;
  request.Results = file + ".HVK";
  request.Starts = std::move(starts);
  request.Lineups = lineups;
  request.Seed = seed;
  request.Everyvalue = everyvalue;
  request.Pairwise = pairwise;
  return Analysefile(request);
}

// The row without the columns that name rather than measure (file, groups,
// notes): the figures.
std::string Figures(const Fileresult &r) {
  std::istringstream header(Tsvheader(false)), row(Tsvrow(r, false, nullptr));
  std::string figures;
  for (std::string name, value; std::getline(header, name, '\t') && std::getline(row, value, '\t');)
    if (name != "file" && name != "groups" && name != "notes") figures += value + "|";
  return figures;
}

// The results file's value after a label (first line holding it), as printed.
std::string Printed(const std::string &results, const std::string &label) {
  const std::size_t at = results.find("\n" + label + "\t");
  if (at == std::string::npos) return "missing";
  const std::size_t start = results.find_first_not_of(' ', at + label.size() + 2);
  return results.substr(start, results.find('\n', start) - start);
}

// Two renderings of one value agree when they could round the same number.
bool Agrees(const std::string &printed, const std::string &expected) {
  auto decimals = [](const std::string &x) { return x.find('.') == x.npos ? 0 : int(x.size() - x.find('.') - 1); };
  if (decimals(printed) == decimals(expected)) return printed == expected;
  const double slack = 0.5 * std::pow(10.0, -decimals(printed)) + 0.5 * std::pow(10.0, -decimals(expected));
  return std::fabs(std::stod(printed) - std::stod(expected)) <= slack * (1 + 1e-9);
}

struct Case {
  const char *file, *keys;
  std::vector<std::int32_t> starts;
  // Figures computed without Halvik, "label|value|label|value..."; for the
  // stickleback sample they include those a widely used tool published.
  const char *figures;
  bool structured;  // P values should be small; else large
};

// The dialogue answered as the options answer writes the same results file,
// whose figures are the independent ones and the table's; a file with no
// segregating site is refused after its first lines, which both leave.
TEST(Commandline, WritesTheDialoguesResultsFileAndItsFigures) {
  const Case cases[] = {
      {"stickleback-orti.txt",
       "2\n15\n",
       {1, 15},
       "Pn:  |0.038822|Theta:  |0.010396|K(EPAC_AK1_E to EPAC_BC9_L):  |8.27473|K(WPAC_JA1_A to WPAC_JA9_H):  |1.94444|"
       "Ks:  |5.79766|Kt:  |11.28063|Kst: |0.486052|Ft:  |16.11905|Fst: |0.640322|K*s:  |1.37164|K*t:  |2.01346|"
       "K*st: |0.318767|F*b:  |2.59334|F*sb: |0.471093",
       true},
      {"cg15644-zimbabwe.txt",
       "2\n6\n",
       {1, 6},
       "Pn:  |0.074250|Theta:  |0.025350|K(ZS2 to ZS51):  |15.0|K(ZH1 to ZH42):  |21.6|Ks:  |18.30000|Kt:  |17.93333|"
       "Kst: |-0.020446|Ft:  |17.64000|Fst: |-0.037415|K*s:  |2.52639|K*t:  |2.51799|K*st: |-0.003334|F*b:  |2.51127|"
       "F*sb: |-0.006017",
       false},
      {"dolphin-dloop.txt",
       "3\n69\n109\n",
       {1, 69, 109},
       "Pn:  |0.106965|Theta:  |0.019745|K(Coa_23945 to Coa_78069):  |2.04741|K(OfN_4495 to OfN_78532):  |9.24103|"
       "Ks:  |5.15999|Kt:  |6.43302|Kst: |0.197889|Ft:  |8.05896|Fst: |0.359720|K*s:  |1.49044|K*t:  |1.78376|"
       "K*st: |0.164439|F*b:  |2.12007|F*sb: |0.296985",
       true},
      {"same.txt", "", {1}, "", false}};
  for (const Case &c : cases) {
    const support::Inworkfolder here;
    Writefile(c.file, std::string(c.file) == "same.txt" ? "a ACGT\nb ACGT\nc ACGT\n" : Example(c.file));
    const std::string hvk = std::string(c.file) + ".HVK";
    support::Runwithkeys(c.file + std::string("\n\n") + c.keys + "y\n199\nn\n");
    const std::string dialogue = Readfile(hvk);
    fs::remove(hvk);
    const Fileresult r = Analysed(c.file, c.starts, 199, Seed);
    const std::string results = Readfile(hvk);
    EXPECT_EQ(results, dialogue) << c.file;
    if (!r.Ok()) continue;
    std::istringstream figures(c.figures);
    for (std::string label, value; std::getline(figures, label, '|') && std::getline(figures, value, '|');)
      EXPECT_TRUE(Agrees(Printed(results, label), value)) << c.file << " " << label << Printed(results, label);
    const Subdivision &s = r.Stats;
    const std::pair<std::string, std::pair<double, int>> table[] = {{"Pn:  ", {r.Pn, 6}},
                                                                    {"Kst: ", {s.Kst, 6}},
                                                                    {"Fst: ", {s.Fst, 6}},
                                                                    {"K*t:  ", {s.Ktstar, 5}},
                                                                    {"F*sb: ", {s.Fsbstar, 6}},
                                                                    {"P(Kst) = ", {r.Counts[Testkst] / 199.0, 6}},
                                                                    {"P(F*st) = ", {r.Counts[Testfsbstar] / 199.0, 6}}};
    for (const auto &[label, value] : table)
      EXPECT_EQ(Printed(results, label), Realtext(value.first, value.second)) << c.file << " " << label;
    // Strong structure leaves almost no lineup at or above the observed ratio, none leaves many.
    const double p = r.Counts[Testkst] / 199.0;
    EXPECT_TRUE(c.structured ? p <= 0.02 : p >= 0.15) << c.file << " P(Kst) " << p;
  }
}

// The figures a widely used tool published for the stickleback sample that
// Halvik does not print as such follow from Halvik's by the differences of
// definition the README states: the usual Theta divides by the harmonic sum
// to N - 1, the usual Hudson Fst takes the plain mean of the localities' K,
// and the published K*s weighs locality k by (n_k - 2)/(N - 4).
TEST(Commandline, PublishedSticklebackFiguresFollowFromTheStatedDifferences) {
  const support::Inworkfolder here;
  Writefile("s.txt", Example("stickleback-orti.txt"));
  const Fileresult r = Analysed("s.txt", {1, 15}, 9, 1);
  auto harmonic = [](int n) {
    double sum = 0.0;
    for (int i = 1; i <= n; ++i) sum += 1.0 / i;
    return sum;
  };
  const double kstars = 12.0 / 19.0 * r.Localities[0].Kstar + 7.0 / 19.0 * r.Localities[1].Kstar;
  EXPECT_NEAR(r.Theta * harmonic(23) / harmonic(22), 0.01052, 0.5e-5);
  EXPECT_NEAR(1.0 - (r.Localities[0].K + r.Localities[1].K) / 2.0 / r.Stats.Ft, 0.68301, 0.5e-5);
  EXPECT_NEAR(kstars, 1.38575, 0.5e-5);
  EXPECT_NEAR(1.0 - kstars / r.Stats.Ktstar, 0.31176, 0.5e-5);
}

// Snn and ΦST on the lineups the other four use: the stickleback figures a
// published analysis gives, and two groups of six identical sequences, which
// every statistic must find with exact P 2/924 (the two divisions that keep
// the groups apart, the localities labelled) and Monte Carlo p1 at most 0.01.
TEST(Commandline, SnnAndPhistFindStructure) {
  const support::Inworkfolder here;
  Writefile("s.txt", Example("stickleback-orti.txt"));
  const Fileresult stickleback = Analysed("s.txt", {1, 15}, 99, 3);
  EXPECT_NEAR(Observedvalue(stickleback.Stats, Testsnn), 0.82101, 0.5e-5);
  EXPECT_NEAR(Observedvalue(stickleback.Stats, Testphist), 0.649772, 0.5e-6);
  std::string twelve;
  for (int i = 0; i < 12; ++i) twelve += "q" + std::to_string(i) + (i < 6 ? " ACGTACGT\n" : " ACGAACTT\n");
  Writefile("twelve.txt", twelve);
  const Fileresult r = Analysed("twelve.txt", {1, 7}, 9999, 20261206u);
  ASSERT_TRUE(r.Ok()) << r.Message;
  EXPECT_EQ(Observedvalue(r.Stats, Testsnn), 1.0);
  EXPECT_EQ(r.Shares.Divisions, 924);
  for (const Testedstatistic &t : Testedstatistics) {
    EXPECT_EQ(r.Shares.Share[static_cast<std::size_t>(t.Id)], 2.0 / 924.0) << t.Name;
    EXPECT_LE(static_cast<double>(r.Counts[t.Id] + 1) / 10000.0, 0.01) << t.Name;
  }
}

// The alignment formats and a shuffled file with its map give the figures of
// the sorted file in Halvik's own format.
TEST(Commandline, EveryFormatGivesTheFiguresOfTheNativeFile) {
  const support::Inworkfolder here;
  Writefile("native.txt", Example("stickleback-orti.txt"));
  const std::string expected = Figures(Analysed("native.txt", {1, 15}, 99, 5));
  for (const std::string file : {"stickleback-orti.fasta", "stickleback-orti.nex"}) {
    Writefile(file, Example(file));
    EXPECT_EQ(Figures(Analysed(file, {1, 15}, 99, 5)), expected) << file;
  }
  for (const std::string file : {"stickleback-orti.phy", "stickleback-orti.aln"}) {
    Writefile(file, Readfile(fs::path(HALVIK_E2E_DIR) / ".." / "data" / file));
    EXPECT_EQ(Figures(Analysed(file, {1, 15}, 99, 5)), expected) << file;
  }
  // The two localities' lines interleaved, each in its own order; the
  // localities are numbered as they first appear in the file.
  std::istringstream lines(Example("stickleback-orti.txt"));
  std::vector<std::string> east, west;
  for (std::string line; std::getline(lines, line);) (line.starts_with("E") ? east : west).push_back(line + "\n");
  std::string mixed;
  for (std::size_t i = 0; i < east.size(); ++i) mixed += east[i] + (i < west.size() ? west[i] : "");
  Writefile("mixed.txt", mixed);
  auto map = Readgroups("map", Example("stickleback-orti.groups"));
  ASSERT_TRUE(std::holds_alternative<Groupmap>(map));
  Filerequest request;
  request.File = "mixed.txt";
  request.Groups = &std::get<Groupmap>(map);
  request.Groupsname = "map";
  request.Lineups = 99;
  request.Seed = 5;
  const Fileresult shuffled = Analysefile(request);
  EXPECT_EQ(Figures(shuffled), expected);
  EXPECT_EQ(shuffled.Localities[0].Name + "," + shuffled.Localities[1].Name, "East,West");
}

// Counting the lineups at or above the observed value in every lineup's
// values gives the table's counts: one, two and many localities, with ties.
TEST(Commandline, EveryLineupsValuesGiveTheCounts) {
  const support::Inworkfolder here;
  Writefile("dolphin.txt", Example("dolphin-dloop.txt"));
  std::string duplicates;
  for (int i = 0; i < 12; ++i) duplicates += "d" + std::to_string(i) + " " + (i % 3 ? "ACGTAC" : "ACCTAG") + "\n";
  Writefile("ties.txt", duplicates);
  const std::pair<const char *, std::vector<std::int32_t>> runs[] = {
      {"dolphin.txt", {1}}, {"dolphin.txt", {1, 69}}, {"dolphin.txt", {1, 20, 69, 90, 109}}, {"ties.txt", {1, 4, 7}}};
  for (const auto &[file, starts] : runs) {
    const Fileresult r = Analysed(file, starts, 499, 9, true);
    ASSERT_TRUE(r.Ok()) << r.Message;
    auto reached = [](const std::vector<double> &values, double observed) {
      return static_cast<std::int32_t>(
          std::count_if(values.begin(), values.end(), [&](double v) { return v >= observed; }));
    };
    for (const Testedstatistic &t : Testedstatistics)
      EXPECT_EQ(reached(r.Null.Values[t.Id], Observedvalue(r.Stats, t.Id)), r.Counts[t.Id]) << file << " " << t.Name;
  }
}

// A pair's row is the row of the file of the two localities' sequences alone,
// with the pair's seed.
// Under every policy; the second sample has a segregating site holding a gap
// in the first pair, which the pair's warning must count.
TEST(Commandline, APairsRowIsTheAnalysisOfItsOwnFile) {
  const support::Inworkfolder here;
  struct Sample {
    std::string lines;
    std::vector<std::int32_t> starts;
  } const samples[] = {
      {Example("dolphin-dloop.txt"), {1, 69, 109, 127}},
      {"a1 ACGTACGT\na2 -CGTACGA\nb1 GCGTACGT\nb2 ACGTACGA\nc1 ACGTTCGT\nc2 ACGTACGT\n", {1, 3, 5, 7}}};
  for (const Sample &sample : samples)
    for (const Missingpolicy missing : {Missingpolicy::State, Missingpolicy::Complete, Missingpolicy::Pairwise}) {
      const std::vector<std::int32_t> &starts = sample.starts;
      Writefile("whole.txt", sample.lines);
      std::vector<std::string> records;
      std::istringstream in(sample.lines);
      for (std::string line; std::getline(in, line);) records.push_back(line + "\n");
      const Fileresult whole = Analysed("whole.txt", {starts[0], starts[1], starts[2]}, 299, 77, false, true, missing);
      ASSERT_EQ(whole.Pairs.size(), 3u);
      std::size_t p = 0;
      for (std::int32_t i = 1; i <= 3; ++i)
        for (std::int32_t j = i + 1; j <= 3; ++j, ++p) {
          std::string pairfile;
          for (std::int32_t k : {i, j})
            for (std::int32_t r = starts[static_cast<std::size_t>(k - 1)]; r < starts[static_cast<std::size_t>(k)]; ++r)
              pairfile += records[static_cast<std::size_t>(r - 1)];
          Writefile("pair.txt", pairfile);
          const std::int32_t second = starts[static_cast<std::size_t>(i)] - starts[static_cast<std::size_t>(i - 1)] + 1;
          const Fileresult alone = Analysed("pair.txt", {1, second}, 299, Pairseed(77, i, j), false, false, missing);
          const std::string where =
              std::to_string(i) + "-" + std::to_string(j) + " policy " + std::to_string(static_cast<int>(missing));
          EXPECT_EQ(Figures(whole.Pairs[p]), Figures(alone)) << where;
          // The pair says what its own gaps did, as its own file would.
          EXPECT_EQ(whole.Pairs[p].Gappedsites, alone.Gappedsites) << where;
          EXPECT_EQ(whole.Pairs[p].Warnings, alone.Warnings) << where;
          EXPECT_EQ(whole.Pairs[p].Pair, std::to_string(i) + "-" + std::to_string(j));
        }
    }
}

// A number option takes its bounds themselves (-r 29999, --seed 4294967295)
// and nothing beyond them or other than digits.
TEST(Commandline, WholeNumbersIncludeTheirBounds) {
  struct Number {
    const char *text;
    std::int64_t lowest, highest;
    std::optional<std::int64_t> value;
  } const numbers[] = {{"29999", 1, 29999, 29999},
                       {"1", 1, 29999, 1},
                       {"30000", 1, 29999, {}},
                       {"0", 1, 29999, {}},
                       {"4294967295", 0, 4294967295, 4294967295},
                       {"0", 0, 4294967295, 0},
                       {"4294967296", 0, 4294967295, {}},
                       {"007", 1, 30, 7},
                       {"+7", 1, 30, {}},
                       {"", 1, 30, {}},
                       {"1234567890123456789", 1, INT64_MAX, {}}};
  for (const Number &n : numbers) EXPECT_EQ(Wholenumber(n.text, n.lowest, n.highest), n.value) << n.text;
}

// Without --seed the table reports the seed drawn; given back, it repeats the run.
TEST(Commandline, TheReportedSeedRepeatsTheRun) {
  const support::Inworkfolder here;
  Writefile("s.txt", Example("stickleback-orti.txt"));
  const std::string run = std::string(HALVIK_BINARY) + " -q -r 99 -l 1,15 s.txt > ";
  ASSERT_EQ(std::system((run + "first.tsv").c_str()), 0);
  const std::string first = Readfile("first.tsv");
  std::istringstream header(first.substr(0, first.find('\n'))), row(first.substr(first.find('\n') + 1));
  std::string name, value, seed;
  while (std::getline(header, name, '\t') && std::getline(row, value, '\t'))
    if (name == "seed") seed = value;
  ASSERT_FALSE(seed.empty());
  ASSERT_EQ(std::system((std::string(HALVIK_BINARY) + " -q -r 99 -l 1,15 -s " + seed + " s.txt > again.tsv").c_str()),
            0);
  EXPECT_EQ(Readfile("again.tsv"), first);
}

// With several FILEs, each gets its own null table and picture.
TEST(Commandline, NumbersTheFilesOfSeveralFiles) {
  const std::tuple<std::string, std::size_t, std::size_t, std::string> cases[] = {
      {"plot.svg", 1, 1, "plot.svg"},       {"plot.svg", 2, 3, "plot-2.svg"}, {"plot", 1, 2, "plot-1"},
      {"out.d/plot", 1, 2, "out.d/plot-1"}, {".hidden", 2, 2, ".hidden-2"},   {"d/.hidden", 1, 2, "d/.hidden-1"}};
  for (const auto &[given, position, files, expected] : cases)
    EXPECT_EQ(Numberedname(given, position, files), expected) << given;
}

}  // namespace
}  // namespace halvik
