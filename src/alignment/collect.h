// What the format readers share: the limits, the refusal they raise, and the
// records they collect, packed as the bases are met with the character
// conversions applied.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "alignment/alignment.h"
#include "alignment/lines.h"
#include "store/limits.h"
#include "store/packedsample.h"

namespace halvik {

inline constexpr std::size_t Mostrecords = Maxseqs;
inline constexpr std::size_t Mostbases = Maxlength;
inline constexpr std::size_t Longestname = Longestlabel;
// A file of 1000 records of 100000 bases fits even when an interleaved format
// repeats long labels in every block; anything larger is refused unread.
inline constexpr std::size_t Largestfile = std::size_t{1} << 30;

// A refusal raised inside the readers and turned into a Refusal at the top;
// Line 0 when it concerns no one line.
struct Badinput {
  std::int64_t Line;
  std::string Reason;
};
[[noreturn]] void Refuse(std::int64_t line, std::string reason);

// A label as messages name it.
std::string Shown(std::string_view label);
// Blank or tab: what separates bases in every format but Halvik's own.
inline bool Isblank(char c) { return c == ' ' || c == '\t'; }
// Any white space (isspace) ends a label in the other formats, as their other readers take names.
inline bool Isspace(char c) { return Isblank(c) || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool Allblank(std::string_view line);
// A decimal number after any blanks at the start of `text`, taken off it; 0 if
// there is none, and beyond every limit (without overflow) if it is long.
std::size_t Number(std::string_view &text);
inline std::string_view Trimfront(std::string_view text) {
  while (!text.empty() && Isspace(text.front())) text.remove_prefix(1);
  return text;
}

// The NEXUS symbols read from FORMAT; 0 where none applies.
struct Symbols {
  char Match = 0, Missing = 0, Gap = 0;
};

// Records in file order. Data.Labels are cut at the first blank; Data.Codes[r]
// holds Lengths[r] codes (Unresolvedcode for a match character) packed as
// Packedsample lays them, grown a group of eight positions (three bytes) at a
// time and reserved ahead from the declared length or the record before, so
// that memory holds little more than the packed sample. Lines holds the line
// of each label, for messages.
struct Collected {
  Packedsample Data;
  std::vector<std::size_t> Lengths;
  std::vector<std::int64_t> Lines;
  Conversions Made;
  std::size_t Declared = 0;  // the length the file declares, if it does

  std::size_t Count() const { return Lines.size(); }
  // Starts a record; `cut` cuts the label at its first blank (counted).
  void Addrecord(std::string_view label, std::int64_t line, bool cut);
  // Appends the bases of `text` (one line or a part of one) to record r,
  // skipping blanks when `skipblanks`; any other character that is no base is refused.
  void Addbases(std::size_t r, std::string_view text, std::int64_t line, bool skipblanks, Symbols symbols = {});

 private:
  void Pack(std::size_t r, const std::uint8_t *codes, std::size_t count);
};

// Counts declared before the records (`source`: a PHYLIP header, NEXUS
// DIMENSIONS), checked against the limits and against the size of the text
// before any record is read.
void Checkdeclared(std::string_view source, std::size_t count, std::size_t length, const Linereader &lines,
                   std::int64_t line);
// Refuses record r when it holds more bases than declared, or with `exact` any other number.
void Checklength(std::string_view source, const Collected &records, std::size_t r, std::size_t length,
                 std::int64_t line, bool exact);

// The checks every format shares (count, lengths), then the match characters
// resolved against the first sequence and each record's codes in the size
// Packedsample gives them.
Packedsample Finish(Collected &records);

}  // namespace halvik
