// Answers holding bytes of any value: a byte above 127 is a character whose
// code is above that of every digit, never a negative one.
#include <gtest/gtest.h>

#include <string>

#include "console_fixture.h"
#include "driver/readint.h"

namespace halvik {
namespace {

using testing::Memoryconsole;

struct Bytes {
  const char *name;
  std::string typed;
  const char *prompt;
};

class Answerbytes : public ::testing::TestWithParam<Bytes> {};

TEST_P(Answerbytes, Getthepromptoftheircharactercodes) {
  Memoryconsole io(GetParam().typed + "\n5\n");
  EXPECT_EQ(Readint(1, 30), 5);
  EXPECT_EQ(io.Text(), GetParam().prompt);
}

const char *const Toolarge = "Please enter a positive number below     31: ";
const char *const Notdigits = "Only positive numbers, please: ";

INSTANTIATE_TEST_SUITE_P(
    Answers, Answerbytes,
    ::testing::Values(
        // Six characters are examined only when the first is at most "3".
        Bytes{"sixfromhighbyte", "\xe9" "12345", Toolarge}, Bytes{"sixfrom0x80", "\x80" "12345", Toolarge},
        Bytes{"sixfrom0xff", "\xff" "00000", Toolarge}, Bytes{"sixfromnul", std::string("\0" "12345", 6), Notdigits},
        Bytes{"fivewithhighbyte", "12\xe9" "45", Notdigits}, Bytes{"onehighbyte", "\xb3", Notdigits},
        Bytes{"carriagereturn", "12\r", Notdigits}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace halvik
