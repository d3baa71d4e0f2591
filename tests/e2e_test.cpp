// Runs the built program on every case under tests/e2e/ and compares its
// console, its results files and its exit status byte for byte.
//
// A case is a folder holding:
//   stdin      the keyboard input
//   stdout     the expected console output
//   status     the expected exit status (0 when absent)
//   stderr     the expected report on standard error (optional)
//   input/     files placed in the working folder before the run (optional)
//   results/   every file the run must leave there besides the inputs (optional)
//   seed       fixes the random source (optional)
//   setup      a shell script run in the working folder before the run; the
//              files it makes count as inputs (optional)
//   run        the shell line that runs the program, for a console or a
//              keyboard that is broken or generated on purpose (optional; by
//              default $HALVIK < "$STDIN" > "$STDOUT" 2> "$STDERR")
// A run that ends with status 42 must also say why on standard error, and no
// run may change its inputs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <map>

#include "fuzz/harness.h"

namespace {

using halvik::fuzzing::Readfile;
namespace fs = std::filesystem;

// The regular files under a folder, by relative name, with their contents.
std::map<std::string, std::string> Filesunder(const fs::path &root) {
  std::map<std::string, std::string> files;
  if (fs::exists(root))
    for (const auto &entry : fs::recursive_directory_iterator(root))
      if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = Readfile(entry.path());
  return files;
}

std::string Firstline(const fs::path &path) {
  const std::string text = Readfile(path);
  return text.substr(0, text.find_first_of("\r\n"));
}

class Transcript : public ::testing::TestWithParam<std::string> {};
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Transcript);

TEST_P(Transcript, MatchesByteForByte) {
  const fs::path casedir = fs::path(HALVIK_E2E_DIR) / GetParam();
  const fs::path work = fs::temp_directory_path() / ("halvik-e2e-" + GetParam() + "-" + std::to_string(::getpid()));
  const fs::path run = work / "run";
  fs::remove_all(work);
  fs::create_directories(run);
  if (fs::exists(casedir / "input")) fs::copy(casedir / "input", run, fs::copy_options::recursive);
  const std::string enter = "cd '" + run.string() + "' && ";
  if (fs::exists(casedir / "setup")) {
    ASSERT_EQ(std::system((enter + "bash '" + (casedir / "setup").string() + "'").c_str()), 0);
  }
  const auto inputs = Filesunder(run);

  std::string binary = HALVIK_BINARY;
  if (fs::exists(casedir / "seed")) binary = std::string(HALVIK_SEEDED_BINARY) + " " + Firstline(casedir / "seed");
  ::setenv("HALVIK", binary.c_str(), 1);
  ::setenv("STDIN", (casedir / "stdin").c_str(), 1);
  ::setenv("STDOUT", (work / "stdout").c_str(), 1);
  ::setenv("STDERR", (work / "stderr").c_str(), 1);
  // The program must guard itself against these signals: it gets them as a
  // user's shell leaves them, not as an earlier test may have set them.
  std::signal(SIGPIPE, SIG_DFL);
  std::signal(SIGXFSZ, SIG_DFL);
  const std::string line =
      fs::exists(casedir / "run") ? Firstline(casedir / "run") : "$HALVIK < \"$STDIN\" > \"$STDOUT\" 2> \"$STDERR\"";
  const int raw = std::system((enter + line).c_str());
  ASSERT_TRUE(WIFEXITED(raw)) << "the program did not exit normally";

  const std::string err = Readfile(work / "stderr");
  EXPECT_EQ(WEXITSTATUS(raw), fs::exists(casedir / "status") ? std::stoi(Readfile(casedir / "status")) : 0) << err;
  EXPECT_TRUE(WEXITSTATUS(raw) != 42 || !err.empty()) << "status 42 without a report";
  EXPECT_TRUE(!fs::exists(casedir / "stderr") || err == Readfile(casedir / "stderr")) << err;
  EXPECT_EQ(Readfile(work / "stdout"), Readfile(casedir / "stdout")) << "console differs";
  std::map<std::string, std::string> produced;
  for (const auto &[name, text] : Filesunder(run)) {
    if (!inputs.contains(name))
      produced[name] = text;
    else
      EXPECT_EQ(text, inputs.at(name)) << "the run changed its input " << name;
  }
  EXPECT_EQ(produced, Filesunder(casedir / "results"));
  if (!HasFailure()) fs::remove_all(work);
}

std::vector<std::string> Casenames() {
  std::vector<std::string> names;
  for (const auto &entry : fs::directory_iterator(HALVIK_E2E_DIR))
    if (fs::exists(entry.path() / "stdin")) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, Transcript, ::testing::ValuesIn(Casenames()), [](const auto &info) {
  std::string name = info.param;
  std::replace_if(
      name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
  return name;
});

}  // namespace
