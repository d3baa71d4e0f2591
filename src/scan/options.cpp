#include "scan/options.h"

#include <getopt.h>

#include "cli/options.h"

namespace halvik {

const char *const Scanusageline =
    "Usage: halvik scan [OPTIONS] -g MAP (-w SIZE[,STEP] | --regions BED) VCF\n"
    "  or:  halvik scan --merge [OPTIONS] TABLE...\n"
    "Try 'halvik scan --help' for more information.\n";

const char *const Scanhelptext =
    "Usage: halvik scan [OPTIONS] -g MAP (-w SIZE[,STEP] | --regions BED) VCF\n"
    "  or:  halvik scan --merge [OPTIONS] TABLE...\n"
    "Test every window of a VCF, BCF or bgzipped VCF for differentiation between\n"
    "localities: Kst, Fst, K*st, F*sb, Snn and PhiST, each with a permutation test\n"
    "over randomized lineups of the samples, the same lineups for every window.\n"
    "\n"
    "Options:\n"
    "  -g, --groups MAP        a file of two columns, sample and locality name;\n"
    "                          samples of the VCF it does not name are left out\n"
    "  -w, --window SIZE[,STEP]  windows of SIZE base pairs every STEP (default\n"
    "                          SIZE) from position 1 of each chromosome\n"
    "      --regions BED       one window per interval of a BED file instead\n"
    "      --region CHR:FROM-TO  only this part of one chromosome (1-based, ends\n"
    "                          included); the -w grid stays anchored at position 1\n"
    "  -r, --lineups R         randomized lineups, 1 to 29999 (default 999)\n"
    "  -s, --seed S            seed the lineups with S (0 to 4294967295); without\n"
    "                          it the seed comes from /dev/urandom and is reported\n"
    "      --stop-after H      a statistic of a window stops drawing once H lineups\n"
    "                          reach its observed value, and reports p1 = H / r for\n"
    "                          the r lineups drawn (Besag and Clifford 1991)\n"
    "  -f, --format tsv|json   the table's format (default tsv; on a terminal, a\n"
    "                          summary)\n"
    "  -o, --output FILE       write the table to FILE, not to standard output\n"
    "      --plot PICTURE      draw Kst and -log10 p1 along the genome as SVG\n"
    "  -j, --threads N         use N threads (default: one per processor); the\n"
    "                          answers do not depend on N\n"
    "  -q, --quiet             no progress on standard error\n"
    "      --merge             join the TABLEs of separate scans and compute their\n"
    "                          q-values again\n"
    "  -h, --help              display this help and exit\n"
    "  -V, --version           output version information and exit\n"
    "\n"
    "Only records that pass their filter (PASS or .) with a one-base REF and\n"
    "one-base ALT alleles (or . for an invariant site) are used. Phased calls give\n"
    "every statistic; a window with an unphased heterozygote gives Kst, Fst and\n"
    "PhiST from genotype sums, and nan for K*st, F*sb and Snn. A pair of samples is\n"
    "compared where both are called, scaled to the window's records.\n"
    "\n"
    "The table has a row per window: _count lineups reached the observed value,\n"
    "_p1 is (count + 1) / (R + 1) and _q the Benjamini-Hochberg q-value over the\n"
    "run's windows. It is written when the run ends, through a temporary file.\n"
    "\n"
    "Exit status: 0 if the scan ran, 1 if the VCF, map or a table was refused,\n"
    "2 for a usage error, 42 if a file could not be read or written.\n";

namespace {

enum Longonly { Regionsoption = 256, Regionoption, Stopafteroption, Plotoption, Mergeoption };

const option Longoptions[] = {
    {"groups", required_argument, nullptr, 'g'},
    {"window", required_argument, nullptr, 'w'},
    {"regions", required_argument, nullptr, Regionsoption},
    {"region", required_argument, nullptr, Regionoption},
    {"lineups", required_argument, nullptr, 'r'},
    {"seed", required_argument, nullptr, 's'},
    {"stop-after", required_argument, nullptr, Stopafteroption},
    {"format", required_argument, nullptr, 'f'},
    {"output", required_argument, nullptr, 'o'},
    {"plot", required_argument, nullptr, Plotoption},
    {"threads", required_argument, nullptr, 'j'},
    {"quiet", no_argument, nullptr, 'q'},
    {"merge", no_argument, nullptr, Mergeoption},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

constexpr std::int64_t Longestwindow = 1000000000;

// "SIZE" or "SIZE,STEP", a step no longer than the size.
std::optional<Scanusage> Windowgrid(const std::string &text, Scanoptions &options) {
  const std::size_t comma = text.find(',');
  const auto size = Wholenumber(text.substr(0, comma), 1, Longestwindow);
  const auto step = comma == std::string::npos ? size : Wholenumber(text.substr(comma + 1), 1, Longestwindow);
  if (!size || !step)
    return Scanusage{"--window: '" + text + "' is not SIZE or SIZE,STEP in base pairs, such as 10000"};
  if (*step > *size) return Scanusage{"--window: a step longer than the size would leave records in no window"};
  options.Size = *size;
  options.Step = *step;
  return std::nullopt;
}

// "CHR", "CHR:FROM-" or "CHR:FROM-TO"; the name may itself hold colons.
std::optional<Scanusage> Regionof(const std::string &text, Scanoptions &options) {
  const Scanusage wrong{"--region: '" + text + "' is not CHR:FROM-TO, such as chr2L:1-500000"};
  const std::size_t colon = text.rfind(':');
  Scanregion region{text.substr(0, colon), 1, INT64_MAX};
  if (colon != std::string::npos) {
    std::string range = text.substr(colon + 1);
    std::erase(range, ',');
    const std::size_t dash = range.find('-');
    const auto from = Wholenumber(range.substr(0, dash), 1, INT64_MAX / 4);
    if (!from) return wrong;
    region.From = *from;
    if (dash != std::string::npos && dash + 1 < range.size()) {
      const auto to = Wholenumber(range.substr(dash + 1), *from, INT64_MAX / 4);
      if (!to) return wrong;
      region.To = *to;
    }
  }
  if (region.Chrom.empty()) return wrong;
  options.Region = region;
  return std::nullopt;
}

std::optional<Scanusage> Number(const std::string &name, const std::string &text, std::int64_t lowest,
                                std::int64_t highest, std::int64_t &value) {
  const auto number = Wholenumber(text, lowest, highest);
  if (!number)
    return Scanusage{name + ": '" + text + "' is not a number from " + std::to_string(lowest) + " to " +
                     std::to_string(highest)};
  value = *number;
  return std::nullopt;
}

std::optional<Scanusage> Apply(int code, const std::string &argument, Scanoptions &options) {
  std::int64_t value = 0;
  std::optional<Scanusage> error;
  switch (code) {
    case 'g': options.Groups = argument; break;
    case 'w': return Windowgrid(argument, options);
    case Regionsoption: options.Regions = argument; break;
    case Regionoption: return Regionof(argument, options);
    case 'r':
      if (!(error = Number("--lineups", argument, 1, 29999, value))) options.Lineups = static_cast<std::int32_t>(value);
      break;
    case 's':
      if (!(error = Number("--seed", argument, 0, 4294967295, value))) options.Seed = static_cast<std::uint32_t>(value);
      break;
    case Stopafteroption:
      if (!(error = Number("--stop-after", argument, 1, 29999, value)))
        options.Stopafter = static_cast<std::int32_t>(value);
      break;
    case 'j':
      if (!(error = Number("--threads", argument, 1, 1024, value))) options.Threads = static_cast<int>(value);
      break;
    case 'f':
      if (argument != "tsv" && argument != "json")
        return Scanusage{"--format: '" + argument + "' is neither tsv nor json"};
      options.Format = argument == "tsv" ? Scanformat::Tsv : Scanformat::Json;
      break;
    case 'o': options.Output = argument; break;
    case Plotoption: options.Plot = argument; break;
    case 'q': options.Quiet = true; break;
    case Mergeoption: options.Merge = true; break;
    case 'h': options.Help = true; break;
    case 'V': options.Version = true; break;
    default: return Scanusage{""};  // getopt_long has said what is wrong
  }
  return error;
}

// What a complete command line must hold besides its options.
std::optional<Scanusage> Incomplete(const Scanoptions &o) {
  if (o.Merge) {
    if (!o.Groups.empty() || o.Size || !o.Regions.empty() || o.Region || o.Seed || o.Stopafter)
      return Scanusage{"--merge takes tables, not the options of a scan"};
    if (o.Inputs.empty()) return Scanusage{"--merge: no TABLE to join"};
    return std::nullopt;
  }
  if (o.Inputs.empty()) return Scanusage{"no VCF to scan"};
  if (o.Inputs.size() > 1) return Scanusage{"one VCF at a time: join the tables of several with --merge"};
  if (o.Groups.empty()) return Scanusage{"-g MAP is required: it puts the samples in localities"};
  if ((o.Size > 0) == !o.Regions.empty()) return Scanusage{"give exactly one of -w and --regions"};
  if (o.Stopafter > o.Lineups)
    return Scanusage{"--stop-after: " + std::to_string(o.Stopafter) + " is more than the " + std::to_string(o.Lineups) +
                     " lineups"};
  return std::nullopt;
}

}  // namespace

std::variant<Scanoptions, Scanusage> Parsescanoptions(int argc, char **argv) {
  Scanoptions options;
  optind = 0;  // a fresh scan of the arguments, also when called again
  opterr = 1;
  // getopt_long names the program by argv[0] in its messages.
  std::vector<char *> arguments(argv, argv + argc);
  std::string name = "halvik scan";
  arguments[0] = name.data();
  std::optional<Scanusage> first;  // the first error, unless --help or --version come anyway
  for (int code; (code = getopt_long(argc, arguments.data(), "g:w:r:s:f:o:j:qhV", Longoptions, nullptr)) != -1;)
    if (auto error = Apply(code, optarg ? optarg : "", options); error && !first) first = error;
  for (int i = optind; i < argc; ++i) options.Inputs.emplace_back(arguments[static_cast<std::size_t>(i)]);
  if (options.Help || options.Version) return options;
  if (first) return *first;
  if (auto error = Incomplete(options)) return *error;
  return options;
}

}  // namespace halvik
