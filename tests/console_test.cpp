// The console layer: rendering of output items, the delivery of the two
// sinks, the keyboard reads and the number dialogue.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <limits>

#include "driver/console/failure.h"
#include "driver/console/readint.h"
#include "support.h"

namespace halvik {
namespace {

using support::Captured;

struct Item {
  void (*write)(Textsink &);
  const char *text;
};

class Rendering : public ::testing::TestWithParam<Item> {};

TEST_P(Rendering, WritesTheStatedText) {
  Captured out;
  GetParam().write(Console);
  EXPECT_EQ(out.Text(), GetParam().text);
}

#define REAL(x, w, d, text)                          \
  Item {                                             \
    [](Textsink &s) { Writereal(s, x, w, d); }, text \
  }
#define ITEM(call, text)            \
  Item {                            \
    [](Textsink &s) { call; }, text \
  }
constexpr double Nan = std::numeric_limits<double>::quiet_NaN(), Inf = std::numeric_limits<double>::infinity();

// Ties round away from zero, where printf would round to even.
INSTANTIATE_TEST_SUITE_P(
    Items, Rendering,
    ::testing::Values(REAL(0.5, 8, 6, "0.500000"), REAL(-0.03125, 8, 6, "-0.031250"), REAL(0.999999, 5, 5, "1.00000"),
                      REAL(9.96, 1, 1, "10.0"), REAL(0.125, 1, 2, "0.13"), REAL(0.0078125, 1, 6, "0.007813"),
                      REAL(0.9999996, 1, 6, "1.000000"), REAL(1e-7, 8, 6, "0.000000"), REAL(-1e-7, 8, 6, "-0.000000"),
                      REAL(-0.0, 8, 6, "0.000000"), REAL(Nan, 8, 6, "     NaN"), REAL(Inf, 8, 6, "     Inf"),
                      REAL(-Inf, 8, 6, "    -Inf"), REAL(Nan, 5, 5, "  NaN"), REAL(-5.5, 1, 0, "-6"),
                      REAL(99.5, 1, 0, "100"), REAL(0.0, 3, 0, "  0"), REAL(123456789.0, 1, 2, "123456789.00"),
                      REAL(1e20, 1, 0, "100000000000000000000"), REAL(0.571428571, 6, 6, "0.571429"),
                      REAL(-0.020446, 6, 6, "-0.020446"), ITEM(Writestr(s, "abcdefghijkl", 5), "abcde"),
                      ITEM(Writestr(s, "ab", 5), "   ab"), ITEM(Writestr(s, "", 3), "   "),
                      ITEM(Writech(s, '\t', 5), "    \t"), ITEM(Writech(s, '!'), "!"), ITEM(Writeint(s, 0, 3), "  0"),
                      ITEM(Writeint(s, -7, 3), " -7"), ITEM(Writeint(s, 1234567, 5), "1234567"),
                      ITEM(Writeint(s, -42), "-42")));

TEST(Sinks, ResultsFileDeliversEachFinishedLineAndTheConsoleWaits) {
  Captured out;
  for (Textsink *sink : {&Outfile, &Console}) {
    Writestr(*sink, "Pn:  ");
    Writereal(*sink, 0.02, 8, 6);
    Writeln(*sink);
    Writestr(*sink, "\nlabel");  // a line feed inside a text finishes a line too
  }
  EXPECT_EQ(out.results, "Pn:  0.020000\n\nlabel");
  EXPECT_EQ(out.console, "");
}

TEST(Sinks, AResultsFileCannotBeCreatedInAReadOnlyFolder) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write into a read-only folder";
  const std::string folder = Captured::Usefile("").Name + ".d";
  ASSERT_EQ(::mkdir(folder.c_str(), 0500), 0);
  Textsink sink;
  EXPECT_THROW(Createfile(sink, folder + "/s.txt.HVK"), Ioerror);
  ::rmdir(folder.c_str());
}

TEST(Keyboard, ReadsNothingTrimmedAndDeliversTheConsoleFirst) {
  Captured io(std::string(300, 'x') + "\n  a b \r\nyes\n\nY\nyes\nx\nanything\nlast");
  Writestr(Console, "Prompt");
  EXPECT_EQ(Readline(255), std::string(255, 'x'));
  EXPECT_EQ(io.console, "Prompt");
  EXPECT_EQ(Readline(255), "  a b \r");
  EXPECT_EQ(Readfirstchar(), 'y');
  EXPECT_EQ(Readfirstchar(), ' ');
  EXPECT_EQ(Readfirstchar(), 'Y');
  EXPECT_EQ(Readcharkeep(), 'y');
  EXPECT_EQ(Readline(255), "es");
  EXPECT_EQ(Readcharkeep(), 'x');
  EXPECT_EQ(Readcharkeep(), ' ');  // the line end reads as a blank and is consumed
  Skipline();
  EXPECT_EQ(Readline(255), "last");
  EXPECT_THROW(Readline(255), Ioerror);
  EXPECT_THROW(Readfirstchar(), Ioerror);
  EXPECT_THROW(Readcharkeep(), Ioerror);
  EXPECT_THROW(Skipline(), Ioerror);
}

struct Dialogue {
  std::int32_t lower, upper;
  std::string typed;
  const char *prompts;  // the correcting prompts written before the answer is taken
  std::int32_t value;
};

class Readintdialogue : public ::testing::TestWithParam<Dialogue> {};

TEST_P(Readintdialogue, CorrectsUntilANumberInRange) {
  Captured io(GetParam().typed);
  EXPECT_EQ(Readint(GetParam().lower, GetParam().upper), GetParam().value);
  EXPECT_EQ(io.Text(), GetParam().prompts);
}

const char *const Below31 = "Please enter a positive number below     31: ";
const char *const Below30000 = "Please enter a positive number below  30000: ";
const char *const Positive = "Only positive numbers, please: ";

INSTANTIATE_TEST_SUITE_P(
    Answers, Readintdialogue,
    ::testing::Values(Dialogue{1, 30, "0\n30\n", "Please enter a number above      0: ", 30},
                      Dialogue{1, 30, "31\n1\n", Below31, 1}, Dialogue{1, 30, " 5\n5\n", Positive, 5},
                      Dialogue{1, 30, "5 \n5\n", Positive, 5}, Dialogue{1, 30, "-3\n3\n", Positive, 3},
                      Dialogue{1, 30, "+3\n3\n", Positive, 3}, Dialogue{1, 29999, "12a\n12\n", Positive, 12},
                      Dialogue{1, 29999, "30000\n29999\n", Below30000, 29999},
                      Dialogue{1, 29999, "100000\n7\n", Below30000, 7},
                      Dialogue{1, 29999, "900000\n7\n", Below30000, 7}, Dialogue{1, 29999, "-12345\n7\n", Positive, 7},
                      Dialogue{1, 29999, "0000000000\n7\n", Below30000, 7}, Dialogue{1, 30, "007\n", "", 7},
                      Dialogue{1, 30, "\n\n\n12\n", "", 12},
                      Dialogue{2, 10, "1\nx\n11\n10\n",
                               "Please enter a number above      1: Only positive numbers, please: "
                               "Please enter a positive number below     11: ",
                               10},
                      // Bounds outside 0..29999 are pulled back into it.
                      Dialogue{-5, 40000, "0\n", "", 0}, Dialogue{3, -1, "29999\n", "", 29999},
                      // A byte above 127 is a character above every digit, never a negative
                      // one; six characters are examined only when the first is at most "3".
                      Dialogue{1, 30,
                               "\xe9"
                               "12345\n5\n",
                               Below31, 5},
                      Dialogue{1, 30,
                               "\xff"
                               "00000\n5\n",
                               Below31, 5},
                      Dialogue{1, 30,
                               std::string("\0"
                                           "12345\n5\n",
                                           9),
                               Positive, 5},
                      Dialogue{1, 30,
                               "12\xe9"
                               "45\n5\n",
                               Positive, 5},
                      Dialogue{1, 30, "\xb3\n5\n", Positive, 5}, Dialogue{1, 30, "12\r\n5\n", Positive, 5}));

}  // namespace
}  // namespace halvik
