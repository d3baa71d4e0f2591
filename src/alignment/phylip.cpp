#include <algorithm>
#include <array>
#include <utility>

#include "alignment/formats.h"

namespace halvik {

namespace {

struct Header {
  std::int64_t Line;
  std::size_t Count, Length;
};

// The header's counts, checked against the limits and against the file's size
// before any record is read.
Header Readheader(Linereader &lines) {
  std::string_view line;
  while (lines.Next(line) && Allblank(line)) {
  }
  const std::int64_t at = lines.Number;
  const std::size_t count = Number(line), length = Number(line);
  if (count == 0 || length == 0 || !Allblank(line))
    Refuse(at, "the PHYLIP header should be two positive integers, the numbers of sequences and of bases");
  Checkdeclared("the header", count, length, lines, at);
  return {at, count, length};
}

std::string_view Trim(std::string_view text) {
  text = Trimfront(text);
  while (!text.empty() && Isspace(text.back())) text.remove_suffix(1);
  return text;
}

// The name and the rest of a line that starts a record: strict names fill the
// first ten columns, relaxed ones end at the first blank.
std::pair<std::string_view, std::string_view> Splitname(std::string_view line, bool strict) {
  if (strict) return {Trim(line.substr(0, 10)), line.substr(std::min<std::size_t>(10, line.size()))};
  line = Trimfront(line);
  const auto end = static_cast<std::size_t>(std::find_if(line.begin(), line.end(), Isblank) - line.begin());
  return {line.substr(0, end), line.substr(end)};
}

// Reads the records in one layout. Interleaved: the first Count lines start
// the records and later lines continue them in turn. Sequential: a record
// takes lines until it has Length bases. Blank lines count for nothing.
void Readlayout(Linereader &lines, const Header &header, bool strict, bool interleaved, Collected &records) {
  std::string_view line;
  lines.Rewind();
  while (lines.Number < header.Line) lines.Next(line);
  std::size_t row = 0;
  while (lines.Next(line)) {
    if (Allblank(line)) continue;
    const bool starts =
        interleaved ? row < header.Count : records.Count() == 0 || records.Lengths.back() >= header.Length;
    if (starts && records.Count() == header.Count) Refuse(lines.Number, "more lines than the header's counts allow");
    if (starts) {
      const auto [name, rest] = Splitname(line, strict);
      records.Addrecord(name, lines.Number, true);
      line = rest;
    }
    const std::size_t r = interleaved ? row % header.Count : records.Count() - 1;
    records.Addbases(r, line, lines.Number, true);
    Checklength("the header", records, r, header.Length, lines.Number, false);
    ++row;
  }
  if (records.Count() < header.Count)
    Refuse(lines.Number, "the file holds " + std::to_string(records.Count()) + " of the " +
                             std::to_string(header.Count) + " sequences the header declares");
  for (std::size_t r = 0; r < header.Count; ++r)
    Checklength("the header", records, r, header.Length, records.Lines[r], true);
}

}  // namespace

// The layout is the first of interleaved or sequential, relaxed or strict
// names, that gives every sequence the declared length. When none does, the
// refusal is the one met furthest into the file, as the likeliest layout.
void Readphylip(Linereader &lines, Collected &records) {
  const Header header = Readheader(lines);
  constexpr std::array<std::pair<bool, bool>, 4> layouts = {
      {{false, true}, {true, true}, {false, false}, {true, false}}};
  Badinput furthest{-1, ""};
  for (const auto &[strict, interleaved] : layouts) {
    Collected attempt;
    attempt.Declared = header.Length;
    try {
      Readlayout(lines, header, strict, interleaved, attempt);
      records = std::move(attempt);
      return;
    } catch (Badinput &failed) {
      if (failed.Line > furthest.Line) furthest = std::move(failed);
    }
  }
  throw furthest;
}

}  // namespace halvik
