#include "scan/lineups.h"

#include <numeric>

#include "stats/fast/lineups.h"
#include "stats/random.h"

namespace halvik {

Lineupset Drawlineups(const std::vector<std::int32_t> &sizes, std::int32_t count, std::uint32_t seed) {
  Lineupset set;
  set.Sizes = sizes;
  set.Localities = static_cast<std::int32_t>(sizes.size());
  set.Samples = std::accumulate(sizes.begin(), sizes.end(), 0);
  set.Count = count;
  std::vector<std::uint8_t> position;  // the locality of each position
  for (std::size_t k = 0; k < sizes.size(); ++k) position.insert(position.end(), static_cast<std::size_t>(sizes[k]), k);
  set.Locality.resize(static_cast<std::size_t>(set.Samples) * static_cast<std::size_t>(count));
  Mersennetwister generator;
  Seedgenerator(generator, seed);
  const std::size_t samples = static_cast<std::size_t>(set.Samples);
  Runlineups(set.Samples, count, 1, generator, [&](int, std::int32_t r, const std::int32_t *order) {
    std::uint8_t *row = set.Locality.data() + static_cast<std::size_t>(r) * samples;
    for (std::size_t p = 0; p < samples; ++p) row[order[p]] = position[p];
  });
  return set;
}

}  // namespace halvik
