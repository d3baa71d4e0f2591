#include "population/columns.h"

#include <bit>

#include "store/store.h"

namespace halvik {

namespace {

// In a group of eight codes (24 bits, the first code highest), bit 0 and bit
// 2 of every code. A code is N or - exactly when its bit 2 is set.
constexpr std::uint32_t Lowbits = 0x249249u, Highbits = 0x924924u;

// The positions of the codes whose bit 0 is set in `lanes`, from the group
// starting at position `first`.
template <typename Use>
void Eachlane(std::uint32_t lanes, std::int32_t first, Use use) {
  while (lanes != 0) {
    const int top = 31 - std::countl_zero(lanes);  // bit 3 * (7 - t) of code t
    use(first + 7 - top / 3);
    lanes &= ~(1u << top);
  }
}

}  // namespace

void Markmissing(const std::uint8_t *codes, std::int32_t length, bool *missing, std::vector<std::int32_t> *positions) {
  const std::int32_t groups = length / 8;
  const auto mark = [&](std::int32_t p) {
    missing[p] = true;
    if (positions != nullptr) positions->push_back(p);
  };
  for (std::int32_t g = 0; g < groups; ++g) {
    const std::uint32_t high = Getgroup(codes, g) & Highbits;
    if (high != 0) Eachlane(high >> 2, 8 * g + 1, mark);
  }
  for (std::int32_t p = 8 * groups + 1; p <= length; ++p)
    if (Getcode(codes, p) >= 4) mark(p);
}

void Comparecalled(std::uint8_t *reference, const std::uint8_t *current, std::int32_t length, bool *flags) {
  const std::int32_t groups = length / 8;
  for (std::int32_t g = 0; g < groups; ++g) {
    const std::uint32_t ref = Getgroup(reference, g), cur = Getgroup(current, g);
    const std::uint32_t called = ~cur >> 2 & Lowbits, refcalled = ~ref >> 2 & Lowbits;
    const std::uint32_t differ = ref ^ cur;
    Eachlane((differ | differ >> 1 | differ >> 2) & called & refcalled & Lowbits, 8 * g + 1,
             [&](std::int32_t p) { flags[p] = true; });
    // Each fill lane widened to its code's three bits; no lane carries into the next.
    const std::uint32_t fill = (called & ~refcalled) * 7u;
    if (fill != 0) Setgroup(reference, g, (ref & ~fill) | (cur & fill));
  }
  for (std::int32_t p = 8 * groups + 1; p <= length; ++p) {
    const Nucleotidecode ref = Getcode(reference, p), cur = Getcode(current, p);
    if (cur >= 4) continue;
    if (ref >= 4)
      Setcode(reference, p, cur);
    else if (ref != cur)
      flags[p] = true;
  }
}

}  // namespace halvik
