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
  double Subdivision::*Observed;
  // The engine's sum: for a statistic counted from a lineup's exact sums,
  // whether the lineup reaches the observed value, and its value. None for
  // the four that the engine decides from bounds on their log sums.
  bool (*Reaches)(const Exactplan &, const Lineupsums &);
  double (*Value)(const Exactplan &, const Lineupsums &);
};

inline constexpr std::array<Testedstatistic, Testedcount> Testedstatistics = {{
    {Testkst, "Kst", "P(Kst) = ", "kst", "Kst", &Subdivision::Kst, nullptr, nullptr},
    {Testfst, "Fst", "P(Fst) = ", "fst", "Fst", &Subdivision::Fst, nullptr, nullptr},
    {Testkststar, "K*st", "P(K*st) = ", "kstar_st", "K*st", &Subdivision::Kststar, nullptr, nullptr},
    // The dialogue's line names F*st for the ratio it shows as F*sb.
    {Testfsbstar, "F*sb", "P(F*st) = ", "fstar_sb", "F*sb", &Subdivision::Fsbstar, nullptr, nullptr},
    {Testsnn, "Snn", nullptr, "snn", "Snn", &Subdivision::Snn, Snnreaches, Snnlineup},
    {Testphist, "PhiST", nullptr, "phi_st", "ΦST", &Subdivision::Phist, Phistreaches, Phistlineup},
}};

// The value of statistic `id` in `stats`.
inline double Observedvalue(const Subdivision &stats, int id) {
  return stats.*(Testedstatistics[static_cast<std::size_t>(id)].Observed);
}

}  // namespace halvik
