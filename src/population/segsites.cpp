#include "population/segsites.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "driver/failure.h"
#include "driver/globals.h"
#include "driver/textout.h"
#include "population/store.h"
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

// Eight codes fill three bytes, so 64 codes fill 24: a block of positions that
// starts on a byte boundary and can be compared whole.
constexpr std::int32_t Blockcodes = 64;
constexpr std::size_t Blockbytes = 24;

// Reads the next record, whose line must still hold exactly Seqlength
// nucleotides: anything else would leave stale codes in the array.
void Readrecord(Seqfile &file, Fullarray &codes) {
  if (Nextseq(file, codes) != Pop.Seqlength) Raisechanged();
}

// After the last record the file must be at its end.
void Checkended(Seqfile &file) {
  if (!Ateof(file)) Raisechanged();
}

// Flags every site where sequence j differs from sequence 1 and reports each
// difference on the console. Whole blocks are compared first; positions are
// taken apart only in a block that differs.
void Comparewithfirst(std::int32_t j) {
  const std::string prefix = "\nFound site:  " + Pop.Seqs[j].Otu + "  \t";
  std::string line;
  const auto check = [&](std::int32_t i) {
    const Nucleotidecode code = Getcode(Work.Current, i);
    if (code == Getcode(Work.First, i)) return;
    Work.Flags[i] = true;
    line = prefix;
    line += Nucleotidetochar(code);
    line += " at ";
    line += std::to_string(i);
    line += '\n';
    Writestr(Console, line);
  };
  const std::int32_t length = Pop.Seqlength;
  const std::int32_t blocks = length / Blockcodes;
  for (std::int32_t b = 0; b < blocks; ++b) {
    const std::size_t offset = Blockbytes * static_cast<std::size_t>(b);
    if (std::memcmp(Work.First.Bytes + offset, Work.Current.Bytes + offset, Blockbytes) != 0)
      for (std::int32_t i = b * Blockcodes + 1; i <= (b + 1) * Blockcodes; ++i) check(i);
  }
  for (std::int32_t i = blocks * Blockcodes + 1; i <= length; ++i) check(i);
}

void Search(Seqfile &file) {
  Writech(Console, '\n');
  Writestr(Console, "Finding segregating sites...");
  Writeln(Console);
  Writestr(Console, "Searching: ");
  Openseqfile(file, Filename);
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

// Stores every sequence's codes at the segregating sites and shows them as a
// table: the label and separator that Nextseq copies begin each row.
void Store(Seqfile &file) {
  Writestr(Console, "\nReading nucleotides at segregating sites...\n");
  Writeln(Console);
  Writestr(Outfile, "\nNucleotides at segregating sites:");
  Writeln(Outfile);
  Openseqfile(file, Filename);
  const std::int32_t count = Pop.Numsegsites;
  std::string row, filerow;
  for (std::int32_t j = 1; j <= Pop.Numseqs; ++j) {
    Readrecord(file, Work.Current);
    row.assign(1, ' ');
    filerow.clear();
    for (std::int32_t k = 1; k <= count; ++k) {
      const Nucleotidecode code = Getcode(Work.Current, Work.Positions[k - 1]);
      Setcode(Pop.Seqs[j].Sites, k, code);
      const char c = Nucleotidetochar(code);
      row += c;
      row += ' ';
      filerow += '\t';
      filerow += c;
      filerow += ' ';
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

void Findsegsites() {
  std::fill(std::begin(Work.Flags), std::end(Work.Flags), false);
  Seqfile file;
  Search(file);
  const std::int32_t count = Listsites();
  if (count > Maxsegsites)
    Raisefatal("Halvik is set to handle up to " + Stringfromint(Maxsegsites) +
               " segregating sites.\nThis population has too many.");
  Pop.Numsegsites = count;
  if (count == 0) Raisefatal("There are no segregating sites in these sequences.");
  Store(file);
}

}  // namespace halvik
