// The console or the results file cannot be written: the program ends with
// status 42 and a report on standard error, never by a signal and never with
// a silent status 0.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "failure_run.h"

namespace {

using failure::Console;
using failure::Folder;
using failure::Options;
namespace fs = failure::fs;

const char *const Sample = "s1 ACGTA\ns2 ACTTA\ns3 ACGTA\ns4 TCGTA\n";
const char *const Answers = "s.txt\n\n2\n3\ny\n5\nn\n";

void Expectreport(const failure::Outcome &run, const std::string &about) {
  ASSERT_TRUE(run.exited) << "ended by signal " << run.status;
  EXPECT_EQ(run.status, 42);
  EXPECT_NE(run.err.find(about), std::string::npos) << "standard error: " << run.err;
}

struct Brokenconsole {
  const char *name;
  Console console;
};

class Consolefails : public ::testing::TestWithParam<Brokenconsole> {};

TEST_P(Consolefails, Endswithstatus42) {
  Folder folder(std::string("console-") + GetParam().name);
  failure::Spit(folder.Run() / "s.txt", Sample);
  Options options{Answers};
  options.console = GetParam().console;
  Expectreport(failure::Runprogram(folder, options), "the console");
  // The console fails at the first prompt, before the results file exists.
  EXPECT_FALSE(fs::exists(folder.Run() / "s.txt.HVK"));
}

INSTANTIATE_TEST_SUITE_P(Consoles, Consolefails,
                         ::testing::Values(Brokenconsole{"devfull", Console::Devfull},
                                           Brokenconsole{"closed", Console::Closed},
                                           Brokenconsole{"readergone", Console::Brokenpipe}),
                         [](const auto &info) { return std::string(info.param.name); });

// The reader of the console goes away in the middle of an analysis: the next
// delivery fails, and the results file keeps its lines so far.
TEST(Consolefails, Whenitsreadergoesmidanalysis) {
  Folder folder("console-reader-leaves");
  failure::Spit(folder.Run() / "s.txt", Sample);
  failure::Dialogue dialogue(folder);
  ASSERT_TRUE(dialogue.Expect("analyze:\n"));
  dialogue.Send("s.txt\n");
  ASSERT_TRUE(dialogue.Expect("Press return when ready."));
  dialogue.Closeconsole();
  dialogue.Send("\n2\n3\ny\n5\nn\n");
  dialogue.Closekeys();
  Expectreport(dialogue.Wait(), "the console");
  const std::string results = failure::Slurp(folder.Run() / "s.txt.HVK");
  EXPECT_NE(results.find("Theta:  \t"), std::string::npos);
  EXPECT_EQ(results.back(), '\n');
}

struct Blockedresults {
  const char *name;
  const char *setup;  // shell commands run in the working folder
};

class Resultsfilecannotbecreated : public ::testing::TestWithParam<Blockedresults> {};

// Each way fails even for root. The console text up to the failure is delivered.
TEST_P(Resultsfilecannotbecreated, Endswithstatus42) {
  Folder folder(std::string("results-") + GetParam().name);
  failure::Spit(folder.Run() / "s.txt", Sample);
  ASSERT_EQ(std::system(("cd '" + folder.Run().string() + "' && " + GetParam().setup).c_str()), 0);
  const failure::Outcome run = failure::Runprogram(folder, {Answers});
  Expectreport(run, "results file");
  EXPECT_EQ(run.out.substr(run.out.size() - 21), "DNA data to analyze:\n");
  EXPECT_EQ(failure::Slurp(folder.Run() / "s.txt"), Sample);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, Resultsfilecannotbecreated,
    ::testing::Values(Blockedresults{"nameisadirectory", "mkdir s.txt.HVK"},
                      Blockedresults{"paththroughafile", "ln -s s.txt/x s.txt.HVK"},
                      Blockedresults{"danglingintonowhere", "ln -s no/such/folder/x s.txt.HVK"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Resultsfilecannotbecreated, Inareadonlyfolder) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write into a read-only folder";
  Folder folder("results-readonly");
  fs::create_directory(folder.Run() / "ro");
  failure::Spit(folder.Run() / "ro" / "s.txt", Sample);
  fs::permissions(folder.Run() / "ro", fs::perms::owner_read | fs::perms::owner_exec);
  const failure::Outcome run = failure::Runprogram(folder, {"ro/s.txt\n\n2\n3\ny\n5\nn\n"});
  fs::permissions(folder.Run() / "ro", fs::perms::owner_all);
  Expectreport(run, "results file");
}

// The results file is created but a write to it fails: through a link to a
// device that is always full, and past the process's file-size limit (which
// must give a failed write, not the signal that ends a process by default).
TEST(Resultsfilecannotbewritten, Throughalinktoafulldevice) {
  Folder folder("results-full");
  failure::Spit(folder.Run() / "s.txt", Sample);
  fs::create_symlink("/dev/full", folder.Run() / "s.txt.HVK");
  const failure::Outcome run = failure::Runprogram(folder, {Answers});
  Expectreport(run, "results file");
  // The search pass had begun: the console shows it up to the failed line.
  EXPECT_NE(run.out.find("Searching: "), std::string::npos);
}

TEST(Resultsfilecannotbewritten, Pastthefilesizelimit) {
  Folder folder("results-limit");
  failure::Spit(folder.Run() / "s.txt", Sample);
  Options options{Answers};
  options.console = Console::Devnull;  // a device: the limit spares it
  options.filesizelimit = 200;
  const failure::Outcome run = failure::Runprogram(folder, options);
  Expectreport(run, "results file");
  EXPECT_LE(fs::file_size(folder.Run() / "s.txt.HVK"), 200u);
}

}  // namespace
