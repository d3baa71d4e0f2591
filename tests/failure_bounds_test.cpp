// Input meets every fixed size of the program: answers of a megabyte at each
// question, labels and sequences far beyond their limits, and files at and
// just past the limits of 1000 records and 10000 segregating sites, each
// through a whole run of the program.
#include <gtest/gtest.h>

#include <string>

#include "failure_run.h"

namespace {

using failure::Folder;

const std::string Megabyte(std::size_t{1} << 20, '7');
const char *const Sample =
    "s1 ACGTACGTAA\ns2 ACGTTCGTAA\ns3 ACGAACGTAC\ns4 ACGTACGGAA\ns5 TCGTACGTAA\ns6 ACGTACGTAA\n";

struct Longanswer {
  const char *name;
  std::string keys;
  const char *reply;  // what the megabyte is answered with ("" for nothing)
};

class Megabyteanswer : public ::testing::TestWithParam<Longanswer> {};

TEST_P(Megabyteanswer, Isrefusedorignoredandthedialoguegoeson) {
  Folder folder(std::string("long-") + GetParam().name);
  failure::Spit(folder.Run() / "s.txt", Sample);
  const failure::Outcome run = failure::Runprogram(folder, {GetParam().keys});
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_LT(run.out.size(), 20000u) << "the answer was echoed";
  EXPECT_NE(run.out.find(GetParam().reply), std::string::npos);
  EXPECT_NE(failure::Slurp(folder.Run() / "s.txt.HVK").find("\nP(F*st) = \t"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Questions, Megabyteanswer,
    ::testing::Values(
        Longanswer{"pause", "s.txt\n" + Megabyte + "\n2\n3\ny\n3\nn\n", "Press return when ready.\n \t    1"},
        Longanswer{"localitycount", "s.txt\n\n" + Megabyte + "\n2\n3\ny\n3\nn\n",
                   "sequences? Please enter a positive number below     31: \n"},
        Longanswer{"boundary", "s.txt\n\n2\n" + Megabyte + "\n3\ny\n3\nn\n",
                   "locality # 2? Please enter a positive number below      7:  !"},
        Longanswer{"confirmation", "s.txt\n\n2\n3\ny" + Megabyte + "\n3\nn\n",
                   "performed? Please enter a positive number below  30000: P(Kst)"},
        Longanswer{"lineups", "s.txt\n\n2\n3\ny\n" + Megabyte + "\n3\nn\n",
                   "performed? Please enter a positive number below  30000: P(Kst)"},
        Longanswer{"startagain", "s.txt\n\n2\n3\ny\n3\nn" + Megabyte + "\n", "(y/n)?  "}),
    [](const auto &info) { return std::string(info.param.name); });

struct Bigfile {
  const char *name;
  std::string content;
  std::string outcome;  // the console ends with this, then the start-again question
};

class Largefile : public ::testing::TestWithParam<Bigfile> {};

TEST_P(Largefile, Isanalysedorrefusedwithitsmessage) {
  Folder folder(std::string("large-") + GetParam().name);
  failure::Spit(folder.Run() / "s.txt", GetParam().content);
  const failure::Outcome run = failure::Runprogram(folder, {"s.txt\n\n1\ny\n2\nn\n"});
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string end = GetParam().outcome + "\nWould you like to start again (y/n)?  ";
  ASSERT_GE(run.out.size(), end.size());
  EXPECT_EQ(run.out.substr(run.out.size() - end.size()), end);
}

std::string Records(int count, int length) {
  std::string file;
  for (int i = 1; i <= count; ++i) {
    file.append("r").append(std::to_string(i)).append(" ");
    file.append(static_cast<std::size_t>(length - 1), 'A').append(1, "CGTA"[i % 4]).append("\n");
  }
  return file;
}

std::string Twosequences(std::size_t length, std::size_t sites) {
  std::string file = "a ";
  file.append(length, 'A').append("\nb ").append(sites, 'C').append(length - sites, 'A').append("\n");
  return file;
}

INSTANTIATE_TEST_SUITE_P(
    Files, Largefile,
    ::testing::Values(
        Bigfile{"sequenceof100000", Twosequences(100000, 3), "P(F*st) = 0.000000\n"},
        Bigfile{"sequenceofamegabyte", Twosequences(1 << 20, 3),
                "Halvik is set to handle up to 100000 nucleotides.\nSequence a has too many."},
        // The message keeps its first 255 characters: 63 of text, 192 of the label.
        Bigfile{"labelofamegabyte", std::string(1 << 20, 'L') + " AC\nb AG\n",
                "Halvik found OTU #00001 longer than 254 characters in s.txt:  \n" + std::string(192, 'L')},
        Bigfile{"1000records", Records(1000, 3), "P(F*st) = 0.000000\n"},
        Bigfile{"1001records", Records(1001, 3),
                "Halvik is set to handle up to 01000 sequences.\nThis file has too many."},
        Bigfile{"10000sites", Twosequences(10000, 10000), "P(F*st) = 0.000000\n"},
        Bigfile{"10001sites", Twosequences(10001, 10001),
                "Halvik is set to handle up to 10000 segregating sites.\nThis population has too many."}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
