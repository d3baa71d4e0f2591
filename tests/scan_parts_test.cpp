// The scan's parts where a fault hides from whole runs: exact signs of
// fractions, the two ways of summing lineups, Snn's two ways of weighing
// neighbours, the q-values, and the reading of genotypes.
#include <gtest/gtest.h>

#include "scan/kernel.h"
#include "scan/neighbours.h"
#include "scan/pairs.h"
#include "scan/records.h"
#include "scan/spool.h"
#include "scan/windowtest.h"
#include "scan_vcfs.h"
#include "store/wide.h"

namespace {

using namespace halvik;
using namespace scantest;



// Each locality's sum over its pairs and its samples' own pairs, plainly.
std::vector<std::int64_t> Plainsums(const Lineupset &lineups, const std::vector<std::vector<std::int64_t>> &m,
                                    std::int32_t r) {
  const std::int32_t n = lineups.Samples;
  std::vector<std::int64_t> sums(static_cast<std::size_t>(lineups.Localities) * m.size(), 0);
  for (std::int32_t a = 0; a < n; ++a)
    for (std::int32_t b = a; b < n; ++b) {
      const int k = lineups.Locality[static_cast<std::size_t>(r * n + a)];
      if (k != lineups.Locality[static_cast<std::size_t>(r * n + b)]) continue;
      for (std::size_t x = 0; x < m.size(); ++x) sums[k * m.size() + x] += m[x][static_cast<std::size_t>(a * n + b)];
    }
  return sums;
}

TEST(Scan, BothWaysOfSummingLineupsAgree) {
  struct Shape {
    std::vector<std::int32_t> Sizes;
    std::size_t Matrices;
  };
  // Two localities (the second derived), three, groups of four cut short,
  // and more matrices than one row of lanes holds.
  const std::vector<Shape> shapes = {{{5, 4}, 3}, {{3, 3, 4}, 3}, {{7, 9}, 1}, {{2, 2}, 6}, {{6, 2, 3, 2}, 5}};
  std::mt19937_64 random(7);
  for (const Shape &shape : shapes) {
    const Lineupset lineups = Drawlineups(shape.Sizes, 37, 5);
    const std::int32_t n = lineups.Samples;
    std::vector<std::vector<std::int64_t>> m(shape.Matrices,
                                             std::vector<std::int64_t>(static_cast<std::size_t>(n * n)));
    for (auto &matrix : m)
      for (std::int32_t a = 0; a < n; ++a)
        for (std::int32_t b = a; b < n; ++b)
          matrix[static_cast<std::size_t>(a * n + b)] = matrix[static_cast<std::size_t>(b * n + a)] =
              static_cast<std::int64_t>(random() >> 20);
    std::vector<const std::int64_t *> pointers;
    for (const auto &matrix : m) pointers.push_back(matrix.data());
    std::vector<std::int64_t> tables, pairs;
    Withinsums(Plankernel(lineups, Kernelmethod::Tables), lineups, pointers, 3, 37, tables);
    Withinsums(Plankernel(lineups, Kernelmethod::Pairs), lineups, pointers, 3, 37, pairs);
    const std::size_t row = static_cast<std::size_t>(lineups.Localities) * m.size();
    for (std::int32_t r = 3; r < 37; ++r) {
      const std::vector<std::int64_t> plain = Plainsums(lineups, m, r);
      const auto at = tables.begin() + static_cast<std::ptrdiff_t>((r - 3) * row);
      EXPECT_EQ(std::vector<std::int64_t>(at, at + static_cast<std::ptrdiff_t>(row)), plain) << "tables, lineup " << r;
      const auto by = pairs.begin() + static_cast<std::ptrdiff_t>((r - 3) * row);
      EXPECT_EQ(std::vector<std::int64_t>(by, by + static_cast<std::ptrdiff_t>(row)), plain) << "pairs, lineup " << r;
    }
  }
}

TEST(Scan, SnnCountsAreTheSameWhateverTheCommonMultiple) {
  // Few variants and many samples: many ties, and nearest-neighbour counts of
  // many sizes, whose common multiple passes any small bound.
  Vcfrecipe recipe;
  recipe.Samples = Makecohort({9, 11, 8});
  recipe.Records = 30;
  recipe.Missing = 0.15;
  recipe.Seed = 21;
  Put("n.vcf", Makevcf(recipe));
  const Assembled a = Assemble("n.vcf", recipe.Samples.Map(), 1000);
  Testsetup single = Setuptests(a.Layout, 99, 4, 0), several = Setuptests(a.Layout, 99, 4, 0);
  several.Snnlargest = 1;
  int tested = 0, split = 0;
  for (const Windowdata &w : a.Windows) {
    Pairimages sums;
    if (!Countpairs(w, sums) && w.Variants > 0) split += Nearest(sums, 1).Denominators.size() > 1;
    const Windowresult x = Testwindow(w, single), y = Testwindow(w, several);
    EXPECT_EQ(x.Tests[Snnstat].Count, y.Tests[Snnstat].Count);
    EXPECT_DOUBLE_EQ(x.Tests[Snnstat].Value, y.Tests[Snnstat].Value);
    tested += y.Tests[Snnstat].Drawn > 0;
  }
  EXPECT_GE(tested, 2);
  EXPECT_GE(split, 2);  // windows whose neighbour counts took more than one matrix
}

// Benjamini and Hochberg plainly: the k-th smallest of m becomes the
// smallest over j >= k of min(1, m p_(j) / j).
std::vector<double> Plainqvalues(const std::vector<double> &p) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < p.size(); ++i)
    if (!std::isnan(p[i])) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return p[a] < p[b]; });
  std::vector<double> q(p.size(), NAN);
  double running = 1;
  for (std::size_t j = order.size(); j-- > 0;) {
    running = std::min(running, std::min(1.0, static_cast<double>(order.size()) * p[order[j]] / (j + 1.0)));
    q[order[j]] = running;
  }
  return q;
}

TEST(Scan, QvaluesAdjustEveryWindowsP) {
  for (const std::int32_t stopafter : {0, 5}) {
    const Runinfo run{99, 1, stopafter, "v"};
    Qvalues qvalues;
    std::vector<Windowresult> rows;
    std::mt19937 random(stopafter + 1);
    for (int i = 0; i < 300; ++i) {
      Windowresult row;
      for (Testresult &t : row.Tests) {
        t.Drawn = random() % 9 == 0 ? 0 : 99;  // some untested
        t.Count = static_cast<std::int32_t>(random() % 3 == 0 ? random() % 100 : random() % 6);
        if (t.Drawn == 0) t.Count = 0;
        if (stopafter && t.Count >= stopafter && t.Drawn) {
          t.Count = stopafter;
          t.Drawn = static_cast<std::int32_t>(stopafter + random() % 90);
        }
        t.Count = std::min(t.Count, t.Drawn);
      }
      qvalues.Add(row, run);
      rows.push_back(row);
    }
    qvalues.Compute();
    for (int t = 0; t < Testcount; ++t) {
      std::vector<double> p;
      for (const Windowresult &row : rows) {
        const Testresult &test = row.Tests[static_cast<std::size_t>(t)];
        const bool stopped = stopafter && test.Count == stopafter;
        p.push_back(test.Drawn == 0 ? NAN : stopped ? double(test.Count) / test.Drawn : (test.Count + 1.0) / 100.0);
      }
      const std::vector<double> expected = Plainqvalues(p);
      for (std::size_t i = 0; i < rows.size(); ++i) {
        const double q = qvalues.Of(rows[i], run)[static_cast<std::size_t>(t)];
        if (std::isnan(expected[i]))
          EXPECT_TRUE(std::isnan(q));
        else
          EXPECT_NEAR(q, expected[i], 1e-12) << "window " << i;
      }
    }
  }
}

TEST(Scan, GenotypesAreReadAsWritten) {
  struct Gt {
    const char *Text;
    std::uint8_t First, Second;
    bool Missing, Unphased;
    const char *Problem;  // a part of the refusal, or ""
  };
  const std::vector<Gt> cases = {
      {"0|1", 0, 1, false, false, ""},
      {"1/0", 1, 0, false, true, ""},
      {"1/1", 1, 1, false, false, ""},
      {"2|0:35", 2, 0, false, false, ""},
      {"./.", Nocall, Nocall, true, false, ""},
      {".|1", Nocall, Nocall, true, false, ""},
      {".", Nocall, Nocall, true, false, ""},
      {"|0|1", 0, 1, false, false, ""},
      {"0|x", 0, 0, false, false, "malformed GT '0|x'"},
      {"0|", 0, 0, false, false, "malformed GT '0|'"},
      {"", 0, 0, false, false, "malformed GT ''"},
      {"0|3", 0, 0, false, false, "allele 3 where the record has 3"},
      {"0/1/1", 0, 0, false, false, "more than two alleles"},
      {"1", 0, 0, false, false, "a call of 1 allele where earlier calls have 2"},
  };
  for (const Gt &c : cases) {
    Callchecks checks;
    checks.Names = {"b"};  // the chosen sample's
    checks.Slots = {-1, 0};
    checks.Ploidy = 2;
    Vcfrecord record;
    std::string_view chrom;
    const std::string line = std::string("c1\t5\t.\tA\tG,T\t.\t.\t.\tGT\t0|0\t") + c.Text;
    const bool read = Parseline(line, 11, checks, record, chrom);
    SCOPED_TRACE(c.Text);
    if (*c.Problem) {
      EXPECT_FALSE(read);
      EXPECT_NE(checks.Problem.find(c.Problem), std::string::npos) << checks.Problem;
      EXPECT_NE(checks.Problem.find("sample b"), std::string::npos) << checks.Problem;
      continue;
    }
    ASSERT_TRUE(read) << checks.Problem;
    EXPECT_EQ(record.Calls[0], c.First);
    EXPECT_EQ(record.Calls[1], c.Second);
    EXPECT_EQ(record.Missing, c.Missing);
    EXPECT_EQ(record.Unphased, c.Unphased);
    EXPECT_EQ(record.Variable, !c.Missing && (c.First != c.Second));
  }
}

TEST(Scan, RecordsAreSkippedForTheirReasons) {
  struct Kind {
    const char *Ref, *Alt, *Filter;
    Skipreason Skip;
  };
  const std::vector<Kind> kinds = {
      {"A", "G", "PASS", Skipreason::None},         {"A", ".", ".", Skipreason::None},
      {"a", "c,t", "PASS", Skipreason::None},       {"A", "G", "q10", Skipreason::Filtered},
      {"A", "G", "PASS;q10", Skipreason::Filtered}, {"AT", "A", "PASS", Skipreason::Notbase},
      {"A", "<DEL>", "PASS", Skipreason::Notbase},  {"A", "G,*", "PASS", Skipreason::Star},
      {"A", "X", "PASS", Skipreason::Notbase},      {"N", "A", "PASS", Skipreason::None},
  };
  for (const Kind &k : kinds) {
    Callchecks checks;
    checks.Names = {"a"};
    checks.Slots = {0};
    Vcfrecord record;
    std::string_view chrom;
    const std::string line = std::string("c1\t5\t.\t") + k.Ref + "\t" + k.Alt + "\t.\t" + k.Filter + "\t.\tGT\t0|0";
    ASSERT_TRUE(Parseline(line, 10, checks, record, chrom)) << checks.Problem;
    EXPECT_EQ(record.Skip, k.Skip) << k.Ref << " " << k.Alt << " " << k.Filter;
  }
}

TEST(Scan, WindowsLeaveAsSoonAsNoLaterRecordCanFallInThem) {
  // The scan streams: a window is handed on when a used record passes its
  // end, and records no open window holds are let go.
  struct Step {
    std::int64_t Position;
    Skipreason Skip;
    std::vector<std::int64_t> Ended;  // the starts of the windows handed on by then
    std::size_t Held;
  };
  const std::vector<Step> steps = {{30, Skipreason::Filtered, {}, 1},
                                   {60, Skipreason::None, {}, 2},
                                   {130, Skipreason::None, {1}, 1},
                                   {420, Skipreason::Notbase, {1}, 2},
                                   {460, Skipreason::None, {1, 101, 201, 301}, 2}};
  Windowplan plan;
  plan.Size = plan.Step = 100;
  std::vector<Windowdata> ended;
  Windower windower(plan, 2, [&](Windowdata &&w) { ended.push_back(std::move(w)); });
  for (const Step &step : steps) {
    Vcfrecord record;
    record.Position = step.Position;
    record.Skip = step.Skip;
    record.Calls = {0, 1, 1, 1};
    record.Variable = true;
    windower.Add(record, "c1", 2);
    std::vector<std::int64_t> starts;
    for (const Windowdata &w : ended) starts.push_back(w.Start);
    EXPECT_EQ(starts, step.Ended) << "after position " << step.Position;
    EXPECT_EQ(windower.Heldrecords(), step.Held) << "after position " << step.Position;
  }
  windower.Finish(2);
  ASSERT_EQ(ended.size(), 5u);
  const std::int64_t records[] = {1, 1, 0, 0, 1}, filtered[] = {1, 0, 0, 0, 0}, other[] = {0, 0, 0, 0, 1};
  for (std::size_t w = 0; w < 5; ++w) {
    EXPECT_EQ(ended[w].Records, records[w]) << w;
    EXPECT_EQ(ended[w].Skipped[0], filtered[w]) << w;
    EXPECT_EQ(ended[w].Skipped[1], other[w]) << w;
  }
}

}  // namespace
