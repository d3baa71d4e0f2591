// Whole analyses of sequence files in-process through the fuzz targets'
// harness: the inputs that the fuzzers keep, files with every part of a record
// on the edge of the read buffer, and files far beyond every fixed size.
#include <gtest/gtest.h>

#include "fuzz/harness.h"
#include "seqfile/reader.h"

namespace halvik::fuzzing {
namespace {

// Every seed of the fuzz corpora and every input that once found a fault, in
// a folder named after its target.
std::vector<fs::path> Inputs() {
  const fs::path folder = fs::path(HALVIK_E2E_DIR) / ".." / "fuzz";
  std::vector<fs::path> inputs;
  for (const std::string target : {"sequencefile", "keyboard"})
    for (const fs::path &corpus : {folder / ("corpus-" + target), folder / "regressions" / target})
      if (fs::is_directory(corpus))
        for (const auto &entry : fs::directory_iterator(corpus))
          if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') inputs.push_back(entry.path());
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

class Fuzzinput : public ::testing::TestWithParam<fs::path> {};

// The harness aborts on a fault: the death names the input in the test's name.
TEST_P(Fuzzinput, RunsThroughTheHarnessWithoutAFault) {
  const std::string bytes = Readfile(GetParam());
  const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.data());
  const bool keyboard = GetParam().parent_path().filename().string().ends_with("keyboard");
  EXPECT_EQ(keyboard ? Fuzzkeyboard(data, bytes.size()) : Fuzzsequencefile(data, bytes.size()), 0);
}

INSTANTIATE_TEST_SUITE_P(Corpora, Fuzzinput, ::testing::ValuesIn(Inputs()), [](const auto &info) {
  std::string name = info.param.parent_path().filename().string() + "_" + info.param.filename().string();
  std::replace_if(
      name.begin(), name.end(), [](char c) { return !isalnum(static_cast<unsigned char>(c)); }, '_');
  return name;
});

constexpr std::size_t Length = 40000;

std::string Sequence(std::size_t at, char c) {
  std::string s(Length, 'A');
  s[at] = c;
  return s;
}

// The records after the first, each placed so that every character that ends
// or starts a part of a record (and the end of the file) falls on the last
// byte of the first buffer and on the first byte of the second.
class Bufferedge : public ::testing::TestWithParam<std::string> {};

TEST_P(Bufferedge, EveryPartOfARecordReadsTheSameAcrossIt) {
  const std::string &tail = GetParam();
  for (std::size_t edge = 0; edge <= tail.size(); ++edge) {
    const char c = edge < tail.size() ? tail[edge] : '\n', before = edge > 0 ? tail[edge - 1] : '\n';
    if (c == before && (c == 'A' || c == 'L' || c == 'M')) continue;
    for (const std::size_t place : {Seqbuffersize - 1, Seqbuffersize}) {
      // The blanks of the first record's separator move the edge into place.
      const std::string file =
          "s1" + std::string(place - edge - 3 - Length, ' ') + std::string(Length, 'A') + "\n" + tail;
      EXPECT_EQ(Sequencefilefault(file), "") << "tail offset " << edge << " at file offset " << place;
    }
  }
}

const std::string S2 = Sequence(7, 'C'), S3 = Sequence(Length - 1, 'G'), S4 = Sequence(0, 'T');

INSTANTIATE_TEST_SUITE_P(
    Tails, Bufferedge,
    ::testing::Values("s2 " + S2 + "\ns3 " + S3 + "\ns4 " + S4 + "\n", "s2 " + S2 + "\ns3 " + S3 + "\ns4 " + S4,
                      "s2\n\n   \n" + S2 + "\ns3   " + S3 + "\ns3\tx " + S4 + "\n",
                      "s2 " + S2 + "\ns3 " + Sequence(2, 'x') + "\ns4 " + S4 + "\n", "s2 " + S2 + "\r\ns3 " + S3 + "\n",
                      "s2 " + S2 + " \ns3 " + S3 + "\n", "s2 " + S2 + "\ns3 " + S3 + "\n\n",
                      "s2 " + S2 + "\ns3 " + S3 + "\ns4  \n", "s2 " + S2 + "\ns3 " + S3.substr(1) + "\n",
                      std::string(254, 'L') + " " + S2 + "\n" + std::string(255, 'M') + " " + S3 + "\n"));

std::string Twosequences(std::size_t length, std::size_t sites) {
  return "a " + std::string(length, 'A') + "\nb " + std::string(sites, 'C') + std::string(length - sites, 'A') + "\n";
}

TEST(Largefile, IsAnalysedOrRefusedByTheGrammar) {
  for (const std::string &file :
       {Twosequences(100000, 3), Twosequences(1 << 20, 3), std::string(1 << 20, 'L') + " AC\nb AG\n"})
    EXPECT_EQ(Sequencefilefault(file), "") << file.size();
}

}  // namespace
}  // namespace halvik::fuzzing
