#include "alignment/formats.h"

namespace halvik {

// A record starts at a line whose first non-blank character is '>'; its label
// is the rest of that line, cut at the first blank. Every other line that is
// not blank holds bases of the record above it.
void Readfasta(Linereader &lines, Collected &records) {
  std::string_view line;
  while (lines.Next(line)) {
    const std::string_view start = Trimfront(line);
    if (start.empty()) continue;
    if (start.front() == '>') {
      records.Addrecord(Trimfront(start.substr(1)), lines.Number, true);
    } else {
      if (records.Count() == 0) Refuse(lines.Number, "bases before the first line that starts with '>'");
      records.Addbases(records.Count() - 1, start, lines.Number, true);
    }
  }
}

}  // namespace halvik
