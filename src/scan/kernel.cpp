#include "scan/kernel.h"

#include <algorithm>
#include <bit>

namespace halvik {

namespace {

// What the second of two localities is formed from: each matrix's whole sum
// (pairs and diagonal), and each sample's share, its row off the diagonal
// and twice its own pair.
struct Wholes {
  std::vector<std::int64_t> Total;  // by matrix
  std::vector<std::int64_t> Share;  // [s * M + m]
};

Wholes Wholesof(const std::vector<const std::int64_t *> &matrices, std::int32_t samples) {
  const std::size_t count = matrices.size(), n = static_cast<std::size_t>(samples);
  Wholes w{std::vector<std::int64_t>(count, 0), std::vector<std::int64_t>(n * count, 0)};
  for (std::size_t m = 0; m < count; ++m) {
    for (std::size_t a = 0; a < n; ++a) {
      std::int64_t row = 0;
      for (std::size_t b = 0; b < n; ++b) row += b == a ? 0 : matrices[m][a * n + b];
      w.Share[a * count + m] = row + 2 * matrices[m][a * n + a];
      w.Total[m] += w.Share[a * count + m];
    }
    w.Total[m] /= 2;  // each pair came from both its ends, each sample's own pair twice
  }
  return w;
}

// The second locality's sums from the first's and its members' shares.
void Derive(std::int64_t *lineup, const std::int64_t *share, const Wholes &w, std::size_t count) {
  for (std::size_t m = 0; m < count; ++m) lineup[count + m] = w.Total[m] - share[m] + lineup[m];
}

void Bypairs(const Kernel &kernel, const Lineupset &lineups, const std::vector<const std::int64_t *> &matrices,
             std::int32_t first, std::int32_t last, std::vector<std::int64_t> &sums) {
  const std::size_t count = matrices.size(), n = static_cast<std::size_t>(lineups.Samples);
  const std::size_t width = static_cast<std::size_t>(lineups.Localities) * count;
  const bool derived = lineups.Localities == 2;
  const Wholes w = derived ? Wholesof(matrices, lineups.Samples) : Wholes{};
  std::vector<std::uint32_t> members;
  std::vector<std::int64_t> share(count);
  for (std::int32_t r = first; r < last; ++r) {
    const std::uint8_t *row = lineups.Locality.data() + static_cast<std::size_t>(r) * n;
    std::int64_t *out = sums.data() + static_cast<std::size_t>(r - first) * width;
    for (const std::int32_t k : kernel.Formed) {
      members.clear();
      for (std::uint32_t s = 0; s < n; ++s)
        if (row[s] == k) members.push_back(s);
      for (std::size_t m = 0; m < count; ++m) {
        std::int64_t total = 0;
        for (std::size_t i = 0; i < members.size(); ++i) {
          const std::int64_t *line = matrices[m] + members[i] * n;
          for (std::size_t j = i; j < members.size(); ++j) total += line[members[j]];
        }
        out[static_cast<std::size_t>(k) * count + m] = total;
      }
    }
    if (!derived) continue;
    std::fill(share.begin(), share.end(), 0);
    for (std::size_t s = 0; s < n; ++s)
      if (row[s] == 0)
        for (std::size_t m = 0; m < count; ++m) share[m] += w.Share[s * count + m];
    Derive(out, share.data(), w, count);
  }
}

// Four matrices side by side: one vector add where there were four adds.
// Matrix m of a window is lane m % 4 of vector m / 4 of each entry. Aligned
// as its lanes are, so that containers need nothing special.
typedef std::int64_t Fourwide __attribute__((vector_size(32), aligned(8)));
struct Lanes {
  Fourwide V;
};

// The window's matrices, and the samples' shares, read four matrices at a
// time into lanes; lanes past the last matrix and samples past the last are 0.
struct Lanematrices {
  const std::vector<const std::int64_t *> &Matrices;
  const std::vector<std::int64_t> &Shares;  // [s * Count + m]
  std::size_t Width, Samples, Count;
  [[gnu::always_inline]] void Pair(std::size_t a, std::size_t b, std::size_t v, Fourwide &lanes) const {
    lanes = Fourwide{};
    if (a >= Samples || b >= Samples) return;
    const std::size_t at = a * Samples + b;
    if (Count == 3 && v == 0) {  // the phased case: plain, logs, Snn
      lanes = Fourwide{Matrices[0][at], Matrices[1][at], Matrices[2][at], 0};
      return;
    }
    for (std::size_t l = 0; l < 4 && 4 * v + l < Count; ++l) lanes[l] = Matrices[4 * v + l][at];
  }
  [[gnu::always_inline]] void Share(std::size_t s, std::size_t v, Fourwide &lanes) const {
    lanes = Fourwide{};
    if (s >= Samples) return;
    for (std::size_t l = 0; l < 4 && 4 * v + l < Count; ++l) lanes[l] = Shares[s * Count + 4 * v + l];
  }
};

// Every lineup's sum takes the table's entry for its pattern (x, or x and y
// for a pair of groups): Width vectors an entry.
template <std::size_t Fixed>
[[gnu::always_inline]] inline void Lookup(const std::uint8_t *x, const std::uint8_t *y, const Lanes *table, Lanes *acc,
                                          std::size_t stride, std::int32_t lineups, std::size_t width) {
  const std::size_t w = Fixed ? Fixed : width;
  for (std::int32_t r = 0; r < lineups; ++r, acc += stride) {
    const Lanes *entry = table + (y ? x[r] * 16u + y[r] : x[r]) * w;
    for (std::size_t v = 0; v < w; ++v) acc[v].V += entry[v].V;
  }
}

[[gnu::always_inline]] inline void Lookupall(const std::uint8_t *x, const std::uint8_t *y, const Lanes *table,
                                             Lanes *acc, std::size_t stride, std::int32_t lineups, std::size_t width) {
  if (width == 1)
    Lookup<1>(x, y, table, acc, stride, lineups, width);
  else
    Lookup<0>(x, y, table, acc, stride, lineups, width);
}

// The table of a group's own pairs and diagonal by pattern, of its shares,
// or of a pair of groups by the pattern of each: entry [pattern * Width + v].
// Samples past the last are zero.
struct Tablemaker {
  const Lanematrices &M;
  void Own(std::size_t g, Lanes *table) const {
    const std::size_t width = M.Width;
    for (std::size_t v = 0; v < width; ++v) table[v] = Lanes{};
    for (std::uint32_t p = 1; p < 16; ++p) {
      const int top = std::bit_width(p) - 1;
      const std::size_t a = 4 * g + static_cast<std::size_t>(top);
      const std::uint32_t rest = p & ~(1u << top);
      for (std::size_t v = 0; v < width; ++v) {
        Fourwide add, pair;
        M.Pair(a, a, v, add);
        for (int j = 0; j < top; ++j)
          if (rest >> j & 1) {
            M.Pair(a, 4 * g + static_cast<std::size_t>(j), v, pair);
            add += pair;
          }
        table[p * width + v].V = table[rest * width + v].V + add;
      }
    }
  }
  void Shares(std::size_t g, Lanes *table) const {
    const std::size_t width = M.Width;
    for (std::size_t v = 0; v < width; ++v) table[v] = Lanes{};
    for (std::uint32_t p = 1; p < 16; ++p)
      for (std::size_t v = 0; v < width; ++v) {
        Fourwide share;
        M.Share(4 * g + static_cast<std::size_t>(std::countr_zero(p)), v, share);
        table[p * width + v].V = table[(p & (p - 1)) * width + v].V + share;
      }
  }
  void Between(std::size_t g, std::size_t h, Lanes *table, Lanes *rows) const {
    const std::size_t width = M.Width;
    // rows[(i * 16 + q) * width + v]: sample i of g against pattern q of h.
    for (std::size_t i = 0; i < 4; ++i)
      for (std::size_t v = 0; v < width; ++v) {
        rows[i * 16 * width + v] = Lanes{};
        for (std::uint32_t q = 1; q < 16; ++q) {
          Fourwide pair;
          M.Pair(4 * g + i, 4 * h + static_cast<std::size_t>(std::countr_zero(q)), v, pair);
          rows[(i * 16 + q) * width + v].V = rows[(i * 16 + (q & (q - 1))) * width + v].V + pair;
        }
      }
    for (std::size_t e = 0; e < 16 * width; ++e) table[e] = Lanes{};
    for (std::uint32_t p = 1; p < 16; ++p)
      for (std::size_t e = 0; e < 16 * width; ++e)
        table[p * 16 * width + e].V = table[(p & (p - 1)) * 16 * width + e].V +
                                      rows[static_cast<std::size_t>(std::countr_zero(p)) * 16 * width + e].V;
  }
};

// What the lineups' sums are gathered in: Sums[(r * formed + f) * Width + v],
// Shares[r * Width + v].
struct Lanesums {
  std::vector<Lanes> Sums, Shares;
};

// Up to four pairs of groups (g, h) at once, their tables one after
// another: four lookups for each add to a lineup's sum. The lineups'
// patterns come as byte offsets into the tables, g's to a row of 16
// entries and h's within it, so that a lookup is one add and one load.
template <std::size_t Count, std::size_t Fixed>
[[gnu::always_inline]] inline void Lookupblock(const std::uint32_t *x, const std::uint32_t *const *y,
                                               const Lanes *tables, Lanes *acc, std::size_t stride,
                                               std::int32_t lineups, std::size_t anywidth) {
  const std::size_t width = Fixed ? Fixed : anywidth, bytes = 256 * width * sizeof(Lanes);
  const char *base = reinterpret_cast<const char *>(tables);
  for (std::int32_t r = 0; r < lineups; ++r, acc += stride) {
    const char *row = base + x[r];
    for (std::size_t v = 0; v < width; ++v) {
      Fourwide sum = reinterpret_cast<const Lanes *>(row + y[0][r])[v].V;
      for (std::size_t t = 1; t < Count; ++t) sum += reinterpret_cast<const Lanes *>(row + t * bytes + y[t][r])[v].V;
      acc[v].V += sum;
    }
  }
}

template <std::size_t Count>
[[gnu::always_inline]] inline void Lookupblocks(const std::uint32_t *x, const std::uint32_t *const *y,
                                                const Lanes *tables, Lanes *acc, std::size_t stride,
                                                std::int32_t lineups, std::size_t width) {
  if (width == 1)
    Lookupblock<Count, 1>(x, y, tables, acc, stride, lineups, width);
  else
    Lookupblock<Count, 0>(x, y, tables, acc, stride, lineups, width);
}

// Each lineup's pattern of each group as byte offsets into a pair's tables:
// Rows[(f * groups + g) * span + r] as g, Columns[...] as h.
struct Offsets {
  std::vector<std::uint32_t> Rows, Columns;
};

[[gnu::always_inline]] inline void Makeoffsets(const Kernel &kernel, const Lineupset &lineups, std::int32_t first,
                                               std::int32_t span, std::size_t width, Offsets &o) {
  const std::size_t groups = static_cast<std::size_t>(kernel.Groups), formed = kernel.Formed.size();
  const std::size_t entry = width * sizeof(Lanes), size = formed * groups * static_cast<std::size_t>(span);
  o.Rows.resize(size);
  o.Columns.resize(size);
  for (std::size_t fg = 0; fg < formed * groups; ++fg) {
    const std::uint8_t *pattern = kernel.Patterns.data() + fg * static_cast<std::size_t>(lineups.Count) + first;
    for (std::size_t r = 0; r < static_cast<std::size_t>(span); ++r) {
      o.Rows[fg * static_cast<std::size_t>(span) + r] = static_cast<std::uint32_t>(pattern[r] * 16 * entry);
      o.Columns[fg * static_cast<std::size_t>(span) + r] = static_cast<std::uint32_t>(pattern[r] * entry);
    }
  }
}

[[gnu::always_inline]] inline void Gather(const Kernel &kernel, const Lineupset &lineups, const Lanematrices &m,
                                          std::int32_t first, std::int32_t span, Lanesums &out) {
  constexpr std::size_t Block = 4;
  const std::size_t groups = static_cast<std::size_t>(kernel.Groups), formed = kernel.Formed.size();
  const std::size_t width = m.Width, stride = formed * width;
  const auto pattern = [&](std::size_t f, std::size_t g) {
    return kernel.Patterns.data() + (f * groups + g) * static_cast<std::size_t>(lineups.Count) + first;
  };
  thread_local std::vector<Lanes> tables, rows;  // every entry is written before it is read
  thread_local Offsets offsets;
  tables.resize(Block * 256 * width);
  rows.resize(64 * width);
  Makeoffsets(kernel, lineups, first, span, width, offsets);
  const auto at = [&](const std::vector<std::uint32_t> &o, std::size_t f, std::size_t g) {
    return o.data() + (f * groups + g) * static_cast<std::size_t>(span);
  };
  const Tablemaker maker{m};
  for (std::size_t g = 0; g < groups; ++g) {
    maker.Own(g, tables.data());
    for (std::size_t f = 0; f < formed; ++f)
      Lookupall(pattern(f, g), nullptr, tables.data(), out.Sums.data() + f * width, stride, span, width);
    if (!out.Shares.empty()) {
      maker.Shares(g, tables.data());
      Lookupall(pattern(0, g), nullptr, tables.data(), out.Shares.data(), width, span, width);
    }
    for (std::size_t h = g + 1; h < groups; h += Block) {
      const std::size_t count = std::min(Block, groups - h);
      for (std::size_t t = 0; t < count; ++t) maker.Between(g, h + t, tables.data() + t * 256 * width, rows.data());
      for (std::size_t f = 0; f < formed; ++f) {
        const std::uint32_t *y[Block] = {};
        for (std::size_t t = 0; t < count; ++t) y[t] = at(offsets.Columns, f, h + t);
        const std::uint32_t *x = at(offsets.Rows, f, g);
        Lanes *acc = out.Sums.data() + f * width;
        switch (count) {
          case 1: Lookupblocks<1>(x, y, tables.data(), acc, stride, span, width); break;
          case 2: Lookupblocks<2>(x, y, tables.data(), acc, stride, span, width); break;
          case 3: Lookupblocks<3>(x, y, tables.data(), acc, stride, span, width); break;
          default: Lookupblocks<4>(x, y, tables.data(), acc, stride, span, width);
        }
      }
    }
  }
}

void Gatherplain(const Kernel &k, const Lineupset &l, const Lanematrices &m, std::int32_t first, std::int32_t span,
                 Lanesums &out) {
  Gather(k, l, m, first, span, out);
}

[[gnu::target("avx2")]] void Gatheravx2(const Kernel &k, const Lineupset &l, const Lanematrices &m, std::int32_t first,
                                        std::int32_t span, Lanesums &out) {
  Gather(k, l, m, first, span, out);
}

void Bytables(const Kernel &kernel, const Lineupset &lineups, const std::vector<const std::int64_t *> &matrices,
              std::int32_t first, std::int32_t last, std::vector<std::int64_t> &sums) {
  const std::size_t count = matrices.size(), formed = kernel.Formed.size();
  const std::size_t localities = static_cast<std::size_t>(lineups.Localities);
  const std::int32_t span = last - first;
  const bool derived = lineups.Localities == 2;
  const Wholes w = derived ? Wholesof(matrices, lineups.Samples) : Wholes{};
  const Lanematrices lanes{matrices, w.Share, (count + 3) / 4, static_cast<std::size_t>(lineups.Samples), count};
  Lanesums out;
  out.Sums.assign(static_cast<std::size_t>(span) * formed * lanes.Width, Lanes{});
  if (derived) out.Shares.assign(static_cast<std::size_t>(span) * lanes.Width, Lanes{});
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2"))
    Gatheravx2(kernel, lineups, lanes, first, span, out);
  else
    Gatherplain(kernel, lineups, lanes, first, span, out);
  std::vector<std::int64_t> share(count);
  for (std::size_t r = 0; r < static_cast<std::size_t>(span); ++r) {
    std::int64_t *row = sums.data() + r * localities * count;
    for (std::size_t f = 0; f < formed; ++f)
      for (std::size_t m = 0; m < count; ++m)
        row[static_cast<std::size_t>(kernel.Formed[f]) * count + m] =
            out.Sums[(r * formed + f) * lanes.Width + m / 4].V[m % 4];
    if (!derived) continue;
    for (std::size_t m = 0; m < count; ++m) share[m] = out.Shares[r * lanes.Width + m / 4].V[m % 4];
    Derive(row, share.data(), w, count);
  }
}

// Lookups per lineup against pairs added per lineup, tables counted with
// their making spread over the lineups.
bool Tablespay(const Lineupset &lineups, std::size_t formed, std::int32_t groups) {
  const double pairsofgroups = 0.5 * groups * (groups + 1.0);
  const double tables = static_cast<double>(formed) * pairsofgroups + pairsofgroups * 300.0 / lineups.Count;
  double pairs = 0;
  for (std::size_t k = 0; k < formed; ++k) pairs += 0.5 * lineups.Sizes[k] * (lineups.Sizes[k] + 1.0);
  const double patterns = static_cast<double>(formed) * groups * lineups.Count;
  return tables < pairs && patterns <= 64e6;
}

}  // namespace

Kernel Plankernel(const Lineupset &lineups, std::optional<Kernelmethod> forced) {
  Kernel kernel;
  kernel.Groups = (lineups.Samples + 3) / 4;
  const std::int32_t formed = lineups.Localities == 2 ? 1 : lineups.Localities;
  for (std::int32_t k = 0; k < formed; ++k) kernel.Formed.push_back(k);
  kernel.Method = forced                                                    ? *forced
                  : Tablespay(lineups, kernel.Formed.size(), kernel.Groups) ? Kernelmethod::Tables
                                                                            : Kernelmethod::Pairs;
  if (kernel.Method == Kernelmethod::Pairs) return kernel;
  const std::size_t count = static_cast<std::size_t>(lineups.Count), n = static_cast<std::size_t>(lineups.Samples);
  kernel.Patterns.assign(kernel.Formed.size() * static_cast<std::size_t>(kernel.Groups) * count, 0);
  for (std::size_t f = 0; f < kernel.Formed.size(); ++f)
    for (std::size_t r = 0; r < count; ++r)
      for (std::size_t s = 0; s < n; ++s)
        if (lineups.Locality[r * n + s] == kernel.Formed[f])
          kernel.Patterns[(f * static_cast<std::size_t>(kernel.Groups) + s / 4) * count + r] |=
              static_cast<std::uint8_t>(1u << (s % 4));
  return kernel;
}

void Withinsums(const Kernel &kernel, const Lineupset &lineups, const std::vector<const std::int64_t *> &matrices,
                std::int32_t first, std::int32_t last, std::vector<std::int64_t> &sums) {
  sums.resize(static_cast<std::size_t>(last - first) * static_cast<std::size_t>(lineups.Localities) * matrices.size());
  if (kernel.Method == Kernelmethod::Tables)
    Bytables(kernel, lineups, matrices, first, last, sums);
  else
    Bypairs(kernel, lineups, matrices, first, last, sums);
}

}  // namespace halvik
