// Replays every seed of the fuzz corpora and every input that once found a
// fault (tests/fuzz/regressions/<target>/) through the fuzz targets' own
// harness, so the normal suite, and its sanitizer build, keeps them fixed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/harness.h"

namespace {

namespace fs = std::filesystem;

struct Replay {
  std::string target;  // "sequencefile" or "keyboard"
  fs::path input;
};

const fs::path Fuzzfolder = fs::path(HALVIK_E2E_DIR) / ".." / "fuzz";

std::vector<Replay> Inputs() {
  std::vector<Replay> inputs;
  for (const std::string target : {"sequencefile", "keyboard"})
    for (const fs::path &folder : {Fuzzfolder / ("corpus-" + target), Fuzzfolder / "regressions" / target})
      if (fs::is_directory(folder))
        for (const auto &entry : fs::directory_iterator(folder))
          if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
            inputs.push_back({target, entry.path()});
  std::sort(inputs.begin(), inputs.end(), [](const Replay &a, const Replay &b) { return a.input < b.input; });
  return inputs;
}

class Fuzzinput : public ::testing::TestWithParam<Replay> {};

TEST_P(Fuzzinput, Runsthroughtheharnesswithoutafault) {
  const std::string bytes = halvik::fuzzing::Readfile(GetParam().input);
  const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.data());
  // The harness aborts on a fault, which ends the suite loudly: a death here
  // names the input in the test's name.
  if (GetParam().target == "sequencefile")
    EXPECT_EQ(halvik::fuzzing::Fuzzsequencefile(data, bytes.size()), 0);
  else
    EXPECT_EQ(halvik::fuzzing::Fuzzkeyboard(data, bytes.size()), 0);
}

INSTANTIATE_TEST_SUITE_P(Corpora, Fuzzinput, ::testing::ValuesIn(Inputs()), [](const auto &info) {
  std::string name = info.param.target + "_" + info.param.input.parent_path().filename().string() + "_" +
                     info.param.input.filename().string();
  for (char &c : name)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
});

}  // namespace
