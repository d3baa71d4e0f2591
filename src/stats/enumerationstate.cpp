#include "stats/enumerationstate.h"

#include <algorithm>
#include <cmath>

namespace halvik {

namespace {

double Term(const Distances &distances, std::int32_t x, std::int32_t y) { return distances.Dstar(x, y); }

// The shift that makes every log term a whole number: a double m 2^e with m
// in [0.5, 1) is whole once scaled by 2^(53 - e). Terms are ln 2 or more
// (d is 0 or at least 1), so 53 bits serve; a smaller term would only lower
// the shift to keep every row and the total below 2^126, rounding that term.
int Logshift(const Distances &distances) {
  const std::int32_t n = distances.Size();
  int shift = 0, top = 0;
  for (std::int32_t x = 1; x <= n; ++x)
    for (std::int32_t y = x + 1; y <= n; ++y) {
      const double term = Term(distances, x, y);
      if (term == 0.0) continue;
      int e = 0;
      std::frexp(term, &e);
      shift = std::max(shift, 53 - e);
      top = std::max(top, e);
    }
  return std::min(shift, 125 - 20 - top);
}

void Fillpairs(Enumerationtables &t, const Distances &distances) {
  const int logshift = Logshift(distances);
  t.Unitscale = std::ldexp(1.0, -distances.Unitshift());
  t.Logscale = std::ldexp(1.0, -logshift);
  const std::size_t n = static_cast<std::size_t>(t.N);
  t.Units.assign(n * n, 0);
  t.Logs.assign(n * n, 0);
  t.Rowunits.assign(n, 0);
  t.Rowlogs.assign(n, 0);
  for (std::size_t x = 0; x < n; ++x)
    for (std::size_t y = x + 1; y < n; ++y) {
      const auto a = static_cast<std::int32_t>(x + 1), b = static_cast<std::int32_t>(y + 1);
      const Wide units = distances.Units(a, b), logs = static_cast<Wide>(std::ldexp(Term(distances, a, b), logshift));
      t.Units[x * n + y] = t.Units[y * n + x] = units;
      t.Logs[x * n + y] = t.Logs[y * n + x] = logs;
      t.Rowunits[x] += units;
      t.Rowunits[y] += units;
      t.Rowlogs[x] += logs;
      t.Rowlogs[y] += logs;
      t.Totalunits += units;
      t.Totallogs += logs;
    }
}

// The neighbour relation as a table, and its reverse counted by class.
void Fillneighbours(Enumerationtables &t, const Neighbours &neighbours) {
  const std::size_t n = static_cast<std::size_t>(t.N);
  t.Ties = neighbours.Ties;
  t.Classof.assign(neighbours.Classof.begin() + 1, neighbours.Classof.end());
  t.Adjacent.assign(n * n, 0);
  t.Reached.assign(n * n, 0);
  std::vector<std::vector<std::int32_t>> reverse(n, std::vector<std::int32_t>(neighbours.Classes(), 0));
  std::size_t at = 0;
  for (std::size_t c = 0; c < neighbours.Classes(); ++c)
    for (; at < neighbours.Classend[c]; ++at) {
      const std::size_t i = neighbours.Pairs[2 * at] - 1u, j = neighbours.Pairs[2 * at + 1] - 1u;
      t.Adjacent[i * n + j] = t.Reached[j * n + i] = 1;
      ++reverse[j][c];
    }
  t.Revfirst.assign(1, 0);
  for (std::size_t x = 0; x < n; ++x) {
    for (std::size_t c = 0; c < neighbours.Classes(); ++c)
      if (reverse[x][c] != 0) {
        t.Revclass.push_back(static_cast<std::int32_t>(c));
        t.Revcount.push_back(reverse[x][c]);
      }
    t.Revfirst.push_back(t.Revclass.size());
  }
}

// The weighted mean within localities and the mean between them.
std::array<double, 2> Means(const Enumerationtables &t, const Localities &division, const Wide *within, Wide total,
                            double scale) {
  double weighted = 0.0;
  Wide rest = total;
  for (std::int32_t k = 1; k <= t.Count; ++k) {
    const double mean = static_cast<double>(within[k]) * scale / t.Pairs[static_cast<std::size_t>(k)];
    weighted = weighted + mean * division.Weight[static_cast<std::size_t>(k)];
    rest -= within[k];
  }
  return {weighted, static_cast<double>(rest) * scale / t.Betweenpairs};
}

// Record x's moves between B and k: sign 1 into k, -1 back, with the placed
// records other than x in state.Members.
void Move(const Enumerationtables &t, Enumerationstate &s, std::int32_t x, std::int32_t k, int sign) {
  const std::size_t n = static_cast<std::size_t>(t.N), column = static_cast<std::size_t>(x);
  Wide big = -t.Rowunits[static_cast<std::size_t>(x)], biglogs = -t.Rowlogs[static_cast<std::size_t>(x)];
  Wide units = 0, logs = 0;
  const std::int32_t own = t.Classof[static_cast<std::size_t>(x)];
  std::int64_t self = -t.Ties[static_cast<std::size_t>(own)];
  for (const std::int32_t j : s.Members) {
    const std::size_t cell = static_cast<std::size_t>(j) * n + column;
    const std::int32_t same = s.Place[static_cast<std::size_t>(j)] == k;
    big += t.Units[cell];
    biglogs += t.Logs[cell];
    units += same * t.Units[cell];
    logs += same * t.Logs[cell];
    s.Snn[static_cast<std::size_t>(t.Classof[static_cast<std::size_t>(j)])] += sign * t.Adjacent[cell] * (1 + same);
    self += t.Reached[cell] * (1 + same);
  }
  s.Within[static_cast<std::size_t>(t.Big)] += sign * big;
  s.Withinlogs[static_cast<std::size_t>(t.Big)] += sign * biglogs;
  s.Within[static_cast<std::size_t>(k)] += sign * units;
  s.Withinlogs[static_cast<std::size_t>(k)] += sign * logs;
  s.Snn[static_cast<std::size_t>(own)] += sign * self;
  for (std::size_t e = t.Revfirst[static_cast<std::size_t>(x)]; e < t.Revfirst[static_cast<std::size_t>(x) + 1]; ++e)
    s.Snn[static_cast<std::size_t>(t.Revclass[e])] -= sign * t.Revcount[e];
}

}  // namespace

Enumerationtables Maketables(const Distances &distances, const Localities &division, const Neighbours &neighbours) {
  Enumerationtables t;
  t.N = distances.Size();
  t.Count = division.Count;
  t.Big = 1;
  for (std::int32_t k = 1; k <= division.Count; ++k) {
    t.Sizes[k] = division.Start[k + 1] - division.Start[k];
    if (t.Sizes[k] > t.Sizes[t.Big]) t.Big = k;
    t.Pairs[k] = static_cast<double>(t.Sizes[k] * (t.Sizes[k] - 1)) / 2.0;
  }
  std::int64_t between = 0;
  for (std::int32_t k = 1; k <= division.Count; ++k)
    for (std::int32_t l = k + 1; l <= division.Count; ++l) between += std::int64_t{t.Sizes[k]} * t.Sizes[l];
  t.Betweenpairs = static_cast<double>(between);
  t.Allpairs = static_cast<double>(t.N * (t.N - 1)) / 2.0;
  Fillpairs(t, distances);
  Fillneighbours(t, neighbours);
  return t;
}

Enumerationstate Startstate(const Enumerationtables &t) {
  Enumerationstate s;
  s.Place.assign(static_cast<std::size_t>(t.N), t.Big);
  s.Within[static_cast<std::size_t>(t.Big)] = t.Totalunits;
  s.Withinlogs[static_cast<std::size_t>(t.Big)] = t.Totallogs;
  // Every record's neighbours share its locality: S_c = T_c times the class's records.
  s.Snn.assign(t.Ties.size(), 0);
  for (const std::int32_t c : t.Classof)
    if (c >= 0) s.Snn[static_cast<std::size_t>(c)] += t.Ties[static_cast<std::size_t>(c)];
  return s;
}

void Place(const Enumerationtables &tables, Enumerationstate &state, std::int32_t x, std::int32_t k) {
  Move(tables, state, x, k, 1);
  state.Members.push_back(x);
  state.Place[static_cast<std::size_t>(x)] = k;
}

void Unplace(const Enumerationtables &tables, Enumerationstate &state) {
  const std::int32_t x = state.Members.back();
  state.Members.pop_back();
  Move(tables, state, x, state.Place[static_cast<std::size_t>(x)], -1);
  state.Place[static_cast<std::size_t>(x)] = tables.Big;
}

std::array<double, 4> Ratiosof(const Enumerationtables &tables, const Localities &division, const Wide *within,
                               const Wide *withinlogs) {
  const double kt = static_cast<double>(tables.Totalunits) * tables.Unitscale / tables.Allpairs;
  const double ktstar = static_cast<double>(tables.Totallogs) * tables.Logscale / tables.Allpairs;
  const auto [ks, ft] = Means(tables, division, within, tables.Totalunits, tables.Unitscale);
  const auto [ksstar, fbstar] = Means(tables, division, withinlogs, tables.Totallogs, tables.Logscale);
  return {1.0 - ks / kt, 1.0 - ks / ft, 1.0 - ksstar / ktstar, 1.0 - ksstar / fbstar};
}

}  // namespace halvik
