// File names typed at the first question: whatever the line holds, the
// program never touches a file other than the one named and its results file.
#include <gtest/gtest.h>

#include <string>

#include "failure_run.h"

namespace {

using failure::Folder;

const char *const Sample = "a ACGT\nb ACGA\n";

// A NUL byte ends a name for the system: "s.txt", NUL, "x" would open s.txt,
// and its results file "s.txt", NUL, "x.HVK" would then empty s.txt itself.
TEST(Typedname, Withanulbyteisrefusedandtouchesnofile) {
  Folder folder("nul-name");
  failure::Spit(folder.Run() / "s.txt", Sample);
  const failure::Outcome run = failure::Runprogram(folder, {std::string("s.txt\0x\nn\n", 10)});
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("analyze:\n\nI/O Error\n"), std::string::npos);
  EXPECT_EQ(failure::Slurp(folder.Run() / "s.txt"), Sample);
  EXPECT_EQ(std::distance(failure::fs::directory_iterator(folder.Run()), failure::fs::directory_iterator()), 1);
}

// A megabyte typed as a name keeps its first 255 characters, which are too
// many: the name is asked for again.
TEST(Typedname, Ofamegabyteisaskedforagain) {
  Folder folder("long-name");
  failure::Spit(folder.Run() / "s.txt", Sample);
  const failure::Outcome run = failure::Runprogram(folder, {std::string(1 << 20, 's') + "\ns.txt\n\n1\ny\n3\nn\n"});
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("must be less than 75 characters\n\n\nPlease type the exact name"), std::string::npos);
  EXPECT_NE(run.out.find("File s.txt verified."), std::string::npos);
  EXPECT_LT(run.out.size(), 10000u);
}

}  // namespace
