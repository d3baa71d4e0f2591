// The population store: the sample of the current analysis.
#pragma once
#include <cstdint>
#include <string>

#include "store/limits.h"

namespace halvik {

// "A" 0, "G" 1, "C" 2, "T" 3, "N" 4, "-" 5; 6 and 7 stand for nothing.
using Nucleotidecode = std::uint8_t;

// Codes packed three bits each, back to back, as one bit stream read from
// each byte's most significant bit first. Position p (from 1) takes stream
// bits 3(p-1) .. 3(p-1)+2, most significant first, so a code may straddle two
// bytes (position 3: the last two bits of byte 0 and the first of byte 1).
// 10000 sites of 1000 sequences then fit in 3.75 MB.
// The bytes that hold positions 1..positions.
constexpr std::size_t Packedbytes(int positions) { return (3 * static_cast<std::size_t>(positions) + 7) / 8; }

template <int Positions>
struct Packedcodes {
  static constexpr int Size = Positions;
  std::uint8_t Bytes[Packedbytes(Positions)];
};
using Sitearray = Packedcodes<Maxsegsites>;
using Fullarray = Packedcodes<Maxlength>;

inline Nucleotidecode Getcode(const std::uint8_t *bytes, int p) {
  const unsigned bit = 3u * static_cast<unsigned>(p - 1);
  const unsigned byte = bit >> 3, shift = bit & 7u;
  unsigned window = static_cast<unsigned>(bytes[byte]) << 8;
  if (shift > 5) window |= bytes[byte + 1];
  return static_cast<Nucleotidecode>((window >> (13 - shift)) & 7u);
}

inline void Setcode(std::uint8_t *bytes, int p, Nucleotidecode c) {
  const unsigned bit = 3u * static_cast<unsigned>(p - 1);
  const unsigned byte = bit >> 3, shift = bit & 7u;
  const unsigned mask = 7u << (13 - shift), value = (c & 7u) << (13 - shift);
  bytes[byte] = static_cast<std::uint8_t>((bytes[byte] & ~(mask >> 8)) | (value >> 8));
  if (shift > 5) bytes[byte + 1] = static_cast<std::uint8_t>((bytes[byte + 1] & ~mask) | (value & 0xffu));
}

template <int Positions>
inline Nucleotidecode Getcode(const Packedcodes<Positions> &a, int p) {
  return Getcode(a.Bytes, p);
}

template <int Positions>
inline void Setcode(Packedcodes<Positions> &a, int p, Nucleotidecode c) {
  Setcode(a.Bytes, p, c);
}

// Eight codes fill exactly three bytes, so positions 8g+1..8g+8 are bytes
// 3g..3g+2: group g read or written whole, 24 bits with the first code in the
// highest three. The passes and the comparisons move codes a group at a time.
inline std::uint32_t Getgroup(const std::uint8_t *bytes, int g) {
  bytes += 3 * g;
  return static_cast<std::uint32_t>(bytes[0]) << 16 | static_cast<std::uint32_t>(bytes[1]) << 8 | bytes[2];
}

inline void Setgroup(std::uint8_t *bytes, int g, std::uint32_t bits) {
  bytes += 3 * g;
  bytes[0] = static_cast<std::uint8_t>(bits >> 16);
  bytes[1] = static_cast<std::uint8_t>(bits >> 8);
  bytes[2] = static_cast<std::uint8_t>(bits);
}

template <int Positions>
inline std::uint32_t Getgroup(const Packedcodes<Positions> &a, int g) {
  return Getgroup(a.Bytes, g);
}

template <int Positions>
inline void Setgroup(Packedcodes<Positions> &a, int g, std::uint32_t bits) {
  Setgroup(a.Bytes, g, bits);
}

struct Sequencerecord {
  std::string Otu;      // the label, at most 254 characters
  std::int32_t Length;  // nucleotides on the sequence's line
  Sitearray Sites;      // codes at the segregating sites 1..Numsegsites
};

struct Population {
  std::int32_t Seqlength;            // L, common to every sequence
  std::int32_t Numseqs;              // N
  std::int32_t Numsegsites;          // S
  Sequencerecord Seqs[Maxseqs + 1];  // records 1..Maxseqs; 0 is unused
};

extern Population Pop;

// n as decimal digits, zero-padded to five characters ("00007", "100000").
std::string Stringfromint(std::int32_t n);

}  // namespace halvik
