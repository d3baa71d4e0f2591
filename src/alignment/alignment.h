// Aligned samples in the formats other programs write, read straight into a
// packed sample as the file streams past.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "alignment/input.h"
#include "store/packedsample.h"

namespace halvik {

enum class Alignmentformat { Native, Fasta, Phylip, Nexus, Clustal };

// "native" (also "halvik"), "fasta", "phylip", "nexus", "clustal"; nullopt for anything else.
std::optional<Alignmentformat> Formatnamed(std::string_view name);

// The format the bytes look like from their start: leading blank lines and a
// byte-order mark skipped, then `>` FASTA, `#NEXUS` NEXUS, a CLUSTAL or MUSCLE
// header CLUSTAL, two positive integers PHYLIP, anything else native. Only the
// first line that is not blank counts.
Alignmentformat Detect(std::string_view start);

// How many of each conversion were made.
struct Conversions {
  std::int64_t Lowercase = 0;        // a c g t n to upper case
  std::int64_t Ambiguous = 0;        // IUPAC codes (either case), ? and the NEXUS MISSING symbol to N
  std::int64_t Carriagereturns = 0;  // dropped at line ends
  std::int64_t Matches = 0;          // NEXUS match characters resolved against the first sequence
  std::int64_t Gaps = 0;             // NEXUS GAP symbols other than - turned to -
  std::int64_t Labelscut = 0;        // labels cut at the first blank
};

// Data holds the records in file order: labels without blanks or line feeds,
// at most 254 bytes; 2 to 1000 sequences of one length, 1 to 100000 codes from
// A C G T N -.
struct Sample {
  Alignmentformat Format;
  Packedsample Data;
  Conversions Made;
};

// One line, no line feed: "<file name>, line <n>: <reason>" or "<file name>: <reason>".
struct Refusal {
  std::string Message;
};

// `name` is the file's name as the user gave it, for messages. The format is
// recognised from the start of the bytes unless `forced` is given. The input
// is read a piece at a time and the codes packed as they are met, so memory
// holds the packed sample, a piece and the longest line. A native file is
// read by Halvik's own grammar with the same character conversions, so for
// one that needs none the sample holds exactly what Halvik's reader reads.
std::variant<Sample, Refusal> Readalignment(std::string_view name, Alignmentinput &input,
                                            std::optional<Alignmentformat> forced);

// A message on one line: line feeds and carriage returns become blanks, and
// blanks at either end go.
std::string Oneline(std::string text);

// One line for the user: the format, then each kind of conversion made, e.g.
// "FASTA; 35 lower-case bases to upper case; 2 ambiguity codes to N". Empty
// only for a native file that needed no conversion.
std::string Conversionnote(const Sample &sample);

}  // namespace halvik
