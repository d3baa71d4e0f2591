#include <algorithm>

#include "alignment/formats.h"

namespace halvik {

namespace {

// Takes the first word of `line` (up to a blank or tab) off it.
std::string_view Firstword(std::string_view &line) {
  while (!line.empty() && Isblank(line.front())) line.remove_prefix(1);
  const std::string_view word =
      line.substr(0, static_cast<std::size_t>(std::find_if(line.begin(), line.end(), Isblank) - line.begin()));
  line.remove_prefix(word.size());
  return word;
}

bool Alldigits(std::string_view word) {
  return std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

// After the header, blocks of rows "label bases [count]", one row per
// sequence in the same order in every block. Blank lines and conservation
// lines (which start with a blank) separate the blocks, so no label is empty.
// The first block ends at the first separator, or where its first label comes
// round again.
void Readclustal(Linereader &lines, Collected &records) {
  std::string_view line;
  while (lines.Next(line) && Allblank(line)) {
  }
  const std::string_view header = Trimfront(line);
  if (header.substr(0, 7) != "CLUSTAL" && header.substr(0, 8) != "MUSCLE (")
    Refuse(lines.Number, "the first line is no CLUSTAL header (CLUSTAL or MUSCLE ( at its start)");
  std::vector<std::string> labels;  // as written, to match the rows of later blocks
  bool firstblock = true;
  std::size_t later = 0;  // rows after the first block
  while (lines.Next(line)) {
    if (Allblank(line) || Isspace(line.front())) {
      firstblock = labels.empty();
      continue;
    }
    std::string_view rest = line;
    const std::string_view label = Firstword(rest), bases = Firstword(rest), count = Firstword(rest);
    if (bases.empty()) Refuse(lines.Number, "no bases after the label " + std::string(label));
    if (!Allblank(rest) || !Alldigits(count)) Refuse(lines.Number, "more than a label, bases and a count on the line");
    if (firstblock && !labels.empty() && label == labels.front()) firstblock = false;
    if (firstblock) {
      labels.emplace_back(label);
      records.Addrecord(label, lines.Number, true);
      records.Addbases(labels.size() - 1, bases, lines.Number, true);
      continue;
    }
    const std::size_t r = later++ % labels.size();
    if (label != labels[r])
      Refuse(lines.Number,
             "a row of " + Shown(records.Data.Labels[r]) + " should stand here, by the order of the first block");
    records.Addbases(r, bases, lines.Number, true);
  }
  if (!labels.empty() && later % labels.size() != 0)
    Refuse(lines.Number, "the last block lacks the rows of some sequences");
}

}  // namespace halvik
