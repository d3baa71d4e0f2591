#include "driver/keyboardanswers.h"

#include <vector>

#include "driver/console/readint.h"
#include "driver/console/sinks.h"

namespace halvik {

namespace {

// One listing line: a mark (a tab in the plain listing), the sequence number
// and the label cut to ten characters.
void Listingline(char mark, std::int32_t i, const Population &pop) {
  Writech(Console, mark, 2);
  Writeint(Console, i, 5);
  Writestr(Console, pop.Seqs[i].Otu, 10);
  Writeln(Console);
}

std::int32_t Askcount(std::int32_t n) {
  std::int32_t count;
  do {
    Writestr(Console, "Into how many localities do you wish to divide these sequences? ");
    count = Readint(1, Maxlocalities);
  } while (!Countfits(count, n));
  return count;
}

// Asked until the answer leaves every locality at least two sequences.
std::int32_t Askstart(std::int32_t k, const std::vector<std::int32_t> &starts, std::int32_t count, std::int32_t n) {
  for (;;) {
    Writestr(Console, "Enter the number to the left of the first sequence in locality #");
    Writeint(Console, k, 2);
    Writestr(Console, "? ");
    const std::int32_t answer = Readint(1, n);
    if (Startfits(starts, answer, count, n)) return answer;
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

std::vector<std::int32_t> Askdivision(const Population &pop, Analysisreporter &reporter) {
  const std::int32_t n = pop.Numseqs;
  Writeln(Console);
  for (std::int32_t i = 1; i <= n; ++i) Listingline('\t', i, pop);
  const std::int32_t count = Askcount(n);
  reporter.Localitycount(count);
  Writech(Console, '\n');
  Writestr(Console, "Halvik assumes all sequences from a single locality are grouped together,");
  Writeln(Console);
  Writestr(Console, "and that the first locality begins with sequence number one.  No locality");
  Writeln(Console);
  Writestr(Console, "may have fewer than two sequences.");
  Writeln(Console);
  std::vector<std::int32_t> starts{1};
  for (std::int32_t k = 2; k <= count; ++k) starts.push_back(Askstart(k, starts, count, n));
  return starts;
}

void Showdivision(const std::vector<std::int32_t> &starts, const Population &pop) {
  std::size_t k = 0;
  for (std::int32_t i = 1; i <= pop.Numseqs; ++i) {
    if (k < starts.size() && i == starts[k]) ++k;
    Listingline(static_cast<char>(32 + k), i, pop);
  }
}

}  // namespace

void Keyboardanswers::Pause() {
  Writestr(Console, "Press return when ready.");
  Skipline();
}

Localities Keyboardanswers::Division(const Population &pop, Analysisreporter &reporter) {
  for (;;) {
    const std::vector<std::int32_t> starts = Askdivision(pop, reporter);
    Showdivision(starts, pop);
    if (Askconfirmation() == 'y') return Dividedat(starts.data(), static_cast<std::int32_t>(starts.size()), pop.Numseqs);
  }
}

std::int32_t Keyboardanswers::Lineups() {
  Writestr(Console, "How many randomized sequence lineups would you like performed? ");
  return Readint(1, Boundlimit);
}

}  // namespace halvik
