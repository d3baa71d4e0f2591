// A whole alignment held in memory, as the readers of other formats make it:
// every sequence's codes at every position, packed as the store packs them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "store/store.h"

namespace halvik {

// Codes[i] holds sequence i's Length positions, three bits each, laid out as
// Packedcodes lays them (position p at stream bits 3(p-1)..3(p-1)+2), in
// Packedbytes(Length) bytes and two more, so that a group of eight read whole
// never runs off the end. At 3 bits a base, 1000 sequences of 100000 bases
// take 37.5 MB: the sample can be held while a file of 100 MB is streamed.
struct Packedsample {
  std::int32_t Length = 0;
  std::vector<std::string> Labels;
  std::vector<std::vector<std::uint8_t>> Codes;

  std::int32_t Count() const { return static_cast<std::int32_t>(Labels.size()); }
};

// Code 7 stands for no base: a NEXUS match character not yet resolved
// against the first sequence.
inline constexpr Nucleotidecode Unresolvedcode = 7;

}  // namespace halvik
