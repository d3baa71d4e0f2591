// Where a scan's windows lie: the -w grid, or the intervals of a BED file,
// either within --region.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "alignment/alignment.h"
#include "scan/options.h"
#include "scan/vcf.h"

namespace halvik {

// 1-based, both ends included.
struct Stretch {
  std::int64_t Start, End;
  bool operator<(const Stretch &other) const { return Start != other.Start ? Start < other.Start : End < other.End; }
};

struct Windowplan {
  std::int64_t Size = 0, Step = 0;  // the grid; 0 with intervals
  std::optional<Scanregion> Region;
  // The intervals of each chromosome in order, and the chromosomes in the
  // order the BED file first names them.
  std::map<std::string, std::vector<Stretch>> Intervals;
  std::vector<std::string> Intervalchroms;

  bool Grid() const { return Size > 0; }
  bool Inregion(std::string_view chrom, std::int64_t position) const {
    return !Region || (chrom == Region->Chrom && position >= Region->From && position <= Region->To);
  }
};

// Reads the BED file's intervals (0-based starts, ends excluded) into the
// plan, each clipped to the region; those outside it are dropped. Refuses a
// malformed line, naming it.
std::optional<Refusal> Readbed(const std::string &name, std::string_view content, Windowplan &plan);

// What an index has to read for the plan: nothing (the whole file) for a
// grid over every chromosome.
std::vector<Readspan> Spansof(const Windowplan &plan);

}  // namespace halvik
