// Runs the built program on every case under tests/e2e/ and compares its
// console, its results files and its exit status byte for byte.
//
// A case is a folder holding:
//   stdin      the keyboard input
//   stdout     the expected console output
//   status     the expected exit status (0 when absent)
//   input/     files placed in the working folder before the run (optional)
//   results/   every file the run must leave there besides the inputs (optional)
//   seed       fixes the random source (optional)
//   setup      a shell script run in the working folder before the run; the
//              files it makes count as inputs (optional)
// A run that ends with status 42 must also say why on standard error.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Casenames() {
  std::vector<std::string> names;
  for (const auto &entry : fs::directory_iterator(HALVIK_E2E_DIR))
    if (entry.is_directory() && fs::exists(entry.path() / "stdin")) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::set<std::string> Filesunder(const fs::path &root) {
  std::set<std::string> names;
  if (!fs::exists(root)) return names;
  for (const auto &entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) names.insert(fs::relative(entry.path(), root).string());
  return names;
}

std::string Quote(const std::string &text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class Transcript : public ::testing::TestWithParam<std::string> {};
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Transcript);

TEST_P(Transcript, MatchesByteForByte) {
  const fs::path casedir = fs::path(HALVIK_E2E_DIR) / GetParam();
  const fs::path work = fs::temp_directory_path() / ("halvik-e2e-" + GetParam() + "-" + std::to_string(::getpid()));
  fs::remove_all(work);
  fs::create_directories(work / "run");
  const fs::path run = work / "run";
  if (fs::exists(casedir / "input")) fs::copy(casedir / "input", run, fs::copy_options::recursive);
  if (fs::exists(casedir / "setup")) {
    ASSERT_EQ(std::system(("cd " + Quote(run) + " && bash " + Quote(casedir / "setup")).c_str()), 0);
  }
  const std::set<std::string> inputs = Filesunder(run);

  std::string binary = HALVIK_BINARY;
  if (fs::exists(casedir / "seed")) {
    std::string seed = Slurp(casedir / "seed");
    binary = std::string(HALVIK_SEEDED_BINARY) + " " + seed.substr(0, seed.find_first_of("\r\n"));
  }
  const std::string command = "cd " + Quote(run) + " && " + binary + " < " + Quote(casedir / "stdin") + " > " +
                              Quote(work / "stdout") + " 2> " + Quote(work / "stderr");
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw)) << "the program did not exit normally";
  const int status = WEXITSTATUS(raw);

  const int expectedstatus = fs::exists(casedir / "status") ? std::stoi(Slurp(casedir / "status")) : 0;
  EXPECT_EQ(status, expectedstatus) << "standard error: " << Slurp(work / "stderr");
  if (status == 42) {
    EXPECT_FALSE(Slurp(work / "stderr").empty()) << "status 42 without a report";
  }
  EXPECT_EQ(Slurp(work / "stdout"), Slurp(casedir / "stdout")) << "console differs";

  std::set<std::string> produced;
  for (const auto &name : Filesunder(run))
    if (!inputs.count(name)) produced.insert(name);
  const std::set<std::string> expected = Filesunder(casedir / "results");
  EXPECT_EQ(produced, expected) << "the set of files written differs";
  for (const auto &name : expected) {
    if (produced.count(name)) {
      EXPECT_EQ(Slurp(run / name), Slurp(casedir / "results" / name)) << "results file " << name << " differs";
    }
  }
  if (!HasFailure()) fs::remove_all(work);
}

INSTANTIATE_TEST_SUITE_P(Cases, Transcript, ::testing::ValuesIn(Casenames()),
                         [](const auto &info) {
                           std::string name = info.param;
                           for (char &c : name)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
