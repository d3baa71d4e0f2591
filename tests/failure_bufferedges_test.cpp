// The sequence file is read through a buffer of Seqbuffersize bytes. Every
// part of a record (label, separator, line end, first and last nucleotide, a
// bad character, the end of the file) is placed on the last byte of the first
// buffer and on the first byte of the second, and each file is analysed and
// held to the plain reading of the grammar that the fuzz target uses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fuzz/harness.h"
#include "seqfile/reader.h"

namespace {

constexpr std::size_t Length = 40000;

std::string Sequence(std::size_t at, char c) {
  std::string s(Length, 'A');
  s[at] = c;
  return s;
}

struct Tail {
  const char *name;
  std::string text;  // the records after the first
};

std::vector<Tail> Tails() {
  const std::string s2 = Sequence(7, 'C'), s3 = Sequence(Length - 1, 'G'), s4 = Sequence(0, 'T');
  std::string tab = "s3\tx ";
  return {
      {"plain", "s2 " + s2 + "\ns3 " + s3 + "\ns4 " + s4 + "\n"},
      {"nofinallinefeed", "s2 " + s2 + "\ns3 " + s3 + "\ns4 " + s4},
      {"labelalone", "s2\n\n   \n" + s2 + "\ns3   " + s3 + "\n" + tab + s4 + "\n"},
      {"badcharacter", "s2 " + s2 + "\ns3 " + Sequence(2, 'x') + "\ns4 " + s4 + "\n"},
      {"carriagereturn", "s2 " + s2 + "\r\ns3 " + s3 + "\n"},
      {"blankafter", "s2 " + s2 + " \ns3 " + s3 + "\n"},
      {"trailingemptyline", "s2 " + s2 + "\ns3 " + s3 + "\n\n"},
      {"labelwithoutsequence", "s2 " + s2 + "\ns3 " + s3 + "\ns4  \n"},
      {"shorter", "s2 " + s2 + "\ns3 " + s3.substr(1) + "\n"},
      {"longlabels", std::string(254, 'L') + " " + s2 + "\n" + std::string(255, 'M') + " " + s3 + "\n"},
  };
}

// Offsets in the tail worth putting on the buffer's edge: the characters
// that end or start a part of a record, and the end of the file.
std::vector<std::size_t> Edges(const std::string &tail) {
  std::vector<std::size_t> edges;
  for (std::size_t i = 0; i <= tail.size(); ++i) {
    const char c = i < tail.size() ? tail[i] : '\n';
    const char before = i > 0 ? tail[i - 1] : '\n';
    const bool plain = (c == 'A' && before == 'A') || (c == 'L' && before == 'L') || (c == 'M' && before == 'M');
    if (!plain) edges.push_back(i);
  }
  return edges;
}

class Bufferedge : public ::testing::TestWithParam<Tail> {};

TEST_P(Bufferedge, Everypartofarecordreadsthesameacrossit) {
  const std::string &tail = GetParam().text;
  const std::string first = "s1", firstsequence = std::string(Length, 'A');
  for (const std::size_t edge : Edges(tail))
    for (const std::size_t place : {halvik::Seqbuffersize - 1, halvik::Seqbuffersize}) {
      // The blanks of the first record's separator move the edge into place.
      const std::size_t blanks = place - edge - first.size() - firstsequence.size() - 1;
      const std::string file = first + std::string(blanks, ' ') + firstsequence + "\n" + tail;
      ASSERT_EQ(file.size(), place - edge + tail.size());
      EXPECT_EQ(halvik::fuzzing::Sequencefilefault(file), "")
          << "tail offset " << edge << " at file offset " << place;
    }
}

INSTANTIATE_TEST_SUITE_P(Tails, Bufferedge, ::testing::ValuesIn(Tails()),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
