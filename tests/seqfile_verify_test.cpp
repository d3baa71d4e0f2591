// The verification pass: its console lines, its messages and what it stores.
#include "seqfile/verify.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/failure.h"
#include "driver/globals.h"
#include "population/store.h"
#include "seqfile_fixture.h"

namespace halvik {
namespace {

using seqfixture::Passrun;

// "@" in an expected message stands for the file name.
std::string Named(std::string text) {
  for (auto at = text.find('@'); at != std::string::npos; at = text.find('@', at + Filename.size()))
    text.replace(at, 1, Filename);
  return text;
}

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

struct Refusal {
  const char *name;
  std::string content;
  std::string message;
};

void PrintTo(const Refusal &c, std::ostream *out) { *out << c.name; }

class Refused : public ::testing::TestWithParam<Refusal> {};

TEST_P(Refused, Raisesitsmessage) {
  Passrun run;
  run.Use(GetParam().content);
  EXPECT_FALSE(run.Run(Verifysequences));
  EXPECT_EQ(Errormessage, Named(GetParam().message).substr(0, 255));
}

const std::string Longlabel(255, 'L');

INSTANTIATE_TEST_SUITE_P(
    Messages, Refused,
    ::testing::Values(
        Refusal{"questionmark", "s1 ACGT\ns2 AC?GT\n", "Halvik found an illegal character, ?, in sequence s2, base 00003 in @"},
        Refusal{"lastcharacter", "s1 ACGT?\n", "Halvik found an illegal character, ?, in sequence s1, base 00005 in @"},
        Refusal{"lowercase", "s1 acgt\n", "Halvik found an illegal character, a, in sequence s1, base 00001 in @"},
        Refusal{"blankafter", "s1 ACGT \ns2 ACGT\n", "Halvik found an illegal character,  , in sequence s1, base 00005 in @"},
        Refusal{"carriagereturn", "s1 ACGT\r\ns2 ACGT\r\n",
                "Halvik found an illegal character, \r, in sequence s1, base 00005 in @"},
        Refusal{"tabinsequence", "s1 AC\tGT\n", "Halvik found an illegal character, \t, in sequence s1, base 00003 in @"},
        Refusal{"emptylinebetween", "s1 ACGT\n\ns2 ACGT\n",
                "Halvik found an illegal character, s, in sequence , base 00001 in @"},
        Refusal{"labeltoolong", Longlabel + " ACGT\n",
                "Halvik found OTU #00001 longer than 254 characters in @:  \n" + Longlabel},
        Refusal{"nosequence", "s1 ACGT\ns2\n", "Halvik found OTU #00002 with no subsequent sequence in @"},
        Refusal{"nosequenceblanks", "s1 ACGT\ns2   \n  \n", "Halvik found OTU #00002 with no subsequent sequence in @"},
        Refusal{"emptylineatend", "s1 ACGT\ns2 ACGT\n\n", "Halvik found OTU #00003 with no subsequent sequence in @"},
        Refusal{"toolong", "s1 " + Repeat('A', 100001) + "\n",
                "Halvik is set to handle up to 100000 nucleotides.\nSequence s1 has too many."},
        Refusal{"toolongbadafterlimit", "s1 " + Repeat('A', 100000) + "x\n",
                "Halvik is set to handle up to 100000 nucleotides.\nSequence s1 has too many."},
        Refusal{"badbeforelimit", "s1 " + Repeat('A', 99998) + "xA\n",
                "Halvik found an illegal character, x, in sequence s1, base 99999 in @"},
        Refusal{"badatlimit", "s1 " + Repeat('A', 99999) + "xA\n",
                "Halvik found an illegal character, x, in sequence s1, base 100000 in @"},
        Refusal{"onerecord", "s1 ACGT\n", "Halvik found 00001 sequence.\nHalvik can do very little with so few sequences."},
        Refusal{"norecord", "", "Halvik found 00000 sequence.\nHalvik can do very little with so few sequences."},
        Refusal{"unequal", "s1 ACGT\ns2 ACGT\ns3 ACG\n",
                "Halvik cannot use this file; some sequences are of different lengths in @"}),
    [](const auto &info) { return std::string(info.param.name); });


struct Acceptance {
  const char *name;
  std::string content;
  std::vector<std::string> labels;
  std::int32_t length;
};

void PrintTo(const Acceptance &c, std::ostream *out) { *out << c.name; }

class Accepted : public ::testing::TestWithParam<Acceptance> {};

TEST_P(Accepted, Storeslabelslengthsandcounts) {
  Passrun run;
  Pop.Seqs[3].Otu = "stale";
  Pop.Seqs[3].Length = 77;
  run.Use(GetParam().content);
  ASSERT_TRUE(run.Run(Verifysequences)) << Errormessage;
  const auto &labels = GetParam().labels;
  ASSERT_EQ(Pop.Numseqs, static_cast<std::int32_t>(labels.size()));
  EXPECT_EQ(Pop.Seqlength, GetParam().length);
  for (std::size_t i = 0; i < labels.size(); ++i) {
    EXPECT_EQ(Pop.Seqs[i + 1].Otu, labels[i]);
    EXPECT_EQ(Pop.Seqs[i + 1].Length, GetParam().length);
  }
  if (labels.size() < 3) {  // records beyond the file keep what they held
    EXPECT_EQ(Pop.Seqs[3].Otu, "stale");
    EXPECT_EQ(Pop.Seqs[3].Length, 77);
  }
  EXPECT_EQ(Errormessage, "");
}

INSTANTIATE_TEST_SUITE_P(
    Files, Accepted,
    ::testing::Values(
        Acceptance{"plain", "s1 ACGT\ns2 ACGA\n", {"s1", "s2"}, 4},
        Acceptance{"nofinallinefeed", "s1 ACGT\ns2 ACGA", {"s1", "s2"}, 4},
        Acceptance{"manyblanks", "seq1     ACGT\nseq2 TTTT\n", {"seq1", "seq2"}, 4},
        Acceptance{"emptylabel", "  ACGT\ns2 ACGT\n", {"", "s2"}, 4},
        Acceptance{"tabinlabel", "seq1\tx ACGT\ns2 ACGT\n", {"seq1\tx", "s2"}, 4},
        Acceptance{"labelalone", "s1\nACGT\ns2 ACGT\n", {"s1", "s2"}, 4},
        Acceptance{"labelaboveemptylines", "s1\n\n   \n\nACGT\ns2\n \nACGT", {"s1", "s2"}, 4},
        Acceptance{"carriagereturninlabel", "a\rb ACGT\ns2 ACGT\n", {"a\rb", "s2"}, 4},
        Acceptance{"allsixcodes", "s1 ACGTN-\ns2 ------\ns3 NNNNNN\n", {"s1", "s2", "s3"}, 6},
        Acceptance{"label254", std::string(254, 'x') + " A\ns2 C\n", {std::string(254, 'x'), "s2"}, 1},
        Acceptance{"length100000", "s1 " + Repeat('G', 100000) + "\ns2 " + Repeat('-', 100000), {"s1", "s2"},
                   100000}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Verification, Echoeseachlabelasitgrowsandwritesarecordlineforeach) {
  Passrun run;
  run.Use("s1 ACGT\ns2 ACGA\n");
  ASSERT_TRUE(run.Run(Verifysequences));
  EXPECT_EQ(run.Takeconsole(),
            "s\ns1\nSequence   1 verified:     \t OTU:    s1    \tLength:     4\n"
            "s\ns2\nSequence   2 verified:     \t OTU:    s2    \tLength:     4\n"
            "2 sequences verified.\n"
            "\nFile " + Filename + " verified.\n");
  EXPECT_EQ(run.Results(), "");
}

TEST(Verification, Recordlinecutsthelabeltofivecolumns) {
  Passrun run;
  std::string content;
  for (int i = 1; i <= 6; ++i) content += "s " + Repeat('A', 350) + "\n";
  run.Use(content + "alpha12 " + Repeat('C', 350) + "\n");
  ASSERT_TRUE(run.Run(Verifysequences));
  EXPECT_NE(run.Takeconsole().find("alpha12\nSequence   7 verified:     \t OTU: alpha    \tLength:   350\n7 sequences"),
            std::string::npos);
}

TEST(Verification, Atoolonglabelisechoedwholebeforeitisrefused) {
  Passrun run;
  run.Use(Repeat('L', 300) + " A\n");
  EXPECT_FALSE(run.Run(Verifysequences));
  const std::string console = run.Takeconsole();
  EXPECT_EQ(std::count(console.begin(), console.end(), '\n'), 255);
  EXPECT_EQ(console.substr(console.size() - 257), "\n" + Repeat('L', 255) + "\n");
  EXPECT_EQ(Errormessage.size(), 255u);
}

TEST(Verification, Afilewithoutitslastlinefeedreadsthesame) {
  Passrun run;
  std::string with, without;
  for (const bool linefeed : {true, false}) {
    run.Use(std::string("a ACGT\nb\nAGGT\nc ACGA") + (linefeed ? "\n" : ""));
    ASSERT_TRUE(run.Run(Verifysequences));
    (linefeed ? with : without) = run.Takeconsole();
  }
  EXPECT_EQ(with, without);
  EXPECT_EQ(Pop.Seqs[3].Otu, "c");
}

// Records q1, q2, ... all of ACGT.
std::string Records(int count) {
  std::string content;
  for (int i = 1; i <= count; ++i) {
    content += 'q';
    content += std::to_string(i);
    content += " ACGT\n";
  }
  return content;
}

TEST(Verification, Takesathousandrecords) {
  Passrun run;
  run.Use(Records(Maxseqs));
  ASSERT_TRUE(run.Run(Verifysequences)) << Errormessage;
  EXPECT_EQ(Pop.Numseqs, 1000);
  EXPECT_EQ(Pop.Seqs[1000].Otu, "q1000");
}

TEST(Verification, Refusesthethousandandfirstrecordbeforereadingit) {
  Passrun run;
  run.Use(Records(Maxseqs + 1));
  EXPECT_FALSE(run.Run(Verifysequences));
  EXPECT_EQ(Errormessage, "\nHalvik is set to handle up to 01000 sequences.\nThis file has too many.");
  const std::string console = run.Takeconsole();
  EXPECT_NE(console.find("Sequence 1000 verified:"), std::string::npos);
  EXPECT_EQ(console.find("q1001"), std::string::npos);
}

TEST(Verification, Afileremovedbeforethepassisaninputfailure) {
  Passrun run;
  run.Use("s1 A\ns2 A\n");
  std::filesystem::remove(Filename);
  EXPECT_THROW(Verifysequences(), Ioerror);
}

}  // namespace
}  // namespace halvik
