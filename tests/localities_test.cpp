#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/failure.h"
#include "statsetup.h"
#include "stats/dialogue.h"
#include "stats/localities.h"
#include "stats/random.h"
#include "stats/subdivision.h"

namespace {

using halvik::Definelocalities;
using halvik::Localities;
using halvik::Subdivisionstats;
using statsetup::Captured;

const std::string Count = "Into how many localities do you wish to divide these sequences? ";
const std::string Rules =
    "\nHalvik assumes all sequences from a single locality are grouped together,\n"
    "and that the first locality begins with sequence number one.  No locality\n"
    "may have fewer than two sequences.\n";
const std::string Confirm = "Is this correct (y/n)? \n";

std::string Start(int k) { return "Enter the number to the left of the first sequence in locality #" + std::string(k < 10 ? " " : "") + std::to_string(k) + "? "; }

// The listing of s1..sn: a tab, or the mark of each sequence's locality.
std::string Listing(int n, const std::string &marks = "") {
  std::string text;
  for (int i = 1; i <= n; ++i) {
    const std::string number = std::to_string(i), label = "s" + number;
    text += std::string(" ") + (marks.empty() ? '\t' : marks[static_cast<std::size_t>(i - 1)]);
    text += std::string(5 - number.size(), ' ') + number + std::string(10 - label.size(), ' ') + label + "\n";
  }
  return text;
}

std::vector<std::string> Alike(int n) { return std::vector<std::string>(static_cast<std::size_t>(n), "A"); }

TEST(Localitydialogue, ListsAsksAndShowsTheMarkedDivision) {
  Captured out("2\n4\ny\n");
  statsetup::Setsequences(Alike(6), 10);
  const Localities division = Definelocalities();
  out.Flush();
  EXPECT_EQ(out.console, "\n" + Listing(6) + Count + Rules + Start(2) + Listing(6, "!!!\"\"\"") + Confirm);
  EXPECT_EQ(out.results, "Number of Localities:  \t 2\n");
  EXPECT_EQ(division.Count, 2);
  EXPECT_EQ(division.Start[1], 1);
  EXPECT_EQ(division.Start[2], 4);
  EXPECT_EQ(division.Start[3], 7);
  EXPECT_EQ(division.Weight[1], 0.5);
  EXPECT_EQ(division.Weight[2], 0.5);
}

TEST(Localitydialogue, CutsLongLabelsToTenCharacters) {
  Captured out("1\ny\n");
  statsetup::Setpopulation({{"abcdefghijklmn", "A"}, {"", "G"}}, 10);
  Definelocalities();
  out.Flush();
  EXPECT_EQ(out.console, "\n \t    1abcdefghij\n \t    2          \n" + Count + Rules +
                             " !    1abcdefghij\n !    2          \n" + Confirm);
}

TEST(Localitydialogue, AsksTheCountAgainSilentlyAboveHalfTheSequences) {
  Captured out("2\n0\n1\ny\n");
  statsetup::Setsequences(Alike(3), 10);
  const Localities division = Definelocalities();
  out.Flush();
  // No boundary question follows a single locality.
  EXPECT_EQ(out.console, "\n" + Listing(3) + Count + Count + "Please enter a number above      0: " + Rules +
                             Listing(3, "!!!") + Confirm);
  EXPECT_EQ(out.results, "Number of Localities:  \t 1\n");
  EXPECT_EQ(division.Count, 1);
  EXPECT_EQ(division.Start[2], 4);
  EXPECT_EQ(division.Weight[1], 1.0);
}

// Ten sequences in three localities: locality 2 may start at 3..7; after 5,
// locality 3 may start at 7..9.
TEST(Localitydialogue, AsksBoundariesAgainSilentlyWhenALocalityWouldBeTooSmall) {
  Captured out("3\n2\n8\n5\n10\n6\n11\n9\ny\n");
  statsetup::Setsequences(Alike(10), 10);
  const Localities division = Definelocalities();
  out.Flush();
  EXPECT_EQ(out.console, "\n" + Listing(10) + Count + Rules + Start(2) + Start(2) + Start(2) + Start(3) +
                             Start(3) + Start(3) + "Please enter a positive number below     11: " + Listing(10, "!!!!\"\"\"\"##") +
                             Confirm);
  EXPECT_EQ(division.Start[2], 5);
  EXPECT_EQ(division.Start[3], 9);
  EXPECT_EQ(division.Start[4], 11);
  EXPECT_EQ(division.Weight[3], 0.2);
}

TEST(Localitydialogue, ThirtyLocalitiesAreMarkedUpToTheGreaterThanSign) {
  std::string keys = "30\n";
  for (int k = 2; k <= 30; ++k) keys += std::to_string(2 * k - 1) + "\n";
  Captured out(keys + "y\n");
  statsetup::Setsequences(Alike(60), 10);
  const Localities division = Definelocalities();
  out.Flush();
  std::string marks;
  for (int k = 1; k <= 30; ++k) marks += std::string(2, static_cast<char>(32 + k));
  EXPECT_NE(out.console.find(Listing(60, marks) + Confirm), std::string::npos);
  EXPECT_EQ(marks.back(), '>');
  EXPECT_EQ(division.Count, 30);
  EXPECT_EQ(division.Start[31], 61);
  EXPECT_EQ(out.results, "Number of Localities:  \t30\n");
}

TEST(Localitydialogue, CountIsBoundedByThirty) {
  Captured out("31\n1\ny\n");
  statsetup::Setsequences(Alike(80), 10);
  Definelocalities();
  out.Flush();
  EXPECT_NE(out.console.find(Count + "Please enter a positive number below     31: " + Rules), std::string::npos);
}

struct Confirmation {
  const char *name;
  std::string answers;  // after the count 1
  int questions;        // how many times the confirmation is asked
  std::string unread;   // what the next read will meet
};

class Confirming : public ::testing::TestWithParam<Confirmation> {};

TEST_P(Confirming, ReadsOneCharacterAndLeavesTheRest) {
  const Confirmation &c = GetParam();
  Captured out("1\n" + c.answers);
  statsetup::Setsequences(Alike(2), 10);
  Definelocalities();
  out.Flush();
  std::string asked;
  for (int i = 0; i < c.questions; ++i) asked += Confirm;
  EXPECT_EQ(out.console, "\n" + Listing(2) + Count + Rules + Listing(2, "!!") + asked);
  EXPECT_EQ(Captured::Unread(), c.unread);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Confirming,
    ::testing::Values(Confirmation{"Y", "y\n", 1, "\n"}, Confirmation{"Yes", "yes\n7\n", 1, "es\n7\n"},
                      // The line end after x is read as a blank answer.
                      Confirmation{"X", "x\ny\n", 3, "\n"}, Confirmation{"Capital", "Y\ny\n", 3, "\n"},
                      Confirmation{"Empty", "\ny\n", 2, "\n"}, Confirmation{"Blank", " y\n", 2, "\n"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Localitydialogue, WrongAnswerAtTheEndOfInputShowsTheQuestionTwiceThenEnds) {
  Captured out("1\nx\n");
  statsetup::Setsequences(Alike(2), 10);
  EXPECT_THROW(Definelocalities(), halvik::Ioerror);
  out.Flush();
  // After x, the line end is read as a blank answer; then the input has ended.
  EXPECT_EQ(out.console,
            "\n" + Listing(2) + Count + Rules + Listing(2, "!!") + Confirm + Confirm + "Is this correct (y/n)? ");
}

TEST(Localitydialogue, RejectedDivisionStartsAgainAndLeavesItsCountLine) {
  Captured out("2\n3\nn\n1\ny\n");
  statsetup::Setsequences(Alike(5), 10);
  const Localities division = Definelocalities();
  out.Flush();
  EXPECT_EQ(out.console, "\n" + Listing(5) + Count + Rules + Start(2) + Listing(5, "!!\"\"\"") + Confirm + "\n" +
                             Listing(5) + Count + Rules + Listing(5, "!!!!!") + Confirm);
  EXPECT_EQ(out.results, "Number of Localities:  \t 2\nNumber of Localities:  \t 1\n");
  EXPECT_EQ(division.Count, 1);
  EXPECT_EQ(division.Start[2], 6);
}

// Sites: A A A, G A A, C G G, C T G; localities 1-2 and 3-4.
TEST(Subdivisionstatistics, FourSequenceExampleGivesAllTwelveValuesAndLines) {
  Captured out;
  statsetup::Setsequences({"AAA", "GAA", "CGG", "CTG"}, 600);
  const halvik::Subdivision s = Subdivisionstats(statsetup::Division({1, 3}, 4));
  out.Flush();
  const double ln2 = std::log(2.0), ln4 = std::log(4.0);
  EXPECT_EQ(s.Ks, 1.0);
  EXPECT_EQ(s.Kt, 14.0 / 6.0);
  EXPECT_EQ(s.Kst, 1.0 - 1.0 / (14.0 / 6.0));
  EXPECT_EQ(s.Fs, 1.0);
  EXPECT_EQ(s.Ft, 3.0);
  EXPECT_EQ(s.Fst, 1.0 - 1.0 / 3.0);
  EXPECT_EQ(s.Kstars, ln2 * 0.5 + ln2 * 0.5);
  EXPECT_EQ(s.Kstart, (ln2 + ln4 + ln4 + ln4 + ln4 + ln2) / 6.0);
  EXPECT_EQ(s.Kstarst, 1.0 - s.Kstars / s.Kstart);
  EXPECT_EQ(s.Fstars, s.Kstars);
  EXPECT_EQ(s.Fstarb, (ln4 + ln4 + ln4 + ln4) / 4.0);
  EXPECT_EQ(s.Fstarsb, 1.0 - s.Fstars / s.Fstarb);
  EXPECT_EQ(out.console,
            "(s1 to s2)  Pi i,j:  0.001667\n"
            "(s3 to s4)  Pi i,j:  0.001667\n"
            "(s1 to s4)  Pi i,j:  0.003889\n"
            "K(s1 to s2):  1.000000\n"
            "K(s3 to s4):  1.000000\n"
            "K(s1 to s4):  2.333333\n"
            "Ks:  1.00000\nKt:  2.33333\nKst: 0.571429\n"
            "Fs:  1.00000\nFt:  3.00000\nFst: 0.666667\n"
            "K*(s1 to s2):  0.693147\n"
            "K*(s3 to s4):  0.693147\n"
            "K*(s1 to s4):  1.155245\n"
            "K*s:  0.69315\nK*t:  1.15525\nK*st: 0.400000\n"
            "F*s:  0.69315\nF*b:  1.38629\nF*sb: 0.500000\n\n");
  EXPECT_EQ(out.results,
            "(s1 to s2)  Pi i,j:  \t0.001667\n"
            "(s3 to s4)  Pi i,j:  \t0.001667\n"
            "(s1 to s4)  Pi i,j:  \t0.003889\n"
            "K(s1 to s2):  \t1.000000\n"
            "K(s3 to s4):  \t1.000000\n"
            "K(s1 to s4):  \t2.333333\n"
            "Ks:  \t1.00000\nKt:  \t2.33333\nKst: \t0.571429\n"
            "Fs:  \t1.00000\nFt:  \t3.00000\nFst: \t0.666667\n"
            "K*(s1 to s2):  \t0.693147\n"
            "K*(s3 to s4):  \t0.693147\n"
            "K*(s1 to s4):  \t1.155245\n"
            "K*s:  \t0.69315\nK*t:  \t1.15525\nK*st: \t0.400000\n"
            "F*s:  \t0.69315\nF*b:  \t1.38629\nF*sb: \t0.500000\n\n");
}

TEST(Subdivisionstatistics, OneLocalityGivesZeroKstAndNaNBetweenLocalities) {
  Captured out;
  statsetup::Setsequences({"AAC", "GAC", "GTC"}, 30);
  const halvik::Subdivision s = Subdivisionstats(statsetup::Division({1}, 3));
  out.Flush();
  EXPECT_EQ(s.Ks, s.Kt);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(s.Kst), std::bit_cast<std::uint64_t>(0.0));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(s.Kstarst), std::bit_cast<std::uint64_t>(0.0));
  EXPECT_TRUE(std::isnan(s.Ft) && std::isnan(s.Fst) && std::isnan(s.Fstarb) && std::isnan(s.Fstarsb));
  const std::size_t tail = out.console.find("Ks:  ");
  ASSERT_NE(tail, std::string::npos);
  EXPECT_EQ(out.console.substr(tail, out.console.find("K*(") - tail),
            "Ks:  1.33333\nKt:  1.33333\nKst: 0.000000\nFs:  1.33333\nFt:    NaN\nFst:    NaN\n");
  EXPECT_NE(out.console.find("K*st: 0.000000\nF*s:  0.82830\nF*b:    NaN\nF*sb:    NaN\n\n"), std::string::npos);
  EXPECT_NE(out.results.find("Ft:  \t  NaN\nFst: \t   NaN\n"), std::string::npos);
  EXPECT_NE(out.results.find("F*b:  \t  NaN\nF*sb: \t   NaN\n\n"), std::string::npos);
}

std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

struct Roundingcase {
  const char *name;
  std::vector<std::string> codes;
  std::vector<std::int32_t> starts;
  halvik::Rangeestimator estimator;
};

class Weightedsum : public ::testing::TestWithParam<Roundingcase> {};

// Each weighted term is rounded before it is added; a fused multiply-add
// would round once and give a different last bit on these samples.
TEST_P(Weightedsum, RoundsEachProductBeforeAdding) {
  const Roundingcase &c = GetParam();
  Captured out;
  const auto n = static_cast<std::int32_t>(c.codes.size());
  statsetup::Setsequences(c.codes, 100);
  const Localities division = statsetup::Division(c.starts, n);
  const halvik::Lineup lineup = halvik::Identitylineup(n);
  const double first = c.estimator(1, c.starts[1] - 1, lineup, false);
  const double second = c.estimator(c.starts[1], n, lineup, false);
  volatile double p1 = first * division.Weight[1];
  volatile double p2 = second * division.Weight[2];
  const double separate = p1 + p2;
  const double fused = std::fma(second, division.Weight[2], p1);
  ASSERT_NE(Bits(separate), Bits(fused)) << "the sample does not tell the two apart";
  EXPECT_EQ(Bits(halvik::Weightedwithin(c.estimator, division, lineup, false)), Bits(separate));
  const halvik::Subdivision s = Subdivisionstats(division);
  EXPECT_EQ(Bits(c.estimator == halvik::Kj ? s.Ks : s.Kstars), Bits(separate));
}

INSTANTIATE_TEST_SUITE_P(Cases, Weightedsum,
                         ::testing::Values(Roundingcase{"Plain", {"ACA", "AAA", "AAA", "AGG", "GCG", "CAC"}, {1, 3}, halvik::Kj},
                                           Roundingcase{"Starred", {"AAG", "CAG", "CCG", "ACA", "GAG"}, {1, 4}, halvik::Kjstar}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace

namespace {

// The whole second half of an analysis: after "y" the rest of the line is
// empty, so the lineup question simply reads the next line.
TEST(Furtherstats, RunsTheDialogueTheStatisticsAndTheTestInOrder) {
  const std::vector<std::string> codes = {"AAA", "GAA", "CGG", "CTG"};
  const Localities division = statsetup::Division({1, 3}, 4);
  std::string statistics, statisticsfile;
  halvik::Observed observed{};
  {
    Captured quiet;
    statsetup::Setsequences(codes, 600);
    observed = halvik::Testedvalues(Subdivisionstats(division));
    quiet.Flush();
    statistics = quiet.console;
    statisticsfile = quiet.results;
  }
  halvik::Seedrandom(42);
  const halvik::Lineupcounts c = halvik::Literalcounts(division, observed, 6);
  auto plines = [&](const char *tab) {
    auto line = [&](const char *label, int count) {
      return std::string(label) + tab + halvik::Realtext(count / 6.0, 6) + "\n";
    };
    return line("P(Kst) = ", c.Kst) + line("P(Fst) = ", c.Fst) + line("P(K*st) = ", c.Kstarst) +
           line("P(F*st) = ", c.Fstarsb);
  };

  Captured out("2\n3\ny\n6\n");
  statsetup::Setsequences(codes, 600);
  halvik::Seedrandom(42);
  halvik::Furtherstats();
  out.Flush();
  EXPECT_EQ(out.console, "\n" + Listing(4) + Count + Rules + Start(2) + Listing(4, "!!\"\"") + Confirm + statistics +
                             "How many randomized sequence lineups would you like performed? " + plines(""));
  EXPECT_EQ(out.results, "Number of Localities:  \t 2\n" + statisticsfile +
                             "Number of randomized sequence lineups:  \t    6\n" + plines("\t"));
}

}  // namespace
