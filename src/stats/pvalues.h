// The P values of a permutation test and their adjustments for many tests.
//
// Every P value here is a ratio of whole numbers formed once: a count of
// lineups and a number of lineups, or a product of such with the number of
// tests. So a round value stays round (0.0003, not 0.00030000000000000003),
// and ties between tests are ties exactly.
#pragma once
#include <cstdint>
#include <vector>

namespace halvik {

// A P value as the ratio it is: Numerator / Denominator, both whole. A
// denominator of 0 stands for no P at all (no test was made).
struct Pratio {
  std::int64_t Numerator = 0, Denominator = 0;
  bool Tested() const { return Denominator > 0; }
  double Value() const;  // NaN when untested
};

// (count + 1) / (R + 1): the P to report. Untested when R < 1.
Pratio Plusone(std::int64_t count, std::int64_t lineups);

// A permutation test's P values for one statistic: count / R (the
// dialogue's P), (count + 1) / (R + 1), and the standard error of the first,
// sqrt(p (1 - p) / R). All NaN when the test made none: the observed value
// is NaN (no lineup can reach it), or nothing was tested.
struct Pvalues {
  double P, P1, Se;
};
Pvalues Pvaluesof(std::int64_t count, std::int64_t lineups, bool tested);

// Holm's step-down adjustment (Holm 1979, Scand. J. Statist. 6:65-70) of a
// family of P values: the k-th smallest of the m tested becomes the largest,
// over j <= k, of min(1, (m - j + 1) p_(j)), each product formed in whole
// numbers and divided once. Untested values stay NaN and do not count in m.
std::vector<double> Holm(const std::vector<Pratio> &p);

// The Benjamini-Hochberg q-values (Benjamini and Hochberg 1995, J. R. Statist.
// Soc. B 57:289-300) of a family: the k-th smallest of the m tested becomes the
// smallest, over j >= k, of min(1, m p_(j) / j), each formed in whole numbers
// and divided once. Untested values stay NaN and do not count in m.
std::vector<double> Benjaminihochberg(const std::vector<Pratio> &p);

}  // namespace halvik
