// Which of a VCF's samples the scan uses, and their localities.
#pragma once
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "alignment/alignment.h"
#include "alignment/groups.h"

namespace halvik {

// The samples in the scan's order, every locality's samples together:
// localities numbered by first appearance among the VCF's samples, samples
// in VCF order within a locality. Lineups and pair matrices index samples
// in this order.
struct Samplelayout {
  std::vector<std::int32_t> Columns;  // the VCF's sample column of each
  std::vector<std::string> Names;
  std::vector<std::int32_t> Locality;   // of each sample
  std::vector<std::string> Localities;  // their names
  std::vector<std::int32_t> Sizes;      // samples in each locality
  std::int32_t Leftout = 0;             // VCF samples the map does not name
};

inline constexpr std::int32_t Mosthaplotypes = 1000;

// The map's entries for the VCF's samples. Labels of the map that the VCF
// lacks are ignored. Refused: a sample the map puts in two localities, a map
// naming no sample of the VCF, fewer than two localities or more than 30, a
// locality of fewer than two samples, more than 1000 samples.
std::variant<Samplelayout, Refusal> Layout(const std::vector<std::string> &vcfsamples, const Groupmap &map,
                                           const std::string &mapname, const std::string &vcfname);

}  // namespace halvik
