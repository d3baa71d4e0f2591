#include "stats/dialogue.h"

#include "driver/console/readint.h"
#include "driver/console/sinks.h"
#include "store/store.h"

namespace halvik {

namespace {

// One listing line: a mark (a tab in the plain listing), the sequence number
// and the label cut to ten characters.
void Listingline(char mark, std::int32_t i) {
  Writech(Console, mark, 2);
  Writeint(Console, i, 5);
  Writestr(Console, Pop.Seqs[i].Otu, 10);
  Writeln(Console);
}

std::int32_t Askcount(std::int32_t n) {
  std::int32_t count;
  do {
    Writestr(Console, "Into how many localities do you wish to divide these sequences? ");
    count = Readint(1, Maxlocalities);
  } while (count > n / 2);
  return count;
}

// Every locality keeps at least two sequences: the one before k, and the
// ones from k on.
std::int32_t Askstart(std::int32_t k, std::int32_t count, std::int32_t previous, std::int32_t n) {
  for (;;) {
    Writestr(Console, "Enter the number to the left of the first sequence in locality #");
    Writeint(Console, k, 2);
    Writestr(Console, "? ");
    const std::int32_t answer = Readint(1, n);
    if (previous + 2 <= answer && answer <= n - 2 * (count - k) - 1) return answer;
  }
}

// The answer is read one character at a time, leaving the rest of the line
// for the next read.
char Askconfirmation() {
  char c;
  do {
    Writestr(Console, "Is this correct (y/n)? ");
    c = Readcharkeep();
    Writeln(Console);
  } while (c != 'y' && c != 'n');
  return c;
}

Localities Askdivision(std::int32_t n) {
  Localities division;
  Writeln(Console);
  for (std::int32_t i = 1; i <= n; ++i) Listingline('\t', i);
  division.Count = Askcount(n);
  Writelocalitycount(division.Count);
  division.Start[1] = 1;
  Writech(Console, '\n');
  Writestr(Console, "Halvik assumes all sequences from a single locality are grouped together,");
  Writeln(Console);
  Writestr(Console, "and that the first locality begins with sequence number one.  No locality");
  Writeln(Console);
  Writestr(Console, "may have fewer than two sequences.");
  Writeln(Console);
  for (std::int32_t k = 2; k <= division.Count; ++k)
    division.Start[k] = Askstart(k, division.Count, division.Start[k - 1], n);
  division.Start[division.Count + 1] = n + 1;
  return division;
}

void Showdivision(const Localities &division, std::int32_t n) {
  std::int32_t k = 0;
  for (std::int32_t i = 1; i <= n; ++i) {
    if (k < division.Count && i == division.Start[k + 1]) ++k;
    Listingline(static_cast<char>(32 + k), i);
  }
}

}  // namespace

void Writelocalitycount(std::int32_t count) {
  Writestr(Outfile, "Number of Localities:  ");
  Writech(Outfile, '\t');
  Writeint(Outfile, count, 2);
  Writeln(Outfile);
}

Localities Definelocalities() {
  const std::int32_t n = Pop.Numseqs;
  for (;;) {
    Localities division = Askdivision(n);
    Showdivision(division, n);
    if (Askconfirmation() == 'y') {
      for (std::int32_t k = 1; k <= division.Count; ++k)
        division.Weight[k] = static_cast<double>(division.Start[k + 1] - division.Start[k]) / static_cast<double>(n);
      return division;
    }
  }
}

}  // namespace halvik
