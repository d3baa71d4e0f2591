#include "alignment/collect.h"

#include <algorithm>
#include <array>

#include "seqfile/codes.h"

namespace halvik {

namespace {

enum class Kind : std::uint8_t { None, Plain, Lower, Ambiguous, Blank };

// Each byte's code and the conversion counted for it. A whole table keeps the
// work per base to one load.
struct Basecode {
  std::uint8_t Code = 0;
  Kind Made = Kind::None;
};

constexpr std::array<Basecode, 256> Basetable = [] {
  std::array<Basecode, 256> table{};
  for (const char c : std::string_view("ACGTN-"))
    table[static_cast<unsigned char>(c)] = {Codetable[static_cast<unsigned char>(c)], Kind::Plain};
  for (const char c : std::string_view("acgtn"))
    table[static_cast<unsigned char>(c)] = {Codetable[static_cast<unsigned char>(c - 'a' + 'A')], Kind::Lower};
  for (const char c : std::string_view("RYSWKMBDHVryswkmbdhv?"))
    table[static_cast<unsigned char>(c)] = {4, Kind::Ambiguous};
  table[' '].Made = table['\t'].Made = Kind::Blank;
  return table;
}();

std::string Unknown(char c, const std::string &label) {
  const int code = static_cast<unsigned char>(c);
  const std::string shown = code > 32 && code < 127 ? std::string("'") + c + "' " : std::string();
  return "unknown character " + shown + "(code " + std::to_string(code) + ") in sequence " + Shown(label);
}

// The code of a character that is no plain base, with its conversion counted.
std::uint8_t Converted(char c, Basecode code, std::size_t r, std::int64_t line, Symbols symbols, Collected &records) {
  Conversions &made = records.Made;
  if (c == symbols.Match && c != 0) {
    if (r == 0)
      Refuse(line, std::string("match character '") + c + "' in the first sequence, " + Shown(records.Data.Labels[0]));
    ++made.Matches;
    return Unresolvedcode;
  }
  if (c == symbols.Missing && c != 0) {
    ++made.Ambiguous;
    return 4;
  }
  if (c == symbols.Gap && c != 0) {
    ++made.Gaps;
    return 5;
  }
  if (code.Made == Kind::None || code.Made == Kind::Blank) Refuse(line, Unknown(c, records.Data.Labels[r]));
  made.Lowercase += code.Made == Kind::Lower;
  made.Ambiguous += code.Made == Kind::Ambiguous;
  return code.Code;
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

void Collected::Addrecord(std::string_view label, std::int64_t line, bool cut) {
  if (Count() == Mostrecords) Refuse(line, "more than 1000 sequences");
  const auto space = std::find_if(label.begin(), label.end(), Isspace);
  if (cut && space != label.end()) {
    const std::string_view rest(space, label.end());
    if (!Allblank(rest)) ++Made.Labelscut;
    label.remove_suffix(rest.size());
  }
  if (label.size() > Longestname)
    Refuse(line, "the label of sequence " + std::to_string(Count() + 1) + " has " + std::to_string(label.size()) +
                     " characters, more than 254");
  // The declared length, or else that of the record before, which in the
  // formats that give each record whole is the length of every record.
  const std::size_t expected = Declared > 0 ? Declared : Lengths.empty() ? 0 : Lengths.back();
  Data.Labels.emplace_back(label);
  Data.Codes.emplace_back().reserve(expected > 0 ? Packedbytes(static_cast<int>(expected)) + 2 : 0);
  Lengths.push_back(0);
  Lines.push_back(line);
}

void Collected::Addbases(std::size_t r, std::string_view text, std::int64_t line, bool skipblanks, Symbols symbols) {
  const bool plain = symbols.Match == 0 && symbols.Missing == 0 && symbols.Gap == 0;
  constexpr std::size_t chunk = 4096;
  std::uint8_t codes[chunk];
  std::size_t count = 0;
  for (const char c : text) {
    const Basecode code = Basetable[static_cast<unsigned char>(c)];
    std::uint8_t value = code.Code;
    if (code.Made != Kind::Plain || !plain) {
      if (skipblanks && code.Made == Kind::Blank) continue;
      value = Converted(c, code, r, line, symbols, *this);
    }
    if (Lengths[r] + count == Mostbases)
      Refuse(line, "sequence " + Shown(Data.Labels[r]) + " has more than 100000 bases");
    codes[count++] = value;
    if (count == chunk) {
      Pack(r, codes, count);
      count = 0;
    }
  }
  Pack(r, codes, count);
}

// Codes are set one at a time up to a group's start, then eight at a time.
void Collected::Pack(std::size_t r, const std::uint8_t *codes, std::size_t count) {
  std::vector<std::uint8_t> &bytes = Data.Codes[r];
  std::size_t length = Lengths[r];
  const std::size_t need = 3 * ((length + count + 7) / 8);
  if (need > bytes.capacity()) bytes.reserve(std::max(need, bytes.capacity() + bytes.capacity() / 2));
  if (need > bytes.size()) bytes.resize(need);
  std::size_t i = 0;
  for (; i < count && length % 8 != 0; ++i) Setcode(bytes.data(), static_cast<int>(++length), codes[i]);
  for (; i + 8 <= count; i += 8, length += 8) {
    std::uint32_t bits = 0;
    for (std::size_t k = 0; k < 8; ++k) bits = bits << 3 | codes[i + k];
    Setgroup(bytes.data(), static_cast<int>(length / 8), bits);
  }
  for (; i < count; ++i) Setcode(bytes.data(), static_cast<int>(++length), codes[i]);
  Lengths[r] = length;
}

void Checkdeclared(std::string_view source, std::size_t count, std::size_t length, const Linereader &lines,
                   std::int64_t line) {
  const std::string declared = std::string(source) + " declares " + std::to_string(count) + " sequences";
  if (count > Mostrecords) Refuse(line, declared + ", more than 1000");
  if (count < 2) Refuse(line, declared + ", fewer than 2");
  if (length > Mostbases)
    Refuse(line, std::string(source) + " declares " + std::to_string(length) + " bases, more than 100000");
  // The text can be at most one byte longer than the file (a line feed added
  // at the end), so only a count within that needs the pass that measures it.
  if (count * length > lines.Filesize() + 1 || count * length > lines.Textsize())
    Refuse(line, declared + " of " + std::to_string(length) + " bases, more than the file holds");
}

void Checklength(std::string_view source, const Collected &records, std::size_t r, std::size_t length,
                 std::int64_t line, bool exact) {
  const std::size_t size = records.Lengths[r];
  if (size > length || (exact && size != length))
    Refuse(line, "sequence " + Shown(records.Data.Labels[r]) + " has " + std::to_string(size) + " bases, " +
                     std::string(source) + " declares " + std::to_string(length));
}

namespace {

// A group holds a match character where all three bits of a code are set.
void Resolve(const std::vector<std::uint8_t> &first, std::vector<std::uint8_t> &codes, std::size_t length) {
  for (int g = 0; static_cast<std::size_t>(g) * 8 < length; ++g) {
    const std::uint32_t bits = Getgroup(codes.data(), g);
    if ((bits & bits >> 1 & bits >> 2 & 0x249249u) == 0) continue;
    for (int p = 8 * g + 1; p <= 8 * g + 8; ++p)
      if (Getcode(codes.data(), p) == Unresolvedcode) Setcode(codes.data(), p, Getcode(first.data(), p));
  }
}

}  // namespace

Packedsample Finish(Collected &records) {
  const std::size_t count = records.Count();
  if (count < 2) Refuse(0, count == 0 ? "no sequences in the file" : "only 1 sequence; Halvik needs at least 2");
  const std::vector<std::string> &labels = records.Data.Labels;
  const std::size_t length = records.Lengths[0];
  if (length == 0) Refuse(records.Lines[0], "sequence " + Shown(labels[0]) + " has no bases");
  for (std::size_t r = 1; r < count; ++r)
    if (records.Lengths[r] != length)
      Refuse(records.Lines[r], "sequence " + Shown(labels[r]) + " has " + std::to_string(records.Lengths[r]) +
                                   " bases, the first sequence has " + std::to_string(length));
  std::vector<std::vector<std::uint8_t>> &codes = records.Data.Codes;
  for (std::size_t r = 1; r < count && records.Made.Matches > 0; ++r) Resolve(codes[0], codes[r], length);
  for (std::vector<std::uint8_t> &bytes : codes) {
    bytes.resize(Packedbytes(static_cast<int>(length)) + 2);
    bytes.shrink_to_fit();
  }
  records.Data.Length = static_cast<std::int32_t>(length);
  return std::move(records.Data);
}

}  // namespace halvik
