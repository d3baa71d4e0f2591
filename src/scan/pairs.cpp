#include "scan/pairs.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "store/wide.h"

namespace halvik {

namespace {

// The shift that keeps `bound`, the largest sum a window can reach, below
// 2^61; at most 40 bits below the point.
int Shiftfor(double bound) {
  const int bits = static_cast<int>(std::bit_width(static_cast<std::uint64_t>(std::ceil(bound)) + 1));
  return std::clamp(61 - bits, 0, 40);
}

// count x records / common x 2^shift, rounded half up, formed exactly.
std::int64_t Scaled(std::int64_t count, std::int64_t records, std::int64_t common, int shift) {
  if (common == records) return count << shift;
  const auto product = static_cast<std::uint64_t>(count) * static_cast<std::uint64_t>(records);
  if (count < (std::int64_t{1} << 30) && records < (std::int64_t{1} << 30) &&
      product < (std::uint64_t{1} << (61 - shift)))
    return static_cast<std::int64_t>(((product << shift) * 2 + static_cast<std::uint64_t>(common)) /
                                     (static_cast<std::uint64_t>(common) * 2));
  const Wide top = (static_cast<Wide>(count) * records << shift) * 2 + common;
  return static_cast<std::int64_t>(top / (static_cast<Wide>(common) * 2));
}

// The image of ln(1 + d) for d = count x records / common, kept for the few
// numbers of common records a window has: most pairs miss none or a few.
class Logimages {
 public:
  Logimages(std::int64_t records, int shift) : Records(records), Shift(shift) {}
  // The images kept for this number of common records, -1 where not yet
  // known; none when they are not kept.
  const std::int64_t *Slot(std::int32_t common) {
    const std::int64_t gap = Records - common;
    if (gap >= Kept || Records > (1 << 20)) return nullptr;
    std::vector<std::int64_t> &slot = Slots[static_cast<std::size_t>(gap)];
    if (slot.empty()) slot.assign(static_cast<std::size_t>(common) + 1, -1);
    return slot.data();
  }
  std::int64_t Of(std::int32_t count, std::int32_t common) {
    const std::int64_t gap = Records - common;
    if (gap >= Kept || Records > (1 << 20)) return Compute(count, common);
    std::vector<std::int64_t> &slot = Slots[static_cast<std::size_t>(gap)];
    if (slot.empty()) slot.assign(static_cast<std::size_t>(common) + 1, -1);
    std::int64_t &image = slot[static_cast<std::size_t>(count)];
    if (image < 0) image = Compute(count, common);
    return image;
  }

 private:
  std::int64_t Compute(std::int32_t count, std::int32_t common) const {
    const double d = static_cast<double>(count) * static_cast<double>(Records) / static_cast<double>(common);
    return std::llround(std::ldexp(std::log1p(d), Shift));
  }
  static constexpr std::int64_t Kept = 64;
  std::int64_t Records;
  int Shift;
  std::vector<std::int64_t> Slots[Kept];
};

// Records where two rows of alleles differ, among those `keep` keeps; one
// plane of bits (two alleles) is the common case, told apart at compile time.
template <int Fixed>
[[gnu::always_inline]] inline std::int32_t Differing(const std::uint64_t *x, const std::uint64_t *y,
                                                     const std::uint64_t *keep, std::int32_t words, int anyplanes) {
  const int planes = Fixed ? Fixed : anyplanes;
  std::int32_t count = 0;
  for (std::int32_t w = 0; w < words; ++w) {
    std::uint64_t differ = 0;
    for (int p = 0; p < planes; ++p) differ |= x[p * words + w] ^ y[p * words + w];
    count += std::popcount(differ & keep[w]);
  }
  return count;
}

[[gnu::always_inline]] inline std::int32_t Missed(const std::uint64_t *x, const std::uint64_t *y, std::int32_t words) {
  std::int32_t count = 0;
  for (std::int32_t w = 0; w < words; ++w) count += std::popcount(x[w] | y[w]);
  return count;
}

// Common records of every pair of samples; the first pair with none, if any.
[[gnu::always_inline]] inline std::optional<std::pair<std::int32_t, std::int32_t>> Countcommon(const Windowdata &window,
                                                                                               Pairimages &sums) {
  const std::int32_t samples = window.Samples, words = window.Words;
  sums.Common.resize(static_cast<std::size_t>(samples) * samples);  // every entry is written
  const auto missing = [&](std::int32_t s) { return window.Missing.data() + std::int64_t{s} * words; };
  for (std::int32_t a = 0; a < samples; ++a)
    for (std::int32_t b = a; b < samples; ++b) {
      const auto common = static_cast<std::int32_t>(window.Records - Missed(missing(a), missing(b), words));
      if (common == 0) return a == b ? std::pair{a, a} : std::pair{a, b};
      sums.Common[static_cast<std::size_t>(a * samples + b)] = sums.Common[static_cast<std::size_t>(b * samples + a)] =
          common;
    }
  return std::nullopt;
}

// The four pairs between two diploid samples at once, with two alleles a
// record: the common case, in one pass over the words.
[[gnu::always_inline]] inline void Fourpairs(const std::uint64_t *x0, const std::uint64_t *x1, const std::uint64_t *y0,
                                             const std::uint64_t *y1, const std::uint64_t *keep, std::int32_t words,
                                             std::int32_t *counts) {
  std::int32_t c00 = 0, c01 = 0, c10 = 0, c11 = 0;
  for (std::int32_t w = 0; w < words; ++w) {
    c00 += std::popcount((x0[w] ^ y0[w]) & keep[w]);
    c01 += std::popcount((x0[w] ^ y1[w]) & keep[w]);
    c10 += std::popcount((x1[w] ^ y0[w]) & keep[w]);
    c11 += std::popcount((x1[w] ^ y1[w]) & keep[w]);
  }
  counts[0] = c00, counts[1] = c01, counts[2] = c10, counts[3] = c11;
}

// Sample by sample, so that the records both samples are called at are
// found once for all their pairs of haplotypes.
[[gnu::always_inline]] inline void Countdiffer(const Windowdata &window, Pairimages &sums) {
  const std::int32_t n = sums.Haplotypes, words = window.Words, ploidy = window.Ploidy;
  sums.Differ.resize(static_cast<std::size_t>(n) * n);  // every entry is written
  const auto missing = [&](std::int32_t s) { return window.Missing.data() + std::int64_t{s} * words; };
  const auto row = [&](std::int32_t h) { return window.Alleles.data() + std::int64_t{h} * window.Planes * words; };
  const auto put = [&](std::int32_t i, std::int32_t j, std::int32_t count) {
    sums.Differ[static_cast<std::size_t>(i * n + j)] = sums.Differ[static_cast<std::size_t>(j * n + i)] = count;
  };
  std::vector<std::uint64_t> keep(static_cast<std::size_t>(words));
  for (std::int32_t a = 0; a < window.Samples; ++a)
    for (std::int32_t b = a; b < window.Samples; ++b) {
      for (std::int32_t w = 0; w < words; ++w) keep[static_cast<std::size_t>(w)] = ~(missing(a)[w] | missing(b)[w]);
      if (a != b && ploidy == 2 && window.Planes == 1) {
        std::int32_t counts[4];
        Fourpairs(row(2 * a), row(2 * a + 1), row(2 * b), row(2 * b + 1), keep.data(), words, counts);
        for (int k = 0; k < 4; ++k) put(2 * a + k / 2, 2 * b + k % 2, counts[k]);
        continue;
      }
      if (a == b)
        for (std::int32_t i = a * ploidy; i < (a + 1) * ploidy; ++i) put(i, i, 0);
      Eachpair(a, b, ploidy, [&](std::int32_t i, std::int32_t j) {
        put(i, j,
            window.Planes == 1 ? Differing<1>(row(i), row(j), keep.data(), words, 1)
                               : Differing<0>(row(i), row(j), keep.data(), words, window.Planes));
      });
    }
}

// The counts, where the processor has a popcount instruction and where not.
std::optional<std::pair<std::int32_t, std::int32_t>> Countplain(const Windowdata &window, Pairimages &sums) {
  auto none = Countcommon(window, sums);
  if (!none) Countdiffer(window, sums);
  return none;
}
[[gnu::target("popcnt")]] std::optional<std::pair<std::int32_t, std::int32_t>> Countpopcnt(const Windowdata &window,
                                                                                           Pairimages &sums) {
  auto none = Countcommon(window, sums);
  if (!none) Countdiffer(window, sums);
  return none;
}

}  // namespace

std::optional<std::pair<std::int32_t, std::int32_t>> Countpairs(const Windowdata &window, Pairimages &sums) {
  sums.Samples = window.Samples;
  sums.Ploidy = window.Ploidy;
  sums.Haplotypes = window.Samples * window.Ploidy;
  sums.Records = window.Records;
  if (window.Ploidy == 0) return std::pair{0, 0};
  __builtin_cpu_init();
  return __builtin_cpu_supports("popcnt") ? Countpopcnt(window, sums) : Countplain(window, sums);
}

void Formimages(Pairimages &sums, bool logs) {
  const std::int32_t samples = sums.Samples, ploidy = sums.Ploidy, n = sums.Haplotypes;
  const double pairs = 0.5 * n * (n - 1.0);
  sums.Plainshift = Shiftfor(pairs * static_cast<double>(sums.Records));
  sums.Logshift = Shiftfor(pairs * std::log1p(static_cast<double>(sums.Records)));
  sums.Plain.resize(static_cast<std::size_t>(samples) * samples);  // every entry is written
  sums.Logs.resize(logs ? sums.Plain.size() : 0);
  Logimages images(sums.Records, sums.Logshift);
  for (std::int32_t a = 0; a < samples; ++a)
    for (std::int32_t b = a; b < samples; ++b) {
      const std::int32_t common = sums.Common[static_cast<std::size_t>(a * samples + b)];
      std::int64_t differ = 0, logsum = 0;
      const std::int64_t *slot = logs ? images.Slot(common) : nullptr;
      Eachpair(a, b, ploidy, [&](std::int32_t i, std::int32_t j) {
        const std::int32_t count = sums.Differ[static_cast<std::size_t>(i * n + j)];
        differ += count;
        if (logs) logsum += slot && slot[count] >= 0 ? slot[count] : images.Of(count, common);
      });
      const std::size_t ab = static_cast<std::size_t>(a * samples + b), ba = static_cast<std::size_t>(b * samples + a);
      sums.Plain[ab] = sums.Plain[ba] = Scaled(differ, sums.Records, common, sums.Plainshift);
      if (logs) sums.Logs[ab] = sums.Logs[ba] = logsum;
    }
}

}  // namespace halvik
