// Nucleotide codes, their conversions and the buffered reading of the file.
#include <gtest/gtest.h>

#include <string>

#include "driver/failure.h"
#include "driver/globals.h"
#include "seqfile/codes.h"
#include "seqfile/reader.h"
#include "seqfile_fixture.h"

namespace halvik {
namespace {

using seqfixture::Passrun;

TEST(Nucleotidecodes, Convertbothwaysbythetable) {
  const std::string letters = "AGCTN-";
  for (Nucleotidecode code = 0; code <= 5; ++code) {
    EXPECT_EQ(Chartonucleotide(letters[code]), code);
    EXPECT_EQ(Nucleotidetochar(code), letters[code]);
  }
}

TEST(Nucleotidecodes, Everyothercharacterisrefusedandshownunchanged) {
  Passrun run;
  int refused = 0;
  for (int byte = 0; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    if (std::string("AGCTN-").find(c) != std::string::npos) continue;
    ++refused;
    ASSERT_FALSE(run.Run([c] { Chartonucleotide(c); })) << byte;
    ASSERT_EQ(Errormessage, "\nHalvik tried to convert an improper character:  " + std::string(1, c)) << byte;
    ASSERT_EQ(Errormessage.size(), 50u);
  }
  EXPECT_EQ(refused, 250);
  EXPECT_EQ(run.Takeconsole(), "");
}

TEST(Nucleotidecodes, Codesabovefivearerefused) {
  Passrun run;
  for (int code : {6, 7, 8, 255}) {
    ASSERT_FALSE(run.Run([code] { Nucleotidetochar(static_cast<Nucleotidecode>(code)); }));
    EXPECT_EQ(Errormessage, "\nHalvik tried to convert an improper nucleotide!!");
  }
  EXPECT_EQ(run.Takeconsole(), "");
}

// Reads the whole file character by character, marking each line end seen
// before a character with '|'.
std::string Readall(Seqfile &file) {
  std::string seen;
  for (int guard = 0; !Ateof(file) && guard < 1000; ++guard) {
    if (Ateoln(file)) seen += '|';
    seen += Readchar(file);
  }
  return seen;
}

struct Readcase {
  const char *name;
  std::string content;
  std::string seen;
};

class Reading : public ::testing::TestWithParam<Readcase> {};

TEST_P(Reading, Linefeedsreadasblanksandthelastlineendsitself) {
  Passrun run;
  run.Use(GetParam().content);
  Seqfile file;
  Openseqfile(file, Filename);
  EXPECT_EQ(Readall(file), GetParam().seen);
  EXPECT_TRUE(Ateof(file));
  EXPECT_EQ(Readchar(file), ' ');  // at the end: a blank, and no move
  EXPECT_TRUE(Ateof(file));
}

INSTANTIATE_TEST_SUITE_P(
    Files, Reading,
    ::testing::Values(Readcase{"empty", "", ""}, Readcase{"onlylinefeed", "\n", "| "},
                      Readcase{"withlinefeed", "ab\ncd\n", "ab| cd| "},
                      Readcase{"withoutlinefeed", "ab\ncd", "ab| cd| "},
                      Readcase{"carriagereturn", "a\r\nb\r", "a\r| b\r| "},
                      Readcase{"emptylines", "\n\nx", "| | x| "}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Reading, Alinelongerthanthebuffercomesinpieces) {
  Passrun run;
  const std::string line(Seqbuffersize * 2 + 123, 'A');
  run.Use("s " + line);
  Seqfile file;
  Openseqfile(file, Filename);
  EXPECT_EQ(Readchar(file), 's');
  EXPECT_EQ(Readchar(file), ' ');
  std::size_t total = 0;
  int pieces = 0;
  for (std::string_view piece = Linepiece(file); !piece.empty(); piece = Linepiece(file)) {
    EXPECT_EQ(piece.find_first_not_of('A'), std::string_view::npos);
    total += piece.size();
    ++pieces;
    Skip(file, piece.size());
  }
  EXPECT_EQ(total, line.size());
  EXPECT_GE(pieces, 3);
  EXPECT_TRUE(Ateoln(file));
  EXPECT_EQ(Readchar(file), ' ');  // the supplied line end
  EXPECT_TRUE(Ateof(file));
}

TEST(Reading, Afilethatcannotbeopenedorreadisaninputfailure) {
  Passrun run;
  Seqfile file;
  EXPECT_THROW(Openseqfile(file, run.Path("missing.txt")), Ioerror);
  Openseqfile(file, run.folder.string());  // a folder opens but cannot be read
  EXPECT_THROW(Ateof(file), Ioerror);
}

TEST(Reading, Reopeningstartsagainfromthebeginning) {
  Passrun run;
  run.Use("xy\n");
  Seqfile file;
  Openseqfile(file, Filename);
  EXPECT_EQ(Readchar(file), 'x');
  Openseqfile(file, Filename);
  EXPECT_EQ(Readall(file), "xy| ");
}

}  // namespace
}  // namespace halvik
