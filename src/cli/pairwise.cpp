#include "cli/pairwise.h"

#include <algorithm>
#include <bit>

#include "analysis/pipeline.h"
#include "driver/console/failure.h"
#include "stats/diversity.h"

namespace halvik {

namespace {

// The sites among the S of `pop` that segregate among the members, as in a
// file of these sequences alone (a site where they all agree was only
// segregating through the others): where their codes are not all one, or,
// under pairwise deletion, their bases (A, C, G, T). Also how many of them
// hold N or - among the members.
struct Segregating {
  std::int32_t Sites = 0, Gapped = 0;
};

// Eight sites at a time: a site differs where some member's code differs
// from the first member's, and holds a gap or N where some code's bit 2 is set.
Segregating Codessegregating(const Population &pop, const std::vector<std::int32_t> &members) {
  constexpr std::uint32_t Lowbits = 0x249249u, Highbits = 0x924924u;  // bit 0, and bit 2, of each code
  const std::int32_t sites = pop.Numsegsites, groups = sites / 8;
  const Sitearray &first = pop.Seqs[members.front()].Sites;
  Segregating found;
  for (std::int32_t g = 0; g < groups; ++g) {
    std::uint32_t differ = 0, gaps = 0;
    for (const std::int32_t m : members) {
      const std::uint32_t group = Getgroup(pop.Seqs[m].Sites, g);
      differ |= group ^ Getgroup(first, g);
      gaps |= group & Highbits;
    }
    const std::uint32_t lanes = (differ | differ >> 1 | differ >> 2) & Lowbits;
    found.Sites += std::popcount(lanes);
    found.Gapped += std::popcount(lanes & gaps >> 2);
  }
  for (std::int32_t p = 8 * groups + 1; p <= sites; ++p) {
    bool differ = false, gap = false;
    for (const std::int32_t m : members) {
      differ = differ || Getcode(pop.Seqs[m].Sites, p) != Getcode(first, p);
      gap = gap || Getcode(pop.Seqs[m].Sites, p) >= 4;
    }
    found.Sites += differ;
    found.Gapped += differ && gap;
  }
  return found;
}

Segregating Segregatingamong(const Population &pop, const std::vector<std::int32_t> &members, bool calledonly) {
  if (!calledonly) return Codessegregating(pop, members);
  Segregating found;
  for (std::int32_t p = 1; p <= pop.Numsegsites; ++p) {
    Nucleotidecode base = 4;
    bool differ = false, gap = false;
    for (const std::int32_t m : members) {
      const Nucleotidecode code = Getcode(pop.Seqs[m].Sites, p);
      gap = gap || code >= 4;
      differ = differ || (code < 4 && base < 4 && code != base);
      if (code < 4) base = code;
    }
    found.Sites += differ;
    found.Gapped += differ && gap;
  }
  return found;
}

// The distances among the members, as those of their own file: the same
// counts (a site where two of them differ segregates among them) and terms.
Distances Subdistances(const Distances &all, const std::vector<std::int32_t> &members) {
  Distances sub;
  const auto n = static_cast<std::int32_t>(members.size());
  const auto cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  sub.Diffs.Size = n;
  sub.Length = all.Length;
  if (!all.Whole()) {
    sub.Ratios.resize(cells);
    sub.Ratiologs.resize(cells);
  } else {
    sub.Diffs.Cells.resize(cells);
  }
  std::uint16_t largest = 0;
  for (std::int32_t x = 1; x <= n; ++x)
    for (std::int32_t y = 1; y <= n; ++y) {
      const std::int32_t a = members[static_cast<std::size_t>(x - 1)], b = members[static_cast<std::size_t>(y - 1)];
      if (!all.Whole()) {
        sub.Ratios[sub.Cell(x, y)] = all.Ratios[all.Cell(a, b)];
        sub.Ratiologs[sub.Cell(x, y)] = all.Ratiologs[all.Cell(a, b)];
        continue;
      }
      sub.Diffs.Cells[sub.Cell(x, y)] = all.Diffs(a, b);
      largest = std::max(largest, all.Diffs(a, b));
    }
  if (all.Whole()) sub.Logs.assign(all.Logs.begin(), all.Logs.begin() + largest + 1);
  return sub;
}

// The fewest positions two of the members share, under pairwise deletion.
std::int32_t Fewestshared(const Analysis &analysis, const std::vector<std::int32_t> &members) {
  std::int32_t fewest = analysis.Pop().Seqlength;
  const auto n = static_cast<std::size_t>(analysis.Pop().Numseqs);
  for (std::size_t x = 0; x < members.size(); ++x)
    for (std::size_t y = x + 1; y < members.size(); ++y)
      fewest = std::min(fewest, analysis.Shared[static_cast<std::size_t>(members[x] - 1) * n +
                                                static_cast<std::size_t>(members[y] - 1)]);
  return fewest;
}

// The pair's own analysis from its division on, with the whole file's
// differences among its members; it reports nothing.
void Testamong(const Analysis &analysis, const std::vector<std::int32_t> &members, std::int32_t first,
               const Filerequest &request, Fileresult &row) {
  Analysis pair;
  pair.File = analysis.File;
  pair.Sample = analysis.Sample;
  pair.Extended = request.Extended;
  pair.Differences = Subdistances(analysis.Differences, members);
  const std::int32_t starts[] = {1, first};
  pair.Division = Dividedat(starts, 2, static_cast<std::int32_t>(members.size()));
  Seedgenerator(pair.Generator, row.Seed);
  Analysisreporter silent;
  Observedivision(pair, silent);
  Test(pair, request.Lineups, silent, Fastoptions{request.Workers, nullptr, nullptr, request.Progress});
  row.Stats = pair.Stats;
  row.Counts = pair.Counts;
  row.Shares = pair.Shares;
}

// A division and a number of lineups given, not asked.
class Fixedanswers : public Answers {
 public:
  Fixedanswers(std::int32_t first, std::int32_t lineups) : First(first), Count(lineups) {}
  Localities Division(const Population &pop, Analysisreporter &) override {
    const std::int32_t starts[] = {1, First};
    return Dividedat(starts, 2, pop.Numseqs);
  }
  std::int32_t Lineups() override { return Count; }

 private:
  std::int32_t First, Count;
};

// The pair's sequences as a file of their own, searched and tested afresh.
void Analyseamong(const Packedsample &sample, const std::vector<std::int32_t> &members, std::int32_t first,
                  const Filerequest &request, Fileresult &row) {
  Packedsample own;
  own.Length = sample.Length;
  for (const std::int32_t m : members) {
    own.Labels.push_back(sample.Labels[static_cast<std::size_t>(m - 1)]);
    own.Codes.push_back(sample.Codes[static_cast<std::size_t>(m - 1)]);
  }
  Analysis pair = Analysis::Owning(request.File);
  pair.Policy = Sitepolicy{request.Missing, true};
  pair.Extended = request.Extended;
  Seedgenerator(pair.Generator, row.Seed);
  Fixedanswers answers(first, request.Lineups);
  Analysisreporter silent;
  try {
    Runanalysis(pair, Samplesource{{request.File}, &own}, answers, silent,
                Fastoptions{request.Workers, nullptr, nullptr, request.Progress});
  } catch (const Fatalerror &refusal) {
    row.Message = refusal.Message;
    return;
  }
  const std::string name = row.Pair;
  Fileresult figures;
  Takefigures(pair, figures);
  const std::string warning =
      Gapwarning(pair.Policy.Missing, pair.Pop().Numsegsites, pair.Gaps.Sites, pair.Gaps.Columns, pair.Gaps.Kept);
  if (!warning.empty()) figures.Warnings.push_back(warning);
  figures.File = row.File;
  figures.Pair = name;
  figures.Lineups = row.Lineups;
  figures.Seed = row.Seed;
  figures.Notes = row.Notes;
  row = std::move(figures);
}

Fileresult Testpair(const Analysis &analysis, const Fileresult &whole, const Filerequest &request,
                    const Packedsample *sample, std::int32_t i, std::int32_t j) {
  const Localities &division = analysis.Division;
  Fileresult row;
  row.File = whole.File;
  const Rangevalues &a = whole.Localities[static_cast<std::size_t>(i - 1)];
  const Rangevalues &b = whole.Localities[static_cast<std::size_t>(j - 1)];
  row.Pair = a.Name.empty() ? std::to_string(i) + "-" + std::to_string(j) : a.Name + "-" + b.Name;
  row.Lineups = request.Lineups;
  row.Seed = Pairseed(request.Seed, i, j);
  row.Notes = whole.Notes;
  row.Missing = whole.Missing;
  std::vector<std::int32_t> members;
  for (const std::int32_t k : {i, j})
    for (std::int32_t r = division.Start[k]; r < division.Start[k + 1]; ++r) members.push_back(r);
  const auto n = static_cast<std::int32_t>(members.size());
  if (whole.Missing == Missingpolicy::Complete && sample != nullptr) {
    Analyseamong(*sample, members, a.Size + 1, request, row);
    for (std::size_t k = 0; k < row.Localities.size(); ++k) row.Localities[k].Name = (k == 0 ? a : b).Name;
    return row;
  }
  const bool pairwise = whole.Missing == Missingpolicy::Pairwise;
  const Segregating segregating = Segregatingamong(analysis.Pop(), members, pairwise);
  row.Sites = segregating.Sites;
  row.Gappedsites = segregating.Gapped;
  const std::string warning = Gapwarning(whole.Missing, row.Sites, row.Gappedsites, 0, whole.Length);
  if (!warning.empty()) row.Warnings.push_back(warning);
  if (row.Sites == 0) {
    row.Message = "There are no segregating sites in these sequences.";
    return row;
  }
  Testamong(analysis, members, a.Size + 1, request, row);
  row.Status = Filestatus::Ok;
  row.Sequences = n;
  row.Length = whole.Length;
  row.Positions = pairwise ? Fewestshared(analysis, members) : whole.Positions;
  row.Pn = Pnof(row.Sites, row.Length);
  row.Theta = Thetaof(row.Sites, row.Length, n);
  row.Thetaw = Thetawof(row.Sites, row.Length, n);
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

std::vector<Fileresult> Testpairs(const Analysis &analysis, const Fileresult &whole, const Filerequest &request,
                                  const Packedsample *sample) {
  std::vector<Fileresult> rows;
  const std::int32_t count = analysis.Division.Count;
  if (count < 3) return rows;
  for (std::int32_t i = 1; i <= count; ++i)
    for (std::int32_t j = i + 1; j <= count; ++j) rows.push_back(Testpair(analysis, whole, request, sample, i, j));
  return rows;
}

}  // namespace halvik
