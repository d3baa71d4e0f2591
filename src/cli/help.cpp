#include "cli/help.h"

#include <string>

#include "cli/version.h"

namespace halvik {

const char *const Usageline =
    "Usage: halvik [OPTIONS] FILE...\n"
    "  or:  halvik scan [OPTIONS] VCF\n"
    "Try 'halvik --help' for more information.\n";

const char *const Helptext =
    "Usage: halvik [OPTIONS] FILE...\n"
    "  or:  halvik scan [OPTIONS] VCF     (see 'halvik scan --help')\n"
    "  or:  halvik\n"
    "Test whether aligned DNA sequences from several localities differ more\n"
    "between localities than within them: Pn, Theta, Ks, Kt, Kst, Fs, Ft, Fst and\n"
    "their log-transformed forms, Snn and PhiST, with a permutation test over\n"
    "randomized lineups, and exactly over every division where they are few.\n"
    "\n"
    "With no arguments Halvik asks its questions one by one on the terminal.\n"
    "With FILEs it analyses each FILE with the answers the options give, writes\n"
    "FILE.HVK exactly as the questions would have, and prints a table with a row\n"
    "per FILE. A FILE may be in Halvik's own format (a label, blanks and the bases\n"
    "on each line) or aligned FASTA, PHYLIP, NEXUS or CLUSTAL, told from its content;\n"
    "- is standard input.\n"
    "\n"
    "Options:\n"
    "  -l, --localities LIST   the first sequence number of each locality, rising\n"
    "                          from 1, e.g. 1,15 (default 1: one locality)\n"
    "  -g, --groups MAP        a file of two columns, label and locality name, that\n"
    "                          puts every sequence in a locality (not with -l)\n"
    "  -r, --lineups R         randomized lineups, 1 to 29999 (default 9999)\n"
    "  -s, --seed S            seed every analysis with S (0 to 4294967295); without\n"
    "                          it each is seeded from /dev/urandom as the questions\n"
    "                          seed it, and the seed is reported in the table\n"
    "  -f, --format tsv|json   the table's format (default: an aligned summary on a\n"
    "                          terminal, tsv anywhere else)\n"
    "  -o, --output FILE       write the table to FILE, not to standard output\n"
    "  -q, --quiet             no progress bar and no done lines on standard error;\n"
    "                          refusals, failures and warnings are always shown\n"
    "      --missing POLICY    what gaps (-) and N are: state (default, as the\n"
    "                          questions count them), complete (remove every\n"
    "                          position holding one) or pairwise (compare each pair\n"
    "                          where both carry a base)\n"
    "      --results-dir DIR   write every results file in DIR (made if missing)\n"
    "      --no-results        write no results files\n"
    "      --list              list each FILE's sequences, numbered as -l counts\n"
    "                          them, and analyse nothing\n"
    "  -j, --threads N         workers of the permutation test (default: one per\n"
    "                          processor); the answers do not depend on it\n"
    "      --input-format NAME read every FILE as native, fasta, phylip, nexus or\n"
    "                          clustal instead of telling the format from its content\n"
    "      --null TABLE        write every lineup's value of each tested statistic\n"
    "                          (Kst, Fst, K*st, F*sb, Snn, PhiST) to TABLE\n"
    "      --plot PICTURE      draw the lineups' values and the observed ones as SVG\n"
    "      --pairwise          with three or more localities, also test every pair\n"
    "  -h, --help              display this help and exit\n"
    "  -V, --version           output version information and exit\n"
    "\n"
    "With several FILEs, --null and --plot write one file per FILE: the FILE's\n"
    "number in the list goes before the name's extension (plot.svg becomes\n"
    "plot-1.svg, plot-2.svg, ...).\n"
    "\n"
    "The table's P columns: _p1 is (count + 1) / (R + 1), the P to report; _p is\n"
    "count / R as the questions report it and _se the standard error of _p. Where\n"
    "there are at most 1,000,000 divisions, _exact is the exact share of them at\n"
    "least the observed value, the P to report there. With one locality nothing\n"
    "is tested and every P is nan. A pair i-j is the analysis of the two\n"
    "localities' sequences alone, seeded with S + 1000 i + j. The questions form\n"
    "their seed from the first non-zero four bytes of /dev/urandom, the first\n"
    "byte lowest: the same word given to --seed repeats their analysis.\n"
    "\n"
    "No output may be a file the run reads or another output: such a run is\n"
    "refused before anything is written.\n"
    "\n"
    "Exit status: 0 if every FILE was analysed, 1 if any was refused, 2 for a\n"
    "usage error (nothing done), 42 if a file could not be read or written (the\n"
    "other FILEs are still analysed).\n";

const char *Versiontext() {
  static const std::string text = std::string("halvik ") + Version +
                                  "\n"
                                  "Copyright (C) 2026 the Halvik developers.\n"
                                  "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
                                  "This is free software: you are free to change and redistribute it.\n"
                                  "There is NO WARRANTY, to the extent permitted by law.\n";
  return text.c_str();
}

}  // namespace halvik
