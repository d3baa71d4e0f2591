#include "cli/pairwise.h"

#include <bit>

#include "driver/console/sinks.h"
#include "store/store.h"
#include "stats/diversity.h"
#include "stats/permutation.h"
#include "stats/random.h"
#include "stats/subdivision.h"

namespace halvik {

namespace {

// The sites among the S of Pop at which the members do not all carry the
// same code: the segregating sites of a file of these sequences alone (a site
// where they all agree was only segregating through the others).
std::int32_t Segregatingamong(const std::vector<std::int32_t> &members) {
  const std::int32_t sites = Pop.Numsegsites, groups = sites / 8;
  const Sitearray &first = Pop.Seqs[members.front()].Sites;
  std::int32_t count = 0;
  for (std::int32_t g = 0; g < groups; ++g) {
    std::uint32_t differ = 0;
    for (const std::int32_t m : members) differ |= Getgroup(Pop.Seqs[m].Sites, g) ^ Getgroup(first, g);
    count += std::popcount((differ | differ >> 1 | differ >> 2) & 0x249249u);  // bit 0 of each code
  }
  for (std::int32_t p = 8 * groups + 1; p <= sites; ++p)
    for (const std::int32_t m : members)
      if (Getcode(Pop.Seqs[m].Sites, p) != Getcode(first, p)) {
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

// The results file is closed; what the stages would write of a pair goes
// nowhere while one of these lives.
struct Quietresults {
  Quietresults() { Outfile.Discard = true; }
  ~Quietresults() { Outfile.Discard = false; }
};

Fileresult Testpair(const Distances &distances, const Localities &division, const Fileresult &whole,
                    const Filerequest &request, std::int32_t i, std::int32_t j) {
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
  row.Sites = Segregatingamong(members);
  if (row.Sites == 0) {
    row.Message = "There are no segregating sites in these sequences.";
    return row;
  }
  const Distances sub = Subdistances(distances, members);
  const std::int32_t starts[] = {1, a.Size + 1};
  const Localities two = Dividedat(starts, 2, n);
  row.Stats = Subdivisionstats(sub, two);
  Seedrandom(row.Seed);
  row.Counts = Testlineups(sub, two, Testedvalues(row.Stats), request.Lineups,
                           Fastoptions{0, nullptr, nullptr, request.Progress});
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

std::vector<Fileresult> Testpairs(const Distances &distances, const Localities &division, const Fileresult &whole,
                                  const Filerequest &request) {
  std::vector<Fileresult> rows;
  if (division.Count < 3) return rows;
  const Quietresults quiet;
  for (std::int32_t i = 1; i <= division.Count; ++i)
    for (std::int32_t j = i + 1; j <= division.Count; ++j)
      rows.push_back(Testpair(distances, division, whole, request, i, j));
  return rows;
}

}  // namespace halvik
