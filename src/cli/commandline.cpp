#include "cli/commandline.h"

#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <memory>
#include <new>
#include <set>

#include "alignment/groups.h"
#include "cli/help.h"
#include "cli/lineupfiles.h"
#include "cli/options.h"
#include "cli/progress.h"
#include "cli/table.h"
#include "cli/wholefile.h"
#include "driver/console/failure.h"
#include "driver/console/textout.h"
#include "stats/random.h"

namespace halvik {

namespace {

constexpr int Refusedstatus = 1, Usagestatus = 2;

void Say(const std::string &text) { std::fputs(text.c_str(), stderr); }

int Usage(const std::string &problem) {
  if (!problem.empty()) Say("halvik: " + problem + "\n");
  Say(Usageline);
  return Usagestatus;
}

// The map of --groups, read once for every FILE.
std::variant<Groupmap, Refusal> Loadgroups(const std::string &name) {
  auto content = Wholefile(name, true);
  if (auto *refusal = std::get_if<Refusal>(&content)) return *refusal;
  return Readgroups(name, std::get<std::string>(content));
}

// A text file of the run's own: the table, a null table or a picture.
void Writewhole(const std::string &name, const std::string &text) {
  Textsink sink;
  Createfile(sink, name);
  sink.What = "\"" + name + "\"";
  Writestr(sink, text);
  Closefile(sink);
}

// Where the table goes: standard output or the --output file, a row at a time.
struct Tableout {
  Textsink Sink;
  Tableformat Format;
  bool Pairwise, First = true;

  Tableout(const Options &options) : Format(options.Format), Pairwise(options.Pairwise) {
    if (options.Output.empty()) {
      Sink.Fd = STDOUT_FILENO;
      Sink.Lineflush = true;
    } else {
      Createfile(Sink, options.Output);
    }
    Sink.What = options.Output.empty() ? "standard output" : "\"" + options.Output + "\"";
    Writestr(Sink, Format == Tableformat::Tsv ? Tsvheader(Pairwise) : "[\n");
  }
  void Add(const Fileresult &result) {
    if (Format == Tableformat::Json) {
      // Labels and file names may hold any bytes; JSON text is UTF-8, so a
      // byte that is not becomes U+FFFD rather than ending the program.
      const std::string object =
          Jsonof(result, Pairwise).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
      Writestr(Sink, (First ? "" : ",\n") + object);
      Deliver(Sink);
    } else {
      Writestr(Sink, Tsvrow(result, Pairwise, nullptr));
      const auto holm = Pairholm(result.Pairs);
      for (std::size_t i = 0; i < result.Pairs.size(); ++i)
        Writestr(Sink, Tsvrow(result.Pairs[i], Pairwise, holm[i].data()));
    }
    First = false;
  }
  void Finish() {
    if (Format == Tableformat::Json) Writestr(Sink, First ? "]\n" : "\n]\n");
    Deliver(Sink);
    if (Sink.Fd != STDOUT_FILENO) Closefile(Sink);
  }
};

// "1 lineup", "2 lineups".
std::string Counted(std::int64_t count, const std::string &one, const std::string &many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// One line on standard error for each FILE, and one for its conversions.
void Report(const Fileresult &r) {
  if (!r.Notes.empty()) Say("halvik: " + r.File + ": " + r.Notes + "\n");
  if (!r.Ok) {
    Say("halvik: " + r.File + ": refused: " + r.Message + "\n");
    return;
  }
  const auto localities = static_cast<std::int64_t>(r.Localities.size());
  Say("halvik: " + r.File + ": done (" + Counted(r.Sequences, "sequence", "sequences") + ", " +
      Counted(r.Sites, "segregating site", "segregating sites") + ", " + Counted(localities, "locality", "localities") +
      ", " + Counted(r.Lineups, "lineup", "lineups") + ", seed " + std::to_string(r.Seed) + ")\n");
}

// The lineups an analysis draws: R, and R again for every pair of localities
// when pairs are tested.
std::int64_t Lineupsdrawn(const Options &options, const Groupmap *groups) {
  std::int64_t count = static_cast<std::int64_t>(options.Starts.size());
  if (groups != nullptr) {
    std::set<std::string> names;
    for (const auto &[label, name] : groups->Entries) names.insert(name);
    count = static_cast<std::int64_t>(names.size());
  }
  const std::int64_t pairs = options.Pairwise && count >= 3 ? count * (count - 1) / 2 : 0;
  return options.Lineups * (1 + pairs);
}

// Analyses every FILE in order into the table; the exit status.
int Analyseeach(const Options &options, const Groupmap *groups, Tableout &table) {
  bool refused = false;
  for (std::size_t i = 0; i < options.Files.size(); ++i) {
    Filerequest request;
    request.File = options.Files[i];
    request.Inputformat = options.Inputformat;
    request.Starts = options.Starts;
    request.Groups = groups;
    request.Groupsname = options.Groups;
    request.Lineups = options.Lineups;
    request.Seed = options.Seed ? *options.Seed : Deviceseed();
    request.Everyvalue = !options.Null.empty() || !options.Plot.empty();
    request.Pairwise = options.Pairwise;
    std::atomic<std::int64_t> done = 0;
    request.Progress = &done;
    Fileresult result;
    {
      const Progressbar bar(!options.Quiet, "halvik: " + request.File, Lineupsdrawn(options, groups), done);
      result = Analysefile(request);
    }
    table.Add(result);
    if (!options.Quiet) Report(result);
    refused = refused || !result.Ok;
    if (!result.Ok) continue;
    if (!options.Null.empty()) Writewhole(Numberedname(options.Null, i + 1, options.Files.size()), Nulltable(result));
    if (!options.Plot.empty())
      Writewhole(Numberedname(options.Plot, i + 1, options.Files.size()), Plotsvg(Plotof(result)));
  }
  return refused ? Refusedstatus : 0;
}

// Analyses every FILE in order; the exit status.
int Analyseall(const Options &options, const Groupmap *groups) {
  Tableout table(options);
  try {
    const int status = Analyseeach(options, groups, table);
    table.Finish();
    return status;
  } catch (const Ioerror &) {
    // The rows written stay; a JSON array is closed if it still can be.
    try {
      table.Finish();
    } catch (const Ioerror &) {
    }
    throw;
  }
}

}  // namespace

int Runcommandline(int argc, char **argv) {
  // A reader that has gone, or a file past the size limit, must fail a
  // write (status 42 with a report), not kill the process.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  auto parsed = Parseoptions(argc, argv);
  if (auto *error = std::get_if<Usageerror>(&parsed)) return Usage(error->Message);
  const Options &options = std::get<Options>(parsed);
  if (options.Help || options.Version) {
    std::fputs(options.Help ? Helptext : Versiontext(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : Ioerrorstatus;
  }
  std::unique_ptr<Groupmap> groups;
  if (!options.Groups.empty()) {
    auto map = Loadgroups(options.Groups);
    if (auto *refusal = std::get_if<Refusal>(&map)) return Usage("--groups: " + refusal->Message);
    groups = std::make_unique<Groupmap>(std::get<Groupmap>(std::move(map)));
  }
  try {
    return Analyseall(options, groups.get());
  } catch (const Ioerror &failure) {
    Say(std::string("halvik: ") + failure.what() + "\n");
    return Ioerrorstatus;
  } catch (const std::bad_alloc &) {
    // A file near the size limit on a machine short of memory: the rows
    // written so far stay, and the run ends as a failed read would.
    Say("halvik: not enough memory to go on\n");
    return Ioerrorstatus;
  }
}

}  // namespace halvik
