#include "stats/enumeration.h"

#include <cmath>
#include <vector>

#include "stats/amova.h"
#include "stats/enumerationstate.h"

namespace halvik {

namespace {

// C(m, r), or nothing above Enumerationlimit: C(m, i) rises with i up to
// r <= m / 2, so no partial product passes the limit unless the result does.
std::optional<std::int64_t> Binomial(std::int64_t m, std::int64_t r) {
  r = std::min(r, m - r);
  std::int64_t value = 1;
  for (std::int64_t i = 0; i < r; ++i) {
    value = value * (m - i) / (i + 1);
    if (value > Enumerationlimit) return std::nullopt;
  }
  return value;
}

// Where the observed values stand, and what each division is compared with.
struct Observedside {
  std::array<double, 4> Threshold{};
  std::array<Wide, Maxlocalities + 1> Within{};
  std::vector<Wide> Snn;
};

// The lowest value that counts: the observed one less 1e-12 max(1, |x|),
// so that the observed division counts whatever the order of summation.
double Threshold(double observed) {
  if (!std::isfinite(observed)) return observed;
  return observed - 1e-12 * std::max(1.0, std::fabs(observed));
}

// Every division once: the records outside the largest locality placed
// locality by locality, each locality's records in rising order.
class Walk {
 public:
  Walk(const Enumerationtables &tables, const Localities &division, const Neighbours &neighbours, const Phistplan &plan,
       const Observedside &observed)
      : T(tables), Division(division), Nearest(neighbours), Plan(plan), Seen(observed), State(Startstate(tables)) {
    for (std::int32_t k = 1; k <= tables.Count; ++k)
      if (k != tables.Big) Order.push_back(k);
  }

  void Run() { Descend(0, 0, 0); }

  std::int64_t Divisions = 0;
  std::array<std::int64_t, Exactcount> Count{};

 private:
  void Descend(std::size_t slot, std::int32_t placed, std::int32_t from) {
    if (slot == Order.size()) return Visit();
    const std::int32_t k = Order[slot], need = T.Sizes[static_cast<std::size_t>(k)];
    if (placed == need) return Descend(slot + 1, 0, 0);
    for (std::int32_t x = from; x <= T.N - (need - placed); ++x) {
      if (State.Place[static_cast<std::size_t>(x)] != T.Big) continue;
      Place(T, State, x, k);
      Descend(slot, placed + 1, x + 1);
      Unplace(T, State);
    }
  }

  void Visit() {
    ++Divisions;
    const std::array<double, 4> ratios = Ratiosof(T, Division, State.Within.data(), State.Withinlogs.data());
    for (std::size_t s = 0; s < ratios.size(); ++s) Count[s] += ratios[s] >= Seen.Threshold[s];
    Count[Exactsnn] += Snnatleast(Nearest, State.Snn.data(), Seen.Snn.data());
    Count[Exactphist] += Phistatleast(Plan, State.Within.data(), Seen.Within.data());
  }

  const Enumerationtables &T;
  const Localities &Division;
  const Neighbours &Nearest;
  const Phistplan &Plan;
  const Observedside &Seen;
  Enumerationstate State;
  std::vector<std::int32_t> Order;  // the localities other than the largest
};

// The observed division's exact sums, pair by pair.
void Observe(const Enumerationtables &t, const Localities &division, const Neighbours &neighbours, Observedside &seen,
             std::array<Wide, Maxlocalities + 1> &logs) {
  std::vector<std::int32_t> place(static_cast<std::size_t>(t.N) + 1, 0);
  Placesof(division, Identitylineup(t.N), place.data());
  for (std::int32_t x = 0; x < t.N; ++x)
    for (std::int32_t y = x + 1; y < t.N; ++y)
      if (place[static_cast<std::size_t>(x) + 1] == place[static_cast<std::size_t>(y) + 1]) {
        const std::size_t cell =
            static_cast<std::size_t>(x) * static_cast<std::size_t>(t.N) + static_cast<std::size_t>(y);
        seen.Within[static_cast<std::size_t>(place[static_cast<std::size_t>(x) + 1])] += t.Units[cell];
        logs[static_cast<std::size_t>(place[static_cast<std::size_t>(x) + 1])] += t.Logs[cell];
      }
  seen.Snn.assign(neighbours.Classes(), 0);
  Snnsums(neighbours, place.data(), seen.Snn.data());
}

Exactshares Unavailable() {
  Exactshares shares;
  shares.Share.fill(std::nan(""));
  shares.Observed.fill(std::nan(""));
  return shares;
}

}  // namespace

std::optional<std::int64_t> Divisioncount(const Localities &division) {
  std::int64_t count = 1, placed = 0;
  for (std::int32_t k = 1; k <= division.Count; ++k) {
    const std::int64_t n = division.Start[k + 1] - division.Start[k];
    placed += n;
    const std::optional<std::int64_t> ways = Binomial(placed, n);
    if (!ways || *ways > Enumerationlimit / count) return std::nullopt;
    count *= *ways;
  }
  return count;
}

Exactshares Exactpvalues(const Distances &distances, const Localities &division, const Neighbours &neighbours) {
  if (division.Count < 2 || !Divisioncount(division)) return Unavailable();
  const Enumerationtables tables = Maketables(distances, division, neighbours);
  Observedside seen;
  std::array<Wide, Maxlocalities + 1> logs{};
  Observe(tables, division, neighbours, seen, logs);
  const Phistplan plan = Planphist(division, tables.Totalunits, distances.Unitshift());
  Exactshares shares;
  const std::array<double, 4> ratios = Ratiosof(tables, division, seen.Within.data(), logs.data());
  for (std::size_t s = 0; s < ratios.size(); ++s) {
    shares.Observed[s] = ratios[s];
    seen.Threshold[s] = Threshold(ratios[s]);
  }
  shares.Observed[Exactsnn] = Snnvalue(neighbours, seen.Snn.data());
  shares.Observed[Exactphist] = Phistvalue(plan, seen.Within.data());
  Walk walk(tables, division, neighbours, plan, seen);
  walk.Run();
  shares.Divisions = walk.Divisions;
  shares.Count = walk.Count;
  for (std::size_t s = 0; s < shares.Share.size(); ++s)
    shares.Share[s] = std::isnan(shares.Observed[s])
                          ? std::nan("")
                          : static_cast<double>(shares.Count[s]) / static_cast<double>(shares.Divisions);
  return shares;
}

}  // namespace halvik
