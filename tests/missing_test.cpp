// The three treatments of gaps and N, whole analyses of generated files with
// gaps and N against a reference written apart from the program: its own
// columns, segregating sites and pair differences for each policy, the
// statistics summed in the estimators' order, and the test replayed on a
// separate MT19937.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>

#include "cli/fileanalysis.h"
#include "support.h"

namespace halvik {
namespace {

bool Called(char c) { return c == 'A' || c == 'C' || c == 'G' || c == 'T'; }

struct Reference {
  std::vector<std::string> Rows;
  std::vector<int> Starts;  // first sequence of each locality, then N + 1
  Missingpolicy Policy;

  int N() const { return static_cast<int>(Rows.size()); }
  int L() const { return static_cast<int>(Rows[0].size()); }
  bool Anymissing(int p) const {
    return std::any_of(Rows.begin(), Rows.end(), [&](const std::string &r) { return !Called(r[p]); });
  }
  int Kept() const {
    int kept = 0;
    for (int p = 0; p < L(); ++p) kept += Policy != Missingpolicy::Complete || !Anymissing(p);
    return kept;
  }
  int Sites() const {
    int sites = 0;
    for (int p = 0; p < L(); ++p) {
      std::string column;
      for (const std::string &r : Rows)
        if (Policy != Missingpolicy::Pairwise || Called(r[p])) column += r[p];
      const bool kept = Policy != Missingpolicy::Complete || !Anymissing(p);
      sites += kept && column.find_first_not_of(column.empty() ? 'x' : column[0]) != std::string::npos;
    }
    return sites;
  }
  double D(int x, int y) const {
    int differ = 0, shared = 0;
    for (int p = 0; p < L(); ++p) {
      const char a = Rows[x - 1][p], b = Rows[y - 1][p];
      if (Policy == Missingpolicy::Complete && Anymissing(p)) continue;
      if (Policy == Missingpolicy::Pairwise && !(Called(a) && Called(b))) continue;
      ++shared;
      differ += a != b;
    }
    if (Policy != Missingpolicy::Pairwise) return differ;
    return static_cast<double>(static_cast<long long>(differ) * L()) / shared;
  }
  // Kst, Fst, K*st, F*sb of a lineup; the totals from the identity.
  std::array<double, 4> Ratios(const std::vector<int> &lineup) const {
    double ks = 0, kstars = 0, between = 0, logbetween = 0, total = 0, logtotal = 0;
    int pairs = 0;
    for (std::size_t k = 0; k + 1 < Starts.size(); ++k) {
      double sum = 0, logsum = 0;
      for (int a = Starts[k]; a < Starts[k + 1]; ++a)
        for (int b = a + 1; b < Starts[k + 1]; ++b) sum += D(lineup[a], lineup[b]), logsum += std::log(1 + D(lineup[a], lineup[b]));
      const int m = Starts[k + 1] - Starts[k];
      const double w = static_cast<double>(m) / N(), half = m * (m - 1) / 2.0;
      volatile double plain = sum / half * w, logged = logsum / half * w;  // no fused multiply-add
      ks += plain, kstars += logged;
    }
    for (int a = 1; a <= N(); ++a)
      for (int b = a + 1; b <= N(); ++b) total += D(a, b), logtotal += std::log(1 + D(a, b));
    for (std::size_t i = 0; i + 1 < Starts.size(); ++i)
      for (std::size_t j = i + 1; j + 1 < Starts.size(); ++j)
        for (int x = Starts[i]; x < Starts[i + 1]; ++x)
          for (int y = Starts[j]; y < Starts[j + 1]; ++y, ++pairs)
            between += D(lineup[x], lineup[y]), logbetween += std::log(1 + D(lineup[x], lineup[y]));
    const double kt = total / (N() * (N() - 1) / 2.0), ktstar = logtotal / (N() * (N() - 1) / 2.0);
    return {1 - ks / kt, 1 - ks / (between / pairs), 1 - kstars / ktstar, 1 - kstars / (logbetween / pairs)};
  }
  std::array<int, 4> Counts(std::uint32_t seed, int lineups) const {
    std::mt19937 generator(seed);
    const auto n = static_cast<std::uint64_t>(N());
    const std::uint64_t limit = (std::uint64_t{1} << 32) - (std::uint64_t{1} << 32) % n;
    std::vector<int> identity(N() + 1);
    std::iota(identity.begin(), identity.end(), 0);
    const std::array<double, 4> observed = Ratios(identity);
    std::array<int, 4> counts{};
    for (int r = 0; r < lineups; ++r) {
      std::vector<int> lineup(N() + 1, 0);
      for (int i = 1; i <= N(); ++i) {
        int v;
        do {
          std::uint64_t draw;
          do draw = generator();
          while (draw >= limit);
          v = static_cast<int>(1 + draw % n);
        } while (std::find(lineup.begin() + 1, lineup.begin() + i, v) != lineup.begin() + i);
        lineup[i] = v;
      }
      const std::array<double, 4> values = Ratios(lineup);
      for (int s = 0; s < 4; ++s) counts[static_cast<std::size_t>(s)] += values[static_cast<std::size_t>(s)] >= observed[static_cast<std::size_t>(s)];
    }
    return counts;
  }
};

std::vector<std::string> Gappedrows(std::mt19937 &random, int n, int length) {
  const std::string bases = "ACGT";
  std::vector<std::string> rows(static_cast<std::size_t>(n), std::string(static_cast<std::size_t>(length), 'A'));
  for (int p = 0; p < length; ++p) rows[0][static_cast<std::size_t>(p)] = bases[random() % 4];
  for (std::string &row : rows) {
    if (&row != &rows[0]) row = rows[0];
    for (char &c : row) {
      const unsigned r = random() % 20;
      if (r == 0) c = bases[random() % 4];
      if (r == 1) c = random() % 2 ? 'N' : '-';
    }
  }
  return rows;
}

TEST(Missing, EveryPolicyMatchesAnIndependentReference) {
  const support::Inworkfolder here;
  std::mt19937 random(2026);
  // Six samples in three localities, and one in thirty, the most there may be.
  for (int trial = 0; trial < 7; ++trial) {
    const int n = trial < 6 ? 9 + trial % 3 : 60, length = 30 + 7 * trial;
    std::vector<std::int32_t> starts = {1, 4, 7};
    if (trial == 6) {
      starts.clear();
      for (std::int32_t k = 0; k < 30; ++k) starts.push_back(2 * k + 1);
    }
    const std::vector<std::string> rows = Gappedrows(random, n, length);
    std::string file;
    for (std::size_t i = 0; i < rows.size(); ++i) file += "s" + std::to_string(i + 1) + " " + rows[i] + "\n";
    support::Writefile("gaps.txt", file);
    for (const Missingpolicy policy : {Missingpolicy::State, Missingpolicy::Complete, Missingpolicy::Pairwise}) {
      std::vector<std::int32_t> bounds = starts;
      bounds.push_back(n + 1);
      const Reference reference{rows, bounds, policy};
      Filerequest request;
      request.File = "gaps.txt";
      request.Starts = starts;
      request.Lineups = 200;
      request.Seed = 31u + static_cast<std::uint32_t>(trial);
      request.Missing = policy;
      const Fileresult r = Analysefile(request);
      const std::string what = "trial " + std::to_string(trial) + ", policy " + std::to_string(static_cast<int>(policy));
      if (reference.Sites() == 0) {
        EXPECT_FALSE(r.Ok()) << what;
        continue;
      }
      ASSERT_TRUE(r.Ok()) << what << ": " << r.Message;
      EXPECT_EQ(r.Sites, reference.Sites()) << what;
      EXPECT_EQ(r.Pn, static_cast<double>(reference.Sites()) / reference.Kept()) << what;
      std::vector<int> identity(static_cast<std::size_t>(n) + 1);
      std::iota(identity.begin(), identity.end(), 0);
      const std::array<double, 4> ratios = reference.Ratios(identity);
      EXPECT_EQ(r.Stats.Kst, ratios[0]) << what;
      EXPECT_EQ(r.Stats.Fst, ratios[1]) << what;
      EXPECT_EQ(r.Stats.Kststar, ratios[2]) << what;
      EXPECT_EQ(r.Stats.Fsbstar, ratios[3]) << what;
      const std::array<int, 4> counts = reference.Counts(request.Seed, request.Lineups);
      for (int s = 0; s < 4; ++s) EXPECT_EQ(r.Counts[s], counts[static_cast<std::size_t>(s)]) << what << ", statistic " << s;
    }
  }
}

// A pair that shares no position where both carry a base has no difference.
TEST(Missing, APairSharingNoBaseIsRefusedByName) {
  const support::Inworkfolder here;
  support::Writefile("apart.txt", "a ACGTNN\nb NNNNAC\nc ACGTAA\nd ACGAAC\n");
  Filerequest request;
  request.File = "apart.txt";
  request.Starts = {1, 3};
  request.Lineups = 9;
  request.Missing = Missingpolicy::Pairwise;
  const Fileresult r = Analysefile(request);
  EXPECT_FALSE(r.Ok());
  EXPECT_NE(r.Message.find("sequences a and b have no position where both carry a base"), std::string::npos)
      << r.Message;
}

}  // namespace
}  // namespace halvik
