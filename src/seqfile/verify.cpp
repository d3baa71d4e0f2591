#include "seqfile/verify.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "driver/console/failure.h"
#include "store/store.h"
#include "seqfile/codes.h"
#include "seqfile/reader.h"

namespace halvik {

namespace {

[[noreturn]] void Illegal(const Seqfile &file, char c, std::int32_t base, const std::string &label) {
  Raisefatal("Halvik found an illegal character, " + std::string(1, c) + ", in sequence " + label + ", base " +
             Stringfromint(base) + " in " + file.Name);
}

// Takes the label into record n, echoing it on the console each time it grows.
// c holds the record's first character and ends holding the one after the label.
void Readlabel(Seqfile &file, std::string &label, std::int32_t n, char &c, Verifyreporter &reporter) {
  label.clear();
  while (c != ' ' && !Ateof(file)) {
    label.push_back(c);
    reporter.Labelgrown(label);
    c = Readchar(file);
    if (label.size() > Longestlabel)
      Raisefatal("Halvik found OTU #" + Stringfromint(n) + " longer than 254 characters in " + file.Name + ":  \n" +
                 label);
  }
}

// Whether every character is a nucleotide. Comparisons rather than table
// loads, so that the compiler can test many characters at once.
bool Allnucleotides(std::string_view piece) {
  std::uint8_t good = 0xff;
  for (const char c : piece)
    good &=
        static_cast<std::uint8_t>(-(c == 'A') | -(c == 'C') | -(c == 'G') | -(c == 'T') | -(c == 'N') | -(c == '-'));
  return good == 0xff;
}

// Checks the sequence part from its first character `first` to the end of its
// line, which stays unread, and returns its length. The rest of the line is
// checked in buffered pieces: a piece is checked in one sweep and searched
// for its first bad character only when it holds one.
std::int32_t Scansequence(Seqfile &file, char first, const std::string &label) {
  std::int32_t count = 1;
  if (Codetable[static_cast<unsigned char>(first)] == Notanucleotide) Illegal(file, first, count, label);
  while (!Ateoln(file)) {
    if (count == Maxlength)
      Raisefatal("Halvik is set to handle up to " + Stringfromint(Maxlength) + " nucleotides.\nSequence " + label +
                 " has too many.");
    const std::string_view piece = Linepiece(file);
    const std::size_t take = std::min(piece.size(), static_cast<std::size_t>(Maxlength - count));
    if (!Allnucleotides(piece.substr(0, take)))
      for (std::size_t i = 0; i < take; ++i)
        if (Codetable[static_cast<unsigned char>(piece[i])] == Notanucleotide)
          Illegal(file, piece[i], count + 1 + static_cast<std::int32_t>(i), label);
    count += static_cast<std::int32_t>(take);
    Skip(file, take);
  }
  return count;
}

void Checkrecords(const Seqfile &file, std::int32_t n, Population &pop, Verifyreporter &reporter) {
  if (n < 2)
    Raisefatal("Halvik found " + Stringfromint(n) + " sequence.\nHalvik can do very little with so few sequences.");
  reporter.Counted(n);
  pop.Numseqs = n;
  for (std::int32_t i = n; i >= 1; --i)
    if (pop.Seqs[i].Length != pop.Seqs[1].Length)
      Raisefatal("Halvik cannot use this file; some sequences are of different lengths in " + file.Name);
  pop.Seqlength = pop.Seqs[1].Length;
}

}  // namespace

void Verifysequences(const Sequencesource &source, Population &pop, Verifyreporter &reporter) {
  Seqfile file;
  Openseqfile(file, source);
  std::int32_t n = 0;
  while (!Ateof(file)) {
    // The store has room for Maxseqs records: refuse before touching one more.
    if (n == Maxseqs)
      Raisefatal("\nHalvik is set to handle up to " + Stringfromint(Maxseqs) + " sequences.\nThis file has too many.");
    ++n;
    char c = Readchar(file);
    Sequencerecord &record = pop.Seqs[n];
    Readlabel(file, record.Otu, n, c, reporter);
    // Line ends read as blanks, so the sequence may stand lines below its label.
    while (c == ' ' && !Ateof(file)) c = Readchar(file);
    if (Ateof(file))
      Raisefatal("Halvik found OTU #" + Stringfromint(n) + " with no subsequent sequence in " + file.Name);
    record.Length = Scansequence(file, c, record.Otu);
    reporter.Recordverified(n, record.Otu, record.Length);
    Readchar(file);  // the line end, if there is one
  }
  Closeseqfile(file);
  Checkrecords(file, n, pop, reporter);
  reporter.Verified(source.Name);
}

}  // namespace halvik
