#include "driver/printer.h"

#include "seqfile/codes.h"
#include "stats/tested.h"

namespace halvik {

namespace {

// The found-site lines are gathered and handed to the console in large
// pieces: there can be millions of them.
constexpr std::size_t Foundpiece = 1 << 16;

void Appendint(std::string &text, std::int32_t n) {
  char digits[12];
  char *end = digits + sizeof digits, *p = end;
  do *--p = static_cast<char>('0' + n % 10);
  while ((n /= 10) > 0);
  text.append(p, static_cast<std::size_t>(end - p));
}

}  // namespace

void Printer::Labelgrown(std::string_view label) {
  if (Screen == nullptr) return;
  Writestr(*Screen, label);
  Writeln(*Screen);
}

void Printer::Recordverified(std::int32_t number, std::string_view label, std::int32_t length) {
  if (Screen == nullptr) return;
  Writestr(*Screen, "Sequence ");
  Writeint(*Screen, number, 3);
  Writestr(*Screen, " verified: ");
  Writech(*Screen, '\t', 5);
  Writestr(*Screen, " OTU: ");
  Writestr(*Screen, label, 5);
  Writech(*Screen, '\t', 5);
  Writestr(*Screen, "Length: ");
  Writeint(*Screen, length, 5);
  Writeln(*Screen);
}

void Printer::Counted(std::int32_t records) {
  if (Screen == nullptr) return;
  Writeint(*Screen, records);
  Writestr(*Screen, " sequences verified.");
  Writeln(*Screen);
}

void Printer::Verified(std::string_view name) {
  if (Screen == nullptr) return;
  Writech(*Screen, '\n');
  Writestr(*Screen, "File ");
  Writestr(*Screen, name);
  Writestr(*Screen, " verified.");
  Writeln(*Screen);
}

void Printer::Head(std::string_view text) {
  if (Screen != nullptr) Writestr(*Screen, text);
  Writestr(Results(), text);
}

void Printer::Searching() {
  if (Screen == nullptr) return;
  Writech(*Screen, '\n');
  Writestr(*Screen, "Finding segregating sites...");
  Writeln(*Screen);
  Writestr(*Screen, "Searching: ");
}

void Printer::Comparing(std::int32_t, std::string_view label) {
  Foundprefix = "\nFound site:  ";
  Foundprefix.append(label).append("  \t");
}

void Printer::Found(std::int32_t site, Nucleotidecode code) {
  if (Screen == nullptr) return;
  Foundtext += Foundprefix;
  Foundtext += Nucleotidetochar(code);
  Foundtext += " at ";
  Appendint(Foundtext, site);
  Foundtext += '\n';
  if (Foundtext.size() >= Foundpiece) Compared();
}

void Printer::Compared() {
  if (Screen != nullptr) Writestr(*Screen, Foundtext);
  Foundtext.clear();
}

void Printer::Listed(const std::vector<std::int32_t> &sites) {
  Textsink &results = Results();
  if (Screen != nullptr) Writestr(*Screen, "\n\nSegregating sites at:  \n");
  Writestr(results, "\n\nSegregating sites at:  \n");
  for (const std::int32_t site : sites) {
    if (Screen != nullptr) Writeint(*Screen, site, 6);
    Writech(results, '\t');
    Writeint(results, site, 6);
  }
  for (Textsink *sink : {Screen, &results}) {
    if (sink == nullptr) continue;
    Writestr(*sink, "\n\nHalvik found a total of ");
    Writeint(*sink, static_cast<std::int64_t>(sites.size()), 4);
    Writestr(*sink, " segregating sites in these sequences.");
    Writeln(*sink);
  }
}

void Printer::Storing() {
  if (Screen != nullptr) {
    Writestr(*Screen, "\nReading nucleotides at segregating sites...\n");
    Writeln(*Screen);
  }
  Writestr(Results(), "\nNucleotides at segregating sites:");
  Writeln(Results());
  Screenrow.clear();
  Resultsrow.clear();
}

// The rows keep their blanks and tabs; only the nucleotides change.
void Printer::Stored(const Sitearray &codes, std::int32_t sites) {
  const auto count = static_cast<std::size_t>(sites);
  if (Resultsrow.size() != 3 * count) {
    Screenrow.assign(1 + 2 * count, ' ');
    Resultsrow.clear();
    for (std::size_t k = 0; k < count; ++k) Resultsrow += "\t- ";
  }
  for (std::size_t k = 1; k <= count; ++k) {
    const char c = Nucleotidetochar(Getcode(codes, static_cast<int>(k)));
    Screenrow[2 * k - 1] = c;
    Resultsrow[3 * k - 2] = c;
  }
  if (Screen != nullptr) {
    Writestr(*Screen, Screenrow);
    Writeln(*Screen);
  }
  Writestr(Results(), Resultsrow);
  Writeln(Results());
}

void Printer::Finished() {
  if (Screen != nullptr) Writeln(*Screen);
  Writeln(Results());
}

void Printer::Resultline(std::string_view label, double value, int columns, int decimals, bool blankafter) {
  for (Textsink *sink : {Screen, &Results()}) {
    if (sink == nullptr) continue;
    Writestr(*sink, label);
    if (sink != Screen) Writech(*sink, '\t');
    Writereal(*sink, value, columns, decimals);
    if (blankafter) Writech(*sink, '\n');
    Writeln(*sink);
  }
}

// Within, total and their ratio: the two means with 5 decimals, the ratio with 6.
void Printer::Resultgroup(const char *within, double s, const char *total, double t, const char *ratio, double r,
                          bool blankafter) {
  Resultline(within, s, 5, 5);
  Resultline(total, t, 5, 5);
  Resultline(ratio, r, 6, 6, blankafter);
}

// A range's mean, named by the labels of its first and last records.
void Printer::Rangeline(std::string_view open, const Analysis &analysis, std::int32_t first, std::int32_t last,
                        std::string_view close, double value) {
  std::string label(open);
  label.append(analysis.Pop().Seqs[first].Otu).append(" to ").append(analysis.Pop().Seqs[last].Otu).append(close);
  Resultline(label, value, 8, 6);
}

void Printer::Described(const Analysis &analysis) {
  Resultline("Pn:  ", analysis.Pn, 8, 6);
  Resultline("Theta:  ", analysis.Theta, 8, 6);
}

void Printer::Localitycount(std::int32_t count) {
  Writestr(Results(), "Number of Localities:  ");
  Writech(Results(), '\t');
  Writeint(Results(), count, 2);
  Writeln(Results());
}

void Printer::Observed(const Analysis &analysis) {
  const Localities &d = analysis.Division;
  const Subdivision &s = analysis.Stats;
  const std::int32_t n = analysis.Pop().Numseqs;
  // Each locality's mean, then the whole sample's, at index 0.
  const auto ranges = [&](std::string_view open, std::string_view close, const auto &values) {
    for (std::int32_t k = 1; k <= d.Count; ++k)
      Rangeline(open, analysis, d.Start[k], d.Start[k + 1] - 1, close, values[static_cast<std::size_t>(k)]);
    Rangeline(open, analysis, 1, n, close, values[0]);
  };
  ranges("(", ")  Pi i,j:  ", s.Pi);
  ranges("K(", "):  ", s.K);
  Resultgroup("Ks:  ", s.Ks, "Kt:  ", s.Kt, "Kst: ", s.Kst);
  Resultgroup("Fs:  ", s.Fs, "Ft:  ", s.Ft, "Fst: ", s.Fst);
  ranges("K*(", "):  ", s.Kstar);
  Resultgroup("K*s:  ", s.Ksstar, "K*t:  ", s.Ktstar, "K*st: ", s.Kststar);
  Resultgroup("F*s:  ", s.Fsstar, "F*b:  ", s.Fbstar, "F*sb: ", s.Fsbstar, true);
}

void Printer::Testing(const Analysis &analysis) {
  Writestr(Results(), "Number of randomized sequence lineups:  ");
  Writech(Results(), '\t');
  Writeint(Results(), analysis.Lineups, 5);
  Writeln(Results());
}

void Printer::Tested(const Analysis &analysis) {
  for (Textsink *sink : {Screen, &Results()}) {
    if (sink == nullptr) continue;
    for (const Testedstatistic &t : Testedstatistics) {
      if (t.Plabel == nullptr) continue;  // the dialogue tests only its own four
      Writestr(*sink, t.Plabel);
      if (sink != Screen) Writech(*sink, '\t');
      Writereal(*sink, static_cast<double>(analysis.Counts[t.Id]) / static_cast<double>(analysis.Lineups), 8, 6);
      Writeln(*sink);
    }
  }
}

}  // namespace halvik
