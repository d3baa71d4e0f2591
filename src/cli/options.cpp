#include "cli/options.h"

#include <getopt.h>

#include <charconv>

#include "stats/localities.h"

namespace halvik {

namespace {

enum Longonly {
  Inputformatoption = 256,
  Nulloption,
  Plotoption,
  Pairwiseoption,
  Missingoption,
  Resultsdiroption,
  Noresultsoption,
  Listoption
};

const option Longoptions[] = {
    {"localities", required_argument, nullptr, 'l'},
    {"groups", required_argument, nullptr, 'g'},
    {"lineups", required_argument, nullptr, 'r'},
    {"seed", required_argument, nullptr, 's'},
    {"format", required_argument, nullptr, 'f'},
    {"output", required_argument, nullptr, 'o'},
    {"quiet", no_argument, nullptr, 'q'},
    {"input-format", required_argument, nullptr, Inputformatoption},
    {"null", required_argument, nullptr, Nulloption},
    {"plot", required_argument, nullptr, Plotoption},
    {"pairwise", no_argument, nullptr, Pairwiseoption},
    {"missing", required_argument, nullptr, Missingoption},
    {"results-dir", required_argument, nullptr, Resultsdiroption},
    {"no-results", no_argument, nullptr, Noresultsoption},
    {"list", no_argument, nullptr, Listoption},
    {"threads", required_argument, nullptr, 'j'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// "1,15,30": ascending, starting with 1, at most Maxlocalities entries.
std::variant<std::vector<std::int32_t>, Usageerror> Localitylist(const std::string &text) {
  std::vector<std::int32_t> starts;
  std::size_t at = 0;
  for (;;) {
    const std::size_t comma = text.find(',', at);
    const std::string item = text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    const std::optional<std::int64_t> start = Wholenumber(item, 1, 1000000);
    if (!start) return Usageerror{"--localities: '" + text + "' is not a list of sequence numbers such as 1,15"};
    starts.push_back(static_cast<std::int32_t>(*start));
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  const Divisionfault fault = Checkdivision(starts, 0);
  switch (fault.Kind) {
    case Divisionfault::Firstnotone: return Usageerror{"--localities: the first locality starts with sequence 1"};
    case Divisionfault::Notrising: return Usageerror{"--localities: the starts must rise: '" + text + "'"};
    case Divisionfault::Toomany:
      return Usageerror{"--localities: at most 30 localities, not " + std::to_string(starts.size())};
    default: return starts;
  }
}

std::optional<Missingpolicy> Policynamed(const std::string &name) {
  if (name == "state") return Missingpolicy::State;
  if (name == "complete") return Missingpolicy::Complete;
  if (name == "pairwise") return Missingpolicy::Pairwise;
  return std::nullopt;
}

// Applies one option to `options`; a usage error if its argument is wrong.
std::optional<Usageerror> Apply(int code, const std::string &argument, Options &options) {
  switch (code) {
    case 'l': {
      auto list = Localitylist(argument);
      if (auto *error = std::get_if<Usageerror>(&list)) return *error;
      options.Starts = std::get<std::vector<std::int32_t>>(list);
      return std::nullopt;
    }
    case 'g': options.Groups = argument; return std::nullopt;
    case 'r':
      if (auto r = Wholenumber(argument, 1, 29999)) {
        options.Lineups = static_cast<std::int32_t>(*r);
        return std::nullopt;
      }
      return Usageerror{"--lineups: '" + argument + "' is not a number from 1 to 29999"};
    case 's':
      if (auto s = Wholenumber(argument, 0, 4294967295)) {
        options.Seed = static_cast<std::uint32_t>(*s);
        return std::nullopt;
      }
      return Usageerror{"--seed: '" + argument + "' is not a number from 0 to 4294967295"};
    case 'j':
      if (auto j = Wholenumber(argument, 1, 64)) {
        options.Threads = static_cast<int>(*j);
        return std::nullopt;
      }
      return Usageerror{"--threads: '" + argument + "' is not a number from 1 to 64"};
    case 'f':
      if (argument == "tsv" || argument == "json") {
        options.Format = argument == "tsv" ? Tableformat::Tsv : Tableformat::Json;
        return std::nullopt;
      }
      return Usageerror{"--format: '" + argument + "' is neither tsv nor json"};
    case 'o': options.Output = argument; return std::nullopt;
    case 'q': options.Quiet = true; return std::nullopt;
    case Inputformatoption:
      if ((options.Inputformat = Formatnamed(argument))) return std::nullopt;
      return Usageerror{"--input-format: '" + argument + "' is none of native, fasta, phylip, nexus, clustal"};
    case Nulloption: options.Null = argument; return std::nullopt;
    case Plotoption: options.Plot = argument; return std::nullopt;
    case Pairwiseoption: options.Pairwise = true; return std::nullopt;
    case Missingoption:
      if (auto policy = Policynamed(argument)) {
        options.Missing = *policy;
        return std::nullopt;
      }
      return Usageerror{"--missing: '" + argument + "' is none of state, complete, pairwise"};
    case Resultsdiroption: options.Resultsdir = argument; return std::nullopt;
    case Noresultsoption: options.Noresults = true; return std::nullopt;
    case Listoption: options.List = true; return std::nullopt;
    case 'h': options.Help = true; return std::nullopt;
    case 'V': options.Version = true; return std::nullopt;
    default: return Usageerror{""};  // getopt_long has said what is wrong
  }
}

}  // namespace

std::optional<std::int64_t> Wholenumber(const std::string &text, std::int64_t lowest, std::int64_t highest) {
  std::int64_t value = 0;
  if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) return {};
  std::from_chars(text.data(), text.data() + text.size(), value);
  if (value < lowest || value > highest) return {};
  return value;
}

std::variant<Options, Usageerror> Parseoptions(int argc, char **argv) {
  Options options;
  bool localities = false;
  optind = 0;  // a fresh scan, also when called again
  opterr = 1;
  // getopt_long names the program by argv[0] in its messages: by its name,
  // wherever it was started from.
  std::vector<char *> arguments(argv, argv + argc);
  std::string name = "halvik";
  arguments[0] = name.data();
  std::optional<Usageerror> first;  // the first error, unless --help or --version come anyway
  for (int code; (code = getopt_long(argc, arguments.data(), "l:g:r:s:f:o:qj:hV", Longoptions, nullptr)) != -1;) {
    if (code == 'l') localities = true;
    if (auto error = Apply(code, optarg ? optarg : "", options); error && !first) first = error;
  }
  for (int i = optind; i < argc; ++i) options.Files.emplace_back(arguments[static_cast<std::size_t>(i)]);
  if (options.Help || options.Version) return options;
  if (first) return *first;
  if (localities && !options.Groups.empty())
    return Usageerror{"--groups and --localities both divide the sequences: give one"};
  if (!options.Resultsdir.empty() && options.Noresults)
    return Usageerror{"--results-dir and --no-results: give one"};
  if (options.Files.empty()) return Usageerror{"no FILE to analyse"};
  return options;
}

}  // namespace halvik
