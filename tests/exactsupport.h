// Samples of many shapes for the tests of Snn, ΦST and the enumeration of
// divisions, and a plain recomputation of every statistic by labels, written
// apart from the code under test: long double, pair by pair.
#pragma once
#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/reporter.h"
#include "population/segsites.h"
#include "seqfile/verify.h"
#include "stats/distances.h"
#include "stats/localities.h"
#include "support.h"

namespace exact {

using halvik::Distances;
using halvik::Localities;
using Labels = std::vector<int>;  // by record from 0: its locality, from 1
using Real = long double;

// What a sample is made of: copies of a few ancestors with rare changes (ties
// of d), groups of identical sequences, a table of arbitrary whole d (no
// metric), and ratio d as pairwise deletion makes them.
enum class Kind { Ancestors, Identical, Table, Ratios };

inline Distances Fromtable(const std::vector<std::vector<int>> &d) {
  Distances out;
  out.Diffs.Size = static_cast<std::int32_t>(d.size());
  for (const auto &row : d) out.Diffs.Cells.insert(out.Diffs.Cells.end(), row.begin(), row.end());
  for (int x = 0; x <= 0xffff; ++x) out.Logs.push_back(std::log(1.0 + x));
  return out;
}

// `groups` ancestors; each record a copy, changed at a site with chance 1/rarity (0: never).
inline Distances Ancestral(std::mt19937 &random, int n, int groups, int rarity, bool inorder) {
  std::vector<std::string> roots(static_cast<std::size_t>(groups)), rows;
  for (std::string &r : roots)
    for (int p = 0; p < 12; ++p) r += "AGCT"[random() % 4];
  for (int i = 0; i < n; ++i) {
    std::string s = roots[inorder ? static_cast<std::size_t>(i * groups / n) : random() % roots.size()];
    if (rarity > 0)
      for (char &c : s)
        if (random() % static_cast<unsigned>(rarity) == 0) c = "AGCT"[random() % 4];
    rows.push_back(s);
  }
  support::Setsequences(rows, 120);
  return halvik::Measuredistances(halvik::Pop);
}

// The pairs' d scaled by the length over a random share of it, as pairwise
// deletion does; ties stay where the shared lengths are alike.
inline Distances Toratios(const Distances &whole, std::mt19937 &random) {
  Distances out = whole;
  const int n = whole.Size();
  out.Ratios.assign(static_cast<std::size_t>(n * n), 0.0);
  out.Ratiologs = out.Ratios;
  for (int x = 1; x <= n; ++x)
    for (int y = x + 1; y <= n; ++y) {
      const double shared = out.Length - static_cast<double>(random() % 3);
      const double ratio = whole.D(x, y) * out.Length / shared;
      for (const std::size_t cell : {out.Cell(x, y), out.Cell(y, x)}) {
        out.Ratios[cell] = ratio;
        out.Ratiologs[cell] = std::log(1.0 + ratio);
      }
    }
  out.Diffs.Cells.clear();
  return out;
}

inline Distances Make(Kind kind, int n, std::uint32_t seed) {
  std::mt19937 random(seed);
  if (kind == Kind::Identical) return Ancestral(random, n, 2 + static_cast<int>(seed % 2), 0, true);
  if (kind == Kind::Ratios) return Toratios(Ancestral(random, n, 3, 8, false), random);
  if (kind == Kind::Ancestors) return Ancestral(random, n, 3, 10, false);
  std::vector<std::vector<int>> d(static_cast<std::size_t>(n), std::vector<int>(static_cast<std::size_t>(n), 0));
  for (int x = 0; x < n; ++x)
    for (int y = x + 1; y < n; ++y) d[x][y] = d[y][x] = static_cast<int>(random() % 6);
  return Fromtable(d);
}

// The sample of an example file, read by the passes over it.
inline Distances Example(const std::string &name) {
  const std::string path = std::string(HALVIK_E2E_DIR) + "/../../examples/" + name;
  auto pop = std::make_unique<halvik::Population>();
  halvik::Analysisreporter quiet;
  halvik::Verifysequences(halvik::Sequencesource{path}, *pop, quiet);
  halvik::Findsegsites(halvik::Sequencesource{path}, *pop, quiet);
  return halvik::Measuredistances(*pop);
}

inline Localities Sized(const std::vector<int> &sizes) {
  std::vector<std::int32_t> starts{1};
  for (std::size_t k = 0; k + 1 < sizes.size(); ++k) starts.push_back(starts.back() + sizes[k]);
  int n = 0;
  for (const int s : sizes) n += s;
  return support::Division(starts, n);
}

inline Labels Labelsof(const Localities &division) {
  Labels labels;
  for (int k = 1; k <= division.Count; ++k)
    for (int p = division.Start[k]; p < division.Start[k + 1]; ++p) labels.push_back(k);
  return labels;
}

// Snn by brute force.
inline Real Snn(const Distances &d, const Labels &labels) {
  const int n = static_cast<int>(labels.size());
  Real sum = 0;
  for (int i = 1; i <= n; ++i) {
    double nearest = INFINITY;
    for (int j = 1; j <= n; ++j)
      if (j != i) nearest = std::min(nearest, d.D(i, j));
    int t = 0, w = 0;
    for (int j = 1; j <= n; ++j)
      if (j != i && d.D(i, j) == nearest) {
        ++t;
        w += labels[i - 1] == labels[j - 1];
      }
    sum += static_cast<Real>(w) / t;
  }
  return sum / n;
}

// Kst, Fst, K*st, F*sb and ΦST from sums over pairs.
inline std::vector<Real> Ratios(const Distances &d, const Labels &labels) {
  const int n = static_cast<int>(labels.size()), p = *std::max_element(labels.begin(), labels.end());
  std::vector<Real> within(p + 1), withinlog(p + 1), size(p + 1);
  Real total = 0, totallog = 0, between = 0, betweenlog = 0, betweenpairs = 0;
  for (const int l : labels) size[l] += 1;
  for (int i = 1; i <= n; ++i)
    for (int j = i + 1; j <= n; ++j) {
      const Real x = d.D(i, j), y = d.Dstar(i, j);
      total += x;
      totallog += y;
      if (labels[i - 1] == labels[j - 1]) {
        within[labels[i - 1]] += x;
        withinlog[labels[i - 1]] += y;
      } else {
        between += x;
        betweenlog += y;
        betweenpairs += 1;
      }
    }
  const Real pairs = static_cast<Real>(n) * (n - 1) / 2;
  Real ks = 0, ksstar = 0, ssdw = 0, squares = 0;
  for (int k = 1; k <= p; ++k) {
    ks += size[k] / n * within[k] / (size[k] * (size[k] - 1) / 2);
    ksstar += size[k] / n * withinlog[k] / (size[k] * (size[k] - 1) / 2);
    ssdw += within[k] / size[k];
    squares += size[k] * size[k];
  }
  const Real n0 = (n - squares / n) / (p - 1), sw = ssdw / (n - p);
  const Real sa = ((total / n - ssdw) / (p - 1) - sw) / n0;
  return {1 - ks / (total / pairs),
          1 - ks / (between / betweenpairs),
          1 - ksstar / (totallog / pairs),
          1 - ksstar / (betweenlog / betweenpairs),
          Snn(d, labels),
          sa / (sa + sw)};
}

// Whether `value` counts against `observed`: at least it, less a relative
// 1e-12 that absorbs rounding.
inline bool Atleast(Real value, Real observed) {
  return value >= observed - 1e-12L * std::max<Real>(1, std::fabs(observed));
}

}  // namespace exact
