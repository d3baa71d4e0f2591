// The keyboard input ends while the program waits for an answer: at every
// kind of question the program ends with status 42 and a report on standard
// error, after delivering all the console text written so far, and the
// results file holds every line written before the question.
#include <gtest/gtest.h>

#include <string>

#include "failure_run.h"

namespace {

using failure::Folder;
using failure::Options;

const char *const Sample =
    "s1 ACGTACGTAA\ns2 ACGTTCGTAA\ns3 ACGAACGTAC\ns4 ACGTACGGAA\ns5 TCGTACGTAA\ns6 ACGTACGTAA\n";
const char *const Answers = "s.txt\n\n2\n3\ny\n3\nn\n";

struct Question {
  const char *name;
  const char *keys;     // the answers up to the question, where the input ends
  const char *prompt;   // the console text ends with the first appearance of this
  const char *filecut;  // the results file ends where this line begins ("" for its end; null: no file)
};

class Inputends : public ::testing::TestWithParam<Question> {};

// A complete analysis, then the same one cut short: the cut run's console and
// results file must be exactly the complete run's, up to the question.
TEST_P(Inputends, Endswithstatus42andkeepseverythingwrittensofar) {
  const Question &q = GetParam();
  Folder whole(std::string("whole-") + q.name), cut(std::string("cut-") + q.name);
  failure::Spit(whole.Run() / "s.txt", Sample);
  failure::Spit(cut.Run() / "s.txt", Sample);

  // The P values of the two runs agree only with the random source fixed.
  Options options{Answers};
  options.seed = "11";
  const failure::Outcome complete = failure::Runprogram(whole, options);
  ASSERT_TRUE(complete.exited);
  ASSERT_EQ(complete.status, 0) << complete.err;
  const std::string wholeresults = failure::Slurp(whole.Run() / "s.txt.HVK");
  ASSERT_NE(wholeresults.find("P(F*st) = \t"), std::string::npos);

  options.keys = q.keys;
  const failure::Outcome run = failure::Runprogram(cut, options);
  ASSERT_TRUE(run.exited) << "ended by signal " << run.status;
  EXPECT_EQ(run.status, 42);
  EXPECT_NE(run.err.find("keyboard input ended"), std::string::npos) << run.err;

  const auto prompt = complete.out.find(q.prompt);
  ASSERT_NE(prompt, std::string::npos);
  EXPECT_EQ(run.out, complete.out.substr(0, prompt + std::string(q.prompt).size()));

  if (q.filecut == nullptr) {
    EXPECT_FALSE(failure::fs::exists(cut.Run() / "s.txt.HVK"));
  } else {
    const std::string cutline = q.filecut;
    const auto end = cutline.empty() ? wholeresults.size() : wholeresults.find("\n" + cutline) + 1;
    ASSERT_NE(end, std::string::npos + 1);
    EXPECT_EQ(failure::Slurp(cut.Run() / "s.txt.HVK"), wholeresults.substr(0, end));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Questions, Inputends,
    ::testing::Values(
        Question{"filename", "", "DNA data to analyze:\n", nullptr},
        Question{"pause", "s.txt\n", "Press return when ready.", "Number of Localities:"},
        Question{"pauselastlinewithoutlinefeed", "s.txt", "Press return when ready.", "Number of Localities:"},
        Question{"localitycount", "s.txt\n\n", "divide these sequences? ", "Number of Localities:"},
        Question{"boundary", "s.txt\n\n2\n", "locality # 2? ", "(s1 to s2)"},
        Question{"confirmation", "s.txt\n\n2\n3\n", "Is this correct (y/n)? ", "(s1 to s2)"},
        Question{"lineups", "s.txt\n\n2\n3\ny\n", "lineups would you like performed? ", "Number of randomized"},
        Question{"startagain", "s.txt\n\n2\n3\ny\n3\n", "Would you like to start again (y/n)?  ", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Inputends, Afteranabandonedanalysisatthenextfilename) {
  Folder folder("abandoned-then-end");
  failure::Spit(folder.Run() / "s.txt", "a AC\nb AC\n");
  const failure::Outcome run = failure::Runprogram(folder, Options{"s.txt\ny\n"});
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.status, 42);
  EXPECT_FALSE(run.err.empty());
  const std::string question = "There are no segregating sites in these sequences.\nWould you like to start again (y/n)?  ";
  const auto at = run.out.find(question);
  ASSERT_NE(at, std::string::npos);
  // The second analysis got as far as asking for a name.
  EXPECT_TRUE(run.out.size() > at + question.size() &&
              run.out.substr(run.out.size() - 21) == "DNA data to analyze:\n");
  EXPECT_EQ(failure::Slurp(folder.Run() / "s.txt.HVK"),
            "a b \n\nSegregating sites at:  \n\n\nHalvik found a total of    0 segregating sites in these "
            "sequences.\n");
}

TEST(Inputends, Aclosedkeyboardendsthesameway) {
  Folder folder("closed-keyboard");
  Options options;
  options.closedkeyboard = true;
  const failure::Outcome run = failure::Runprogram(folder, options);
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.status, 42);
  EXPECT_NE(run.err.find("keyboard"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("DNA data to analyze:\n"), std::string::npos);
}

}  // namespace
