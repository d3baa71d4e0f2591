// Halvik's own grammar, step for step as its sequence-file reader takes it: a
// label runs to the first blank or line end, blanks and line ends follow, and
// the bases run to the end of that line. A blank line therefore reads as a
// record with an empty label, as it does there.
#include <algorithm>

#include "alignment/formats.h"

namespace halvik {

void Readnative(std::string_view text, Collected &records) {
  std::size_t at = 0;
  std::int64_t line = 1;
  while (at < text.size()) {
    const std::int64_t labelline = line;
    const std::size_t end = std::min(text.find_first_of(" \n", at), text.size());
    const std::string_view label = text.substr(at, end - at);
    // Halvik's reader would take it into the label, but its own format has none.
    if (label.find('\r') != std::string_view::npos)
      Refuse(labelline, "a carriage return inside the label of sequence " + std::to_string(records.Labels.size() + 1));
    records.Addrecord(label, labelline, false);
    at = end;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\n')) line += text[at++] == '\n';
    if (at == text.size())
      Refuse(labelline, "sequence " + Shown(records.Labels.back()) + " has no bases after its label");
    const std::size_t lineend = text.find('\n', at);  // the cleaned text ends in one
    records.Addbases(records.Labels.size() - 1, text.substr(at, lineend - at), line, false);
    at = lineend + 1;
    ++line;
  }
}

}  // namespace halvik
