#include "scan/windowtest.h"

#include <algorithm>
#include <bit>

#include "scan/neighbours.h"
#include "scan/pairs.h"
#include "scan/tally.h"

namespace halvik {

namespace {

std::string Joined(const std::vector<std::string> &notes) {
  std::string text;
  for (const std::string &note : notes) text += (text.empty() ? "" : "; ") + note;
  return text;
}

std::string Skipnote(const Windowdata &window) {
  const char *const reasons[Skipreasons] = {"filtered", "not one base", "ALT *"};
  std::string parts;
  for (int k = 0; k < Skipreasons; ++k)
    if (window.Skipped[static_cast<std::size_t>(k)] > 0)
      parts +=
          (parts.empty() ? "" : ", ") + std::to_string(window.Skipped[static_cast<std::size_t>(k)]) + " " + reasons[k];
  return parts.empty() ? "" : "records skipped: " + parts;
}

// Whether each sample is called at some record of the window.
std::vector<bool> Calledsamples(const Windowdata &window) {
  std::vector<bool> called(static_cast<std::size_t>(window.Samples));
  for (std::int32_t s = 0; s < window.Samples; ++s) {
    std::int64_t missed = 0;
    for (std::int32_t w = 0; w < window.Words; ++w)
      missed += std::popcount(window.Missing[static_cast<std::size_t>(s * window.Words + w)]);
    called[static_cast<std::size_t>(s)] = window.Ploidy > 0 && missed < window.Records;
  }
  return called;
}

// Why the window has nothing to test, or "".
std::string Untestable(const Windowdata &window, const std::vector<bool> &called, const Samplelayout &layout) {
  if (window.Records == 0) return "no record";
  if (window.Variants == 0) return "no variant";
  std::vector<std::int32_t> perlocality(layout.Sizes.size(), 0);
  for (std::size_t s = 0; s < called.size(); ++s)
    perlocality[static_cast<std::size_t>(layout.Locality[s])] += called[s];
  for (std::size_t k = 0; k < perlocality.size(); ++k)
    if (perlocality[k] < 2) return "locality " + layout.Localities[k] + " has fewer than two called samples";
  return "";
}

// Each matrix's sum over every pair of samples and every sample's own pair.
std::int64_t Wholesum(const std::int64_t *matrix, std::int32_t samples) {
  std::int64_t twice = 0;
  for (std::int32_t a = 0; a < samples; ++a)
    for (std::int32_t b = 0; b < samples; ++b) twice += matrix[a * samples + b] * (a == b ? 2 : 1);
  return twice / 2;
}

// The observed division's sums, laid out as a lineup's.
std::vector<std::int64_t> Observedsums(const Windowmatrices &data, const Samplelayout &layout) {
  const std::size_t count = data.Matrices.size();
  const std::int32_t samples = static_cast<std::int32_t>(layout.Locality.size());
  std::vector<std::int64_t> sums(layout.Sizes.size() * count, 0);
  for (std::int32_t a = 0; a < samples; ++a)
    for (std::int32_t b = a; b < samples; ++b) {
      const std::int32_t k = layout.Locality[static_cast<std::size_t>(a)];
      if (k != layout.Locality[static_cast<std::size_t>(b)]) continue;
      for (std::size_t m = 0; m < count; ++m)
        sums[static_cast<std::size_t>(k) * count + m] += data.Matrices[m][a * samples + b];
    }
  return sums;
}

// Lineups `first` to `last` - 1 in pieces of `piece`, until every statistic
// has stopped.
void Count(const Kernel &kernel, std::int32_t piece, std::int32_t first, std::int32_t last, const Testsetup &setup,
           const Windowmatrices &data, Tally &tally) {
  const std::size_t row = static_cast<std::size_t>(setup.Lineups.Localities) * data.Matrices.size();
  std::vector<std::int64_t> sums;
  for (; first < last && !tally.Done(); first += piece) {
    const std::int32_t end = std::min(last, first + piece);
    Withinsums(kernel, setup.Lineups, data.Matrices, first, end, sums);
    for (std::int32_t r = first; r < end; ++r) tally.Add(sums.data() + static_cast<std::size_t>(r - first) * row, r);
  }
}

// Every lineup, in pieces of at most 16 MB of sums. With --stop-after the
// first few go lineup by lineup, since most tests of most genomes stop
// early; a window whose tests have not stopped by then takes the rest at
// once.
void Countlineups(const Testsetup &setup, const Windowmatrices &data, Tally &tally) {
  constexpr std::int32_t Early = 64;
  const std::size_t row = static_cast<std::size_t>(setup.Lineups.Localities) * data.Matrices.size();
  const auto piece = static_cast<std::int32_t>(std::max<std::size_t>(64, (std::size_t{1} << 21) / row));
  std::int32_t first = 0;
  if (setup.Stopafter > 0) {
    first = std::min(Early, setup.Lineups.Count);
    Count(setup.Bylineup, 32, 0, first, setup, data, tally);
  }
  Count(setup.Whole, piece, first, setup.Lineups.Count, setup, data, tally);
}

void Test(const Windowdata &window, const Testsetup &setup, Pairimages &sums, Windowresult &result) {
  Formimages(sums, window.Phased);
  Windowmatrices data;
  data.Phased = window.Phased;
  data.Plainshift = sums.Plainshift;
  data.Logshift = sums.Logshift;
  data.Matrices.push_back(sums.Plain.data());
  Neighbours snn;
  if (window.Phased) {
    snn = Nearest(sums, setup.Snnlargest);
    data.Snn = &snn;
    data.Matrices.push_back(sums.Logs.data());
    for (const auto &matrix : snn.Matrices) data.Matrices.push_back(matrix.data());
  }
  for (const std::int64_t *matrix : data.Matrices) data.Totals.push_back(Wholesum(matrix, window.Samples));
  const Design design = Designof(setup.Layout->Sizes, window.Ploidy);
  const std::vector<std::int64_t> observed = Observedsums(data, *setup.Layout);
  Tally tally(design, data, observed.data(), setup.Stopafter);
  Countlineups(setup, data, tally);
  result.Tests = tally.Results(setup.Lineups.Count);
  result.Means = tally.Means();
}

}  // namespace

Testsetup Setuptests(const Samplelayout &layout, std::int32_t lineups, std::uint32_t seed, std::int32_t stopafter) {
  Testsetup setup;
  setup.Layout = &layout;
  setup.Lineups = Drawlineups(layout.Sizes, lineups, seed);
  setup.Stopafter = stopafter;
  setup.Bylineup = Plankernel(setup.Lineups, Kernelmethod::Pairs);
  setup.Whole = Plankernel(setup.Lineups);
  if (layout.Leftout > 0)
    setup.Runnotes = std::to_string(layout.Leftout) + " samples of the VCF left out: not in the map";
  return setup;
}

Windowresult Testwindow(const Windowdata &window, const Testsetup &setup) {
  Windowresult result;
  result.Chrom = window.Chrom;
  result.Start = window.Start;
  result.End = window.End;
  result.Records = window.Records;
  result.Variants = window.Variants;
  const std::vector<bool> called = Calledsamples(window);
  result.Samples = static_cast<std::int32_t>(std::count(called.begin(), called.end(), true));
  result.Haplotypes = result.Samples * window.Ploidy;
  std::vector<std::string> notes{setup.Runnotes, Skipnote(window)};
  std::string problem = Untestable(window, called, *setup.Layout);
  thread_local Pairimages sums;  // its buffers serve window after window
  if (problem.empty())
    if (const auto pair = Countpairs(window, sums)) {
      const std::string &a = setup.Layout->Names[static_cast<std::size_t>(pair->first)];
      const std::string &b = setup.Layout->Names[static_cast<std::size_t>(pair->second)];
      problem = pair->first == pair->second ? "sample " + a + " has no call"
                                            : "samples " + a + " and " + b + " share no called record";
    }
  if (problem.empty() && !window.Phased) notes.push_back("unphased heterozygotes: K*st, F*sb and Snn need phase");
  if (problem.empty())
    Test(window, setup, sums, result);
  else
    notes.push_back(problem + ": nothing to test");
  notes.erase(std::remove(notes.begin(), notes.end(), std::string()), notes.end());
  result.Notes = Joined(notes);
  return result;
}

}  // namespace halvik
