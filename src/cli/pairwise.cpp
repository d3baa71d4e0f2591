#include "cli/pairwise.h"

#include <bit>

#include "analysis/pipeline.h"
#include "stats/diversity.h"

namespace halvik {

namespace {

// The sites among the S of `pop` at which the members do not all carry the
// same code: the segregating sites of a file of these sequences alone (a site
// where they all agree was only segregating through the others).
std::int32_t Segregatingamong(const Population &pop, const std::vector<std::int32_t> &members) {
  const std::int32_t sites = pop.Numsegsites, groups = sites / 8;
  const Sitearray &first = pop.Seqs[members.front()].Sites;
  std::int32_t count = 0;
  for (std::int32_t g = 0; g < groups; ++g) {
    std::uint32_t differ = 0;
    for (const std::int32_t m : members) differ |= Getgroup(pop.Seqs[m].Sites, g) ^ Getgroup(first, g);
    count += std::popcount((differ | differ >> 1 | differ >> 2) & 0x249249u);  // bit 0 of each code
  }
  for (std::int32_t p = 8 * groups + 1; p <= sites; ++p)
    for (const std::int32_t m : members)
      if (Getcode(pop.Seqs[m].Sites, p) != Getcode(first, p)) {
        ++count;
        break;
      }
  return count;
}

// The distances among the members, as those of their own file: the same
// counts (a site where two of them differ segregates among them) and terms.
Distances Subdistances(const Distances &all, const std::vector<std::int32_t> &members) {
  Distances sub;
  const auto n = static_cast<std::int32_t>(members.size());
  sub.Diffs.Size = n;
  sub.Diffs.Cells.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  std::uint16_t largest = 0;
  for (std::int32_t x = 0; x < n; ++x)
    for (std::int32_t y = 0; y < n; ++y) {
      const std::uint16_t d = all.Diffs(members[static_cast<std::size_t>(x)], members[static_cast<std::size_t>(y)]);
      sub.Diffs.Cells[static_cast<std::size_t>(x) * static_cast<std::size_t>(n) + static_cast<std::size_t>(y)] = d;
      largest = std::max(largest, d);
    }
  sub.Logs.assign(all.Logs.begin(), all.Logs.begin() + largest + 1);
  sub.Length = all.Length;
  return sub;
}

Fileresult Testpair(const Analysis &analysis, const Fileresult &whole, const Filerequest &request, std::int32_t i,
                    std::int32_t j) {
  const Localities &division = analysis.Division;
  Fileresult row;
  row.File = whole.File;
  const Rangevalues &a = whole.Localities[static_cast<std::size_t>(i - 1)];
  const Rangevalues &b = whole.Localities[static_cast<std::size_t>(j - 1)];
  row.Pair = a.Name.empty() ? std::to_string(i) + "-" + std::to_string(j) : a.Name + "-" + b.Name;
  row.Lineups = request.Lineups;
  row.Seed = Pairseed(request.Seed, i, j);
  row.Notes = whole.Notes;
  std::vector<std::int32_t> members;
  for (const std::int32_t k : {i, j})
    for (std::int32_t r = division.Start[k]; r < division.Start[k + 1]; ++r) members.push_back(r);
  const auto n = static_cast<std::int32_t>(members.size());
  row.Sites = Segregatingamong(analysis.Pop(), members);
  if (row.Sites == 0) {
    row.Message = "There are no segregating sites in these sequences.";
    return row;
  }
  // The pair's own analysis from its division on, with the whole file's
  // differences among its members; it reports nothing.
  Analysis pair;
  pair.File = analysis.File;
  pair.Sample = analysis.Sample;
  pair.Differences = Subdistances(analysis.Differences, members);
  const std::int32_t starts[] = {1, a.Size + 1};
  pair.Division = Dividedat(starts, 2, n);
  pair.Stats = Subdivisionstats(pair.Differences, pair.Division);
  Seedgenerator(pair.Generator, row.Seed);
  Analysisreporter silent;
  Test(pair, request.Lineups, silent, Fastoptions{0, nullptr, nullptr, request.Progress});
  row.Stats = pair.Stats;
  row.Counts = pair.Counts;
  row.Ok = true;
  row.Sequences = n;
  row.Length = whole.Length;
  row.Pn = Pnof(row.Sites, row.Length);
  row.Theta = Thetaof(row.Sites, row.Length, n);
  for (std::int32_t k = 1; k <= 2; ++k) {
    const Rangevalues &from = k == 1 ? a : b;
    row.Localities.push_back(
        {from.Name, from.First, from.Last, from.Size, row.Stats.Pi[k], row.Stats.K[k], row.Stats.Kstar[k]});
  }
  row.Whole = {"", a.First, b.Last, n, row.Stats.Pi[0], row.Stats.K[0], row.Stats.Kstar[0]};
  return row;
}

}  // namespace

std::uint32_t Pairseed(std::uint32_t seed, std::int32_t i, std::int32_t j) {
  return seed + 1000u * static_cast<std::uint32_t>(i) + static_cast<std::uint32_t>(j);
}

std::vector<Fileresult> Testpairs(const Analysis &analysis, const Fileresult &whole, const Filerequest &request) {
  std::vector<Fileresult> rows;
  const std::int32_t count = analysis.Division.Count;
  if (count < 3) return rows;
  for (std::int32_t i = 1; i <= count; ++i)
    for (std::int32_t j = i + 1; j <= count; ++j) rows.push_back(Testpair(analysis, whole, request, i, j));
  return rows;
}

}  // namespace halvik
