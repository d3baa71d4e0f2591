// An abandoned analysis leaves the lines it wrote in its results file, on
// disk at once and not only at the end of the program; the next analysis
// creates the file anew, and one abandoned in its introduction leaves the
// previous analysis's results file alone.
#include <gtest/gtest.h>

#include <string>

#include "failure_run.h"

namespace {

using failure::Folder;

const std::string Nosites = "a AC\nb AC\n";
const std::string Nositeslines =
    "a b \n\nSegregating sites at:  \n\n\nHalvik found a total of    0 segregating sites in these sequences.\n";

TEST(Abandonedanalysis, Itslinesareondiskwhilethequestionwaits) {
  Folder folder("abandoned-live");
  const failure::fs::path sequences = folder.Run() / "s.txt", results = folder.Run() / "s.txt.HVK";
  failure::Spit(sequences, Nosites);
  failure::Dialogue dialogue(folder);
  ASSERT_TRUE(dialogue.Expect("analyze:\n"));
  dialogue.Send("s.txt\n");
  ASSERT_TRUE(dialogue.Expect("There are no segregating sites in these sequences.\nWould you like to start again (y/n)?  "));
  EXPECT_EQ(failure::Slurp(results), Nositeslines);

  // The file is put right and analysed again under the same name.
  failure::Spit(sequences, "s1 ACGTA\ns2 ACTTA\n");
  dialogue.Send("y\n");
  ASSERT_TRUE(dialogue.Expect("analyze:\n"));
  dialogue.Send("s.txt\n");
  ASSERT_TRUE(dialogue.Expect("Press return when ready."));
  const std::string fresh =
      "s1 s2 \n\nSegregating sites at:  \n\t     3\n\nHalvik found a total of    1 segregating sites in these "
      "sequences.\n\nNucleotides at segregating sites:\ns1 \tG \ns2 \tT \n\nPn:  \t";
  EXPECT_EQ(failure::Slurp(results).substr(0, fresh.size()), fresh);

  dialogue.Send("\n1\ny\n3\nn\n");
  ASSERT_TRUE(dialogue.Expect("Would you like to start again (y/n)?  "));
  dialogue.Closekeys();
  const failure::Outcome end = dialogue.Wait();
  ASSERT_TRUE(end.exited);
  EXPECT_EQ(end.status, 0) << end.err;
  const std::string final = failure::Slurp(results);
  EXPECT_EQ(final.substr(0, fresh.size()), fresh);
  EXPECT_NE(final.find("\nP(F*st) = \t"), std::string::npos);
}

TEST(Abandonedanalysis, Intheintroductionleavesthelastresultsfilealone) {
  Folder folder("abandoned-intro");
  failure::Spit(folder.Run() / "s.txt", "s1 ACGTA\ns2 ACTTA\n");
  failure::Spit(folder.Run() / "empty.txt", "");
  const failure::Outcome run =
      failure::Runprogram(folder, {"s.txt\n\n1\ny\n3\ny\nnone.txt\ny\nempty.txt\ny\n" + std::string(80, 'x') + "\n"});
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.status, 42);  // the input ends at the name asked for again
  const std::string results = failure::Slurp(folder.Run() / "s.txt.HVK");
  EXPECT_NE(results.find("\nP(F*st) = \t"), std::string::npos);
  EXPECT_EQ(results.back(), '\n');
  EXPECT_FALSE(failure::fs::exists(folder.Run() / "none.txt.HVK"));
  EXPECT_FALSE(failure::fs::exists(folder.Run() / "empty.txt.HVK"));
  EXPECT_NE(run.out.find("\nNo Data.\nPress RETURN to halt.\nWould you like"), std::string::npos);
}

}  // namespace
