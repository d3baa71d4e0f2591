// The nucleotide characters and their 3-bit codes.
#pragma once
#include <array>
#include <cstdint>

#include "store/store.h"

namespace halvik {

// Marks a byte that is no nucleotide in Codetable; no code has this bit.
inline constexpr std::uint8_t Notanucleotide = 0x80;

// Code of every byte: "A" 0, "G" 1, "C" 2, "T" 3, "N" 4, "-" 5, anything else
// (lower case, blanks, tabs, carriage returns) Notanucleotide. A whole table
// keeps the per-character work of the passes over the file to one load.
inline constexpr std::array<std::uint8_t, 256> Codetable = [] {
  std::array<std::uint8_t, 256> table{};
  table.fill(Notanucleotide);
  table['A'] = 0;
  table['G'] = 1;
  table['C'] = 2;
  table['T'] = 3;
  table['N'] = 4;
  table['-'] = 5;
  return table;
}();

inline constexpr char Codechars[] = "AGCTN-";

// Raise the fatal data errors of the two conversions.
[[noreturn]] void Impropercharacter(char c);
[[noreturn]] void Impropernucleotide();

// The code of a nucleotide character; any other character is a fatal data error.
inline Nucleotidecode Chartonucleotide(char c) {
  const std::uint8_t code = Codetable[static_cast<unsigned char>(c)];
  if (code == Notanucleotide) Impropercharacter(c);
  return code;
}

// The character of a code 0 to 5; any other value is a fatal data error.
inline char Nucleotidetochar(Nucleotidecode code) {
  if (code > 5) Impropernucleotide();
  return Codechars[code];
}

}  // namespace halvik
