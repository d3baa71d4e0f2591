// The record reader: what it copies, what it stores, where it leaves the file.
#include "seqfile/nextseq.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "driver/globals.h"
#include "seqfile/reader.h"
#include "seqfile_fixture.h"

namespace halvik {
namespace {

using seqfixture::Passrun;

// The array with a guard band behind it, to catch writes past its end.
struct Guarded {
  Fullarray Codes;
  std::uint8_t Guard[64];
};

std::unique_ptr<Guarded> Filled(std::uint8_t byte) {
  auto g = std::make_unique<Guarded>();
  for (auto &b : g->Codes.Bytes) b = byte;
  for (auto &b : g->Guard) b = 0xA5;
  return g;
}

bool Guardintact(const Guarded &g) {
  for (auto b : g.Guard)
    if (b != 0xA5) return false;
  return true;
}

std::string Letters(const Fullarray &codes, int from, int to) {
  std::string text;
  for (int p = from; p <= to; ++p) text += "AGCTN-67"[Getcode(codes, p)];
  return text;
}

struct Readercase {
  const char *name;
  std::string content;
  std::string copied;   // to each output
  std::string stored;   // positions 1..k
  std::string next;     // what the file holds after the record ("" at its end)
};

void PrintTo(const Readercase &c, std::ostream *out) { *out << c.name; }

class Record : public ::testing::TestWithParam<Readercase> {};

TEST_P(Record, Copieslabelandseparatorandstoresthecodes) {
  const Readercase &c = GetParam();
  Passrun run;
  run.Use(c.content);
  auto g = Filled(0xFF);  // code 7 everywhere
  Seqfile file;
  Openseqfile(file, Filename);
  std::int32_t k = 0;
  ASSERT_TRUE(run.Run([&] { k = Nextseq(file, g->Codes); })) << Errormessage;
  EXPECT_EQ(k, static_cast<std::int32_t>(c.stored.size()));
  EXPECT_EQ(Letters(g->Codes, 1, k), c.stored);
  const std::string above = Letters(g->Codes, k + 1, std::min(k + 9, Maxlength));
  EXPECT_EQ(above.find_first_not_of('7'), std::string::npos) << above;
  EXPECT_TRUE(Guardintact(*g));
  EXPECT_EQ(run.Takeconsole(), c.copied);
  EXPECT_EQ(run.Results(), c.copied);
  std::string rest;
  while (!Ateof(file)) rest += Readchar(file);
  EXPECT_EQ(rest, c.next);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Record,
    ::testing::Values(Readercase{"threeblanks", "s1   ACGTN-\nnext", "s1   ", "ACGTN-", "next "},
                      Readercase{"nolinefeed", "s1   ACGTN-", "s1   ", "ACGTN-", ""},
                      Readercase{"emptylabel", "   ACGT\n", "   ", "ACGT", ""},
                      Readercase{"labelalone", "s1\nACGT\nz", "s1 ", "ACGT", "z "},
                      Readercase{"labelaboveemptylines", "s1\n\n \nAC\n", "s1    ", "AC", ""},
                      Readercase{"tabinlabel", "a\tb GG\n", "a\tb ", "GG", ""},
                      Readercase{"longline", "x " + std::string(1000, 'T') + "C\n", "x ", std::string(1000, 'T') + "C", ""},
                      Readercase{"fulllength", "x " + std::string(100000, '-') + "\n", "x ", std::string(100000, '-'), ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Nextseq, Successivecallsreadsuccessiverecordsandkeepstalecodes) {
  Passrun run;
  run.Use("a ACGTACGTAC\nb GG\n");
  auto g = Filled(0);
  Seqfile file;
  Openseqfile(file, Filename);
  EXPECT_EQ(Nextseq(file, g->Codes), 10);
  EXPECT_EQ(Nextseq(file, g->Codes), 2);
  EXPECT_EQ(Letters(g->Codes, 1, 11), "GGGTACGTACA");
  EXPECT_TRUE(Ateof(file));
  EXPECT_EQ(run.Takeconsole(), "a b ");
}

TEST(Nextseq, Abadcharacterisrefusedoncethecodesbeforeitarestored) {
  for (int at : {1, 2, 8, 9, 37, 64, 65, 1000}) {
    Passrun run;
    std::string line(1000, 'C');
    line[static_cast<std::size_t>(at - 1)] = 'x';
    run.Use("s " + line + "\n");
    auto g = Filled(0xFF);
    Seqfile file;
    Openseqfile(file, Filename);
    EXPECT_FALSE(run.Run([&] { Nextseq(file, g->Codes); }));
    EXPECT_EQ(Errormessage, "\nHalvik tried to convert an improper character:  x");
    EXPECT_EQ(Letters(g->Codes, 1, at - 1), std::string(static_cast<std::size_t>(at - 1), 'C')) << at;
    EXPECT_EQ(Getcode(g->Codes, at), 7) << at;
    EXPECT_EQ(run.Takeconsole(), "s ");
  }
}

struct Changedcase {
  const char *name;
  std::string content;
};

void PrintTo(const Changedcase &c, std::ostream *out) { *out << c.name; }

class Changed : public ::testing::TestWithParam<Changedcase> {};

// What verification would have refused, met by the reader: a fatal data
// error, with no hang and no write past the array.
TEST_P(Changed, Isafataldataerror) {
  Passrun run;
  run.Use(GetParam().content);
  auto g = Filled(0);
  Seqfile file;
  Openseqfile(file, Filename);
  EXPECT_FALSE(run.Run([&] { Nextseq(file, g->Codes); }));
  EXPECT_EQ(Errormessage, "\nHalvik found that " + Filename + " changed while it was being read.");
  EXPECT_TRUE(Guardintact(*g));
}

INSTANTIATE_TEST_SUITE_P(Files, Changed,
                         ::testing::Values(Changedcase{"empty", ""}, Changedcase{"labelonly", "s1"},
                                           Changedcase{"labelandblanks", "s1   \n  \n"},
                                           Changedcase{"blanksonly", "    "},
                                           Changedcase{"toolong", "s " + std::string(100001, 'A') + "\n"},
                                           Changedcase{"muchtoolong", "s " + std::string(300000, 'G')}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Nextseq, Atoolonglinefillsthearraytoitslastpositiononly) {
  Passrun run;
  run.Use("s " + std::string(100000, 'T') + "AAAA\n");
  auto g = Filled(0);
  Seqfile file;
  Openseqfile(file, Filename);
  EXPECT_FALSE(run.Run([&] { Nextseq(file, g->Codes); }));
  EXPECT_EQ(Getcode(g->Codes, 100000), 3);
  EXPECT_EQ(Getcode(g->Codes, 1), 3);
  EXPECT_TRUE(Guardintact(*g));
}

}  // namespace
}  // namespace halvik
