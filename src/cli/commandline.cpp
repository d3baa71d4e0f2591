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
#include "cli/listing.h"
#include "cli/options.h"
#include "cli/outputs.h"
#include "cli/progress.h"
#include "cli/tableout.h"
#include "cli/wholefile.h"
#include "driver/console/failure.h"
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

// A text file of the run's own: a null table or a picture. False, with the
// reason, when it cannot be written.
bool Writewhole(const std::string &name, const std::string &text, const std::string &what, std::string &why) {
  try {
    Textsink sink;
    Createfile(sink, name, what);
    Writestr(sink, text);
    Closefile(sink);
    return true;
  } catch (const Ioerror &failure) {
    why = failure.what();
    return false;
  }
}

// "1 lineup", "2 lineups".
std::string Counted(std::int64_t count, const std::string &one, const std::string &many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// What standard error says of a FILE: its refusal or failure and its
// warnings always; its conversions and the line that it is done unless quiet.
void Report(const Fileresult &r, bool quiet) {
  const std::string file = "halvik: " + r.File + ": ";
  if (!quiet && !r.Notes.empty()) Say(file + r.Notes + "\n");
  for (const std::string &warning : r.Warnings) Say(file + warning + "\n");
  if (r.Status != Filestatus::Ok) Say(file + (r.Status == Filestatus::Failed ? "failed: " : "refused: ") + r.Message + "\n");
  if (quiet || r.Sequences == 0) return;
  const auto localities = static_cast<std::int64_t>(r.Localities.size());
  Say(file + "done (" + Counted(r.Sequences, "sequence", "sequences") + ", " +
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

Filerequest Requestfor(const Options &options, std::size_t i, const Runoutputs &outputs, const Groupmap *groups) {
  Filerequest request;
  request.File = options.Files[i];
  request.Results = outputs.Files[i].Results;
  request.Inputformat = options.Inputformat;
  request.Starts = options.Starts;
  request.Groups = groups;
  request.Groupsname = options.Groups;
  request.Lineups = options.Lineups;
  request.Seed = options.Seed ? *options.Seed : Deviceseed();
  request.Everyvalue = !options.Null.empty() || !options.Plot.empty();
  request.Pairwise = options.Pairwise;
  request.Missing = options.Missing;
  request.Workers = options.Threads;
  return request;
}

// The null table and the picture of an analysis; a file that cannot be
// written fails the FILE's row.
void Writeextras(const Fileoutputs &out, Fileresult &result) {
  if (!result.Ok()) return;
  std::string why;
  if ((!out.Null.empty() && !Writewhole(out.Null, Nulltable(result), "the null table", why)) ||
      (!out.Plot.empty() && !Writewhole(out.Plot, Plotsvg(Plotof(result)), "the picture", why))) {
    result.Status = Filestatus::Failed;
    result.Message = why;
  }
}

// Analyses every FILE in order into the table; the exit status.
int Analyseeach(const Options &options, const Runoutputs &outputs, const Groupmap *groups, Tableout &table) {
  bool refused = false, failed = false;
  std::string standardinput;
  for (std::size_t i = 0; i < options.Files.size(); ++i) {
    Filerequest request = Requestfor(options, i, outputs, groups);
    if (Isstdin(request.File)) {
      // Standard input is read whole: the passes over a file read it more than once.
      auto bytes = Wholefile("/dev/stdin", true);
      standardinput = std::holds_alternative<std::string>(bytes) ? std::get<std::string>(std::move(bytes)) : "";
      request.Bytes = &standardinput;
    }
    std::atomic<std::int64_t> done = 0;
    request.Progress = &done;
    Fileresult result;
    {
      const Progressbar bar(!options.Quiet, "halvik: " + request.File, Lineupsdrawn(options, groups), done);
      result = Analysefile(request);
    }
    Writeextras(outputs.Files[i], result);
    table.Add(result);
    Report(result, options.Quiet);
    if (options.Pairwise && result.Ok() && result.Localities.size() < 3)
      Say("halvik: " + result.File + ": --pairwise adds nothing with " +
          Counted(static_cast<std::int64_t>(result.Localities.size()), "locality", "localities") +
          ": pairs are tested with three or more\n");
    refused = refused || result.Status == Filestatus::Refused;
    failed = failed || result.Status == Filestatus::Failed;
  }
  return failed ? Ioerrorstatus : refused ? Refusedstatus : 0;
}

// Analyses every FILE in order; the exit status.
int Analyseall(const Options &options, const Runoutputs &outputs, const Groupmap *groups) {
  const std::unique_ptr<Tableout> table = Opentable(options);
  try {
    const int status = Analyseeach(options, outputs, groups, *table);
    table->Finish();
    return status;
  } catch (const Ioerror &) {
    // The rows written stay; a JSON array is closed if it still can be.
    try {
      table->Finish();
    } catch (const Ioerror &) {
    }
    throw;
  }
}

int Run(const Options &options) {
  // Every output is named and checked before anything is read or written;
  // a listing writes only its table.
  Runoutputs outputs;
  if (!options.List) {
    auto planned = Planoutputs(options);
    if (auto *error = std::get_if<Usageerror>(&planned)) return Usage(error->Message);
    outputs = std::get<Runoutputs>(std::move(planned));
  }
  if (auto clash = Findcollision(options, outputs)) return Usage(clash->Message);
  if (!options.List)
    if (auto error = Makeresultsdir(options)) return Usage(error->Message);
  std::unique_ptr<Groupmap> groups;
  if (!options.Groups.empty()) {
    auto map = Loadgroups(options.Groups);
    if (auto *refusal = std::get_if<Refusal>(&map)) return Usage("--groups: " + refusal->Message);
    groups = std::make_unique<Groupmap>(std::get<Groupmap>(std::move(map)));
  }
  if (options.List) return Listsequences(options, groups.get());
  return Analyseall(options, outputs, groups.get());
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
  try {
    return Run(options);
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
