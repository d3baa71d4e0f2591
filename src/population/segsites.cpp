#include "population/segsites.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "driver/console/failure.h"
#include "population/columns.h"

namespace halvik {

namespace {

// The working state of one search. Sequence 1 and the sequence in hand are
// the only full-length sequences a file's search holds; Flags marks the
// segregating sites (index 1..length), and Positions lists them in order once
// they are known to be at most Maxsegsites, so the storing pass need not scan
// every flag for every sequence. About 200 KB, taken once per search.
// Missing marks the positions where some sequence carries N or -, and
// Reference holds, under pairwise deletion, the first base seen at each
// position.
struct Workspace {
  Fullarray First;
  Fullarray Current;
  Fullarray Reference;
  bool Flags[Maxlength + 1];
  bool Missing[Maxlength + 1];
  std::int32_t Positions[Maxsegsites];
};

// Where the records come from, one at a time, in file order: their codes
// packed as the store packs them. Each reports its record's head first.
class Records {
 public:
  virtual ~Records() = default;
  virtual void Open() = 0;
  virtual const std::uint8_t *Next(Fullarray &into) = 0;
  virtual void Close() = 0;
};

// The file, through the record reader: a record whose line no longer holds
// exactly Seqlength nucleotides, or a file that does not end after the last
// record, means the file has changed since it was verified.
class Filerecords : public Records {
 public:
  Filerecords(const Sequencesource &source, std::int32_t length, Headreporter &reporter)
      : Source(source), Length(length), Reporter(reporter) {}
  void Open() override { Openseqfile(File, Source); }
  const std::uint8_t *Next(Fullarray &into) override {
    if (Nextseq(File, into, Reporter) != Length) Raisechanged(File);
    return into.Bytes;
  }
  void Close() override {
    if (!Ateof(File)) Raisechanged(File);
    Closeseqfile(File);
  }

 private:
  const Sequencesource &Source;
  std::int32_t Length;
  Headreporter &Reporter;
  Seqfile File;
};

class Memoryrecords : public Records {
 public:
  Memoryrecords(const Packedsample &sample, Headreporter &reporter) : Sample(sample), Reporter(reporter) {}
  void Open() override { Number = 0; }
  const std::uint8_t *Next(Fullarray &) override {
    const auto r = static_cast<std::size_t>(Number++);
    Reporter.Head(Sample.Labels[r] + " ");
    return Sample.Codes[r].data();
  }
  void Close() override {}

 private:
  const Packedsample &Sample;
  Headreporter &Reporter;
  std::int32_t Number = 0;
};

// Eight codes fill three bytes, so 64 codes fill 24: a block of positions that
// starts on a byte boundary and can be compared whole. A block that differs is
// taken apart in quarters of 16 codes (48 bits), whose differing codes are
// found from the leading bits of their exclusive or.
constexpr std::int32_t Blockcodes = 64;
constexpr std::size_t Blockbytes = 24;
constexpr std::int32_t Quartercodes = 16;
constexpr std::size_t Quarterbytes = 6;

// The 48 bits of six bytes, the first byte highest.
std::uint64_t Loadquarter(const std::uint8_t *bytes) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < Quarterbytes; ++i) bits = bits << 8 | bytes[i];
  return bits;
}

void Comparequarter(const std::uint8_t *first, const std::uint8_t *current, std::int32_t site, bool *flags,
                    Sitereporter &reporter) {
  const std::uint64_t bits = Loadquarter(current);
  for (std::uint64_t differ = bits ^ Loadquarter(first); differ != 0;) {
    const int t = (std::countl_zero(differ) - 16) / 3;  // the first code that differs
    const int shift = 45 - 3 * t;
    flags[site + t] = true;
    reporter.Found(site + t, static_cast<Nucleotidecode>(bits >> shift & 7u));
    differ &= ~(std::uint64_t{7} << shift);
  }
}

// Flags every site where `current` differs from `first` and reports each
// difference, in increasing order of site.
void Comparewithfirst(const std::uint8_t *first, const std::uint8_t *current, std::int32_t length, bool *flags,
                      Sitereporter &reporter) {
  const std::int32_t blocks = length / Blockcodes;
  for (std::int32_t b = 0; b < blocks; ++b) {
    const std::size_t offset = Blockbytes * static_cast<std::size_t>(b);
    if (std::memcmp(first + offset, current + offset, Blockbytes) == 0) continue;
    for (std::int32_t q = 0; q < Blockcodes / Quartercodes; ++q) {
      const std::size_t at = offset + Quarterbytes * static_cast<std::size_t>(q);
      Comparequarter(first + at, current + at, b * Blockcodes + q * Quartercodes + 1, flags, reporter);
    }
  }
  for (std::int32_t i = blocks * Blockcodes + 1; i <= length; ++i) {
    const Nucleotidecode code = Getcode(current, i);
    if (code == Getcode(first, i)) continue;
    flags[i] = true;
    reporter.Found(i, code);
  }
}

void Search(Records &records, const Population &pop, const Sitepolicy &policy, Workspace &work, Gapreport &gaps,
            Sitereporter &reporter) {
  const std::int32_t length = pop.Seqlength;
  const bool pairwise = policy.Missing == Missingpolicy::Pairwise;
  const auto mark = [&](const std::uint8_t *codes) {
    if (!policy.Countgaps && policy.Missing == Missingpolicy::State) return;
    Markmissing(codes, length, work.Missing, pairwise ? &gaps.Positions.emplace_back() : nullptr);
  };
  reporter.Searching();
  records.Open();
  // A sample in memory hands out its own codes; a file's first record stays
  // in its array while the others pass through theirs.
  const std::uint8_t *first = records.Next(work.First);
  mark(first);
  if (pairwise) std::copy(first, first + Packedbytes(length), work.Reference.Bytes);
  for (std::int32_t j = 2; j <= pop.Numseqs; ++j) {
    const std::uint8_t *current = records.Next(work.Current);
    mark(current);
    if (pairwise) {
      Comparecalled(work.Reference.Bytes, current, length, work.Flags);
      continue;
    }
    reporter.Comparing(j, pop.Seqs[j].Otu);
    Comparewithfirst(first, current, length, work.Flags, reporter);
    reporter.Compared();
  }
  records.Close();
}

// The counts of gaps and N, and under complete deletion the flags of the
// positions removed cleared.
void Countgaps(std::int32_t length, const Sitepolicy &policy, Workspace &work, Gapreport &gaps) {
  gaps.Kept = length;
  if (!policy.Countgaps && policy.Missing == Missingpolicy::State) return;
  for (std::int32_t i = 1; i <= length; ++i) {
    if (!work.Missing[i]) continue;
    ++gaps.Columns;
    if (work.Flags[i]) ++gaps.Sites;
    if (policy.Missing == Missingpolicy::Complete) work.Flags[i] = false;
  }
  if (policy.Missing == Missingpolicy::Complete) gaps.Kept = length - gaps.Columns;
}

// Every flagged site in order, and the first Maxsegsites of them as positions.
std::vector<std::int32_t> Listsites(std::int32_t length, Workspace &work) {
  std::vector<std::int32_t> sites;
  for (std::int32_t i = 1; i <= length; ++i) {
    if (!work.Flags[i]) continue;
    if (sites.size() < static_cast<std::size_t>(Maxsegsites)) work.Positions[sites.size()] = i;
    sites.push_back(i);
  }
  return sites;
}

// Copies the codes of a record at the segregating sites to positions
// 1..count of `sites`: whole groups of eight at once, the rest one by one, so
// nothing above `count` changes.
void Storerecord(const std::uint8_t *codes, const std::int32_t *positions, std::int32_t count, Sitearray &sites) {
  std::int32_t k = 0;
  for (; count - k >= 8; k += 8) {
    std::uint32_t group = 0;
    for (std::int32_t t = 0; t < 8; ++t) group = group << 3 | Getcode(codes, positions[k + t]);
    Setgroup(sites, k / 8, group);
  }
  for (; k < count; ++k) Setcode(sites, k + 1, Getcode(codes, positions[k]));
}

void Store(Records &records, Population &pop, Workspace &work, Sitereporter &reporter) {
  reporter.Storing();
  records.Open();
  for (std::int32_t j = 1; j <= pop.Numseqs; ++j) {
    Sequencerecord &record = pop.Seqs[j];
    Storerecord(records.Next(work.Current), work.Positions, pop.Numsegsites, record.Sites);
    reporter.Stored(record.Sites, pop.Numsegsites);
  }
  records.Close();
  reporter.Finished();
}

Gapreport Findsites(Records &records, Population &pop, Sitereporter &reporter, const Sitepolicy &policy) {
  const auto work = std::make_unique<Workspace>();
  std::fill(std::begin(work->Flags), std::end(work->Flags), false);
  std::fill(std::begin(work->Missing), std::end(work->Missing), false);
  Gapreport gaps;
  Search(records, pop, policy, *work, gaps, reporter);
  Countgaps(pop.Seqlength, policy, *work, gaps);
  const std::vector<std::int32_t> sites = Listsites(pop.Seqlength, *work);
  reporter.Listed(sites);
  const auto count = static_cast<std::int32_t>(sites.size());
  if (count > Maxsegsites)
    Raisefatal("Halvik is set to handle up to " + Stringfromint(Maxsegsites) +
               " segregating sites.\nThis population has too many.");
  pop.Numsegsites = count;
  if (count == 0) Raisefatal("There are no segregating sites in these sequences.");
  Store(records, pop, *work, reporter);
  return gaps;
}

}  // namespace

Gapreport Findsegsites(const Sequencesource &source, Population &pop, Sitereporter &reporter,
                       const Sitepolicy &policy) {
  Filerecords records(source, pop.Seqlength, reporter);
  return Findsites(records, pop, reporter, policy);
}

void Takerecords(const Packedsample &sample, Population &pop) {
  pop.Numseqs = sample.Count();
  pop.Seqlength = sample.Length;
  for (std::int32_t j = 1; j <= pop.Numseqs; ++j) {
    pop.Seqs[j].Otu = sample.Labels[static_cast<std::size_t>(j - 1)];
    pop.Seqs[j].Length = sample.Length;
  }
}

Gapreport Findsegsites(const Packedsample &sample, Population &pop, Sitereporter &reporter,
                       const Sitepolicy &policy) {
  Memoryrecords records(sample, reporter);
  return Findsites(records, pop, reporter, policy);
}

}  // namespace halvik
