#include "scan/neighbours.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <map>
#include <numeric>

namespace halvik {

namespace {

// Haplotype i's nearest neighbours: how many lie in each sample.
struct Nearestof {
  std::int32_t Count = 0;                                        // T_i
  std::vector<std::pair<std::int32_t, std::int32_t>> Persample;  // (sample, neighbours in it)
};

// d_ij is differing records over common records (the window's records
// scale every pair alike). Two such fractions with denominators below 2^24
// as doubles, or below 2^31 as long doubles, keep their order and their
// equality: distinct ones lie further apart than the roundings. Doubles that
// are not negative order as their bits do, which the loops below compare as
// whole numbers.
template <class Number>
Number Smallest(const Number *row, std::int32_t from, std::int32_t to, Number best) {
  for (std::int32_t j = from; j < to; ++j) best = row[j] < best ? row[j] : best;
  return best;
}

template <class Number>
Nearestof Find(const std::vector<Number> &ratio, std::int32_t n, std::int32_t ploidy, std::int32_t i) {
  const Number *row = ratio.data() + static_cast<std::size_t>(i) * n;
  const std::int32_t own = i / ploidy * ploidy;
  const Number best = Smallest(row, own + ploidy, n, Smallest(row, 0, own, std::numeric_limits<Number>::max()));
  Nearestof nearest;
  for (std::int32_t j = 0; j < n; ++j) {
    if (row[j] != best || (j >= own && j < own + ploidy)) continue;
    ++nearest.Count;
    if (nearest.Persample.empty() || nearest.Persample.back().first != j / ploidy)
      nearest.Persample.emplace_back(j / ploidy, 0);
    ++nearest.Persample.back().second;
  }
  return nearest;
}

std::uint64_t Key(double ratio) { return std::bit_cast<std::uint64_t>(ratio); }
long double Key(long double ratio) { return ratio; }

template <class Number, class Ratio>
std::vector<Nearestof> Findall(const Pairimages &sums) {
  const std::int32_t n = sums.Haplotypes, ploidy = sums.Ploidy;
  thread_local std::vector<Number> ratio;
  ratio.resize(static_cast<std::size_t>(n) * n);  // every entry is written
  for (std::int32_t i = 0; i < n; ++i) ratio[static_cast<std::size_t>(i * n + i)] = Number{};
  for (std::int32_t a = 0; a < sums.Samples; ++a)
    for (std::int32_t b = a; b < sums.Samples; ++b) {
      const auto common = static_cast<Ratio>(sums.Common[static_cast<std::size_t>(a * sums.Samples + b)]);
      Eachpair(a, b, ploidy, [&](std::int32_t i, std::int32_t j) {
        ratio[static_cast<std::size_t>(i * n + j)] = ratio[static_cast<std::size_t>(j * n + i)] =
            Key(static_cast<Ratio>(sums.Differ[static_cast<std::size_t>(i * n + j)]) / common);
      });
    }
  std::vector<Nearestof> all;
  for (std::int32_t i = 0; i < n; ++i) all.push_back(Find(ratio, n, ploidy, i));
  return all;
}

// The least common multiple of the counts, or 0 once it passes `limit`.
std::int64_t Commonmultiple(const std::vector<Nearestof> &all, std::int64_t limit) {
  std::int64_t multiple = 1;
  for (const Nearestof &nearest : all) {
    const std::int64_t t = nearest.Count;
    const std::int64_t factor = t / std::gcd(multiple, t);
    if (multiple > limit / factor) return 0;
    multiple *= factor;
  }
  return multiple;
}

void Addsymmetric(std::vector<std::int64_t> &matrix, std::int32_t samples, std::int32_t a, std::int32_t b,
                  std::int64_t weight) {
  matrix[static_cast<std::size_t>(a * samples + b)] += weight;
  matrix[static_cast<std::size_t>(b * samples + a)] += weight;
}

}  // namespace

Neighbours Nearest(const Pairimages &sums, std::int64_t largest) {
  const std::int32_t n = sums.Haplotypes, samples = sums.Samples;
  const std::vector<Nearestof> all = sums.Records < (std::int64_t{1} << 24) ? Findall<std::uint64_t, double>(sums)
                                                                            : Findall<long double, long double>(sums);
  Neighbours result;
  const std::vector<std::int64_t> empty(static_cast<std::size_t>(samples) * samples, 0);
  // Every weight summed is at most N L: below 2^62.
  result.Scale = Commonmultiple(all, std::min(largest, (std::int64_t{1} << 62) / std::max(n, 1)));
  if (result.Scale > 0) {
    result.Matrices.assign(1, empty);
    for (std::int32_t i = 0; i < n; ++i)
      for (const auto &[b, count] : all[static_cast<std::size_t>(i)].Persample)
        Addsymmetric(result.Matrices[0], samples, i / sums.Ploidy, b,
                     count * (result.Scale / all[static_cast<std::size_t>(i)].Count));
    return result;
  }
  std::map<std::int32_t, std::size_t> slot;
  for (const Nearestof &nearest : all) slot.emplace(nearest.Count, 0);
  for (auto &[t, index] : slot) {
    index = result.Denominators.size();
    result.Denominators.push_back(static_cast<std::uint32_t>(t));
  }
  result.Matrices.assign(slot.size(), empty);
  result.Scale = 1;
  for (std::int32_t i = 0; i < n; ++i) {
    const Nearestof &nearest = all[static_cast<std::size_t>(i)];
    for (const auto &[b, count] : nearest.Persample)
      Addsymmetric(result.Matrices[slot.at(nearest.Count)], samples, i / sums.Ploidy, b, count);
  }
  return result;
}

}  // namespace halvik
