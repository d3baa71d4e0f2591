#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "stats/fast/bounds.h"
#include "stats/fast/engine.h"
#include "stats/fast/exact.h"
#include "stats/fast/gather.h"
#include "stats/fast/lineups.h"
#include "stats/fast/ordered.h"
#include "stats/fast/plan.h"
#include "stats/tested.h"

namespace halvik {

namespace {

struct alignas(64) Tally {
  Lineupcounts Counts;
  std::int64_t Exactwithin = 0, Exactbetween = 0, Tailsums = 0, Tailretries = 0;

  void Add(Earlyends ends) {
    Tailsums += ends.Finished;
    Tailretries += ends.Retried;
  }
};

enum class Verdict { Counted, Notcounted, Unsure };

Verdict Decide(double lowest, double highest, double observed) {
  if (lowest >= observed) return Verdict::Counted;
  if (!(highest >= observed)) return Verdict::Notcounted;
  return Verdict::Unsure;
}

// A lineup waiting for its exact log sums: what the bounds left open, and its
// plain results.
struct Open {
  std::int32_t Number;  // in the order drawn
  Verdict Kstar, Fstar;
  double Fblo, Fbhi;
  double Kst, Fst;
};

// A worker's own working space: a lineup's records grouped by locality,
// ascending within each, with each record's locality; and copies of the
// lineups waiting to be settled, side by side (see Withinstars).
struct Scratch {
  std::uint8_t Place[Maxseqs];
  std::int32_t Members[Maxseqs];
  std::int32_t Fill[Maxlocalities + 2];
  std::uint16_t Lanes[Maxseqs * Maxlanes];
  Open Opens[Maxlanes];
  int Waiting = 0;
  // For the statistics counted from exact sums: each record's locality (by
  // record from 1), and a value per neighbour class.
  std::int32_t Places[Maxseqs + 1];
  std::vector<Wide> Classes;
  std::vector<std::int32_t> Counts;
};

// Where a worker's results go.
struct Sink {
  Tally &Into;
  Nullvalues *Null;
};

void Group(const Plan &p, const std::int32_t *order, Scratch &s) {
  for (int k = 1; k <= p.Count; ++k) {
    for (std::int32_t q = p.Start[k]; q < p.Start[k + 1]; ++q) s.Place[order[q - 1]] = static_cast<std::uint8_t>(k);
    s.Fill[k] = p.Start[k] - 1;
  }
  for (std::int32_t x = 0; x < p.N; ++x) s.Members[s.Fill[s.Place[x]]++] = x;
}

// The sums of d and of the log images over the pairs within each locality.
void Withinsums(const Plan &p, const std::int32_t *order, const Scratch &s, std::int64_t *diff, std::int64_t *log) {
  const std::int32_t *lineup = p.Grouped ? s.Members : order;
  auto members = [&](int k) { return lineup + p.Start[k] - 1; };
  auto size = [&](int k) { return p.Start[k + 1] - p.Start[k]; };
  const Pairtable table{p.Dist->Diffs.Cells.data(), p.N, p.Images.data(), p.Packed.empty() ? nullptr : p.Packed.data()};
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
      rowdiff += p.Rowdiff[static_cast<std::size_t>(members(k)[i])];
      rowlog += p.Rowlog[static_cast<std::size_t>(members(k)[i])];
    }
  }
  diff[p.Derived] = p.Totaldiff - rowdiff + inside.Diff;
  log[p.Derived] = p.Totallog - rowlog + inside.Log;
}

// The statistics counted from exact sums, for the lineup whose records'
// localities are in s.Places and whose within-locality sums of d are `diff`;
// its values go to `null` as lineup `number` when that is given.
void Countexact(const Plan &p, const std::int64_t *diff, Scratch &s, Tally &t, Nullvalues *null, std::int32_t number) {
  Wide within[Maxlocalities + 1];
  for (int k = 1; k <= p.Count; ++k) within[k] = diff[k];
  const Lineupsums sums{s.Places, within, s.Classes.data(), s.Counts.data()};
  for (const Testedstatistic &statistic : Testedstatistics) {
    if (statistic.Reaches == nullptr) continue;
    if (statistic.Reaches(*p.Exact, sums)) ++t.Counts[statistic.Id];
    if (null != nullptr)
      null->Values[statistic.Id][static_cast<std::size_t>(number)] = statistic.Value(*p.Exact, sums);
  }
}

// The plain sums are sums of whole numbers, exact in any order: each
// statistic comes out to the bit as the estimators compute it.
void Plainratios(const Plan &p, const std::int64_t *diff, Open &open, Tally &t) {
  double ks = 0.0;
  std::int64_t within = 0;
  for (int k = 1; k <= p.Count; ++k) {
    const double kj = static_cast<double>(diff[k]) / p.Pairs[k];
    ks = ks + kj * p.Weight[k];
    within += diff[k];
  }
  open.Kst = 1.0 - ks / p.Obs.Kt;
  if (open.Kst >= p.Obs.Kst) ++t.Counts[Testkst];
  const double ft = static_cast<double>(p.Totaldiff - within) / static_cast<double>(p.Betweenpairs);
  open.Fst = 1.0 - ks / ft;
  if (open.Fst >= p.Obs.Fst) ++t.Counts[Testfst];
}

// The log sums are known only within bounds. Each starred result is a chain
// of rounded operations that rise (or fall) with the sums, so it lies between
// the chain's values at the ends of the bounds; where those straddle the
// observed value, the sums are added again in the estimators' order. Counts
// what the bounds decide; false if the lineup must wait for that.
bool Countstarred(const Plan &p, const std::int64_t *log, Open &open, Tally &t) {
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
    open.Kstar = Decide(1.0 - kshi / o.Ktstar, 1.0 - kslo / o.Ktstar, o.Kststar);
  // Without pairs between localities F*b is 0/0 and F*sb never counts.
  open.Fstar = Verdict::Notcounted;
  open.Fblo = open.Fbhi = 0.0;
  if (p.Betweenpairs > 0) {
    const Interval sum = Sumbounds(p.Totallog - within, p.Betweenscale);
    open.Fblo = sum.Lo / static_cast<double>(p.Betweenpairs);
    open.Fbhi = sum.Hi / static_cast<double>(p.Betweenpairs);
    open.Fstar = Verdict::Unsure;
    if (p.Monotoneweights && open.Fblo > 0.0)
      open.Fstar = Decide(1.0 - kshi / open.Fblo, 1.0 - kslo / open.Fbhi, o.Fsbstar);
  }
  if (open.Kstar == Verdict::Unsure || open.Fstar == Verdict::Unsure) return false;
  if (open.Kstar == Verdict::Counted) ++t.Counts[Testkststar];
  if (open.Fstar == Verdict::Counted) ++t.Counts[Testfsbstar];
  return true;
}

// The lineups waiting in s, decided (and, when every value is wanted,
// recorded) from their log sums added in the estimators' order, side by side.
void Settle(const Plan &p, Scratch &s, Sink &sink) {
  const Observed &o = p.Obs;
  const Exactterms terms{p.Dist->Diffs.Cells.data(), p.N, p.Dist->Logs.data(), &p.Tail};
  const int lanes = s.Waiting;
  double ksstar[Maxlanes] = {}, means[Maxlanes], fbstar[Maxlanes];
  // When every value is wanted, the plain sums come from the same loads.
  std::int64_t diffs[Maxlanes][Maxlocalities + 2], within[Maxlanes] = {};
  // The rounded terms within localities, for ending the sums between them
  // early; -1 where they cannot.
  std::int64_t units[Maxlanes], withinunits[Maxlanes];
  std::fill_n(withinunits, lanes, p.Tail.Usable ? 0 : -1);
  for (int k = 1; k <= p.Count; ++k) {
    Withinstars(terms, s.Lanes, lanes, p.Start[k], p.Start[k + 1] - 1, means, p.Tail.Usable ? units : nullptr,
                p.Everyvalue ? within : nullptr);
    for (int j = 0; j < lanes; ++j) {
      ksstar[j] = ksstar[j] + means[j] * p.Weight[k];
      diffs[j][k] = within[j];
      withinunits[j] = withinunits[j] < 0 || units[j] < 0 ? -1 : withinunits[j] + units[j];
    }
  }
  if (p.Everyvalue) {
    sink.Into.Add(Betweenstars(terms, s.Lanes, lanes, p.Start, p.Count, withinunits, fbstar));
    for (int j = 0; j < lanes; ++j) {
      Plainratios(p, diffs[j], s.Opens[j], sink.Into);
      if (p.Exact == nullptr) continue;
      for (int k = 1; k <= p.Count; ++k)
        for (std::int32_t q = p.Start[k]; q < p.Start[k + 1]; ++q) s.Places[s.Lanes[(q - 1) * Maxlanes + j] + 1] = k;
      Countexact(p, diffs[j], s, sink.Into, sink.Null, s.Opens[j].Number);
    }
  }
  for (int j = 0; j < lanes; ++j) {
    Open &open = s.Opens[j];
    const double kststar = 1.0 - ksstar[j] / o.Ktstar;
    if (open.Kstar == Verdict::Unsure) open.Kstar = kststar >= o.Kststar ? Verdict::Counted : Verdict::Notcounted;
    if (open.Fstar == Verdict::Unsure && !p.Everyvalue && ksstar[j] >= 0.0 && open.Fblo > 0.0)
      open.Fstar = Decide(1.0 - ksstar[j] / open.Fblo, 1.0 - ksstar[j] / open.Fbhi, o.Fsbstar);
    if (open.Fstar == Verdict::Unsure) {
      ++sink.Into.Exactbetween;
      if (!p.Everyvalue)
        sink.Into.Add(Betweenstars(terms, s.Lanes + j, 1, p.Start, p.Count, withinunits + j, fbstar + j));
      open.Fstar = 1.0 - ksstar[j] / fbstar[j] >= o.Fsbstar ? Verdict::Counted : Verdict::Notcounted;
    }
    if (open.Kstar == Verdict::Counted) ++sink.Into.Counts[Testkststar];
    if (open.Fstar == Verdict::Counted) ++sink.Into.Counts[Testfsbstar];
    if (sink.Null != nullptr) {
      const auto r = static_cast<std::size_t>(open.Number);
      sink.Null->Values[Testkst][r] = open.Kst;
      sink.Null->Values[Testfst][r] = open.Fst;
      sink.Null->Values[Testkststar][r] = kststar;
      sink.Null->Values[Testfsbstar][r] = 1.0 - ksstar[j] / fbstar[j];
    }
  }
  s.Waiting = 0;
}

void Evaluate(const Plan &p, std::int32_t number, const std::int32_t *order, Scratch &s, Sink &sink) {
  Open &open = s.Opens[s.Waiting];
  open.Number = number;
  if (p.Everyvalue) {
    // The bounds decide nothing here: every value is summed exactly, the
    // plain ones with them.
    open.Kstar = open.Fstar = Verdict::Unsure;
    if (p.Betweenpairs == 0) open.Fstar = Verdict::Notcounted;
  } else {
    if (p.Grouped) Group(p, order, s);
    std::int64_t diff[Maxlocalities + 2], log[Maxlocalities + 2];
    Withinsums(p, order, s, diff, log);
    Plainratios(p, diff, open, sink.Into);
    if (p.Exact != nullptr) {
      Placesfromorder(*p.Division, order, s.Places);
      Countexact(p, diff, s, sink.Into, nullptr, number);
    }
    if (Countstarred(p, log, open, sink.Into)) return;
  }
  ++sink.Into.Exactwithin;
  for (std::int32_t q = 0; q < p.N; ++q) s.Lanes[q * Maxlanes + s.Waiting] = static_cast<std::uint16_t>(order[q]);
  if (++s.Waiting == Maxlanes) Settle(p, s, sink);
}

// One per processor, unless the whole test is over before a thread would
// have started: a lineup costs in the order of a nanosecond per draw (N ln N
// of them) and per pair gathered, and a thread some tens of microseconds.
int Autoworkers(const Plan &p, std::int32_t lineups) {
  double pairs = p.Everyvalue ? static_cast<double>(p.Betweenpairs) : 0.0;
  for (int k = 1; k <= p.Count; ++k) pairs += static_cast<double>(p.Paircount[k]);
  const double draws = p.N * std::log(std::max(p.N, 2));
  if (static_cast<double>(lineups) * (draws + pairs) < 2e5) return 1;
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

Lineupcounts Fastcounts(const Distances &distances, const Localities &division, const Observed &observed,
                        std::int32_t lineups, Mersennetwister &generator, const Fastoptions &options) {
  if (!distances.Whole()) return Orderedcounts(distances, division, observed, lineups, generator, options);
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  lineups = std::max(lineups, 0);
  Plan plan = Makeplan(distances, division, observed, options.Null != nullptr);
  plan.Exact = options.Exact;
  plan.Division = &division;
  if (options.Null != nullptr)
    for (std::vector<double> &values : options.Null->Values) values.assign(static_cast<std::size_t>(lineups), 0.0);
  const Clock::time_point prepared = Clock::now();
  int workers = options.Workers > 0 ? options.Workers : Autoworkers(plan, lineups);
  workers = std::min(workers, 64);
  std::vector<Scratch> scratch(static_cast<std::size_t>(workers));
  if (plan.Exact != nullptr)
    for (Scratch &s : scratch) {
      s.Classes.resize(plan.Exact->Nearest.Classes());
      s.Counts.assign(Countroom(*plan.Exact), 0);
    }
  std::vector<Tally> tallies(static_cast<std::size_t>(workers));
  std::vector<Sink> sinks;
  for (Tally &t : tallies) sinks.push_back(Sink{t, options.Null});
  Runlineups(plan.N, lineups, workers, generator, [&](int worker, std::int32_t number, const std::int32_t *order) {
    const auto w = static_cast<std::size_t>(worker);
    Evaluate(plan, number, order, scratch[w], sinks[w]);
    if (options.Progress != nullptr) options.Progress->fetch_add(1, std::memory_order_relaxed);
  });
  for (std::size_t w = 0; w < scratch.size(); ++w)
    if (scratch[w].Waiting > 0) Settle(plan, scratch[w], sinks[w]);
  Lineupcounts counts;
  Fastreport report;
  report.Tableseconds = std::chrono::duration<double>(prepared - start).count();
  report.Lineupseconds = std::chrono::duration<double>(Clock::now() - prepared).count();
  report.Lineups = lineups;
  report.Workers = workers;
  for (const Tally &t : tallies) {
    for (int id = 0; id < Testedcount; ++id) counts[id] += t.Counts[id];
    report.Exactwithin += t.Exactwithin;
    report.Exactbetween += t.Exactbetween;
    report.Tailsums += t.Tailsums;
    report.Tailretries += t.Tailretries;
  }
  if (options.Report != nullptr) *options.Report = report;
  return counts;
}

}  // namespace halvik
