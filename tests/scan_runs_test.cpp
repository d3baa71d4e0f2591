// Whole scans: structure found where there is nothing else, answers that
// depend neither on threads nor on how the file is read or cut, sequential
// stopping, q-values, merging, and BED windows.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "scan_vcfs.h"

namespace {

using namespace scantest;

const Vcfrecipe &Common() {
  static const Vcfrecipe recipe = [] {
    Vcfrecipe s;
    s.Samples = Makecohort({7, 6, 5});
    s.Records = 400;
    s.Length = 6000;
    s.Seed = 31;
    return s;
  }();
  return recipe;
}

// The common VCF and its map in the working folder, once.
void Putcommon() {
  Put("c.vcf", Makevcf(Common()));
  Put("c.map", Common().Samples.Map());
}

TEST(Scan, StructureIsFound) {
  // Six samples of one haplotype in one locality and six of another in the
  // other: only the observed division and its mirror reach its values.
  const Cohort c = Makecohort({6, 6});
  std::string vcf = std::string(Vcfhead) + Headerline(c);
  for (int p = 10; p <= 50; p += 10) {
    vcf += "c1\t" + std::to_string(p) + "\t.\tA\tG\t.\tPASS\t.\tGT";
    for (std::size_t s = 0; s < 12; ++s) vcf += s < 6 ? "\t0|0" : "\t1|1";
    vcf += "\n";
  }
  Put("s.vcf", vcf);
  Put("s.map", c.Map());
  const Ran run = Runhalvik("scan -q -g s.map -w 1000 -r 9999 -s 7 -o s.tsv s.vcf");
  ASSERT_EQ(run.Status, 0) << run.Err;
  const std::vector<Row> rows = Readtable(Get("s.tsv"));
  ASSERT_EQ(rows.size(), 1u);
  int matches = 0;
  for (const std::vector<int> &place : Lineups({0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1}, 9999, 7)) {
    bool same = true, mirror = true;
    for (int s = 0; s < 12; ++s) {
      same = same && place[static_cast<std::size_t>(s)] == (s < 6 ? 0 : 1);
      mirror = mirror && place[static_cast<std::size_t>(s)] == (s < 6 ? 1 : 0);
    }
    matches += same || mirror;
  }
  ASSERT_GT(matches, 0);
  EXPECT_EQ(rows[0].at("snn"), "1");
  EXPECT_EQ(rows[0].at("kst"), "1");
  for (const char *stem : {"kst", "fst", "kstar_st", "fstar_sb", "snn", "phi_st"}) {
    EXPECT_EQ(std::stoi(rows[0].at(std::string(stem) + "_count")), matches) << stem;
    EXPECT_LE(Number(rows[0], std::string(stem) + "_p1"), 0.01) << stem;
  }
}

TEST(Scan, AnswersDependNeitherOnThreadsNorOnTheReading) {
  Putcommon();
  Putbgzipped("c.vcf.gz", Get("c.vcf"), true);
  Putbcf("c.bcf", "c.vcf");
  const std::string common = "scan -q -g c.map -w 1000 -r 99 -s 3 ";
  ASSERT_EQ(Runhalvik(common + "-j 1 -o one.tsv c.vcf").Status, 0);
  const std::string one = Get("one.tsv");
  EXPECT_GE(Readtable(one).size(), 5u);
  for (const char *other :
       {"-j 3 -o x.tsv c.vcf", "-j 2 -o x.tsv c.vcf.gz", "-j 2 -o x.tsv c.bcf", "-j 1 -o x.tsv c.vcf"}) {
    ASSERT_EQ(Runhalvik(common + other).Status, 0) << other;
    EXPECT_EQ(Get("x.tsv"), one) << other;
  }
  ASSERT_EQ(Runhalvik("scan -q -g c.map -w 1000 -r 99 -s 4 -o x.tsv c.vcf").Status, 0);
  EXPECT_NE(Get("x.tsv"), one) << "another seed, other lineups";
}

TEST(Scan, JsonHoldsTheTablesValues) {
  Putcommon();
  ASSERT_EQ(Runhalvik("scan -q -g c.map -w 1000 -r 99 -s 3 -o t.tsv c.vcf").Status, 0);
  ASSERT_EQ(Runhalvik("scan -q -g c.map -w 1000 -r 99 -s 3 -f json -o t.json c.vcf").Status, 0);
  const std::vector<Row> rows = Readtable(Get("t.tsv"));
  const nlohmann::json json = nlohmann::json::parse(Get("t.json"));
  ASSERT_EQ(json.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (const auto &[column, cell] : rows[i]) {
      const nlohmann::json &value = json[i].at(column);
      if (value.is_string())
        EXPECT_EQ(value.get<std::string>(), cell) << column;
      else if (value.is_null())
        EXPECT_EQ(cell, "nan") << column;
      else
        EXPECT_EQ(value.get<double>(), std::stod(cell)) << column;
    }
}

TEST(Scan, QvaluesAreBenjaminiHochbergOverTheRunsWindows) {
  Putcommon();
  ASSERT_EQ(Runhalvik("scan -q -g c.map -w 300 -r 49 -s 9 -o q.tsv c.vcf").Status, 0);
  const std::vector<Row> rows = Readtable(Get("q.tsv"));
  for (const char *stem : {"kst", "fst", "snn", "phi_st"}) {
    std::vector<std::pair<double, std::size_t>> p;
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].at(std::string(stem) + "_p1") != "nan") p.emplace_back(Number(rows[i], std::string(stem) + "_p1"), i);
    ASSERT_GT(p.size(), 10u);
    std::stable_sort(p.begin(), p.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    double running = 1;
    for (std::size_t j = p.size(); j-- > 0;) {
      running = std::min(running, std::min(1.0, p.size() * p[j].first / (j + 1.0)));
      EXPECT_NEAR(Number(rows[p[j].second], std::string(stem) + "_q"), running, 1e-12) << stem;
    }
  }
}

TEST(Scan, StoppingAfterHLineupsCountsTheFirstHThatReach) {
  Vcfrecipe recipe = Common();
  recipe.Differentiation = 0;  // most statistics reach H soon
  Put("c.vcf", Makevcf(recipe));
  Put("c.map", recipe.Samples.Map());
  const std::string common = "scan -q -g c.map -w 6000 -s 5 ";
  ASSERT_EQ(Runhalvik(common + "-r 400 --stop-after 4 -o h.tsv c.vcf").Status, 0);
  ASSERT_EQ(Runhalvik(common + "-r 400 -o all.tsv c.vcf").Status, 0);
  const Row stopped = Readtable(Get("h.tsv")).at(0), all = Readtable(Get("all.tsv")).at(0);
  EXPECT_EQ(stopped.at("stop_after"), "4");
  int checked = 0;
  for (const char *stem : {"kst", "fst", "kstar_st", "fstar_sb", "snn", "phi_st"}) {
    const std::string s = stem;
    const int count = std::stoi(stopped.at(s + "_count")), drawn = std::stoi(stopped.at(s + "_lineups"));
    if (count < 4) {  // never stopped: as the whole run
      EXPECT_EQ(drawn, 400) << s;
      EXPECT_EQ(stopped.at(s + "_p1"), all.at(s + "_p1")) << s;
      continue;
    }
    EXPECT_DOUBLE_EQ(Number(stopped, s + "_p1"), 4.0 / drawn) << s;
    // The same first lineups: the fourth to reach is the last of `drawn`.
    ASSERT_EQ(Runhalvik(common + "-r " + std::to_string(drawn) + " -o d.tsv c.vcf").Status, 0);
    EXPECT_EQ(Readtable(Get("d.tsv")).at(0).at(s + "_count"), "4") << s;
    ASSERT_EQ(Runhalvik(common + "-r " + std::to_string(drawn - 1) + " -o d.tsv c.vcf").Status, 0);
    EXPECT_EQ(Readtable(Get("d.tsv")).at(0).at(s + "_count"), "3") << s;
    ++checked;
  }
  EXPECT_GE(checked, 2);
}

TEST(Scan, MergedPiecesAreTheWholeRun) {
  Vcfrecipe recipe = Common();
  std::string vcf = Makevcf(recipe);
  recipe.Seed = 32;
  const std::string second = Makevcf(recipe);  // its records again, as chromosome c2
  for (std::size_t at = second.find("\nc1\t"); at != std::string::npos; at = second.find("\nc1\t", at + 1))
    vcf += "c2" + second.substr(at + 3, second.find('\n', at + 1) - at - 2);
  Put("m.map", recipe.Samples.Map());
  Putbgzipped("m.vcf.gz", vcf, true);
  const std::string common = "scan -q -g m.map -w 1000,500 -r 59 -s 2 ";
  ASSERT_EQ(Runhalvik(common + "-o whole.tsv m.vcf.gz").Status, 0);
  ASSERT_EQ(Runhalvik(common + "--region c1:1-2500 -o p1.tsv m.vcf.gz").Status, 0);
  ASSERT_EQ(Runhalvik(common + "--region c1:2501-100000 -f json -o p2.json m.vcf.gz").Status, 0);
  ASSERT_EQ(Runhalvik(common + "--region c2 -o p3.tsv m.vcf.gz").Status, 0);
  const Ran merged = Runhalvik("scan --merge -o merged.tsv p1.tsv p2.json p3.tsv");
  ASSERT_EQ(merged.Status, 0) << merged.Err;
  // A window the pieces' ends cut stands as its two halves; the others are whole.
  std::vector<Row> whole = Readtable(Get("whole.tsv")), pieces = Readtable(Get("merged.tsv"));
  const auto cut = [](const Row &r) { return std::stoll(r.at("end")) - std::stoll(r.at("start")) + 1 != 1000; };
  EXPECT_EQ(std::erase_if(whole, cut), 0u);
  EXPECT_EQ(std::erase_if(pieces, cut), 2u);
  std::erase_if(whole, [](const Row &r) { return r.at("chrom") == "c1" && r.at("start") == "2001"; });
  ASSERT_EQ(pieces.size(), whole.size());
  for (std::size_t i = 0; i < whole.size(); ++i)
    for (const auto &[column, cell] : whole[i])
      if (column.ends_with("_q"))
        EXPECT_NO_THROW(std::stod(pieces[i].at(column)));
      else
        EXPECT_EQ(pieces[i].at(column), cell) << column << " of window " << i;
  ASSERT_EQ(Runhalvik("scan -q -g m.map -w 1000 -r 59 -s 3 --region c2 -o other.tsv m.vcf.gz").Status, 0);
  const Ran seeds = Runhalvik("scan --merge -o never.tsv p1.tsv other.tsv");
  EXPECT_EQ(seeds.Status, 1);
  EXPECT_NE(seeds.Err.find("other.tsv: line 2: lineups, seed, --stop-after or version differ"), std::string::npos)
      << seeds.Err;
  Put("copy.tsv", Get("p1.tsv"));
  const Ran overlap = Runhalvik("scan --merge -o never.tsv p1.tsv copy.tsv");
  EXPECT_EQ(overlap.Status, 1);
  EXPECT_NE(overlap.Err.find("copy.tsv: its windows on c1 overlap those of p1.tsv"), std::string::npos) << overlap.Err;
  EXPECT_EQ(Runhalvik("scan --merge -o never.tsv p1.tsv p3.tsv p1.tsv").Status, 1);  // one table twice
  EXPECT_EQ(Get("never.tsv"), "");
}

TEST(Scan, BedIntervalsAreWindows) {
  Putcommon();
  Putbgzipped("c.vcf.gz", Get("c.vcf"), true);
  Put("r.bed", "track name=genes\nc1\t0\t1500\nc1\t1000\t3000\tgeneB\nc9\t0\t100\n# done\n");
  const std::vector<Record> records = Readrecords(Get("c.vcf"));
  for (const char *file : {"c.vcf", "c.vcf.gz"}) {
    ASSERT_EQ(Runhalvik(std::string("scan -q -g c.map --regions r.bed -r 19 -s 1 -o b.tsv ") + file).Status, 0);
    const std::vector<Row> rows = Readtable(Get("b.tsv"));
    ASSERT_EQ(rows.size(), 3u) << file;
    const struct {
      const char *Chrom;
      std::int64_t Start, End;
    } expected[] = {{"c1", 1, 1500}, {"c1", 1001, 3000}, {"c9", 1, 100}};
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(rows[i].at("chrom"), expected[i].Chrom);
      EXPECT_EQ(std::stoll(rows[i].at("start")), expected[i].Start);
      EXPECT_EQ(std::stoll(rows[i].at("end")), expected[i].End);
      std::int64_t used = 0;
      for (const Record &r : records)
        used += r.Used && expected[i].Chrom == std::string("c1") && r.Position >= expected[i].Start &&
                r.Position <= expected[i].End;
      EXPECT_EQ(std::stoll(rows[i].at("records")), used) << file << " row " << i;
    }
    EXPECT_EQ(rows[2].at("kst"), "nan");
    EXPECT_NE(rows[2].at("notes").find("no record"), std::string::npos);
  }
}

TEST(Scan, ThePictureIsWellFormed) {
  Vcfrecipe recipe = Common();
  recipe.Differentiation = 0;  // some windows' Kst below 0
  Put("z.vcf", Makevcf(recipe));
  Put("z.map", recipe.Samples.Map());
  const Ran run = Runhalvik("scan -q -g z.map -w 300 -r 19 -s 1 -o t.tsv --plot p.svg z.vcf");
  ASSERT_EQ(run.Status, 0) << run.Err;
  const std::string svg = Get("p.svg");
  EXPECT_TRUE(svg.starts_with("<svg xmlns=\"http://www.w3.org/2000/svg\""));
  EXPECT_TRUE(svg.ends_with("</svg>\n"));
  EXPECT_NE(svg.find(">c1</text>"), std::string::npos);
  EXPECT_EQ(svg.find("nan"), std::string::npos);
  const std::vector<Row> rows = Readtable(Get("t.tsv"));
  ASSERT_TRUE(std::any_of(rows.begin(), rows.end(), [](const Row &r) { return Number(r, "kst") < 0; }));
  // Every dot inside its panel (x 84 to 1170; Kst 96 to 336, -log10 p1 384
  // to 624), two for each tested window.
  std::size_t dots = 0;
  for (std::size_t at = svg.find("<circle cx=\""); at != std::string::npos; at = svg.find("<circle cx=\"", at + 1)) {
    const double x = std::stod(svg.substr(at + 12)), y = std::stod(svg.substr(svg.find("cy=\"", at) + 4));
    if (y == 47) continue;  // the legend's
    EXPECT_TRUE(x >= 84 && x <= 1170) << x;
    EXPECT_TRUE((y >= 96 && y <= 336) || (y >= 384 && y <= 624)) << y;
    ++dots;
  }
  EXPECT_EQ(dots, 2 * static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(),
                                                             [](const Row &r) { return r.at("kst_p1") != "nan"; })));
}

TEST(Scan, MergeRefusesBrokenTablesNamingTheRow) {
  Putcommon();
  ASSERT_EQ(Runhalvik("scan -q -g c.map -w 1000 -r 9 -s 1 -o t.tsv c.vcf").Status, 0);
  ASSERT_EQ(Runhalvik("scan -q -g c.map -w 1000 -r 9 -s 1 -f json -o t.json c.vcf").Status, 0);
  nlohmann::ordered_json json = nlohmann::ordered_json::parse(Get("t.json"));
  const std::string tsv = Get("t.tsv");
  std::string bent = tsv;
  const std::size_t third = bent.find('\n', bent.find('\n', bent.find('\n') + 1) + 1) + 1;  // line 4
  bent.replace(bent.find("\t", third), 1, "\tx");
  Put("bent.tsv", bent);
  json[1]["seed"] = 2;
  Put("seed.json", json.dump());
  json[1]["seed"] = 1;
  json[0]["chrom"] = 5;
  Put("chrom.json", json.dump());
  Put("cut.json", Get("t.json").substr(0, 40));
  const struct {
    const char *Table, *Says;
  } cases[] = {{"bent.tsv", "bent.tsv: line 4: start 'x2001' is not a number"},
               {"seed.json", "seed.json: row 2: lineups, seed, --stop-after or version differ"},
               {"chrom.json", "chrom.json: row 1: no text chrom"},
               {"cut.json", "cut.json: not a JSON table of halvik scan"}};
  for (const auto &c : cases) {
    const Ran run = Runhalvik(std::string("scan --merge -o never.tsv ") + c.Table);
    EXPECT_EQ(run.Status, 1) << c.Table;
    EXPECT_NE(run.Err.find(c.Says), std::string::npos) << run.Err;
  }
  EXPECT_EQ(Get("never.tsv"), "");
}

// The stickleback alignment as a VCF of haploid calls, one record per
// column: its figures are those published for the alignment (Snn 0.82101,
// PhiST 0.649772 with localities 1 and 15, Kst 0.486052).
TEST(Scan, SticklebackAsAVcfGivesItsPublishedFigures) {
  std::vector<std::string> rows;
  std::istringstream in(Readfile(std::filesystem::path(HALVIK_E2E_DIR).parent_path().parent_path() / "examples" /
                                 "stickleback-orti.txt"));
  for (std::string label, bases; in >> label >> bases;) rows.push_back(bases);
  ASSERT_EQ(rows.size(), 23u);
  Cohort c;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    c.Names.push_back("h" + std::to_string(i + 1));
    c.Places.push_back(i < 14 ? "first" : "second");
  }
  std::string vcf = std::string(Vcfhead) + Headerline(c);
  for (std::size_t p = 0; p < rows[0].size(); ++p) {
    std::string alleles;  // in order of first appearance
    for (const std::string &r : rows)
      if (alleles.find(r[p]) == std::string::npos) alleles += r[p];
    std::string alt;
    for (std::size_t a = 1; a < alleles.size(); ++a) alt += (a > 1 ? "," : "") + alleles.substr(a, 1);
    vcf += "orti\t" + std::to_string(p + 1) + "\t.\t" + alleles.substr(0, 1) + "\t" + (alt.empty() ? "." : alt) +
           "\t.\tPASS\t.\tGT";
    for (const std::string &r : rows) vcf += "\t" + std::to_string(alleles.find(r[p]));
    vcf += "\n";
  }
  Put("orti.vcf", vcf);
  Put("orti.map", c.Map());
  ASSERT_EQ(Runhalvik("scan -q -g orti.map -w 1000 -r 99 -s 1 -o orti.tsv orti.vcf").Status, 0);
  const Row row = Readtable(Get("orti.tsv")).at(0);
  EXPECT_EQ(row.at("haplotypes"), "23");
  EXPECT_NEAR(Number(row, "snn"), 0.82101, 5e-6);
  EXPECT_NEAR(Number(row, "phi_st"), 0.649772, 5e-7);
  EXPECT_NEAR(Number(row, "kst"), 0.486052, 5e-7);
}

}  // namespace
