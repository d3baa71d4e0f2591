// The passes over the sequence file, in-process, where the transcripts under
// tests/e2e/ do not reach: refusals at the length limit, the defensive
// conversion, the record reader's bounds and the site search at every length.
#include <gtest/gtest.h>

#include <random>

#include "driver/console/failure.h"
#include "driver/printer.h"
#include "population/segsites.h"
#include "seqfile/codes.h"
#include "seqfile/nextseq.h"
#include "seqfile/reader.h"
#include "seqfile/verify.h"
#include "support.h"

namespace halvik {
namespace {

using support::Captured;

// The passes, printed as the dialogue prints them into `out`.
void Verify(const Sequencesource &source) {
  Dialogueprinter printer(Console, Outfile);
  Verifysequences(source, Pop, printer);
}
void Verifyandfind(const Sequencesource &source) {
  Dialogueprinter printer(Console, Outfile);
  Verifysequences(source, Pop, printer);
  Findsegsites(source, Pop, printer);
}

struct Refusal {
  std::string content;
  std::string message;  // after "Halvik ", before " in <file name>"
};

class Verification : public ::testing::TestWithParam<Refusal> {};

TEST_P(Verification, RefusesWithItsMessage) {
  Captured out;
  const Sequencesource source = Captured::Usefile(GetParam().content);
  const std::string message = "Halvik " + GetParam().message;
  EXPECT_EQ(support::Refusal([&] { Verify(source); }),
            message.back() == '.' ? message : message + " in " + source.Name);
}

const std::string Full(100000, 'A');

INSTANTIATE_TEST_SUITE_P(
    Files, Verification,
    ::testing::Values(
        Refusal{"s1 AC\tGT\n", "found an illegal character, \t, in sequence s1, base 00003"},
        Refusal{"s1 ACGT\n\ns2 ACGT\n", "found an illegal character, s, in sequence , base 00001"},
        Refusal{"s1 " + Full.substr(1) + "xA\n", "found an illegal character, x, in sequence s1, base 100000"},
        Refusal{"s1 " + Full + "x\n", "is set to handle up to 100000 nucleotides.\nSequence s1 has too many."}));

// Reached only when the file changed after verification.
TEST(Conversion, EveryByteButTheSixCodesIsRefusedAndShownAsItIs) {
  for (int byte = 0; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    if (std::string_view("AGCTN-").find(c) != std::string_view::npos) continue;
    ASSERT_EQ(support::Refusal([&] { Chartonucleotide(c); }),
              "\nHalvik tried to convert an improper character:  " + std::string(1, c))
        << byte;
  }
}

// A line longer than the array, met by the reader: it fills the array to its
// last position and no further, and the file is reported changed.
TEST(Nextseq, AnOverlongLineStopsAtTheLastPosition) {
  struct Guarded {
    Fullarray Codes{};
    std::uint8_t Guard[64];
  };
  auto g = std::make_unique<Guarded>();
  std::fill(std::begin(g->Guard), std::end(g->Guard), 0xA5);
  Captured out;
  const Sequencesource source = Captured::Usefile("s " + std::string(Maxlength, 'T') + std::string(300000, 'A') + "\n");
  Seqfile file;
  Openseqfile(file, source);
  Headreporter quiet;
  EXPECT_EQ(support::Refusal([&] { Nextseq(file, g->Codes, quiet); }),
            "\nHalvik found that " + source.Name + " changed while it was being read.");
  EXPECT_EQ(Getcode(g->Codes, Maxlength), 3);
  for (auto b : g->Guard) ASSERT_EQ(b, 0xA5);
}

// Random samples at lengths around whole words, against a plain site-by-site
// comparison: the site list, the stored codes, and the positions above the
// site count, which keep what they held.
TEST(Findsegsites, AgreesWithAPlainSiteBySiteComparison) {
  std::mt19937 random(2024);
  const std::string letters = "AGCTN-";
  for (int length : {1, 2, 7, 8, 9, 17, 63, 64, 65, 127, 128, 129, 1000, 4099}) {
    for (int trial = 0; trial < 4; ++trial) {
      std::vector<std::string> lines(2 + random() % 5, std::string(length, 'A'));
      for (char &c : lines[0]) c = letters[random() % 6];
      std::string content, list;
      for (std::size_t j = 0; j < lines.size(); ++j) {
        if (j > 0) lines[j] = lines[0];
        for (int t = j > 0 ? static_cast<int>(random() % 6) : 0; t > 0; --t)
          lines[j][random() % length] = letters[random() % 6];
        if (j == 1) lines[1].back() = lines[0].back() == 'A' ? 'C' : 'A';
        content.append("s ").append(lines[j]).append("\n");
      }
      std::vector<std::string> stored(lines.size());
      for (int i = 0; i < length; ++i) {
        if (std::all_of(lines.begin(), lines.end(), [&](const std::string &l) { return l[i] == lines[0][i]; }))
          continue;
        const std::string number = std::to_string(i + 1);
        list += std::string(6 - number.size(), ' ') + number;
        for (std::size_t j = 0; j < lines.size(); ++j) stored[j] += lines[j][i];
      }
      const int count = static_cast<int>(stored[0].size());
      for (std::size_t j = 1; j <= lines.size(); ++j) Setcode(Pop.Seqs[j].Sites, count + 1, 5);
      Captured out;
      const Sequencesource source = Captured::Usefile(content);
      ASSERT_EQ(support::Refusal([&] { Verifyandfind(source); }), "");
      ASSERT_NE(out.Text().find("Segregating sites at:  \n" + list + "\n\n"), std::string::npos) << length;
      ASSERT_EQ(Pop.Numsegsites, count);
      for (std::size_t j = 1; j <= lines.size(); ++j) {
        std::string codes;
        for (int k = 1; k <= count + 1; ++k) codes += "AGCTN-67"[Getcode(Pop.Seqs[j].Sites, k)];
        ASSERT_EQ(codes, stored[j - 1] + "-") << "length " << length << ", record " << j;
      }
    }
  }
}

TEST(Findsegsites, SixDigitSitesFillTheirColumns) {
  Captured out;
  const std::string line(Maxlength - 1, 'A');
  const Sequencesource source = Captured::Usefile("x " + line + "A\ny " + line + "N\n");
  ASSERT_EQ(support::Refusal([&] { Verifyandfind(source); }), "");
  EXPECT_NE(out.Text().find("\tN at 100000\n\n\nSegregating sites at:  \n100000\n\nHalvik found a total of    1 "),
            std::string::npos);
  EXPECT_NE(out.results.find("\n\t100000\n"), std::string::npos);
}

}  // namespace
}  // namespace halvik
