#include "population/compare.h"

#include <bit>

namespace halvik {

namespace {

// A whole group of eight codes at once: the exclusive-or of two groups,
// folded so that each code's lowest bit says whether any of its three bits
// differ, counts the group with one popcount; the last, partial group goes
// position by position.
constexpr unsigned Lowbits = 0x249249u;  // bit 0 of each of the eight codes

std::int32_t Countdiffs(const Sitearray &x, const Sitearray &y, std::int32_t count) {
  if (count < 1) return 0;
  const int groups = count / 8;
  std::int32_t diffs = 0;
  for (int g = 0; g < groups; ++g) {
    const unsigned d = Getgroup(x, g) ^ Getgroup(y, g);
    diffs += std::popcount((d | d >> 1 | d >> 2) & Lowbits);
  }
  for (int p = 8 * groups + 1; p <= count; ++p)
    if (Getcode(x, p) != Getcode(y, p)) ++diffs;
  return diffs;
}

}  // namespace

double Sitesdiff(const Sequencerecord &x, const Sequencerecord &y, std::int32_t count, std::int32_t /*length*/) {
  return static_cast<double>(Countdiffs(x.Sites, y.Sites, count));
}

}  // namespace halvik
