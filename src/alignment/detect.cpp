#include <cctype>

#include "alignment/formats.h"

namespace halvik {

namespace {

// Two positive integers and nothing else, as a PHYLIP header.
bool Twopositives(std::string_view line) { return Number(line) > 0 && Number(line) > 0 && Allblank(line); }

bool Startsnexus(std::string_view line) {
  constexpr std::string_view mark = "#nexus";
  if (line.size() < mark.size()) return false;
  for (std::size_t i = 0; i < mark.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(line[i])) != mark[i]) return false;
  return true;
}

Alignmentformat Formatof(std::string_view line) {
  const std::string_view start = Trimfront(line);
  if (start.substr(0, 1) == ">") return Alignmentformat::Fasta;
  if (Startsnexus(start)) return Alignmentformat::Nexus;
  if (start.substr(0, 7) == "CLUSTAL" || start.substr(0, 8) == "MUSCLE (") return Alignmentformat::Clustal;
  if (Twopositives(line)) return Alignmentformat::Phylip;
  return Alignmentformat::Native;
}

}  // namespace

// Reads up to the first line that is not blank. A byte-order mark is passed
// over for the format but makes the file not empty.
Firstline Scan(Alignmentinput &input) {
  Linereader lines(input, false);
  bool marked = false;
  for (std::string_view line; lines.Next(line);) {
    if (lines.Number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") {
      marked = true;
      line.remove_prefix(3);
    }
    if (!Allblank(line)) return {false, Formatof(line)};
  }
  return {!marked, Alignmentformat::Native};
}

Alignmentformat Detect(std::string_view start) {
  Alignmentinput input = Alignmentinput::Frombytes(start);
  return Scan(input).Format;
}

}  // namespace halvik
