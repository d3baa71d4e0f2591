#include "alignment/collect.h"

#include <algorithm>
#include <array>

namespace halvik {

namespace {

enum class Kind : std::uint8_t { None, Plain, Lower, Ambiguous };

// Each byte's base and the conversion counted for it. A whole table keeps the
// work per base to one load.
struct Basecode {
  char Base = 0;
  Kind Made = Kind::None;
};

constexpr std::array<Basecode, 256> Basetable = [] {
  std::array<Basecode, 256> table{};
  for (const char c : std::string_view("ACGTN-")) table[static_cast<unsigned char>(c)] = {c, Kind::Plain};
  for (const char c : std::string_view("acgtn"))
    table[static_cast<unsigned char>(c)] = {static_cast<char>(c - 'a' + 'A'), Kind::Lower};
  for (const char c : std::string_view("RYSWKMBDHVryswkmbdhv?"))
    table[static_cast<unsigned char>(c)] = {'N', Kind::Ambiguous};
  return table;
}();

std::string Unknown(char c, const std::string &label) {
  const int code = static_cast<unsigned char>(c);
  const std::string shown = code > 32 && code < 127 ? std::string("'") + c + "' " : std::string();
  return "unknown character " + shown + "(code " + std::to_string(code) + ") in sequence " + Shown(label);
}

// Whether every character is an upper-case base, by comparisons rather than
// table loads, so that the compiler can test many characters at once: most of
// a file that needs no conversion is such runs.
bool Plainbases(std::string_view text) {
  std::uint8_t good = 0xff;
  for (const char c : text)
    good &= static_cast<std::uint8_t>(-(c == 'A') | -(c == 'C') | -(c == 'G') | -(c == 'T') | -(c == 'N') | -(c == '-'));
  return good == 0xff;
}

}  // namespace

void Refuse(std::int64_t line, std::string reason) { throw Badinput{line, std::move(reason)}; }

std::string Shown(std::string_view label) { return label.empty() ? "with an empty label" : std::string(label); }

bool Allblank(std::string_view line) { return std::all_of(line.begin(), line.end(), Isspace); }

std::size_t Number(std::string_view &text) {
  text = Trimfront(text);
  std::size_t value = 0, digits = 0;
  for (; digits < text.size() && text[digits] >= '0' && text[digits] <= '9'; ++digits)
    value = std::min<std::size_t>(value * 10 + static_cast<std::size_t>(text[digits] - '0'), Largestfile + 1);
  text.remove_prefix(digits);
  return value;
}

Cleantext::Cleantext(std::string_view content, bool dropmark) {
  if (dropmark && content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
  Text = content;
  if (content.find('\r') == std::string_view::npos && (content.empty() || content.back() == '\n')) return;
  Copy.reserve(content.size() + 1);
  for (std::size_t i = 0; i < content.size(); ++i) {
    if (content[i] == '\r' && (i + 1 == content.size() || content[i + 1] == '\n')) {
      ++Carriagereturns;
      continue;
    }
    Copy.push_back(content[i]);
  }
  if (!Copy.empty() && Copy.back() != '\n') Copy.push_back('\n');
  Text = Copy;
}

bool Linecursor::Next(std::string_view &line) {
  if (Position >= Text.size()) return false;
  const std::size_t end = Text.find('\n', Position);  // the cleaned text ends in one
  line = Text.substr(Position, end - Position);
  Position = end + 1;
  ++Number;
  return true;
}

void Collected::Addrecord(std::string_view label, std::int64_t line, bool cut) {
  if (Labels.size() == Mostrecords) Refuse(line, "more than 1000 sequences");
  const auto space = std::find_if(label.begin(), label.end(), Isspace);
  if (cut && space != label.end()) {
    const std::string_view rest(space, label.end());
    if (!Allblank(rest)) ++Made.Labelscut;
    label.remove_suffix(rest.size());
  }
  if (label.size() > Longestname)
    Refuse(line, "the label of sequence " + std::to_string(Labels.size() + 1) + " has " + std::to_string(label.size()) +
                     " characters, more than 254");
  Labels.emplace_back(label);
  Sequences.emplace_back();
  Lines.push_back(line);
}

void Collected::Addbases(std::size_t r, std::string_view text, std::int64_t line, bool skipblanks, Symbols symbols) {
  std::string &bases = Sequences[r];
  const bool nosymbols = symbols.Match == 0 && symbols.Missing == 0 && symbols.Gap == 0;
  if (!skipblanks && nosymbols && bases.size() + text.size() <= Mostbases && Plainbases(text)) {
    bases.append(text);
    return;
  }
  for (const char c : text) {
    if (skipblanks && Isblank(c)) continue;
    char base;
    if (c == symbols.Match && c != 0) {
      if (r == 0) Refuse(line, std::string("match character '") + c + "' in the first sequence, " + Shown(Labels[0]));
      base = Unresolved;
      ++Made.Matches;
    } else if (c == symbols.Missing && c != 0) {
      base = 'N';
      ++Made.Ambiguous;
    } else if (c == symbols.Gap && c != 0) {
      base = '-';
      ++Made.Gaps;
    } else {
      const Basecode code = Basetable[static_cast<unsigned char>(c)];
      if (code.Made == Kind::None) Refuse(line, Unknown(c, Labels[r]));
      base = code.Base;
      Made.Lowercase += code.Made == Kind::Lower;
      Made.Ambiguous += code.Made == Kind::Ambiguous;
    }
    if (bases.size() == Mostbases) Refuse(line, "sequence " + Shown(Labels[r]) + " has more than 100000 bases");
    bases.push_back(base);
  }
}

void Checkdeclared(std::string_view source, std::size_t count, std::size_t length, std::size_t filesize,
                   std::int64_t line) {
  const std::string declared = std::string(source) + " declares " + std::to_string(count) + " sequences";
  if (count > Mostrecords) Refuse(line, declared + ", more than 1000");
  if (count < 2) Refuse(line, declared + ", fewer than 2");
  if (length > Mostbases)
    Refuse(line, std::string(source) + " declares " + std::to_string(length) + " bases, more than 100000");
  if (count * length > filesize)
    Refuse(line, declared + " of " + std::to_string(length) + " bases, more than the file holds");
}

void Checklength(std::string_view source, const Collected &records, std::size_t r, std::size_t length,
                 std::int64_t line, bool exact) {
  const std::size_t size = records.Sequences[r].size();
  if (size > length || (exact && size != length))
    Refuse(line, "sequence " + Shown(records.Labels[r]) + " has " + std::to_string(size) + " bases, " +
                     std::string(source) + " declares " + std::to_string(length));
}

}  // namespace halvik
