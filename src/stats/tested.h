// The table of the tested statistics: everything that names one, what gives
// its observed value, and how the engine counts it. Counts, null tables,
// pictures, P-value adjustments and the table's columns loop over it.
#pragma once
#include <array>

#include "stats/lineupsums.h"
#include "stats/observed.h"
#include "stats/subdivision.h"

namespace halvik {

struct Testedstatistic {
  Testedid Id;
  const char *Name;     // as messages and the summary name it, in ASCII: "K*st", "PhiST"
  const char *Plabel;   // the dialogue's P line, "P(K*st) = "; none for those the dialogue does not test
  const char *Stem;     // the table's columns and the null table's: "kstar_st"
  const char *Caption;  // its symbol in the picture: "ΦST"
  // The observed value: among the subdivision statistics for the four the
  // engine decides from bounds on their log sums; else from the plan made
  // once per test.
  double Subdivision::*Observed;
  double (*Observedof)(const Exactplan &);
  // The engine's sum, for a statistic counted from a lineup's exact sums:
  // whether the lineup reaches the observed value, and its value.
  bool (*Reaches)(const Exactplan &, const Lineupsums &);
  double (*Value)(const Exactplan &, const Lineupsums &);
};

inline constexpr std::array<Testedstatistic, Testedcount> Testedstatistics = {{
    {Testkst, "Kst", "P(Kst) = ", "kst", "Kst", &Subdivision::Kst, nullptr, nullptr, nullptr},
    {Testfst, "Fst", "P(Fst) = ", "fst", "Fst", &Subdivision::Fst, nullptr, nullptr, nullptr},
    {Testkststar, "K*st", "P(K*st) = ", "kstar_st", "K*st", &Subdivision::Kststar, nullptr, nullptr, nullptr},
    // The dialogue's line names F*st for the ratio it shows as F*sb.
    {Testfsbstar, "F*sb", "P(F*st) = ", "fstar_sb", "F*sb", &Subdivision::Fsbstar, nullptr, nullptr, nullptr},
    {Testsnn, "Snn", nullptr, "snn", "Snn", nullptr, Snnobserved, Snnreaches, Snnlineup},
    {Testphist, "PhiST", nullptr, "phi_st", "ΦST", nullptr, Phistobserved, Phistreaches, Phistlineup},
}};

// The value of statistic `id` in `stats`.
inline double Observedvalue(const Subdivision &stats, int id) {
  const Testedstatistic &t = Testedstatistics[static_cast<std::size_t>(id)];
  return t.Observed != nullptr ? stats.*t.Observed : stats.Others[static_cast<std::size_t>(id)];
}

// The observed values of the statistics counted from exact sums, into `stats`.
inline void Observeothers(const Exactplan &plan, Subdivision &stats) {
  for (const Testedstatistic &t : Testedstatistics)
    if (t.Observedof != nullptr) stats.Others[static_cast<std::size_t>(t.Id)] = t.Observedof(plan);
}

}  // namespace halvik
