// What a scan finds in a window: values, from which the table, its JSON
// form and the picture are printed.
#pragma once
#include <array>
#include <cstdint>
#include <limits>
#include <string>

#include "stats/pvalues.h"

namespace halvik {

// The tested statistics, in the table's order.
inline constexpr int Testcount = 6;
inline constexpr const char *Teststems[Testcount] = {"kst", "fst", "kstar_st", "fstar_sb", "snn", "phi_st"};
enum Testindex { Kstat, Fstat, Kstarstat, Fstarstat, Snnstat, Phistat };

// The means the first four are ratios of, in the table's order.
inline constexpr int Meancount = 6;
inline constexpr const char *Meanstems[Meancount] = {"ks", "kt", "ft", "kstar_s", "kstar_t", "fstar_b"};

inline constexpr double Nan = std::numeric_limits<double>::quiet_NaN();

struct Testresult {
  double Value = Nan;
  std::int32_t Count = 0;  // lineups that reached the observed value
  std::int32_t Drawn = 0;  // lineups drawn; 0 when nothing was tested
};

struct Windowresult {
  std::string Chrom;
  std::int64_t Start = 0, End = 0;  // 1-based, both included
  std::int64_t Records = 0, Variants = 0;
  std::int32_t Samples = 0, Haplotypes = 0;  // those called in the window
  std::array<Testresult, Testcount> Tests;
  std::array<double, Meancount> Means{Nan, Nan, Nan, Nan, Nan, Nan};
  std::string Notes;
};

// What every row of a run shares.
struct Runinfo {
  std::int32_t Lineups = 0;
  std::uint32_t Seed = 0;
  std::int32_t Stopafter = 0;  // 0: every lineup drawn
  std::string Version;
};

// The P to report: (count + 1) / (R + 1), or H / r for a test that stopped
// after H of its r lineups reached the observed value. Untested: no P.
inline Pratio Pof(const Testresult &test, const Runinfo &run) {
  if (test.Drawn == 0) return {};
  if (run.Stopafter > 0 && test.Count == run.Stopafter) return {test.Count, test.Drawn};
  return Plusone(test.Count, run.Lineups);
}

}  // namespace halvik
