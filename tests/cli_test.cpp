// The command line's analyses against the dialogue's, and the figures of its
// table against the results files and against each other.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "cli/fileanalysis.h"
#include "cli/pairwise.h"
#include "cli/table.h"
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
                    bool everyvalue = false, bool pairwise = false) {
  Bindsinks(-1, -1);
  Console.discard = true;
  Filerequest request;
  request.File = file;
  request.Starts = std::move(starts);
  request.Lineups = lineups;
  request.Seed = seed;
  request.Everyvalue = everyvalue;
  request.Pairwise = pairwise;
  return Analysefile(request);
}

// The row without the file and the last two columns (groups, notes): the
// figures.
std::string Figures(const Fileresult &r) {
  std::string row = Tsvrow(r, false, nullptr);
  row.erase(0, row.find('\t'));
  for (int column = 0; column < 2; ++column) row.erase(row.rfind('\t'));
  return row;
}

// The results file's value after a label (first line holding it), as printed.
std::string Printed(const std::string &results, const std::string &label) {
  const std::size_t at = results.find("\n" + label + "\t");
  if (at == std::string::npos) return "missing";
  const std::size_t start = results.find_first_not_of(' ', at + label.size() + 2);
  return results.substr(start, results.find('\n', start) - start);
}

struct Case {
  const char *file, *keys;
  std::vector<std::int32_t> starts;
};

// The dialogue answered as the options answer; a file with no segregating
// site is refused after its first lines, which both leave.
TEST(Commandline, WritesTheDialoguesResultsFileAndItsFigures) {
  const Case cases[] = {{"stickleback-orti.txt", "2\n15\n", {1, 15}},
                        {"cg15644-zimbabwe.txt", "2\n6\n", {1, 6}},
                        {"dolphin-dloop.txt", "3\n69\n109\n", {1, 69, 109}},
                        {"same.txt", "", {1}}};
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
    if (!r.Ok) continue;
    const Subdivision &s = r.Stats;
    const std::map<std::string, std::pair<double, int>> figures = {{"Pn:  ", {r.Pn, 6}},
                                                                   {"Theta:  ", {r.Theta, 6}},
                                                                   {"Ks:  ", {s.Ks, 5}},
                                                                   {"Kst: ", {s.Kst, 6}},
                                                                   {"Ft:  ", {s.Ft, 5}},
                                                                   {"Fst: ", {s.Fst, 6}},
                                                                   {"K*t:  ", {s.Ktstar, 5}},
                                                                   {"K*st: ", {s.Kststar, 6}},
                                                                   {"F*b:  ", {s.Fbstar, 5}},
                                                                   {"F*sb: ", {s.Fsbstar, 6}},
                                                                   {"P(Kst) = ", {r.Counts.Kst / 199.0, 6}},
                                                                   {"P(F*st) = ", {r.Counts.Fsbstar / 199.0, 6}}};
    for (const auto &[label, value] : figures)
      EXPECT_EQ(Printed(results, label), Realtext(value.first, value.second)) << c.file << " " << label;
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
  // The two localities' lines interleaved, each in its own order.
  std::istringstream lines(Example("stickleback-orti.txt"));
  std::vector<std::string> east, west;
  for (std::string line; std::getline(lines, line);) (line.starts_with("E") ? east : west).push_back(line + "\n");
  std::string mixed;
  for (std::size_t i = 0; i < east.size(); ++i) mixed += (i < west.size() ? west[i] : "") + east[i];
  Writefile("mixed.txt", mixed);
  auto map = Readgroups("map", Example("stickleback-orti.groups"));
  ASSERT_TRUE(std::holds_alternative<Groupmap>(map));
  Bindsinks(-1, -1);
  Console.discard = true;
  const Filerequest request{"mixed.txt", {}, {1}, &std::get<Groupmap>(map), "map", 99, 5};
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
    ASSERT_TRUE(r.Ok) << r.Message;
    auto reached = [](const std::vector<double> &values, double observed) {
      return static_cast<std::int32_t>(
          std::count_if(values.begin(), values.end(), [&](double v) { return v >= observed; }));
    };
    EXPECT_EQ(reached(r.Null.Kst, r.Stats.Kst), r.Counts.Kst) << file;
    EXPECT_EQ(reached(r.Null.Fst, r.Stats.Fst), r.Counts.Fst) << file;
    EXPECT_EQ(reached(r.Null.Kststar, r.Stats.Kststar), r.Counts.Kststar) << file;
    EXPECT_EQ(reached(r.Null.Fsbstar, r.Stats.Fsbstar), r.Counts.Fsbstar) << file;
  }
}

// A pair's row is the row of the file of the two localities' sequences alone,
// with the pair's seed.
TEST(Commandline, APairsRowIsTheAnalysisOfItsOwnFile) {
  const support::Inworkfolder here;
  const std::string lines = Example("dolphin-dloop.txt");
  Writefile("dolphin.txt", lines);
  const std::vector<std::int32_t> starts = {1, 69, 109, 127};
  const Fileresult whole = Analysed("dolphin.txt", {1, 69, 109}, 299, 77, false, true);
  ASSERT_EQ(whole.Pairs.size(), 3u);
  std::vector<std::string> records;
  std::istringstream in(lines);
  for (std::string line; std::getline(in, line);) records.push_back(line + "\n");
  std::size_t p = 0;
  for (std::int32_t i = 1; i <= 3; ++i)
    for (std::int32_t j = i + 1; j <= 3; ++j, ++p) {
      std::string pairfile;
      for (std::int32_t k : {i, j})
        for (std::int32_t r = starts[static_cast<std::size_t>(k - 1)]; r < starts[static_cast<std::size_t>(k)]; ++r)
          pairfile += records[static_cast<std::size_t>(r - 1)];
      Writefile("pair.txt", pairfile);
      const std::int32_t second = starts[static_cast<std::size_t>(i)] - starts[static_cast<std::size_t>(i - 1)] + 1;
      const Fileresult alone = Analysed("pair.txt", {1, second}, 299, Pairseed(77, i, j));
      EXPECT_EQ(Figures(whole.Pairs[p]), Figures(alone)) << i << "-" << j;
      EXPECT_EQ(whole.Pairs[p].Pair, std::to_string(i) + "-" + std::to_string(j));
    }
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

}  // namespace
}  // namespace halvik
