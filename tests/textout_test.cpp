#include "driver/textout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace halvik {
namespace {

struct Realcase {
  double x;
  int width, decimals;
  const char *text;
};

class Realrendering : public ::testing::TestWithParam<Realcase> {};

TEST_P(Realrendering, Writesthestatedtext) {
  const Realcase &c = GetParam();
  std::string out;
  Textsink sink;
  sink.memory = &out;
  Writereal(sink, c.x, c.width, c.decimals);
  Deliver(sink);
  EXPECT_EQ(out, c.text);
}

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, Realrendering,
    ::testing::Values(Realcase{0.5, 8, 6, "0.500000"}, Realcase{0.25, 5, 5, "0.25000"},
                      Realcase{-0.03125, 8, 6, "-0.031250"}, Realcase{3.0, 8, 6, "3.000000"},
                      Realcase{0.999999, 5, 5, "1.00000"}, Realcase{9.96, 1, 1, "10.0"},
                      // Ties round away from zero, where printf would round to even.
                      Realcase{0.125, 1, 2, "0.13"}, Realcase{0.0078125, 1, 6, "0.007813"},
                      Realcase{0.9999996, 1, 6, "1.000000"}, Realcase{1e-7, 8, 6, "0.000000"},
                      Realcase{-1e-7, 8, 6, "-0.000000"}, Realcase{-0.0, 8, 6, "0.000000"},
                      Realcase{Nan, 8, 6, "     NaN"}, Realcase{Inf, 8, 6, "     Inf"},
                      Realcase{-Inf, 8, 6, "    -Inf"}, Realcase{Nan, 5, 5, "  NaN"},
                      Realcase{2.33333333333, 5, 5, "2.33333"}, Realcase{-5.5, 1, 0, "-6"},
                      Realcase{99.5, 1, 0, "100"}, Realcase{0.0, 3, 0, "  0"},
                      Realcase{123456789.0, 1, 2, "123456789.00"},
                      Realcase{1e20, 1, 0, "100000000000000000000"},
                      Realcase{0.571428571, 6, 6, "0.571429"}, Realcase{-0.020446, 6, 6, "-0.020446"}));

struct Itemcase {
  const char *name;
  void (*write)(Textsink &);
  const char *text;
};

class Itemrendering : public ::testing::TestWithParam<Itemcase> {};

TEST_P(Itemrendering, Writesthestatedtext) {
  std::string out;
  Textsink sink;
  sink.memory = &out;
  GetParam().write(sink);
  Deliver(sink);
  EXPECT_EQ(out, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Itemrendering,
    ::testing::Values(
        Itemcase{"longtextcut", [](Textsink &s) { Writestr(s, "abcdefghijkl", 5); }, "abcde"},
        Itemcase{"shorttextpadded", [](Textsink &s) { Writestr(s, "ab", 5); }, "   ab"},
        Itemcase{"textexact", [](Textsink &s) { Writestr(s, "abcde", 5); }, "abcde"},
        Itemcase{"emptytext", [](Textsink &s) { Writestr(s, "", 3); }, "   "},
        Itemcase{"tabwidth5", [](Textsink &s) { Writech(s, '\t', 5); }, "    \t"},
        Itemcase{"charnowidth", [](Textsink &s) { Writech(s, '!'); }, "!"},
        Itemcase{"zerowidth3", [](Textsink &s) { Writeint(s, 0, 3); }, "  0"},
        Itemcase{"negativewidth3", [](Textsink &s) { Writeint(s, -7, 3); }, " -7"},
        Itemcase{"longintegerwhole", [](Textsink &s) { Writeint(s, 1234567, 5); }, "1234567"},
        Itemcase{"integernowidth", [](Textsink &s) { Writeint(s, -42); }, "-42"},
        Itemcase{"endofline", [](Textsink &s) { Writeln(s); }, "\n"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Resultsfile, Everyfinishedlineisdeliveredatonce) {
  std::string out;
  Textsink sink;
  sink.memory = &out;
  sink.lineflush = true;
  Writestr(sink, "Pn:  ");
  EXPECT_EQ(out, "");
  Writech(sink, '\t');
  Writereal(sink, 0.02, 8, 6);
  Writeln(sink);
  EXPECT_EQ(out, "Pn:  \t0.020000\n");
  Writestr(sink, "\nlabel");  // a line feed inside a text finishes a line too
  EXPECT_EQ(out, "Pn:  \t0.020000\n\nlabel");
}

TEST(Console, Holdstextbackuntildelivered) {
  std::string out;
  Textsink sink;
  sink.memory = &out;
  Writestr(sink, "Found site:  s2");
  Writeln(sink);
  EXPECT_EQ(out, "");
  Deliver(sink);
  EXPECT_EQ(out, "Found site:  s2\n");
}

}  // namespace
}  // namespace halvik
