// What the scan refuses, and how: each fault named with its file and, where
// there is one, its line; the table of an earlier run left as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "scan_vcfs.h"

namespace {

using namespace scantest;

const std::string Head =
    std::string(Vcfhead) + "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\ts1\ts2\ts3\ts4\n";
const std::string Map = "s1\tA\ns2\tA\ns3\tB\ns4\tB\n";
const std::string Good =
    "c1\t100\t.\tA\tG\t.\tPASS\t.\tGT\t0|1\t0|0\t1|1\t0|1\nc1\t200\t.\tA\tG\t.\tPASS\t.\tGT\t0|0\t0|1\t1|0\t1|1\n";

struct Badinput {
  const char *Name;
  std::string Vcf, Groups;
  int Status;
  std::vector<std::string> Says;
};

const std::vector<Badinput> &Badinputs() {
  static const std::vector<Badinput> cases = {
      {"MalformedGt",
       Head + Good + "c1\t300\t.\tA\tG\t.\tPASS\t.\tGT\t0|1\t0|x\t1|1\t0|1\n",
       Map,
       1,
       {"v.vcf: line 7: sample s2: malformed GT '0|x'"}},
      {"CutShortLine",
       Head + Good + "c1\t300\t.\tA\tG\t.\tPASS\t.\tGT\t0|1\n",
       Map,
       1,
       {"v.vcf: line 7: 10 columns where the header has 13"}},
      {"ExtraColumn",
       Head + Good + "c1\t300\t.\tA\tG\t.\tPASS\t.\tGT\t0|1\t0|1\t0|1\t0|1\t0|1\n",
       Map,
       1,
       {"v.vcf: line 7: 14 columns or more where the header has 13"}},
      {"UnsortedPositions",
       Head + Good + "c1\t150\t.\tA\tG\t.\tPASS\t.\tGT\t0|1\t0|0\t1|1\t0|1\n",
       Map,
       1,
       {"v.vcf: line 7: position 150 after 200: the records are not sorted by position"}},
      {"ChromosomeAgain",
       Head + Good +
           "c2\t5\t.\tA\tG\t.\tPASS\t.\tGT\t0|1\t0|0\t1|1\t0|1\nc1\t900\t.\tA\tG\t.\tPASS\t.\tGT\t0|1\t0|0\t1|1\t0|1\n",
       Map,
       1,
       {"v.vcf: line 8: chromosome c1 again after c2"}},
      {"AlleleBeyondAlt",
       Head + Good + "c1\t300\t.\tA\tG\t.\tPASS\t.\tGT\t0|1\t0|2\t1|1\t0|1\n",
       Map,
       1,
       {"v.vcf: line 7: sample s2 has allele 2 where the record has 2"}},
      {"HaploidAmongDiploid",
       Head + Good + "c1\t300\t.\tA\tG\t.\tPASS\t.\tGT\t0|1\t1\t1|1\t0|1\n",
       Map,
       1,
       {"v.vcf: line 7: sample s2 has a call of 1 allele where earlier calls have 2"}},
      {"BadPosition",
       Head + "c1\t1e5\t.\tA\tG\t.\tPASS\t.\tGT\t0|1\t0|0\t1|1\t0|1\n",
       Map,
       1,
       {"v.vcf: line 5: POS '1e5' is not a position"}},
      {"NoGt", Head + "c1\t10\t.\tA\tG\t.\tPASS\t.\tDP\t3\t4\t5\t6\n", Map, 1, {"v.vcf: line 5: no GT in FORMAT 'DP'"}},
      {"HeaderLineAmongRecords",
       Head + Good + "##INFO=<ID=X>\n",
       Map,
       1,
       {"v.vcf: line 7: a header line among the records"}},
      {"NoChromLine", std::string(Vcfhead) + Good, Map, 1, {"v.vcf: the header has no #CHROM line"}},
      {"NotAVcf", "label ACGT\nother ACGA\n", Map, 1, {"v.vcf: not a VCF or BCF file"}},
      {"MapNamingNoSample",
       Head + Good,
       "x1\tA\nx2\tB\nx3\tB\n",
       1,
       {"m.map: names no sample of v.vcf (the map has x1, x2, x3; the VCF has s1, s2, s3 and 1 more)"}},
      {"OneLocality",
       Head + Good,
       "s1\tA\ns2\tA\ns3\tA\n",
       1,
       {"m.map: the samples of v.vcf are all in one locality, A"}},
      {"LocalityOfOneSample",
       Head + Good,
       "s1\tA\ns2\tA\ns3\tB\n",
       1,
       {"m.map: localities of fewer than two samples in the VCF: B"}},
      {"SampleInTwoLocalities", Head + Good, "s1\tA\ns1\tB\n", 1, {"m.map: sample s1 is in two localities, A and B"}},
  };
  return cases;
}

class Refused : public ::testing::TestWithParam<Badinput> {};

// The earlier table stays, and no temporary file is left beside it.
void Expectuntouched() {
  EXPECT_EQ(Get("out.tsv"), "the table of an earlier run\n");
  Inworkfolder here;
  for (const auto &entry : std::filesystem::directory_iterator("."))
    EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos) << entry.path();
}

TEST_P(Refused, NamesTheFileAndLine) {
  const Badinput &c = GetParam();
  Put("v.vcf", c.Vcf);
  Put("m.map", c.Groups);
  Put("out.tsv", "the table of an earlier run\n");
  const Ran run = Runhalvik("scan -g m.map -w 1000 -r 9 -s 1 -o out.tsv v.vcf");
  EXPECT_EQ(run.Status, c.Status) << run.Err;
  for (const std::string &says : c.Says) EXPECT_NE(run.Err.find(says), std::string::npos) << run.Err;
  EXPECT_EQ(run.Err.find('\n'), run.Err.size() - 1) << "one line: " << run.Err;
  Expectuntouched();
}

INSTANTIATE_TEST_SUITE_P(Scan, Refused, ::testing::ValuesIn(Badinputs()),
                         [](const auto &info) { return std::string(info.param.Name); });

TEST(Scan, BrokenCompressedFilesAreRefused) {
  Put("out.tsv", "the table of an earlier run\n");
  Put("m.map", Map);
  std::string body = Head;
  for (int p = 1; p <= 3000; ++p)
    body += "c1\t" + std::to_string(p) + "\t.\tA\tG\t.\tPASS\t.\tGT\t0|1\t0|0\t1|" + std::to_string(p % 2) + "\t0|1\n";
  Putbgzipped("v.vcf.gz", body, false);
  std::string bytes = Get("v.vcf.gz");
  Put("cut.vcf.gz", bytes.substr(0, bytes.size() - 28));  // without the end-of-file block
  bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x55);
  Put("bent.vcf.gz", bytes);
  const struct {
    const char *File, *Says;
  } cases[] = {{"cut.vcf.gz", "cut.vcf.gz: ends early: the compressed file has no end-of-file block"},
               {"bent.vcf.gz", "corrupt"},
               {"absent.vcf", "absent.vcf: cannot be read: No such file or directory"}};
  for (const auto &c : cases) {
    const Ran run = Runhalvik(std::string("scan -g m.map -w 1000 -o out.tsv ") + c.File);
    EXPECT_EQ(run.Status, 1) << c.File;
    EXPECT_NE(run.Err.find(c.Says), std::string::npos) << run.Err;
    Expectuntouched();
  }
  EXPECT_EQ(Runhalvik("scan -q -g m.map -w 1000 -o out.tsv v.vcf.gz").Status, 0);
}

TEST(Scan, MoreThanAThousandHaplotypesAreRefused) {
  Cohort many = Makecohort({251, 250});
  Put("m.map", many.Map());
  std::string vcf = std::string(Vcfhead) + Headerline(many) + "c1\t5\t.\tA\tG\t.\tPASS\t.\tGT";
  for (std::size_t s = 0; s < many.Names.size(); ++s) vcf += s % 2 ? "\t0|1" : "\t0|0";
  Put("v.vcf", vcf + "\n");
  const Ran run = Runhalvik("scan -g m.map -w 1000 -o out.tsv v.vcf");
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Err.find("v.vcf: line 5: 1002 haplotypes (501 samples in the map, 2 alleles a call): more than 1000"),
            std::string::npos)
      << run.Err;
  // Haploid calls of the same samples are 501 haplotypes.
  std::string haploid = std::string(Vcfhead) + Headerline(many) + "c1\t5\t.\tA\tG\t.\tPASS\t.\tGT";
  for (std::size_t s = 0; s < many.Names.size(); ++s) haploid += s % 2 ? "\t0" : "\t1";
  Put("h.vcf", haploid + "\n");
  EXPECT_EQ(Runhalvik("scan -q -g m.map -w 1000 -o out.tsv h.vcf").Status, 0);
}

TEST(Scan, UsageErrorsChangeNothing) {
  Put("v.vcf", Head + Good);
  Put("m.map", Map);
  Put("b.bed", "c1\t0\t1000\nc1\t5\n");
  const struct {
    const char *Arguments, *Says;
    int Status;
  } cases[] = {
      {"-g m.map v.vcf", "give exactly one of -w and --regions", 2},
      {"-g m.map -w 1000 --regions b.bed v.vcf", "give exactly one of -w and --regions", 2},
      {"-w 1000 v.vcf", "-g MAP is required", 2},
      {"-g m.map -w 100,200 v.vcf", "a step longer than the size", 2},
      {"-g m.map -w 0 v.vcf", "--window: '0' is not SIZE or SIZE,STEP", 2},
      {"-g m.map -w 1000 -r 10 --stop-after 11 v.vcf", "--stop-after: 11 is more than the 10 lineups", 2},
      {"-g m.map -w 1000 --region c1:9-5 v.vcf", "--region: 'c1:9-5' is not CHR:FROM-TO", 2},
      {"-g m.map -w 1000 -o v.vcf v.vcf", "v.vcf: is also an input; nothing was written", 2},
      {"-g m.map -w 1000 -o m.map v.vcf", "m.map: is also an input", 2},
      {"-g m.map -w 1000 -o t.tsv --plot t.tsv v.vcf", "t.tsv: is given as two outputs", 2},
      {"-g absent.map -w 1000 v.vcf", "--groups: absent.map: cannot be read", 2},
      {"--merge -g m.map t.tsv", "--merge takes tables", 2},
      {"-g m.map --regions b.bed v.vcf", "b.bed: line 2: not an interval", 1},
      {"-g m.map -w 1000 v.vcf w.vcf", "one VCF at a time", 2},
  };
  for (const auto &c : cases) {
    const Ran run = Runhalvik(std::string("scan ") + c.Arguments);
    EXPECT_EQ(run.Status, c.Status) << c.Arguments;
    EXPECT_NE(run.Err.find(c.Says), std::string::npos) << c.Arguments << ": " << run.Err;
    EXPECT_EQ(Get("v.vcf"), Head + Good);
    EXPECT_EQ(Get("m.map"), Map);
    EXPECT_EQ(Get("t.tsv"), "");
  }
}

// The fuzzer's seeds and the inputs it once failed on, through the whole
// program: each is scanned or refused in one line that names it.
TEST(Scan, FuzzInputsAreScannedOrRefused) {
  namespace fs = std::filesystem;
  Put("f.map", "a\tX\nb\tY\nc\tX\nd\tY\ne\tX\nf\tY\n");
  const fs::path fuzz = fs::path(HALVIK_E2E_DIR).parent_path() / "fuzz";
  int inputs = 0;
  for (const char *folder : {"corpus-vcf", "regressions/vcf"})
    for (const auto &entry : fs::directory_iterator(fuzz / folder)) {
      Put("f.input", Readfile(entry.path()));
      const Ran run = Runhalvik("scan -g f.map -w 40,20 -r 7 -s 1 -o f.tsv f.input");
      EXPECT_TRUE(run.Status == 0 || run.Status == 1) << entry.path() << ": " << run.Err;
      if (run.Status == 1) {
        EXPECT_EQ(run.Err.rfind("halvik scan: f", 0), 0u) << entry.path() << ": " << run.Err;
      }
      EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << entry.path() << ": " << run.Err;
      ++inputs;
    }
  EXPECT_GE(inputs, 7);
}

}  // namespace
