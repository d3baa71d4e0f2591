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

}  // namespace

Alignmentformat Detect(std::string_view content) {
  if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
  std::string_view line;
  while (!content.empty()) {
    const std::size_t end = content.find('\n');
    line = content.substr(0, end);
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    if (!Allblank(line)) break;
  }
  const std::string_view start = Trimfront(line);
  if (start.substr(0, 1) == ">") return Alignmentformat::Fasta;
  if (Startsnexus(start)) return Alignmentformat::Nexus;
  if (start.substr(0, 7) == "CLUSTAL" || start.substr(0, 8) == "MUSCLE (") return Alignmentformat::Clustal;
  if (Twopositives(line)) return Alignmentformat::Phylip;
  return Alignmentformat::Native;
}

}  // namespace halvik
