// What the format readers share: the limits, the refusal they raise, the text
// after the clean-up common to all formats, and the records they collect with
// the character conversions applied as the bases are met.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "alignment/alignment.h"
#include "store/limits.h"

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

// The file after the common clean-up: a carriage return at a line end
// dropped, a line feed added after a last line without one, and for the other
// formats a leading byte-order mark dropped. Line numbers stay those of the
// file. Text is the content itself unless something had to change.
struct Cleantext {
  std::string_view Text;
  std::int64_t Carriagereturns = 0;
  std::string Copy;
  Cleantext(std::string_view content, bool dropmark);
  Cleantext(const Cleantext &) = delete;
  Cleantext &operator=(const Cleantext &) = delete;
};

// The lines of a cleaned text in order, each without its line feed.
struct Linecursor {
  std::string_view Text;
  std::size_t Position = 0;
  std::int64_t Number = 0;  // of the line Next returned last
  bool Next(std::string_view &line);
};

// The NEXUS symbols read from FORMAT; 0 where none applies.
struct Symbols {
  char Match = 0, Missing = 0, Gap = 0;
};
// Where a match character stands until it is resolved against the first sequence.
inline constexpr char Unresolved = '.';

// Records in file order, in parallel vectors so that a Sample can take its
// Labels and Sequences whole: Labels cut at the first blank, Lines the line of
// each label (for messages), Sequences converted to A C G T N - (and
// Unresolved), each at most Mostbases long.
struct Collected {
  std::vector<std::string> Labels, Sequences;
  std::vector<std::int64_t> Lines;
  Conversions Made;

  // Starts a record; `cut` cuts the label at its first blank (counted).
  void Addrecord(std::string_view label, std::int64_t line, bool cut);
  // Appends the bases of `text` (one line or a part of one) to record r,
  // skipping blanks when `skipblanks`; any other character that is no base is refused.
  void Addbases(std::size_t r, std::string_view text, std::int64_t line, bool skipblanks, Symbols symbols = {});
};

// Counts declared before the records (`source`: a PHYLIP header, NEXUS
// DIMENSIONS), checked against the limits and against the file's size before
// any record is read.
void Checkdeclared(std::string_view source, std::size_t count, std::size_t length, std::size_t filesize,
                   std::int64_t line);
// Refuses record r when it holds more bases than declared, or with `exact` any other number.
void Checklength(std::string_view source, const Collected &records, std::size_t r, std::size_t length,
                 std::int64_t line, bool exact);

}  // namespace halvik
