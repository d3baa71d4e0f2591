// The alignment readers: the stickleback sample in every format reads to the
// native sample, from a file and in pieces of any size; broken files are
// refused with the line and the reason; conversions are made and counted;
// the locality map arranges a FILE's labels as projects keep their maps.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>
#include <tuple>

#include "alignment/alignment.h"
#include "nativetext.h"
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

// What a reading gave, as one string: the refusal, or the native text.
std::string Outcome(const std::variant<Sample, Refusal> &read) {
  if (const Refusal *refusal = std::get_if<Refusal>(&read)) return "refused: " + refusal->Message;
  return Nativetext(std::get<Sample>(read));
}

std::variant<Sample, Refusal> Inpieces(std::string_view content, std::size_t piece,
                                       std::optional<Format> forced = std::nullopt) {
  Alignmentinput input = Alignmentinput::Frombytes(content, piece);
  return Readalignment("sample", input, forced);
}

Sample Read(std::string_view content, std::optional<Format> forced = std::nullopt) {
  auto read = Inpieces(content, Alignmentinput::Piecesize, forced);
  if (const Refusal *refusal = std::get_if<Refusal>(&read)) ADD_FAILURE() << refusal->Message;
  return std::get<Sample>(std::move(read));
}

// Every boundary between two pieces falls inside a line, a label, a comment,
// a carriage return and line feed, a byte-order mark: the outcome is the same.
void Expectsameinpieces(const std::string &content, std::optional<Format> forced = std::nullopt) {
  const std::string whole = Outcome(Inpieces(content, content.size() + 1, forced));
  for (const std::size_t piece : {1, 2, 3, 7})
    EXPECT_EQ(Outcome(Inpieces(content, piece, forced)), whole) << "pieces of " << piece << ": " << content;
}

struct Tempfile {
  fs::path Path;
  explicit Tempfile(std::string_view content)
      : Path(fs::temp_directory_path() / ("halvik-alignment-" + std::to_string(::getpid()))) {
    std::ofstream(Path, std::ios::binary) << content;
  }
  ~Tempfile() { fs::remove(Path); }
};

TEST(Stickleback, EveryFormatReadsToTheNativeSample) {
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
    Alignmentinput input = Alignmentinput::Fromfile((Root / file.path).string());
    auto read = Readalignment(file.path, input, std::nullopt);
    ASSERT_TRUE(std::holds_alternative<Sample>(read)) << Outcome(read);
    const Sample &sample = std::get<Sample>(read);
    EXPECT_EQ(sample.Format, file.format) << file.path;
    EXPECT_EQ(Nativetext(sample), native) << file.path;
    EXPECT_EQ(Conversionnote(sample), file.note) << file.path;
    EXPECT_EQ(Outcome(Inpieces(Readfile(Root / file.path), 4093)), native) << file.path;
  }
}

// Sequences of random bases in one line each, read from a file in pieces far
// smaller than a line: every code lands where the store reads it, and each
// record takes the bytes Packedsample gives it, the spare ones zero.
TEST(Readalignment, StreamsAOneLineFastaFile) {
  std::mt19937 random(7);
  std::vector<std::string> sequences(40, std::string(Alignmentinput::Piecesize / 8 + 3, 'A'));
  std::string content;
  for (std::size_t r = 0; r < sequences.size(); ++r) {
    for (char &base : sequences[r]) base = "AGCTN-"[random() % 6];
    content += ">s" + std::to_string(r) + " note\n" + sequences[r] + "\n";
  }
  const Tempfile file(content);
  Alignmentinput input = Alignmentinput::Fromfile(file.Path.string());
  auto read = Readalignment("big", input, std::nullopt);
  ASSERT_TRUE(std::holds_alternative<Sample>(read)) << Outcome(read);
  const Packedsample &data = std::get<Sample>(read).Data;
  ASSERT_EQ(data.Count(), 40);
  ASSERT_EQ(data.Length, static_cast<std::int32_t>(sequences[0].size()));
  for (std::size_t r = 0; r < sequences.size(); ++r) {
    EXPECT_EQ(data.Labels[r], "s" + std::to_string(r));
    ASSERT_EQ(data.Codes[r].size(), Packedbytes(data.Length) + 2);
    for (int p = 1; p <= data.Length; ++p)
      ASSERT_EQ(Getcode(data.Codes[r].data(), p), std::string_view("AGCTN-").find(sequences[r][p - 1])) << r << p;
    for (int p = data.Length + 1; p <= data.Length + 5; ++p) EXPECT_EQ(Getcode(data.Codes[r].data(), p), 0);
  }
  EXPECT_EQ(std::get<Sample>(read).Made.Labelscut, 40);
}

struct Refused {
  std::optional<Format> forced;
  std::string content, message;  // the start of the message
};

TEST(Readalignment, RefusesNamingTheLineAndTheReason) {
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
      {{}, "s1 " + Full + "%\ns2 A\n", "sample, line 1: sequence s1 has more than 100000 bases"},
      {{}, Many, "sample, line 1001: more than 1000 sequences"},
      {{}, "a\rb ACGT\nc ACGT\n", "sample, line 1: a carriage return inside the label of sequence 1"},
      {{}, "s1\n\n  \n", "sample, line 1: sequence s1 has no bases after its label"},
      {{}, "\xEF\xBB\xBF\n", "sample, line 1: sequence \xEF\xBB\xBF has no bases"},
      {Format::Fasta, "\xEF\xBB\xBF\n", "sample: no sequences in the file"},
      {{}, ">s1\nACGT\n>s2\nAC\tG U\n", "sample, line 4: unknown character 'U' (code 85) in sequence s2"},
      {Format::Fasta, "ACGT\n>s1\n", "sample, line 1: bases before the first line"},
      {{}, ">s1\nACGT\n>s2\n", "sample, line 3: sequence s2 has 0 bases, the first sequence has 4"},
      {{}, ">s1\n\n>s2\nA\n", "sample, line 1: sequence s1 has no bases"},
      {{}, "2 4\na ACGT\nb ACG\n", "sample, line 3: sequence b has 3 bases, the header declares 4"},
      {{}, "2 4\na ACGT\n", "sample, line 2: the file holds 1 of the 2 sequences the header declares"},
      {{}, "2 4\na ACGT\nb ACGT\nc ACGT\n", "sample, line 4: sequence a has 9 bases, the header declares 4"},
      {{}, "1001 4\n", "sample, line 1: the header declares 1001 sequences, more than 1000"},
      {{}, "1 4\n", "sample, line 1: the header declares 1 sequences, fewer than 2"},
      {{}, "2 100001\n", "sample, line 1: the header declares 100001 bases, more than 100000"},
      {{},
       "3 100000\na A\n",
       "sample, line 1: the header declares 3 sequences of 100000 bases, more than the file holds"},
      // 16 bytes, 15 once a carriage return is dropped: 2 x 8 bases fit the
      // file but not its text.
      {{}, "2 8\r\nAAAAAAAAA\n\n", "sample, line 1: the header declares 2 sequences of 8 bases, more than the file"},
      {{}, "2 7\r\nAAAAAAAAA\n\n", "sample, line 3: the file holds 1 of the 2"},
      {Format::Phylip, "2 x\n", "sample, line 1: the PHYLIP header should be two positive integers"},
      {Format::Phylip, "3 0\na\nb\nc\n", "sample, line 1: the PHYLIP header should be two positive integers"},
      {Format::Phylip, "\xEF\xBB\xBF", "sample: the PHYLIP header should be two positive integers"},
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
       "#NEXUS\nbegin data; dimensions ntax=2 nchar=2; format interleave; matrix\na A\nb A\na A\n;",
       "sample, line 6: the last block lacks the rows of some sequences"},
      {{},
       "#NEXUS\nbegin data; dimensions ntax=2 nchar=2; matrix a AC b A;",
       "sample, line 2: the matrix ends before sequence b"},
      {{}, "#NEXUS\nbegin data; dimensions ntax=2 nchar=2; matrix a AC\n", "sample, line 3: the matrix ends after 1"},
      {{}, "#NEXUS\nbegin data; dimensions ntax=2 nchar=2; matrix a AC b AC c;", "sample, line 2: more in the matrix"},
      {{}, "#NEXUS\nbegin data; dimensions ntax=2\n", "sample, line 3: the file ends inside a command"},
      {{}, "#NEXUS\nbegin data; dimensions ntax=2 nchar=; matrix", "sample, line 2: no value after nchar="},
      {{}, "#NEXUS\nbegin data; format gap=--; matrix", "sample, line 2: GAP should be one character"},
      {{}, "#NEXUS\nbegin data; dimensions ntax=x; matrix", "sample, line 2: NTAX should be a positive integer"},
      {{}, "#NEXUS\nbegin data; format transpose; matrix", "sample, line 2: transpose matrices are not supported"},
      {{}, "#NEXUS\nbegin data; matrix a A b A;", "sample, line 2: no NTAX and NCHAR before the MATRIX"},
      {{},
       "#NEXUS\nbegin taxa; dimensions ntax=2000; end;\nbegin characters; dimensions nchar=2; matrix",
       "sample, line 3: DIMENSIONS declares 2000 sequences, more than 1000"},
      {{}, "#NEXUS [never [nested] closed\n\n", "sample, line 1: a comment that is never closed"},
      {{},
       "#NEXUS\nbegin data; dimensions ntax=2 nchar=2; matrix\n'a\nb",
       "sample, line 3: a quoted word that is never"},
      {{}, "#NEXUS\nbegin trees; end;\n", "sample: no MATRIX in a DATA or CHARACTERS block"},
      {Format::Nexus, "begin data;", "sample, line 1: a NEXUS file starts with #NEXUS"},
      {{}, "CLUSTAL W\n\na AC\nb AC\n\nb AC\n", "sample, line 6: a row of a should stand here"},
      {{}, "CLUSTAL W\n\na AC\nb AC\n\na AC\n", "sample, line 6: the last block lacks the rows of some sequences"},
      {{}, "CLUSTAL W\n\na AC 2 x\nb AC\n", "sample, line 3: more than a label, bases and a count on the line"},
      {{}, "CLUSTAL W\n\na\nb AC\n", "sample, line 3: no bases after the label a"},
      {Format::Clustal, "a AC\nb AC\n", "sample, line 1: the first line is no CLUSTAL header"},
  };
  for (const Refused &refused : cases) {
    const auto read = Inpieces(refused.content, 5, refused.forced);
    ASSERT_TRUE(std::holds_alternative<Refusal>(read)) << refused.content;
    const std::string &message = std::get<Refusal>(read).Message;
    EXPECT_EQ(message.substr(0, refused.message.size()), refused.message) << refused.content;
    EXPECT_EQ(message.find('\n'), std::string::npos);
    Expectsameinpieces(refused.content, refused.forced);
  }
}

TEST(Readalignment, RefusesAFileItCannotRead) {
  Alignmentinput missing = Alignmentinput::Fromfile("/nonexistent/halvik.fasta");
  EXPECT_EQ(Outcome(Readalignment("gone.fasta", missing, std::nullopt)),
            "refused: gone.fasta: cannot be read: No such file or directory");
  Alignmentinput folder = Alignmentinput::Fromfile(fs::temp_directory_path().string());
  EXPECT_EQ(Outcome(Readalignment("dir", folder, std::nullopt)), "refused: dir: cannot be read: Is a directory");
}

// A pipe cannot be read again from its start, as PHYLIP's layouts need: it is
// read whole first.
TEST(Readalignment, ReadsAPipeWhole) {
  const fs::path pipe = fs::temp_directory_path() / ("halvik-pipe-" + std::to_string(::getpid()));
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::thread writer([&pipe] { std::ofstream(pipe, std::ios::binary) << "2 4\na AC\nb AC\nGT\nGA\n"; });
  Alignmentinput input = Alignmentinput::Fromfile(pipe.string());
  EXPECT_EQ(Outcome(Readalignment("pipe", input, std::nullopt)), "a ACGT\nb ACGA\n");
  writer.join();
  fs::remove(pipe);
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

TEST(Readalignment, ConvertsAndCountsEachConversion) {
  const Converted cases[] = {
      {"s1 acgtn\r\ns2 RYKM?\r\n", "s1 ACGTN\ns2 NNNNN\n", Format::Native, {5, 5, 2, 0, 0, 0}},
      {"s1\n\n  ACGT\ns\t2 ACGT", "s1 ACGT\ns\t2 ACGT\n", Format::Native, {}},
      {"s1 ACGTACGT\ns2 ACGTACGA\n", "s1 ACGTACGT\ns2 ACGTACGA\n", Format::Native, {}},  // whole groups of eight
      {"s1 ACGT\r\ns2 ACGT\n\r", "s1 ACGT\ns2 ACGT\n", Format::Native, {0, 0, 2, 0, 0, 0}},
      {"\xEF\xBB\xBF\n>s1 desc\nac gt\n\n> s2\nAC\nGT\n", "s1 ACGT\ns2 ACGT\n", Format::Fasta, {4, 0, 0, 0, 0, 1}},
      {" 2 4\nalpha AC GT\nbeta  ACGT\n", "alpha ACGT\nbeta ACGT\n", Format::Phylip, {}},
      {"2 6\nAlpha beta  ACG\nTAC\nGamma     ACGTAA\n",
       "Alpha ACGTAC\nGamma ACGTAA\n",
       Format::Phylip,
       {0, 0, 0, 0, 0, 1}},
      {"2 4\na AC\nb AC\n\nGT\nGA\n", "a ACGT\nb ACGA\n", Format::Phylip, {}},
      {"2 9\r\nA AAAAAA\r\nAAA\r\nB AAAAAA\r\nAAA\r\n",
       "A AAAAAAAAA\nB AAAAAAAAA\n",
       Format::Phylip,
       {0, 0, 5, 0, 0, 0}},
      {"#nexus\nBEGIN TAXA; DIMENSIONS NTAX=2; END;\nBEGIN CHARACTERS; DIMENSIONS NCHAR=4;\n"
       "FORMAT MISSING=X GAP=~ MATCHCHAR=0; MATRIX [c] 'a b' acg\nt\nb 0X~? ; END;",
       "a ACGT\nb AN-N\n",
       Format::Nexus,
       {4, 1 + 1, 0, 1, 1, 1}},
      {"#NEXUS\r\nbegin data; dimensions ntax=2 nchar=9; format matchchar=. interleave;\r\n[a\r\n[nested]\r\n"
       "comment]matrix\r\n'it''s' ACGTA [a [nested] comment] CGTA\r\nb ..... ...T\r\n;\r\nend;\r\n[after]\r\n",
       "it's ACGTACGTA\nb ACGTACGTT\n",
       Format::Nexus,
       {0, 0, 10, 8, 0, 0}},
      {"#NEXUS\nbegin data; dimensions ntax=2 nchar=2; matrix 'x\ny' AC ';' AC;",
       "x AC\n; AC\n",
       Format::Nexus,
       {0, 0, 0, 0, 0, 1}},
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
    Expectsameinpieces(converted.content);
  }
  EXPECT_EQ(Conversionnote(Read(cases[0].content)),
            "5 lower-case bases to upper case; 5 ambiguity codes to N; 2 carriage returns dropped");
}

TEST(Detect, ReadsTheFirstLineThatIsNotBlank) {
  const std::pair<const char *, Format> cases[] = {
      {"\xEF\xBB\xBF \n\t\n  >s1", Format::Fasta},
      {"\n #NeXuS\n", Format::Nexus},
      {"CLUSTAL 2.1", Format::Clustal},
      {"  MUSCLE (3.8)", Format::Clustal},
      {" 2\t40 \r\n", Format::Phylip},
      {"2 40 x\n", Format::Native},
      {"0 40\n", Format::Native},
      {"40 0\n", Format::Native},
      {"", Format::Native},
      {"s1 ACGT\n>s2", Format::Native},
  };
  for (const auto &[start, format] : cases) EXPECT_EQ(Detect(start), format) << start;
}

// The labels of the stickleback file shuffled: arranged by the map, in the
// order of the FILE.
TEST(Groups, ArrangeTheShuffledFileByLocality) {
  const Sample shuffled = Read(Readfile(Root / "tests" / "data" / "stickleback-shuffled.txt"));
  const std::vector<std::string> &labels = shuffled.Data.Labels;
  const auto map = Readgroups("map", Readfile(Root / "examples" / "stickleback-orti.groups"));
  const Arrangement arrangement = std::get<Arrangement>(Arrange(labels, std::get<Groupmap>(map), "map"));
  const bool eastfirst = labels[0] < "F";
  std::vector<std::int32_t> sorted(labels.size());
  for (std::size_t i = 0; i < sorted.size(); ++i) sorted[i] = static_cast<std::int32_t>(i);
  std::stable_sort(sorted.begin(), sorted.end(), [&](std::int32_t a, std::int32_t b) {
    return (labels[a] < "F") == eastfirst && (labels[b] < "F") != eastfirst;
  });
  EXPECT_EQ(arrangement.Order, sorted);
  EXPECT_EQ(arrangement.Names, (std::vector<std::string>{eastfirst ? "East" : "West", eastfirst ? "West" : "East"}));
  Packedsample data = shuffled.Data;
  const Packedsample reordered = Reordered(std::move(data), arrangement);
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    EXPECT_EQ(reordered.Labels[i], labels[sorted[i]]);
    EXPECT_EQ(reordered.Codes[i], shuffled.Data.Codes[sorted[i]]);
  }
}

using Entries = std::vector<std::pair<std::string, std::string>>;

TEST(Groups, ReadMapsAsProjectsKeepThem) {
  const std::pair<std::string, Entries> cases[] = {
      {"\xEF\xBB\xBFlabel\tlocality\n# a comment\n\na\tLake Constance \r\nb  Lake  Geneva\n",
       {{"label", "locality"}, {"a", "Lake Constance"}, {"b", "Lake  Geneva"}}},
      {"#x A\nc#1 Pond #2\n  d\t\tFar  away\t\r\n", {{"c#1", "Pond #2"}, {"d", "Far  away"}}},
  };
  for (const auto &[content, entries] : cases) {
    const auto map = Readgroups("map", content);
    ASSERT_TRUE(std::holds_alternative<Groupmap>(map)) << std::get<Refusal>(map).Message;
    EXPECT_EQ(std::get<Groupmap>(map).Entries, entries) << content;
  }
  const std::pair<std::string, std::string> refused[] = {
      {"a E\nb\n", "map, line 2: the label b has no locality"},
      {"a E\nb\t \n", "map, line 2: the label b has no locality"},
      {"\tE\n", "map, line 1: a locality name with no label before it"},
      {"# nothing\n\n", "map: no labels in the map"},
  };
  for (const auto &[content, message] : refused)
    EXPECT_EQ(std::get<Refusal>(Readgroups("map", content)).Message, message) << content;
}

// A FILE's labels and a map: the localities with their sequences in the
// arranged order ("West:2,4 East:1,3" numbers the FILE's sequences from 1)
// and the map labels ignored, or the refusal.
std::string Arranged(const std::string &labels, const std::string &map) {
  std::vector<std::string> file;
  for (std::size_t at = 0; at < labels.size();) {
    const std::size_t end = std::min(labels.find(' ', at), labels.size());
    file.push_back(labels.substr(at, end - at));
    at = end + 1;
  }
  const auto arranged = Arrange(file, std::get<Groupmap>(Readgroups("map", map)), "map");
  if (const Refusal *refusal = std::get_if<Refusal>(&arranged)) return refusal->Message;
  const Arrangement &arrangement = std::get<Arrangement>(arranged);
  std::string shown;
  for (std::size_t k = 0; k < arrangement.Names.size(); ++k) {
    shown += (k ? " " : "") + arrangement.Names[k] + ":";
    const std::size_t end =
        k + 1 < arrangement.Starts.size() ? arrangement.Starts[k + 1] - 1 : arrangement.Order.size();
    for (std::size_t i = arrangement.Starts[k] - 1; i < end; ++i)
      shown += (i + 1 == static_cast<std::size_t>(arrangement.Starts[k]) ? "" : ",") +
               std::to_string(arrangement.Order[i] + 1);
  }
  return shown + " ignored " + std::to_string(arrangement.Ignored);
}

TEST(Groups, ArrangeAFilesLabelsByTheMap) {
  const std::string many = [] {
    std::string map;
    for (int i = 0; i < 62; ++i) map += "s" + std::to_string(i) + " L" + std::to_string(i / 2) + "\n";
    return map;
  }();
  std::string sixtytwo;
  for (int i = 0; i < 62; ++i) sixtytwo += (i ? " s" : "s") + std::to_string(i);
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"a b c d", "label\tlocality\na\tWest Lake\nb East\nc\tWest Lake\nd East\nz North\nz North\n",
       "West Lake:1,3 East:2,4 ignored 2"},
      {"a b c d", "a E\na E\nb E\nc W\nd W\nx W\nx E\n", "E:1,2 W:3,4 ignored 1"},
      {"a b a c", "a E\nb E\nc E\n", "map: labels that occur twice in the file, which the map cannot tell apart: a"},
      {"a b c d", "a E\na W\nb E\nc W\nd W\nd E\n", "map: labels of the file mapped to two localities: a, d"},
      {"a b c d", "a E\nb E\nc W\nd W\nd W\n\n", "E:1,2 W:3,4 ignored 0"},
      {"a b c d", "a E\nb E\nc W\n", "map: labels of the file missing from the map: d"},
      {"a b c d", "a E\nb E\nc E\nd X\n", "map: localities of fewer than two sequences: X"},
      {sixtytwo, many, "map: 31 localities, more than 30"},
      {"a b c d e f", "a E\nb E\nc E\nd E\nx W\n",
       "map: labels of the file missing from the map: e, f; labels of the map not in the file: x"},
      {"Z1.CG15644 Z2.CG15644 Z3.CG15644 Z4.CG15644 Z5.CG15644", "Z1 A\nZ2 A\nZ3 B\nZ4 B\nZ5 B\nQ9 B\n",
       "map: labels of the file missing from the map: Z1.CG15644, Z2.CG15644, Z3.CG15644 and 2 more; labels of "
       "the map not in the file: Z1, Z2, Z3 and 3 more; every label of the file ends in \".CG15644\", which the "
       "map's labels lack"},
      {"a b c.x d.x", "a A\nb A\nc B\nd B\n",
       "map: labels of the file missing from the map: c.x, d.x; labels of the map not in the file: c, d; every "
       "missing label of the file ends in \".x\", which the map's labels lack"},
      {"gene_a gene_b", "a A\nb A\n",
       "map: labels of the file missing from the map: gene_a, gene_b; labels of the map not in the file: a, b; "
       "every label of the file starts with \"gene_\", which the map's labels lack"},
      {"a b", "a.1 A\nb.1 A\nb.2 A\n",
       "map: labels of the file missing from the map: a, b; labels of the map not in the file: a.1, b.1, b.2; the "
       "map's labels end in \".1\", which the labels of the file lack"},
      {"a b", "x_a A\nx_b A\n",
       "map: labels of the file missing from the map: a, b; labels of the map not in the file: x_a, x_b; the "
       "map's labels start with \"x_\", which the labels of the file lack"},
      {"a b", "a.1 A\nb.2 A\n",
       "map: labels of the file missing from the map: a, b; labels of the map not in the file: a.1, b.2"},
  };
  for (const auto &[labels, map, expected] : cases) EXPECT_EQ(Arranged(labels, map), expected) << map;
}


}  // namespace
}  // namespace halvik
