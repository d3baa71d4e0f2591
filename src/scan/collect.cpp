#include "scan/collect.h"

#include <algorithm>
#include <bit>

namespace halvik {

namespace {

std::int32_t Wordsfor(std::int64_t bits) { return static_cast<std::int32_t>((bits + 63) / 64); }

void Setbit(std::uint64_t *words, std::int64_t bit) { words[bit / 64] |= std::uint64_t{1} << (bit % 64); }

// Calls every set bit of `words` (count words) with its number.
template <class Use>
void Eachbit(const std::uint64_t *words, std::int32_t count, Use use) {
  for (std::int32_t w = 0; w < count; ++w)
    for (std::uint64_t bits = words[w]; bits != 0; bits &= bits - 1) use(64 * w + std::countr_zero(bits));
}

}  // namespace

Windower::Windower(const Windowplan &plan, std::int32_t samples, Emit emit)
    : Plan(plan),
      Samples(samples),
      Slotwords(Wordsfor(2 * samples)),
      Samplewords(Wordsfor(samples)),
      Out(std::move(emit)) {}

std::int64_t Windower::Gridstart(std::int64_t k) const {
  const std::int64_t start = k * Plan.Step + 1;
  return Plan.Region ? std::max(start, Plan.Region->From) : start;
}

std::int64_t Windower::Gridend(std::int64_t k) const {
  const std::int64_t end = k * Plan.Step + Plan.Size;
  return Plan.Region ? std::min(end, Plan.Region->To) : end;
}

void Windower::Hold(const Vcfrecord &record) {
  Held held{record.Position,
            record.Skip,
            record.Variable,
            record.Unphased,
            record.Skip == Skipreason::None && (record.Variable || record.Missing),
            0,
            {}};
  if (held.Kept) {
    std::uint8_t high = 0;
    for (const std::uint8_t a : record.Calls)
      if (a != Nocall) high = std::max(high, a);
    held.Planes = std::max(1, static_cast<int>(std::bit_width(high)));
    held.Bits.assign(static_cast<std::size_t>(held.Planes * Slotwords + Samplewords), 0);
    const std::uint8_t *calls = record.Calls.data();
    for (int p = 0; p < held.Planes; ++p)
      for (std::int32_t slot = 0; slot < 2 * Samples; ++slot) {
        const std::uint64_t bit = calls[slot] != Nocall && (calls[slot] >> p & 1);
        held.Bits[static_cast<std::size_t>(p * Slotwords + slot / 64)] |= bit << (slot % 64);
      }
    for (std::int32_t s = 0; s < Samples; ++s) {
      const std::uint64_t bit = calls[2 * s] == Nocall;
      held.Bits[static_cast<std::size_t>(held.Planes * Slotwords + s / 64)] |= bit << (s % 64);
    }
  }
  Buffer.push_back(std::move(held));
}

void Windower::Dropbefore(std::int64_t position) {
  while (!Buffer.empty() && Buffer.front().Position < position) Buffer.pop_front();
}

void Windower::Send(std::int64_t start, std::int64_t end, int ploidy) {
  const auto from = std::lower_bound(Buffer.begin(), Buffer.end(), start,
                                     [](const Held &h, std::int64_t p) { return h.Position < p; });
  const auto to =
      std::upper_bound(from, Buffer.end(), end, [](std::int64_t p, const Held &h) { return p < h.Position; });
  Windowdata window;
  window.Index = Sent++;
  window.Chrom = Chrom;
  window.Start = start;
  window.End = end;
  window.Ploidy = ploidy;
  window.Samples = Samples;
  std::vector<const Held *> kept;
  for (auto h = from; h != to; ++h) {
    if (h->Skip != Skipreason::None) {
      ++window.Skipped[static_cast<std::size_t>(h->Skip) - 1];
      continue;
    }
    ++window.Records;
    window.Variants += h->Variable;
    window.Phased = window.Phased && !h->Unphased;
    if (h->Kept) {
      kept.push_back(&*h);
      window.Planes = std::max(window.Planes, h->Planes);
    }
  }
  window.Kept = static_cast<std::int32_t>(kept.size());
  window.Words = Wordsfor(window.Kept);
  const std::int32_t haplotypes = Samples * ploidy;
  window.Alleles.assign(static_cast<std::size_t>(haplotypes) * window.Planes * window.Words, 0);
  window.Missing.assign(static_cast<std::size_t>(Samples) * window.Words, 0);
  // From a row of slots per record to a row of records per haplotype.
  for (std::int32_t j = 0; j < window.Kept; ++j) {
    const Held &h = *kept[static_cast<std::size_t>(j)];
    for (int p = 0; p < h.Planes; ++p)
      Eachbit(h.Bits.data() + p * Slotwords, Slotwords, [&](std::int32_t slot) {
        if (slot % 2 >= ploidy) return;
        const std::int64_t haplotype = slot / 2 * ploidy + slot % 2;
        Setbit(window.Alleles.data() + (haplotype * window.Planes + p) * window.Words, j);
      });
    Eachbit(h.Bits.data() + h.Planes * Slotwords, Samplewords,
            [&](std::int32_t s) { Setbit(window.Missing.data() + std::int64_t{s} * window.Words, j); });
  }
  Out(std::move(window));
}

// Hands on every window that ends before `position`.
void Windower::Emitupto(std::int64_t position, int ploidy) {
  if (Plan.Grid()) {
    for (; First >= 0 && Gridend(Next) < position; ++Next) Send(Gridstart(Next), Gridend(Next), ploidy);
    if (First >= 0) Dropbefore(Gridstart(Next));
    return;
  }
  for (; Intervals && Nextinterval < Intervals->size() && (*Intervals)[Nextinterval].End < position; ++Nextinterval)
    Send((*Intervals)[Nextinterval].Start, (*Intervals)[Nextinterval].End, ploidy);
  if (Intervals && Nextinterval < Intervals->size())
    Dropbefore((*Intervals)[Nextinterval].Start);
  else
    Buffer.clear();
}

void Windower::Endchrom(int ploidy) {
  if (!Inchrom) return;
  if (Plan.Grid() && First >= 0) {
    for (const std::int64_t last = (Lastused - 1) / Plan.Step; Next <= last; ++Next)
      Send(Gridstart(Next), Gridend(Next), ploidy);
  }
  if (!Plan.Grid()) Emitupto(INT64_MAX, ploidy);
  Buffer.clear();
  Seen.push_back(Chrom);
  Inchrom = false;
}

void Windower::Add(const Vcfrecord &record, const std::string &chrom, int ploidy) {
  if (!Plan.Inregion(chrom, record.Position)) return;
  if (!Inchrom || chrom != Chrom) {
    Endchrom(ploidy);
    Inchrom = true;
    Chrom = chrom;
    First = -1;
    const auto found = Plan.Intervals.find(chrom);
    Intervals = found == Plan.Intervals.end() ? nullptr : &found->second;
    Nextinterval = 0;
  }
  const std::int64_t p = record.Position;
  const bool used = record.Skip == Skipreason::None;
  if (Plan.Grid()) {
    if (used && First < 0) Next = First = p > Plan.Size ? (p - Plan.Size + Plan.Step - 1) / Plan.Step : 0;
    if (used) Emitupto(p, ploidy);
    if (First < 0) Dropbefore(p - Plan.Size + 1);  // no window holding a later used record reaches back so far
    if (used) Lastused = p;
    Hold(record);
    return;
  }
  Emitupto(p, ploidy);
  if (Intervals && Nextinterval < Intervals->size() && p >= (*Intervals)[Nextinterval].Start) Hold(record);
}

void Windower::Finish(int ploidy) {
  Endchrom(ploidy);
  for (const std::string &chrom : Plan.Intervalchroms) {
    if (std::find(Seen.begin(), Seen.end(), chrom) != Seen.end()) continue;
    Chrom = chrom;
    for (const Stretch &interval : Plan.Intervals.at(chrom)) Send(interval.Start, interval.End, ploidy);
  }
}

}  // namespace halvik
