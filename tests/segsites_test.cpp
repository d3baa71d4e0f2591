// Segregating-site discovery: its output on both destinations, the limits,
// what it stores, and files that change after verification.
#include "population/segsites.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "driver/failure.h"
#include "driver/globals.h"
#include "population/store.h"
#include "seqfile/verify.h"
#include "seqfile_fixture.h"

namespace halvik {
namespace {

using seqfixture::Passrun;

const std::string Letters = "AGCTN-";

std::string Stored(int record) {
  std::string text;
  for (int k = 1; k <= Pop.Numsegsites; ++k) text += Letters[Getcode(Pop.Seqs[record].Sites, k)];
  return text;
}

// Verifies the file, then runs the discovery with a fresh console.
bool Discover(Passrun &run, const std::string &content) {
  run.Use(content);
  if (!run.Run(Verifysequences)) ADD_FAILURE() << "verification refused the file: " << Errormessage;
  run.Takeconsole();
  return run.Run(Findsegsites);
}

TEST(Findsegsites, Workedexampleonbothoutputs) {
  Passrun run;
  ASSERT_TRUE(Discover(run, "s1 ACGTA\ns2 ACTTN\ns3 ACGTA\n")) << Errormessage;
  EXPECT_EQ(run.Takeconsole(),
            "\nFinding segregating sites...\n"
            "Searching: s1 s2 \nFound site:  s2  \tT at 3\n\nFound site:  s2  \tN at 5\ns3 "
            "\n\nSegregating sites at:  \n     3     5"
            "\n\nHalvik found a total of    2 segregating sites in these sequences.\n"
            "\nReading nucleotides at segregating sites...\n\n"
            "s1  G A \ns2  T N \ns3  G A \n\n");
  EXPECT_EQ(run.Results(),
            "s1 s2 s3 "
            "\n\nSegregating sites at:  \n\t     3\t     5"
            "\n\nHalvik found a total of    2 segregating sites in these sequences.\n"
            "\nNucleotides at segregating sites:\n"
            "s1 \tG \tA \ns2 \tT \tN \ns3 \tG \tA \n\n");
  EXPECT_EQ(Pop.Numsegsites, 2);
  EXPECT_EQ(Stored(1), "GA");
  EXPECT_EQ(Stored(2), "TN");
  EXPECT_EQ(Stored(3), "GA");
}

TEST(Findsegsites, Asitereportedforeverysequencethatdiffersislistedonce) {
  Passrun run;
  ASSERT_TRUE(Discover(run, "a  GAA\nb CAA\nc CA-\nd CAA\n"));
  const std::string console = run.Takeconsole();
  EXPECT_NE(console.find("Searching: a  b \nFound site:  b  \tC at 1\nc \nFound site:  c  \tC at 1\n\n"
                         "Found site:  c  \t- at 3\nd \nFound site:  d  \tC at 1\n\n\nSegregating sites at:  \n"
                         "     1     3\n\n"),
            std::string::npos)
      << console;
  EXPECT_NE(console.find("a   G A \nb  C A \nc  C - \nd  C A \n\n"), std::string::npos) << console;
}

TEST(Findsegsites, Sixdigitsitesfilltheircolumns) {
  Passrun run;
  const std::string line(Maxlength - 1, 'A');
  ASSERT_TRUE(Discover(run, "x " + line + "A\ny " + line + "N\n"));
  const std::string console = run.Takeconsole();
  EXPECT_NE(console.find("\tN at 100000\n\n\nSegregating sites at:  \n100000\n\nHalvik found a total of    1 "),
            std::string::npos);
  EXPECT_NE(run.Results().find("\t100000\n"), std::string::npos);
}

TEST(Findsegsites, Nosegregatingsiteisrefusedafterthetotal) {
  Passrun run;
  Pop.Numsegsites = 9;
  EXPECT_FALSE(Discover(run, "a AN-\nb AN-\nc AN-\n"));
  EXPECT_EQ(Errormessage, "There are no segregating sites in these sequences.");
  EXPECT_EQ(Pop.Numsegsites, 0);
  const std::string console = run.Takeconsole();
  const std::string total = "\n\nHalvik found a total of    0 segregating sites in these sequences.\n";
  EXPECT_EQ(console.substr(console.size() - total.size()), total);
  EXPECT_EQ(run.Results(), "a b c \n\nSegregating sites at:  \n" + total);
}

// Two sequences that differ at the first `sites` positions of `length`.
std::string Differing(int sites, int length) {
  std::string first(static_cast<std::size_t>(length), 'A'), second = first;
  for (int i = 0; i < sites; ++i) second[static_cast<std::size_t>(i)] = 'T';
  return "p " + first + "\nq " + second + "\n";
}

TEST(Findsegsites, Takestenthousandsites) {
  Passrun run;
  Setcode(Pop.Seqs[1].Sites, Maxsegsites, 5);
  ASSERT_TRUE(Discover(run, Differing(Maxsegsites, 12000)));
  EXPECT_EQ(Pop.Numsegsites, 10000);
  EXPECT_EQ(Stored(1), std::string(10000, 'A'));
  EXPECT_EQ(Stored(2), std::string(10000, 'T'));
  EXPECT_NE(run.Takeconsole().find("Halvik found a total of 10000 segregating sites in these sequences.\n"),
            std::string::npos);
}

TEST(Findsegsites, Refusesonemoreafterthelistandthetotal) {
  Passrun run;
  Pop.Numsegsites = 77;
  Setcode(Pop.Seqs[1].Sites, 1, 5);
  EXPECT_FALSE(Discover(run, Differing(Maxsegsites + 1, 12000)));
  EXPECT_EQ(Errormessage, "Halvik is set to handle up to 10000 segregating sites.\nThis population has too many.");
  EXPECT_EQ(Pop.Numsegsites, 77);
  EXPECT_EQ(Getcode(Pop.Seqs[1].Sites, 1), 5);
  const std::string console = run.Takeconsole();
  EXPECT_NE(console.find(" 10000 10001\n\nHalvik found a total of 10001 segregating sites in these sequences.\n"),
            std::string::npos);
  EXPECT_EQ(console.find("Reading nucleotides"), std::string::npos);
}

TEST(Findsegsites, Positionsabovethesitecountkeepwhattheyheld) {
  for (int count : {2, 8, 9, 17}) {
    Passrun run;
    Setcode(Pop.Seqs[2].Sites, count + 1, 5);
    Setcode(Pop.Seqs[2].Sites, count + 2, 4);
    const std::string first(static_cast<std::size_t>(count + 3), 'A');
    std::string second = first;
    second.replace(1, static_cast<std::size_t>(count), static_cast<std::size_t>(count), 'T');
    ASSERT_TRUE(Discover(run, "s1 " + first + "\ns2 " + second + "\n"));
    EXPECT_EQ(Stored(2), std::string(static_cast<std::size_t>(count), 'T'));
    EXPECT_EQ(Getcode(Pop.Seqs[2].Sites, count + 1), 5) << count;
    EXPECT_EQ(Getcode(Pop.Seqs[2].Sites, count + 2), 4) << count;
  }
}

// The console output of the search, the site list and the stored sites,
// worked out plainly from the letters.
struct Expectation {
  std::string search, list;
  std::vector<std::string> stored;
};

Expectation Plainly(const std::vector<std::string> &lines) {
  Expectation e;
  const std::size_t length = lines[0].size();
  std::vector<bool> flag(length, false);
  e.search = "s1 ";
  for (std::size_t j = 1; j < lines.size(); ++j) {
    const std::string label = "s" + std::to_string(j + 1);
    e.search += label + " ";
    for (std::size_t i = 0; i < length; ++i)
      if (lines[j][i] != lines[0][i]) {
        flag[i] = true;
        e.search += "\nFound site:  " + label + "  \t" + lines[j][i] + " at " + std::to_string(i + 1) + "\n";
      }
  }
  e.stored.resize(lines.size());
  for (std::size_t i = 0; i < length; ++i) {
    if (!flag[i]) continue;
    const std::string number = std::to_string(i + 1);
    e.list += std::string(6 - std::min<std::size_t>(6, number.size()), ' ') + number;
    for (std::size_t j = 0; j < lines.size(); ++j) e.stored[j] += lines[j][i];
  }
  return e;
}

TEST(Findsegsites, Agreeswithaplainsitebysitecomparison) {
  std::mt19937 random(2024);
  for (int length : {1, 2, 7, 8, 63, 64, 65, 127, 128, 129, 200, 1000, 4099}) {
    for (int trial = 0; trial < 4; ++trial) {
      const int count = 2 + static_cast<int>(random() % 5);
      std::vector<std::string> lines(static_cast<std::size_t>(count));
      for (char &c : lines[0].assign(static_cast<std::size_t>(length), 'A')) c = Letters[random() % 6];
      for (int j = 1; j < count; ++j) {
        lines[static_cast<std::size_t>(j)] = lines[0];
        const int changes = static_cast<int>(random() % 6);
        for (int t = 0; t < changes; ++t)
          lines[static_cast<std::size_t>(j)][random() % static_cast<unsigned>(length)] = Letters[random() % 6];
      }
      lines[1][static_cast<std::size_t>(length - 1)] = lines[0][static_cast<std::size_t>(length - 1)] == 'A' ? 'C' : 'A';
      std::string content;
      for (int j = 0; j < count; ++j) content += "s" + std::to_string(j + 1) + " " + lines[static_cast<std::size_t>(j)] + "\n";
      Passrun run;
      ASSERT_TRUE(Discover(run, content)) << Errormessage;
      const Expectation e = Plainly(lines);
      const std::string console = run.Takeconsole();
      ASSERT_EQ(console.substr(0, console.find("\n\nSegregating")),
                "\nFinding segregating sites...\nSearching: " + e.search)
          << "length " << length;
      ASSERT_NE(console.find("Segregating sites at:  \n" + e.list + "\n\n"), std::string::npos);
      for (int j = 1; j <= count; ++j) ASSERT_EQ(Stored(j), e.stored[static_cast<std::size_t>(j - 1)]);
    }
  }
}

struct Changecase {
  const char *name;
  std::string content;  // what the file holds once verified
  bool badcharacter;    // refused by the conversion rather than as changed
};

void PrintTo(const Changecase &c, std::ostream *out) { *out << c.name; }

class Changedfile : public ::testing::TestWithParam<Changecase> {};

TEST_P(Changedfile, Isafataldataerror) {
  Passrun run;
  run.Use("s1 ACGTA\ns2 ACTTN\ns3 ACGTA\n");
  ASSERT_TRUE(run.Run(Verifysequences));
  run.Write(GetParam().content);
  EXPECT_FALSE(run.Run(Findsegsites));
  EXPECT_EQ(Errormessage, GetParam().badcharacter
                              ? std::string("\nHalvik tried to convert an improper character:  x")
                              : "\nHalvik found that " + Filename + " changed while it was being read.");
}

INSTANTIATE_TEST_SUITE_P(
    Files, Changedfile,
    ::testing::Values(Changecase{"shorterline", "s1 ACGTA\ns2 ACTT\ns3 ACGTA\n", false},
                      Changecase{"longerline", "s1 ACGTA\ns2 ACTTN\ns3 ACGTAA\n", false},
                      Changecase{"shorterfirst", "s1 ACGT\ns2 ACTTN\ns3 ACGTA\n", false},
                      Changecase{"fewerlines", "s1 ACGTA\ns2 ACTTN\n", false},
                      Changecase{"morelines", "s1 ACGTA\ns2 ACTTN\ns3 ACGTA\ns4 ACGTA\n", false},
                      Changecase{"labelatend", "s1 ACGTA\ns2 ACTTN\ns3", false},
                      Changecase{"emptied", "", false},
                      Changecase{"overlong", "s1 " + std::string(100001, 'A') + "\n", false},
                      Changecase{"badcharacter", "s1 ACGTA\ns2 ACxTN\ns3 ACGTA\n", true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Findsegsites, Afileremovedafterverificationisaninputfailure) {
  Passrun run;
  run.Use("s1 ACGTA\ns2 ACTTN\n");
  ASSERT_TRUE(run.Run(Verifysequences));
  std::filesystem::remove(Filename);
  EXPECT_THROW(Findsegsites(), Ioerror);
}

}  // namespace
}  // namespace halvik
