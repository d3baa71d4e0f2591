#include "stats/fastcounts.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "population/difftable.h"
#include "stats/fastbounds.h"
#include "stats/fastexact.h"
#include "stats/fastgather.h"
#include "stats/fastlineups.h"

namespace halvik {

Fastreport Lastfastreport;

namespace {

// The images of ln(1 + d) for the difference values of the table. Every sum
// of images, up to the total over all pairs, stays below 2^61, so that the
// bounds may double it and add the number of terms.
Logterms Logs;

// The table packed for the gathers (see Pairtable): a tenth faster while it
// stays in the second-level cache (512 KB here), slower beyond.
constexpr std::int32_t Packedseqs = 256;
static_assert(std::int64_t{Packedseqs - 1} * Maxsegsites < std::int64_t{1} << Packedshift);
std::uint64_t Packed[Packedseqs * Packedseqs];

// Everything a lineup's evaluation reads, fixed for the whole test.
struct Plan {
  std::int32_t N, Count;
  Starttable Start;
  std::array<double, Maxlocalities + 2> Weight, Pairs;  // Pairs as the estimators divide by
  std::array<std::int64_t, Maxlocalities + 2> Paircount;
  std::int32_t Betweenpairs;
  // The bounds' scales for the log sums within each locality and between.
  std::array<Boundscale, Maxlocalities + 2> Withinscale;
  Boundscale Betweenscale;
  // A locality whose sums follow from the others' and the row totals, when
  // that is cheaper than adding its own pairs (a large locality); 0 if none.
  int Derived;
  // Whether a lineup's records are sorted by locality before their pairs are
  // gathered, so that every row is walked forwards: worth its cost only for
  // a table too large for the second-level cache.
  bool Grouped;
  bool Packed;  // whether the gathers read the packed table
  std::int64_t Totaldiff, Totallog;
  std::int64_t Rowdiff[Maxseqs], Rowlog[Maxseqs];
  Observed Obs;
  // Whether the starred results rise and fall with their sums as the bounds
  // assume: positive weights, and a positive K*t to divide by.
  bool Monotoneweights, Monotonekstar;
};

Plan Setup;

struct alignas(64) Tally {
  Lineupcounts Counts;
  std::int64_t Exactwithin = 0, Exactbetween = 0;
};

enum class Verdict { Counted, Notcounted, Unsure };

Verdict Decide(double lowest, double highest, double observed) {
  if (lowest >= observed) return Verdict::Counted;
  if (!(highest >= observed)) return Verdict::Notcounted;
  return Verdict::Unsure;
}

// A lineup whose bounds left a starred result open, waiting for its exact
// within-locality sums.
struct Open {
  Verdict Kstar, Fstar;
  double Fblo, Fbhi;
};

// A worker's own working space: a lineup's records grouped by locality,
// ascending within each, with each record's locality; and copies of the
// lineups waiting to be settled.
struct Scratch {
  std::uint8_t Place[Maxseqs];
  std::int32_t Members[Maxseqs];
  std::int32_t Fill[Maxlocalities + 2];
  std::int32_t Orders[Maxlanes][Maxseqs];
  Open Opens[Maxlanes];
  int Waiting = 0;
};

// The log images and the row totals of the difference table.
void Preparetotals() {
  Plan &p = Setup;
  const std::int32_t n = p.N;
  std::int32_t maxdiff = 0;
  for (std::int32_t c = 0; c < n * n; ++c) maxdiff = std::max<std::int32_t>(maxdiff, Diffs.Cells[c]);
  const std::int64_t allpairs = std::max<std::int64_t>(1, std::int64_t{n} * (n - 1) / 2);
  std::int64_t limit = ((std::int64_t{1} << 61) - 1) / allpairs;
  // A packed row adds at most n - 1 cells.
  p.Packed = n <= Packedseqs;
  if (p.Packed) limit = std::min(limit, ((std::int64_t{1} << (64 - Packedshift)) - 1) / std::max(n - 1, 1));
  Setlogterms(Logs, maxdiff, limit);
  if (p.Packed)
    for (std::int32_t c = 0; c < n * n; ++c) Packed[c] = Packcell(Diffs.Cells[c], Logs.Fixed[Diffs.Cells[c]]);
  p.Totaldiff = p.Totallog = 0;
  for (std::int32_t x = 0; x < n; ++x) {
    std::int64_t rowdiff = 0, rowlog = 0;
    for (std::int32_t y = 0; y < n; ++y) {
      const std::uint16_t d = Diffs.Cells[x * n + y];
      rowdiff += d;
      rowlog += Logs.Fixed[d];
    }
    p.Rowdiff[x] = rowdiff;
    p.Rowlog[x] = rowlog;
    p.Totaldiff += rowdiff;
    p.Totallog += rowlog;
  }
  p.Totaldiff /= 2;
  p.Totallog /= 2;
}

void Preparelocalities(const Localities &division, const Observed &observed) {
  Plan &p = Setup;
  p.Count = division.Count;
  p.Start = division.Start;
  p.Obs = observed;
  p.Monotoneweights = true;
  p.Betweenpairs = 0;
  std::int64_t direct = 0;
  int largest = 1;
  for (int k = 1; k <= p.Count; ++k) {
    const std::int32_t m = p.Start[k + 1] - p.Start[k];
    p.Weight[k] = division.Weight[k];
    p.Pairs[k] = static_cast<double>(m * (m - 1)) / 2.0;
    p.Paircount[k] = std::int64_t{m} * (m - 1) / 2;
    direct += p.Paircount[k];
    p.Betweenpairs += m * (p.Start[p.Count + 1] - p.Start[k + 1]);
    if (!(p.Weight[k] > 0.0 && std::isfinite(p.Weight[k]))) p.Monotoneweights = false;
    if (m > p.Start[largest + 1] - p.Start[largest]) largest = k;
  }
  p.Monotonekstar = observed.Kstart > 0.0 && std::isfinite(observed.Kstart);
  for (int k = 1; k <= p.Count; ++k) p.Withinscale[k] = Scalefor(p.Paircount[k], Logs.Shift);
  p.Betweenscale = Scalefor(p.Betweenpairs, Logs.Shift);
  // Deriving the largest locality costs every pair of the rest, plus a row
  // total for each of their records: nothing at all for a single locality.
  const std::int64_t rest = p.N - (p.Start[largest + 1] - p.Start[largest]);
  p.Derived = p.Count >= 1 && rest * (rest - 1) / 2 + rest < direct ? largest : 0;
}

void Prepare(const Localities &division, const Observed &observed) {
  if (!Difftablecurrent()) Builddifftable();
  Setup.N = Pop.Numseqs;
  Setup.Grouped = Setup.N >= 512;
  Preparetotals();
  Preparelocalities(division, observed);
}

void Group(const std::int32_t *order, Scratch &s) {
  const Plan &p = Setup;
  for (int k = 1; k <= p.Count; ++k) {
    for (std::int32_t q = p.Start[k]; q < p.Start[k + 1]; ++q) s.Place[order[q - 1]] = static_cast<std::uint8_t>(k);
    s.Fill[k] = p.Start[k] - 1;
  }
  for (std::int32_t x = 0; x < p.N; ++x) s.Members[s.Fill[s.Place[x]]++] = x;
}

// The sums of d and of the log images over the pairs within each locality.
void Withinsums(const std::int32_t *order, const Scratch &s, std::int64_t *diff, std::int64_t *log) {
  const Plan &p = Setup;
  const std::int32_t *lineup = p.Grouped ? s.Members : order;
  auto members = [&](int k) { return lineup + p.Start[k] - 1; };
  auto size = [&](int k) { return p.Start[k + 1] - p.Start[k]; };
  const Pairtable table{Diffs.Cells, p.N, Logs.Fixed, p.Packed ? Packed : nullptr};
  Pairsums sums[Maxlocalities + 2]{};
  for (int k = 1; k <= p.Count; ++k)
    if (k != p.Derived) sums[k] = Gathertriangle(table, members(k), size(k));
  for (int k = 1; k <= p.Count; ++k) {
    diff[k] = sums[k].Diff;
    log[k] = sums[k].Log;
  }
  if (p.Derived == 0) return;
  // Over the records U outside the derived locality A: its pairs are all
  // pairs, less those with a record in U (U's row totals count the pairs
  // inside U twice), so sum(A) = total - rows(U) + sum(pairs inside U).
  Pairsums inside{};
  for (int k = 1; k <= p.Count; ++k) {
    if (k == p.Derived) continue;
    inside.Diff += diff[k];
    inside.Log += log[k];
    for (int j = k + 1; j <= p.Count; ++j) {
      if (j == p.Derived) continue;
      const Pairsums across = Gatherrectangle(table, members(k), size(k), members(j), size(j));
      inside.Diff += across.Diff;
      inside.Log += across.Log;
    }
  }
  std::int64_t rowdiff = 0, rowlog = 0;
  for (int k = 1; k <= p.Count; ++k) {
    if (k == p.Derived) continue;
    for (std::int32_t i = 0; i < size(k); ++i) {
      rowdiff += p.Rowdiff[members(k)[i]];
      rowlog += p.Rowlog[members(k)[i]];
    }
  }
  diff[p.Derived] = p.Totaldiff - rowdiff + inside.Diff;
  log[p.Derived] = p.Totallog - rowlog + inside.Log;
}

// The plain sums are sums of whole numbers, exact in any order: each
// statistic comes out to the bit as the estimators compute it.
void Countplain(const std::int64_t *diff, Tally &t) {
  const Plan &p = Setup;
  double ks = 0.0;
  std::int64_t within = 0;
  for (int k = 1; k <= p.Count; ++k) {
    const double kj = static_cast<double>(diff[k]) / p.Pairs[k];
    ks = ks + kj * p.Weight[k];
    within += diff[k];
  }
  if (1.0 - ks / p.Obs.Kt >= p.Obs.Kst) ++t.Counts.Kst;
  const double ft = static_cast<double>(p.Totaldiff - within) / static_cast<double>(p.Betweenpairs);
  if (1.0 - ks / ft >= p.Obs.Fst) ++t.Counts.Fst;
}

// The log sums are known only within bounds. Each starred result is a chain
// of rounded operations that rise (or fall) with the sums, so it lies between
// the chain's values at the ends of the bounds; where those straddle the
// observed value, the sums are added again in the estimators' order. Counts
// what the bounds decide; false if the lineup must wait for that.
bool Countstarred(const std::int64_t *log, Open &open, Tally &t) {
  const Plan &p = Setup;
  const Observed &o = p.Obs;
  double kslo = 0.0, kshi = 0.0;
  std::int64_t within = 0;
  for (int k = 1; k <= p.Count; ++k) {
    const Interval sum = Sumbounds(log[k], p.Withinscale[k]);
    kslo = kslo + sum.Lo / p.Pairs[k] * p.Weight[k];
    kshi = kshi + sum.Hi / p.Pairs[k] * p.Weight[k];
    within += log[k];
  }
  open.Kstar = Verdict::Unsure;
  if (p.Monotoneweights && p.Monotonekstar)
    open.Kstar = Decide(1.0 - kshi / o.Kstart, 1.0 - kslo / o.Kstart, o.Kstarst);
  // Without pairs between localities F*b is 0/0 and F*sb never counts.
  open.Fstar = Verdict::Notcounted;
  open.Fblo = open.Fbhi = 0.0;
  if (p.Betweenpairs > 0) {
    const Interval sum = Sumbounds(p.Totallog - within, p.Betweenscale);
    open.Fblo = sum.Lo / static_cast<double>(p.Betweenpairs);
    open.Fbhi = sum.Hi / static_cast<double>(p.Betweenpairs);
    open.Fstar = Verdict::Unsure;
    if (p.Monotoneweights && open.Fblo > 0.0)
      open.Fstar = Decide(1.0 - kshi / open.Fblo, 1.0 - kslo / open.Fbhi, o.Fstarsb);
  }
  if (open.Kstar == Verdict::Unsure || open.Fstar == Verdict::Unsure) return false;
  if (open.Kstar == Verdict::Counted) ++t.Counts.Kstarst;
  if (open.Fstar == Verdict::Counted) ++t.Counts.Fstarsb;
  return true;
}

// The lineups waiting in s, decided from their within sums added in the
// estimators' order, side by side.
void Settle(Scratch &s, Tally &t) {
  const Plan &p = Setup;
  const Observed &o = p.Obs;
  const Exactterms terms{Diffs.Cells, p.N, Logs.Real};
  const int lanes = s.Waiting;
  const std::int32_t *orders[Maxlanes];
  double kstars[Maxlanes] = {}, means[Maxlanes];
  for (int j = 0; j < lanes; ++j) orders[j] = s.Orders[j];
  for (int k = 1; k <= p.Count; ++k) {
    Withinstars(terms, orders, lanes, p.Start[k], p.Start[k + 1] - 1, means);
    for (int j = 0; j < lanes; ++j) kstars[j] = kstars[j] + means[j] * p.Weight[k];
  }
  for (int j = 0; j < lanes; ++j) {
    Open &open = s.Opens[j];
    if (open.Kstar == Verdict::Unsure)
      open.Kstar = 1.0 - kstars[j] / o.Kstart >= o.Kstarst ? Verdict::Counted : Verdict::Notcounted;
    if (open.Fstar == Verdict::Unsure && kstars[j] >= 0.0 && open.Fblo > 0.0)
      open.Fstar = Decide(1.0 - kstars[j] / open.Fblo, 1.0 - kstars[j] / open.Fbhi, o.Fstarsb);
    if (open.Fstar == Verdict::Unsure) {
      ++t.Exactbetween;
      const double fstarb = Betweenstar(terms, p.Start, p.Count, orders[j]);
      open.Fstar = 1.0 - kstars[j] / fstarb >= o.Fstarsb ? Verdict::Counted : Verdict::Notcounted;
    }
    if (open.Kstar == Verdict::Counted) ++t.Counts.Kstarst;
    if (open.Fstar == Verdict::Counted) ++t.Counts.Fstarsb;
  }
  s.Waiting = 0;
}

void Evaluate(const std::int32_t *order, Scratch &s, Tally &t) {
  if (Setup.Grouped) Group(order, s);
  std::int64_t diff[Maxlocalities + 2], log[Maxlocalities + 2];
  Withinsums(order, s, diff, log);
  Countplain(diff, t);
  if (Countstarred(log, s.Opens[s.Waiting], t)) return;
  ++t.Exactwithin;
  std::copy(order, order + Setup.N, s.Orders[s.Waiting]);
  if (++s.Waiting == Maxlanes) Settle(s, t);
}

// One per processor, unless the whole test is over before a thread would
// have started: a lineup costs about a nanosecond per draw (N ln N of them)
// and per pair gathered, and a thread some tens of microseconds.
int Autoworkers(std::int32_t lineups) {
  const Plan &p = Setup;
  double pairs = 0.0;
  for (int k = 1; k <= p.Count; ++k) pairs += static_cast<double>(p.Paircount[k]);
  const double draws = p.N * std::log(std::max(p.N, 2));
  if (static_cast<double>(lineups) * (draws + pairs) < 2e5) return 1;
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

Lineupcounts Fastcounts(const Localities &division, const Observed &observed, std::int32_t lineups, int workers) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  Prepare(division, observed);
  const Clock::time_point prepared = Clock::now();
  if (workers <= 0) workers = Autoworkers(lineups);
  workers = std::min(workers, 64);
  std::vector<Scratch> scratch(static_cast<std::size_t>(workers));
  std::vector<Tally> tallies(static_cast<std::size_t>(workers));
  Runlineups(Setup.N, lineups, workers, [&](int worker, const std::int32_t *order) {
    Evaluate(order, scratch[static_cast<std::size_t>(worker)], tallies[static_cast<std::size_t>(worker)]);
  });
  for (std::size_t w = 0; w < scratch.size(); ++w)
    if (scratch[w].Waiting > 0) Settle(scratch[w], tallies[w]);
  Lineupcounts counts;
  Lastfastreport = Fastreport{};
  Lastfastreport.Tableseconds = std::chrono::duration<double>(prepared - start).count();
  Lastfastreport.Lineupseconds = std::chrono::duration<double>(Clock::now() - prepared).count();
  Lastfastreport.Lineups = lineups > 0 ? lineups : 0;
  Lastfastreport.Workers = workers;
  for (const Tally &t : tallies) {
    counts.Kst += t.Counts.Kst;
    counts.Fst += t.Counts.Fst;
    counts.Kstarst += t.Counts.Kstarst;
    counts.Fstarsb += t.Counts.Fstarsb;
    Lastfastreport.Exactwithin += t.Exactwithin;
    Lastfastreport.Exactbetween += t.Exactbetween;
  }
  return counts;
}

}  // namespace halvik
