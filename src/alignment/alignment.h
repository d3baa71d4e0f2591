// Aligned samples in the formats other programs write, turned into Halvik's
// own: one record per line, a label, blanks, bases from A C G T N -.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace halvik {

enum class Alignmentformat { Native, Fasta, Phylip, Nexus, Clustal };

// "native" (also "halvik"), "fasta", "phylip", "nexus", "clustal"; nullopt for anything else.
std::optional<Alignmentformat> Formatnamed(std::string_view name);
// The name Formatnamed takes for the format ("native" for Native).
std::string_view Formatname(Alignmentformat format);

// How many of each conversion were made.
struct Conversions {
  std::int64_t Lowercase = 0;        // a c g t n to upper case
  std::int64_t Ambiguous = 0;        // IUPAC codes (either case), ? and the NEXUS MISSING symbol to N
  std::int64_t Carriagereturns = 0;  // dropped at line ends
  std::int64_t Matches = 0;          // NEXUS match characters resolved against the first sequence
  std::int64_t Gaps = 0;             // NEXUS GAP symbols other than - turned to -
  std::int64_t Labelscut = 0;        // labels cut at the first blank
};

// Labels[i] and Sequences[i] are record i in file order: labels without blanks
// or line feeds, at most 254 bytes; sequences of one length, 1 to 100000
// bases from A C G T N -; 2 to 1000 records.
struct Sample {
  Alignmentformat Format;
  std::vector<std::string> Labels, Sequences;
  Conversions Made;
};

// One line, no line feed: "<file name>, line <n>: <reason>" or "<file name>: <reason>".
struct Refusal {
  std::string Message;
};

// `name` is the file's name as the user gave it, for messages; `content` its
// bytes. The format is recognised from the content unless `forced` is given.
// A native file is read by Halvik's own grammar with the same character
// conversions, so for one that needs none the sample holds exactly what
// Halvik's reader reads from it.
std::variant<Sample, Refusal> Readalignment(std::string_view name, std::string_view content,
                                            std::optional<Alignmentformat> forced);

// The sample in Halvik's own format: "label bases\n" per record.
std::string Nativetext(const Sample &sample);

// One line for the user: the format, then each kind of conversion made, e.g.
// "FASTA; 35 lower-case bases to upper case; 2 ambiguity codes to N". Empty
// only for a native file that needed no conversion.
std::string Conversionnote(const Sample &sample);

}  // namespace halvik
