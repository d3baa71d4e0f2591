#include "population/segsites.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#include "driver/console/failure.h"
#include "driver/console/sinks.h"
#include "store/store.h"
#include "seqfile/codes.h"
#include "seqfile/nextseq.h"
#include "seqfile/reader.h"

namespace halvik {

namespace {

// The working state of one run. Sequence 1 and the sequence in hand are the
// only full-length sequences ever held; Flags marks the segregating sites
// (index 1..Seqlength), and Positions lists them in order once they are known
// to be at most Maxsegsites, so the storing pass need not scan every flag for
// every sequence. Static, so that a run allocates nothing.
struct Workspace {
  Fullarray First;
  Fullarray Current;
  bool Flags[Maxlength + 1];
  std::int32_t Positions[Maxsegsites];
};
Workspace Work;

// Reads the next record, whose line must still hold exactly Seqlength
// nucleotides: anything else would leave stale codes in the array.
void Readrecord(Seqfile &file, Fullarray &codes) {
  if (Nextseq(file, codes) != Pop.Seqlength) Raisechanged(file);
}

// After the last record the file must be at its end.
void Checkended(Seqfile &file) {
  if (!Ateof(file)) Raisechanged(file);
}

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

// The found-site lines of one sequence, gathered and handed to the console in
// large pieces: there can be millions of them.
struct Foundlines {
  std::string Prefix;  // a line feed, "Found site:  ", the label, the tab in 3 columns
  std::string Text;

  void Add(std::int32_t site, Nucleotidecode code) {
    char digits[12];
    char *end = digits + sizeof digits, *p = end;
    do *--p = static_cast<char>('0' + site % 10);
    while ((site /= 10) > 0);
    Text += Prefix;
    Text += Nucleotidetochar(code);
    Text += " at ";
    Text.append(p, static_cast<std::size_t>(end - p));
    Text += '\n';
    if (Text.size() >= 1 << 16) Flush();
  }
  void Flush() {
    Writestr(Console, Text);
    Text.clear();
  }
};

void Comparequarter(std::int32_t first, std::size_t offset, Foundlines &found) {
  const std::uint64_t current = Loadquarter(Work.Current.Bytes + offset);
  for (std::uint64_t differ = current ^ Loadquarter(Work.First.Bytes + offset); differ != 0;) {
    const int t = (std::countl_zero(differ) - 16) / 3;  // the first code that differs
    const int shift = 45 - 3 * t;
    Work.Flags[first + t] = true;
    found.Add(first + t, static_cast<Nucleotidecode>(current >> shift & 7u));
    differ &= ~(std::uint64_t{7} << shift);
  }
}

// Flags every site where sequence j differs from sequence 1 and reports each
// difference on the console, in increasing order of site.
void Comparewithfirst(std::int32_t j) {
  Foundlines found;
  found.Prefix = "\nFound site:  " + Pop.Seqs[j].Otu + "  \t";
  const std::int32_t length = Pop.Seqlength;
  const std::int32_t blocks = length / Blockcodes;
  for (std::int32_t b = 0; b < blocks; ++b) {
    const std::size_t offset = Blockbytes * static_cast<std::size_t>(b);
    if (std::memcmp(Work.First.Bytes + offset, Work.Current.Bytes + offset, Blockbytes) == 0) continue;
    for (std::int32_t q = 0; q < Blockcodes / Quartercodes; ++q)
      Comparequarter(b * Blockcodes + q * Quartercodes + 1, offset + Quarterbytes * static_cast<std::size_t>(q), found);
  }
  for (std::int32_t i = blocks * Blockcodes + 1; i <= length; ++i) {
    const Nucleotidecode code = Getcode(Work.Current, i);
    if (code == Getcode(Work.First, i)) continue;
    Work.Flags[i] = true;
    found.Add(i, code);
  }
  found.Flush();
}

void Search(Seqfile &file, const Sequencesource &source) {
  Writech(Console, '\n');
  Writestr(Console, "Finding segregating sites...");
  Writeln(Console);
  Writestr(Console, "Searching: ");
  Openseqfile(file, source);
  Readrecord(file, Work.First);
  for (std::int32_t j = 2; j <= Pop.Numseqs; ++j) {
    Readrecord(file, Work.Current);
    Comparewithfirst(j);
  }
  Checkended(file);
}

void Bothoutputs(std::string_view text) {
  Writestr(Console, text);
  Writestr(Outfile, text);
}

// Lists the flagged sites and their total on both outputs; returns the total.
std::int32_t Listsites() {
  Bothoutputs("\n\nSegregating sites at:  \n");
  std::int32_t count = 0;
  for (std::int32_t i = 1; i <= Pop.Seqlength; ++i) {
    if (!Work.Flags[i]) continue;
    if (count < Maxsegsites) Work.Positions[count] = i;
    ++count;
    Writeint(Console, i, 6);
    Writech(Outfile, '\t');
    Writeint(Outfile, i, 6);
  }
  for (Textsink *sink : {&Console, &Outfile}) {
    Writestr(*sink, "\n\nHalvik found a total of ");
    Writeint(*sink, count, 4);
    Writestr(*sink, " segregating sites in these sequences.");
    Writeln(*sink);
  }
  return count;
}

// Copies the codes of the sequence in hand at the segregating sites to
// positions 1..count of `sites`: whole groups of eight at once, the rest one
// by one, so nothing above `count` changes.
void Storerecord(Sitearray &sites, std::int32_t count) {
  std::int32_t k = 0;
  for (; count - k >= 8; k += 8) {
    std::uint32_t group = 0;
    for (std::int32_t t = 0; t < 8; ++t) group = group << 3 | Getcode(Work.Current, Work.Positions[k + t]);
    Setgroup(sites, k / 8, group);
  }
  for (; k < count; ++k) Setcode(sites, k + 1, Getcode(Work.Current, Work.Positions[k]));
}

// Stores every sequence's codes at the segregating sites and shows them as a
// table: the label and separator that Nextseq copies begin each row.
void Store(Seqfile &file, const Sequencesource &source) {
  Writestr(Console, "\nReading nucleotides at segregating sites...\n");
  Writeln(Console);
  Writestr(Outfile, "\nNucleotides at segregating sites:");
  Writeln(Outfile);
  Openseqfile(file, source);
  const std::int32_t count = Pop.Numsegsites;
  // The rows keep their blanks and tabs; only the nucleotides change.
  std::string row(1 + 2 * static_cast<std::size_t>(count), ' ');
  std::string filerow;
  for (std::int32_t k = 0; k < count; ++k) filerow += "\t- ";
  for (std::int32_t j = 1; j <= Pop.Numseqs; ++j) {
    Readrecord(file, Work.Current);
    Storerecord(Pop.Seqs[j].Sites, count);
    for (std::int32_t k = 1; k <= count; ++k) {
      const char c = Nucleotidetochar(Getcode(Pop.Seqs[j].Sites, k));
      row[2 * static_cast<std::size_t>(k) - 1] = c;
      filerow[3 * static_cast<std::size_t>(k) - 2] = c;
    }
    Writestr(Console, row);
    Writeln(Console);
    Writestr(Outfile, filerow);
    Writeln(Outfile);
  }
  Checkended(file);
  Closeseqfile(file);
  Writeln(Console);
  Writeln(Outfile);
}

}  // namespace

void Findsegsites(const Sequencesource &source) {
  std::fill(std::begin(Work.Flags), std::end(Work.Flags), false);
  Seqfile file;
  Search(file, source);
  const std::int32_t count = Listsites();
  if (count > Maxsegsites)
    Raisefatal("Halvik is set to handle up to " + Stringfromint(Maxsegsites) +
               " segregating sites.\nThis population has too many.");
  Pop.Numsegsites = count;
  if (count == 0) Raisefatal("There are no segregating sites in these sequences.");
  Store(file, source);
}

}  // namespace halvik
