#include "driver/readint.h"

#include <gtest/gtest.h>

#include "console_fixture.h"

namespace halvik {
namespace {

using testing::Memoryconsole;

struct Dialogue {
  const char *name;
  std::int32_t lower, upper;
  const char *typed;
  const char *prompts;  // the correcting prompts written before the answer is taken
  std::int32_t value;
};

class Readintdialogue : public ::testing::TestWithParam<Dialogue> {};

TEST_P(Readintdialogue, Correctsuntilanumberinrange) {
  const Dialogue &d = GetParam();
  Memoryconsole io(d.typed);
  EXPECT_EQ(Readint(d.lower, d.upper), d.value);
  EXPECT_EQ(io.Text(), d.prompts);
}

const char *const Below31 = "Please enter a positive number below     31: ";
const char *const Below30000 = "Please enter a positive number below  30000: ";
const char *const Positive = "Only positive numbers, please: ";

INSTANTIATE_TEST_SUITE_P(
    Cases, Readintdialogue,
    ::testing::Values(
        Dialogue{"zero", 1, 30, "0\n30\n", "Please enter a number above      0: ", 30},
        Dialogue{"aboveupper", 1, 30, "31\n1\n", Below31, 1},
        Dialogue{"leadingblank", 1, 30, " 5\n5\n", Positive, 5},
        Dialogue{"trailingblank", 1, 30, "5 \n5\n", Positive, 5},
        Dialogue{"minus", 1, 30, "-3\n3\n", Positive, 3},
        Dialogue{"plus", 1, 30, "+3\n3\n", Positive, 3},
        Dialogue{"letters", 1, 29999, "12a\n12\n", Positive, 12},
        Dialogue{"onepastlimit", 1, 29999, "30000\n29999\n", Below30000, 29999},
        Dialogue{"sixdigitsfrom1", 1, 29999, "100000\n7\n", Below30000, 7},
        Dialogue{"sixdigitsfrom9", 1, 29999, "900000\n7\n", Below30000, 7},
        Dialogue{"sixcharsfromminus", 1, 29999, "-12345\n7\n", Positive, 7},
        Dialogue{"tenzeros", 1, 29999, "0000000000\n7\n", Below30000, 7},
        Dialogue{"leadingzeros", 1, 30, "007\n", "", 7},
        Dialogue{"emptylinesaresilent", 1, 30, "\n\n\n12\n", "", 12},
        Dialogue{"severalwrong", 2, 10, "1\nx\n11\n10\n",
                 "Please enter a number above      1: Only positive numbers, please: "
                 "Please enter a positive number below     11: ",
                 10},
        // Bounds outside 0..29999 are pulled back into it.
        Dialogue{"adjustedbounds", -5, 40000, "0\n", "", 0},
        Dialogue{"adjustedupper", 3, -1, "29999\n", "", 29999}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Ytothex, Ispowerforpositiveexponentsandoneotherwise) {
  EXPECT_EQ(Ytothex(10, 4), 10000);
  EXPECT_EQ(Ytothex(10, 1), 10);
  EXPECT_EQ(Ytothex(10, 0), 1);
  EXPECT_EQ(Ytothex(10, -3), 1);
  EXPECT_EQ(Ytothex(3, 3), 27);
}

}  // namespace
}  // namespace halvik
