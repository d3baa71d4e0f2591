// The alignment readers: the stickleback sample in every format reads to the
// native sample; broken files are refused with the line and the reason;
// conversions are made and counted; the locality map arranges a shuffled file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "alignment/alignment.h"
#include "alignment/groups.h"

namespace halvik {
namespace {

namespace fs = std::filesystem;
using Format = Alignmentformat;

std::string Readfile(const fs::path &path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

const fs::path Root = fs::path(HALVIK_E2E_DIR) / ".." / "..";

Sample Read(std::string_view content, std::optional<Format> forced = std::nullopt) {
  auto read = Readalignment("sample", content, forced);
  if (const Refusal *refusal = std::get_if<Refusal>(&read)) ADD_FAILURE() << refusal->Message;
  return std::get<Sample>(std::move(read));
}

TEST(Stickleback, Everyformatreadstothenativesample) {
  const std::string native = Readfile(Root / "examples" / "stickleback-orti.txt");
  const struct {
    const char *path;
    Format format;
    const char *note;
  } files[] = {{"examples/stickleback-orti.txt", Format::Native, ""},
               {"examples/stickleback-orti.fasta", Format::Fasta, "FASTA"},
               {"examples/stickleback-orti.nex", Format::Nexus, "NEXUS; 16188 match characters resolved"},
               {"tests/data/stickleback-orti.phy", Format::Phylip, "PHYLIP"},
               {"tests/data/stickleback-orti.aln", Format::Clustal, "CLUSTAL"}};
  for (const auto &file : files) {
    const Sample sample = Read(Readfile(Root / file.path));
    EXPECT_EQ(sample.Format, file.format) << file.path;
    EXPECT_EQ(Nativetext(sample), native) << file.path;
    EXPECT_EQ(Conversionnote(sample), file.note) << file.path;
  }
}

struct Refused {
  std::optional<Format> forced;
  std::string content, message;  // the start of the message
};

TEST(Readalignment, Refusesnamingthelineandthereason) {
  const std::string Long(255, 'x'), Full(100001, 'A');
  std::string Many;
  for (int i = 0; i < 1001; ++i) Many += "s A\n";
  const Refused cases[] = {
      {{}, " \n\t\n", "sample: the file is empty"},
      {{}, "s1 ACGT\n", "sample: only 1 sequence"},
      {{}, "s1 ACGT\ns2 ACG\n", "sample, line 2: sequence s2 has 3 bases, the first sequence has 4"},
      {{}, "s1 AC%T\ns2 ACGT\n", "sample, line 1: unknown character '%' (code 37) in sequence s1"},
      {{}, "s1 ACGT\ns2 ACGT\n\n", "sample, line 3: sequence with an empty label has no bases after its label"},
      {{}, Long + " A\ns2 A\n", "sample, line 1: the label of sequence 1 has 255 characters, more than 254"},
      {{}, "s1 " + Full + "\ns2 A\n", "sample, line 1: sequence s1 has more than 100000 bases"},
      {{}, Many, "sample, line 1001: more than 1000 sequences"},
      {{}, "a\rb ACGT\nc ACGT\n", "sample, line 1: a carriage return inside the label of sequence 1"},
      {{}, ">s1\nACGT\n>s2\nAC\tG U\n", "sample, line 4: unknown character 'U' (code 85) in sequence s2"},
      {Format::Fasta, "ACGT\n>s1\n", "sample, line 1: bases before the first line"},
      {{}, ">s1\nACGT\n>s2\n", "sample, line 3: sequence s2 has 0 bases, the first sequence has 4"},
      {{}, "2 4\na ACGT\nb ACG\n", "sample, line 3: sequence b has 3 bases, the header declares 4"},
      {{}, "1001 4\n", "sample, line 1: the header declares 1001 sequences, more than 1000"},
      {{},
       "3 100000\na A\n",
       "sample, line 1: the header declares 3 sequences of 100000 bases, more than the file holds"},
      {Format::Phylip, "2 x\n", "sample, line 1: the PHYLIP header should be two positive integers"},
      {Format::Phylip, "3 0\na\nb\nc\n", "sample, line 1: the PHYLIP header should be two positive integers"},
      {{},
       "#NEXUS\nbegin data; dimensions ntax=2 nchar=2; matrix\na AC\nb A.\n;",
       "sample, line 4: unknown character '.' (code 46) in sequence b"},
      {{},
       "#NEXUS\nbegin data; dimensions ntax=2 nchar=2; format matchchar=.; matrix a .C b AC;",
       "sample, line 2: match character '.' in the first sequence, a"},
      {{},
       "#NEXUS\nbegin data; dimensions ntax=2 nchar=2; format interleave; matrix\na AC\nb AC\n\nb A\na A\n;",
       "sample, line 6: a row of a should stand here"},
      {{},
       "#NEXUS\nbegin data; dimensions ntax=2 nchar=2; matrix a AC b A;",
       "sample, line 2: the matrix ends before sequence b"},
      {{},
       "#NEXUS\nbegin taxa; dimensions ntax=2000; end;\nbegin characters; dimensions nchar=2; matrix",
       "sample, line 3: DIMENSIONS declares 2000 sequences, more than 1000"},
      {{}, "#NEXUS [never closed\n", "sample, line 1: a comment that is never closed"},
      {{}, "#NEXUS\nbegin trees; end;\n", "sample: no MATRIX in a DATA or CHARACTERS block"},
      {{}, "CLUSTAL W\n\na AC\nb AC\n\nb AC\n", "sample, line 6: a row of a should stand here"},
  };
  for (const Refused &refused : cases) {
    const auto read = Readalignment("sample", refused.content, refused.forced);
    ASSERT_TRUE(std::holds_alternative<Refusal>(read)) << refused.content;
    const std::string &message = std::get<Refusal>(read).Message;
    EXPECT_EQ(message.substr(0, refused.message.size()), refused.message) << refused.content;
    EXPECT_EQ(message.find('\n'), std::string::npos);
  }
}

struct Converted {
  std::string content, native;
  Format format;
  Conversions made;
};

bool operator==(const Conversions &a, const Conversions &b) {
  return a.Lowercase == b.Lowercase && a.Ambiguous == b.Ambiguous && a.Carriagereturns == b.Carriagereturns &&
         a.Matches == b.Matches && a.Gaps == b.Gaps && a.Labelscut == b.Labelscut;
}

TEST(Readalignment, Convertsandcountseachconversion) {
  const Converted cases[] = {
      {"s1 acgtn\r\ns2 RYKM?\r\n", "s1 ACGTN\ns2 NNNNN\n", Format::Native, {5, 5, 2, 0, 0, 0}},
      {"s1\n\n  ACGT\ns\t2 ACGT", "s1 ACGT\ns\t2 ACGT\n", Format::Native, {}},
      {"\xEF\xBB\xBF\n>s1 desc\nac gt\n\n> s2\nAC\nGT\n", "s1 ACGT\ns2 ACGT\n", Format::Fasta, {4, 0, 0, 0, 0, 1}},
      {" 2 4\nalpha AC GT\nbeta  ACGT\n", "alpha ACGT\nbeta ACGT\n", Format::Phylip, {}},
      {"2 6\nAlpha beta  ACG\nTAC\nGamma     ACGTAA\n",
       "Alpha ACGTAC\nGamma ACGTAA\n",
       Format::Phylip,
       {0, 0, 0, 0, 0, 1}},
      {"2 4\na AC\nb AC\n\nGT\nGA\n", "a ACGT\nb ACGA\n", Format::Phylip, {}},
      {"#nexus\nBEGIN TAXA; DIMENSIONS NTAX=2; END;\nBEGIN CHARACTERS; DIMENSIONS NCHAR=4;\n"
       "FORMAT MISSING=X GAP=~ MATCHCHAR=0; MATRIX [c] 'a b' acg\nt\nb 0X~? ; END;",
       "a ACGT\nb AN-N\n",
       Format::Nexus,
       {4, 1 + 1, 0, 1, 1, 1}},
      {"MUSCLE (3.8)\n\na  ACGT 4\nb  AC-T 4\n     ** *\n\na  A 5\nb  a 5\n",
       "a ACGTA\nb AC-TA\n",
       Format::Clustal,
       {1, 0, 0, 0, 0, 0}},
  };
  for (const Converted &converted : cases) {
    const Sample sample = Read(converted.content);
    EXPECT_EQ(sample.Format, converted.format) << converted.content;
    EXPECT_EQ(Nativetext(sample), converted.native) << converted.content;
    EXPECT_TRUE(sample.Made == converted.made) << converted.content << " gives " << Conversionnote(sample);
  }
  EXPECT_EQ(Conversionnote(Read(cases[0].content)),
            "5 lower-case bases to upper case; 5 ambiguity codes to N; 2 carriage returns dropped");
}

TEST(Groups, Arrangetheshuffledfilebylocality) {
  const Sample shuffled = Read(Readfile(Root / "tests" / "data" / "stickleback-shuffled.txt"));
  const auto map = Readgroups("map", Readfile(Root / "examples" / "stickleback-orti.groups"));
  const auto arranged = Arrange(shuffled, std::get<Groupmap>(map), "map");
  const Arrangement &arrangement = std::get<Arrangement>(arranged);
  std::vector<std::int32_t> sorted(shuffled.Labels.size());
  for (std::size_t i = 0; i < sorted.size(); ++i) sorted[i] = static_cast<std::int32_t>(i);
  std::stable_sort(sorted.begin(), sorted.end(), [&](std::int32_t a, std::int32_t b) {
    return shuffled.Labels[a] < "F" && shuffled.Labels[b] > "F";
  });
  EXPECT_EQ(arrangement.Order, sorted);
  EXPECT_EQ(arrangement.Starts, (std::vector<std::int32_t>{1, 15}));
  EXPECT_EQ(arrangement.Names, (std::vector<std::string>{"East", "West"}));
  EXPECT_EQ(Reordered(shuffled, arrangement).Labels[14].substr(0, 4), "WPAC");
}

std::string Mapmessage(const std::string &file, const std::string &content) {
  const auto map = Readgroups("map", content);
  if (const Refusal *refusal = std::get_if<Refusal>(&map)) return refusal->Message;
  const auto arranged = Arrange(Read(file), std::get<Groupmap>(map), "map");
  const Refusal *refusal = std::get_if<Refusal>(&arranged);
  return refusal ? refusal->Message : "arranged";
}

TEST(Groups, Refusesnamingthelabels) {
  const std::string file = "a A\nb A\nc A\nd A\ne A\nf A\n";
  std::string many, manymap;  // 62 sequences in 31 localities
  for (int i = 0; i < 62; ++i) {
    const std::string label = std::to_string(i);  // no "s" + ...: g++ 12 warns falsely (-Wrestrict) at -O2
    many.append("s").append(label).append(" A\n");
    manymap.append("s").append(label).append(" L").append(std::to_string(i / 2)).append("\n");
  }
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {file, "a x y\n", "map, line 1: more than a label and a locality name"},
      {file, "a\n", "map, line 1: the label a has no locality"},
      {file, "# nothing\n", "map: no labels in the map"},
      {"a A\nd A\nd A\n", "a E\nd E\n", "map: labels that occur twice in the file, which the map cannot tell apart: d"},
      {file, "a E\nb E\nc E\nd W\ne W\n", "map: labels of the file missing from the map: f"},
      {file, "a E\na W\nb E\nb W\nc E\nc W\nd E\nd W\ne E\nf E", "map: labels mapped twice: a, b, c and 1 more"},
      {file, "a E\nb E\nc E\nd W\ne W\nf W\ng W\n", "map: labels of the map not in the file: g"},
      {file, "a E\nb E\nc E\nd W\ne W\nf X\n", "map: localities of fewer than two sequences: X"},
      {many, manymap, "map: 31 localities, more than 30"},
      {file, "a E # c W\nb E\n\tc  W\r\nd W\ne W\nf W\n", "arranged"},
      {file,
       "\xEF\xBB\xBF"
       "a E\nb E\nc E\nd W\ne W\nf W\n",
       "arranged"},  // a byte-order mark is no label
  };
  for (const auto &[sample, map, message] : cases) EXPECT_EQ(Mapmessage(sample, map), message) << map;
}

}  // namespace
}  // namespace halvik
