// The analysis loop: the error line, the start-again question, exit statuses.
#include "driver/analysis.h"

#include <gtest/gtest.h>

#include "console_fixture.h"
#include "driver/globals.h"

namespace halvik {
namespace {

using testing::Memoryconsole;

int Count(const std::string &text, const std::string &part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

struct Againcase {
  const char *name;
  const char *answer;
  int analyses;
};

class Startagain : public ::testing::TestWithParam<Againcase> {};

// Each analysis names a file that does not exist, so it is abandoned at once
// and the question follows.
TEST_P(Startagain, Onlyalowercaseystartsanotheranalysis) {
  const Againcase &c = GetParam();
  Memoryconsole io(std::string("no-such-file\n") + c.answer + "\nno-such-file\nn\n");
  EXPECT_EQ(Runanalyses(), 0);
  EXPECT_EQ(Count(io.Text(), "Would you like to start again (y/n)?  "), c.analyses);
  EXPECT_EQ(Count(io.Text(), "I/O Error"), c.analyses);
}

INSTANTIATE_TEST_SUITE_P(Answers, Startagain,
                         ::testing::Values(Againcase{"y", "y", 2}, Againcase{"yes", "yes", 2},
                                           Againcase{"upper", "Y", 1}, Againcase{"blank", " y", 1},
                                           Againcase{"empty", "", 1}, Againcase{"n", "n", 1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Analysisloop, Showstheerrortextonitsownlinebeforethequestion) {
  Memoryconsole io("no-such-file\nn\n");
  EXPECT_EQ(Runanalyses(), 0);
  const std::string &text = io.Text();
  EXPECT_NE(text.find("analyze:\n\nI/O Error\n"), std::string::npos);
  EXPECT_NE(text.find("Press RETURN to halt.\nWould you like to start again (y/n)?  "), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 38), "Would you like to start again (y/n)?  ");
}

struct Endcase {
  const char *name;
  const char *input;
};

class Endofinput : public ::testing::TestWithParam<Endcase> {};

TEST_P(Endofinput, Endswithstatus42afterdeliveringtheconsole) {
  Memoryconsole io(GetParam().input);
  EXPECT_EQ(Runanalyses(), 42);
  EXPECT_NE(io.output.find("Please type the exact name"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Reads, Endofinput,
                         ::testing::Values(Endcase{"atfilename", ""}, Endcase{"atsecondname", "\n"},
                                           Endcase{"atstartagain", "no-such-file\n"},
                                           Endcase{"afternewanalysis", "no-such-file\ny\n"}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace halvik
