// Halvik's own grammar, step for step as its sequence-file reader takes it: a
// label runs to the first blank or line end, blanks and line ends follow, and
// the bases run to the end of that line. A blank line therefore reads as a
// record with an empty label, as it does there.
#include <algorithm>

#include "alignment/formats.h"

namespace halvik {

namespace {

std::string_view Skipblanks(std::string_view text) {
  return text.substr(std::min(text.find_first_not_of(' '), text.size()));
}

}  // namespace

void Readnative(Linereader &lines, Collected &records) {
  std::string_view line;
  for (bool more = lines.Next(line); more; more = lines.Next(line)) {
    const std::int64_t labelline = lines.Number;
    const std::string_view label = line.substr(0, std::min(line.find(' '), line.size()));
    // Halvik's reader would take it into the label, but its own format has none.
    if (label.find('\r') != std::string_view::npos)
      Refuse(labelline, "a carriage return inside the label of sequence " + std::to_string(records.Count() + 1));
    records.Addrecord(label, labelline, false);
    std::string_view bases = Skipblanks(line.substr(label.size()));
    while (bases.empty()) {
      if (!lines.Next(line))
        Refuse(labelline, "sequence " + Shown(records.Data.Labels.back()) + " has no bases after its label");
      bases = Skipblanks(line);
    }
    records.Addbases(records.Count() - 1, bases, lines.Number, false);
  }
}

}  // namespace halvik
