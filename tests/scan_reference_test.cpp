// Every window of a scan against the plain reference of scan_vcfs.h: its
// records, variants, statistics and the counts of its lineups.
#include <gtest/gtest.h>

#include "scan_vcfs.h"

namespace {

using namespace scantest;

struct Referencecase {
  const char *Name;
  std::vector<int> Sizes;  // samples per locality
  double Missing, Unphased;
  std::int64_t Window;
  std::uint32_t Seed;
};

const Referencecase Cases[] = {
    {"PhasedWithMissingCalls", {5, 4}, 0.1, 0.0, 1000, 11},
    {"PhasedThreeLocalitiesOfTwoSizes", {4, 3, 4}, 0.08, 0.0, 1500, 12},
    {"PhasedNothingMissing", {6, 6}, 0.0, 0.0, 1000, 13},
    {"UnphasedWithMissingCalls", {5, 5}, 0.1, 1.0, 1000, 14},
    {"PhasedThirtyLocalities", std::vector<int>(30, 2), 0.0, 0.0, 1500, 15},  // the most a map may name
};

// The chosen samples arranged by locality (first appearance), VCF order within.
std::vector<int> Arrangedcolumns(const Cohort &c, std::vector<int> &places) {
  std::vector<std::string> order;
  for (const std::string &p : c.Places)
    if (std::find(order.begin(), order.end(), p) == order.end()) order.push_back(p);
  std::vector<int> columns;
  for (std::size_t k = 0; k < order.size(); ++k)
    for (std::size_t s = 0; s < c.Names.size(); ++s)
      if (c.Places[s] == order[k]) {
        columns.push_back(static_cast<int>(s));
        places.push_back(static_cast<int>(k));
      }
  return columns;
}

class Reference : public ::testing::TestWithParam<Referencecase> {};

TEST_P(Reference, WindowsMatchThePlainComputation) {
  const Referencecase &c = GetParam();
  Vcfrecipe recipe;
  recipe.Samples = Makecohort(c.Sizes);
  recipe.Missing = c.Missing;
  recipe.Unphasedshare = c.Unphased;
  recipe.Triallelic = c.Unphased == 0.0;  // the genotype formula is for two alleles
  recipe.Seed = c.Seed;
  const std::string vcf = Makevcf(recipe);
  Put("r.vcf", vcf);
  Put("r.map", recipe.Samples.Map());
  constexpr int Lineupcount = 199;
  const Ran run = Runhalvik("scan -q -g r.map -w " + std::to_string(c.Window) + " -r 199 -s " + std::to_string(c.Seed) +
                            " -o r.tsv r.vcf");
  ASSERT_EQ(run.Status, 0) << run.Err;
  const std::vector<Row> rows = Readtable(Get("r.tsv"));
  const std::vector<Record> records = Readrecords(vcf);
  std::vector<int> arranged;
  const std::vector<int> columns = Arrangedcolumns(recipe.Samples, arranged);
  const int places = static_cast<int>(c.Sizes.size());
  const auto lineups = Lineups(arranged, Lineupcount, c.Seed);
  ASSERT_FALSE(rows.empty());
  int tested = 0;
  for (const Row &row : rows) {
    const std::int64_t start = std::stoll(row.at("start")), end = std::stoll(row.at("end"));
    Window w{{}, columns, true, 2};
    std::int64_t variants = 0;
    for (const Record &r : records) {
      if (!r.Used || r.Position < start || r.Position > end) continue;
      w.Records.push_back(&r);
      std::set<int> alleles;
      for (const int col : columns) {
        const Call &call = r.Calls[static_cast<std::size_t>(col)];
        if (!call.Called) continue;
        alleles.insert({call.A, call.B});
        w.Phased = w.Phased && (call.Phased || call.A == call.B);
      }
      variants += alleles.size() > 1;
    }
    SCOPED_TRACE("window " + row.at("start"));
    EXPECT_EQ(std::stoll(row.at("records")), static_cast<std::int64_t>(w.Records.size()));
    EXPECT_EQ(std::stoll(row.at("variants")), variants);
    if (variants == 0) {
      EXPECT_EQ(row.at("kst_p1"), "nan");
      continue;
    }
    EXPECT_EQ(w.Phased, c.Unphased == 0.0);
    ++tested;
    const Figures observed = Compute(w, arranged, places);
    const double values[] = {observed.Kst,     observed.Fst, observed.Kstarst,
                             observed.Fstarsb, observed.Snn, observed.Phist};
    const char *const stems[] = {"kst", "fst", "kstar_st", "fstar_sb", "snn", "phi_st"};
    for (int t = 0; t < 6; ++t) {
      if (std::isnan(values[t])) {
        EXPECT_EQ(row.at(stems[t]), "nan") << stems[t];
        continue;
      }
      EXPECT_NEAR(Number(row, stems[t]), values[t], 1e-9 * (1 + std::abs(values[t]))) << stems[t];
    }
    Bracket brackets[6];
    for (const std::vector<int> &place : lineups) {
      const Figures f = Compute(w, place, places);
      Tallyone(brackets[0], f.Kst, observed.Kst, true);
      Tallyone(brackets[1], f.Fst, observed.Fst, true);
      Tallyone(brackets[2], f.Kstarst, observed.Kstarst, true);
      Tallyone(brackets[3], f.Fstarsb, observed.Fstarsb, true);
      Tallyone(brackets[4], f.Snn, observed.Snn, true);
      Tallyone(brackets[5], f.Ssdw, observed.Ssdw, false);
    }
    for (int t = 0; t < 6; ++t) {
      if (std::isnan(values[t])) continue;
      const int count = std::stoi(row.at(std::string(stems[t]) + "_count"));
      EXPECT_GE(count, brackets[t].Least) << stems[t];
      EXPECT_LE(count, brackets[t].Most) << stems[t];
      EXPECT_DOUBLE_EQ(Number(row, std::string(stems[t]) + "_p1"), (count + 1.0) / (Lineupcount + 1.0));
    }
  }
  EXPECT_GE(tested, 2);
}

INSTANTIATE_TEST_SUITE_P(Scan, Reference, ::testing::ValuesIn(Cases),
                         [](const auto &info) { return std::string(info.param.Name); });

}  // namespace
