#include "cli/fileanalysis.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <variant>

#include "analysis/pipeline.h"
#include "cli/pairwise.h"
#include "cli/resultsfile.h"
#include "cli/wholefile.h"
#include "driver/console/failure.h"

namespace halvik {

namespace {

// The answers the options give: the localities' first sequences, checked
// against the sample once its size is known, and the number of lineups.
class Optionanswers : public Answers {
 public:
  Optionanswers(const std::vector<std::int32_t> &starts, std::int32_t lineups, const std::string &file)
      : Starts(starts), Count(lineups), File(file) {}
  void Sampleread(const Population &pop) override {
    Verified = true;
    Checkfit(pop.Numseqs);
  }
  bool Verified = false;  // the sample passed verification
  Localities Division(const Population &pop, Analysisreporter &reporter) override {
    reporter.Localitycount(static_cast<std::int32_t>(Starts.size()));
    return Dividedat(Starts.data(), static_cast<std::int32_t>(Starts.size()), pop.Numseqs);
  }
  std::int32_t Lineups() override { return Count; }

 private:
  // A division that does not fit is refused before anything is written.
  void Checkfit(std::int32_t n) const {
    const Divisionfault fault = Checkdivision(Starts, n);
    const std::string which = "locality " + std::to_string(fault.Locality);
    if (fault.Kind == Divisionfault::Beyondend)
      Raisefatal(File + " has " + std::to_string(n) + " sequences: " + which + " cannot start at sequence " +
                 std::to_string(fault.First));
    if (fault.Kind != Divisionfault::None)
      Raisefatal(which + " of " + File + " (sequences " + std::to_string(fault.First) + " to " +
                 std::to_string(fault.Last) + ") has fewer than two sequences");
  }

  const std::vector<std::int32_t> &Starts;
  std::int32_t Count;
  const std::string &File;
};

// A refusal's text on one line: its line feeds become blanks.
std::string Oneline(std::string text) {
  for (char &c : text)
    if (c == '\n' || c == '\r') c = ' ';
  const std::size_t first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

Rangevalues Rangeof(const Population &pop, std::int32_t first, std::int32_t last, double pi, double k, double kstar) {
  return {"", pop.Seqs[first].Otu, pop.Seqs[last].Otu, last - first + 1, pi, k, kstar};
}

// The table's figures of a finished analysis.
void Takefigures(const Analysis &a, Fileresult &result) {
  const Population &pop = a.Pop();
  result.Ok = true;
  result.Sequences = pop.Numseqs;
  result.Length = pop.Seqlength;
  result.Sites = pop.Numsegsites;
  result.Pn = a.Pn;
  result.Theta = a.Theta;
  result.Stats = a.Stats;
  result.Counts = a.Counts;
  const Localities &d = a.Division;
  for (std::int32_t k = 1; k <= d.Count; ++k)
    result.Localities.push_back(
        Rangeof(pop, d.Start[k], d.Start[k + 1] - 1, a.Stats.Pi[k], a.Stats.K[k], a.Stats.Kstar[k]));
  for (std::size_t k = 0; k < a.Names.size() && k < result.Localities.size(); ++k)
    result.Localities[k].Name = a.Names[k];
  result.Whole = Rangeof(pop, 1, pop.Numseqs, a.Stats.Pi[0], a.Stats.K[0], a.Stats.Kstar[0]);
}

// The sample and its division: the file as it stands when it is in Halvik's
// own format, needs no conversion and no reordering; else read into memory
// from its format, arranged by the map when there is one.
struct Prepared {
  std::optional<Packedsample> Memory;
  std::vector<std::int32_t> Starts;
  std::vector<std::string> Names;
  std::string Notes;
};

std::variant<Prepared, Refusal> Readinmemory(const Filerequest &request, std::optional<Alignmentformat> format) {
  Alignmentinput input = Alignmentinput::Fromfile(request.File);
  auto read = Readalignment(request.File, input, format);
  if (auto *refusal = std::get_if<Refusal>(&read)) return *refusal;
  Sample sample = std::get<Sample>(std::move(read));
  Prepared prepared{std::nullopt, request.Starts, {}, Conversionnote(sample)};
  if (request.Groups != nullptr) {
    auto arranged = Arrange(sample, *request.Groups, request.Groupsname);
    if (auto *refusal = std::get_if<Refusal>(&arranged)) return *refusal;
    const Arrangement &arrangement = std::get<Arrangement>(arranged);
    sample = Reordered(sample, arrangement);
    prepared.Starts = arrangement.Starts;
    prepared.Names = arrangement.Names;
    prepared.Notes +=
        std::string(prepared.Notes.empty() ? "" : "; ") + "sequences ordered by locality from " + request.Groupsname;
  }
  prepared.Memory = std::move(sample.Data);
  return prepared;
}

Fileresult Refused(const Filerequest &request, const std::string &message, const std::string &notes) {
  Fileresult refused;
  refused.File = request.File;
  refused.Message = Oneline(message);
  refused.Notes = notes;
  refused.Lineups = request.Lineups;
  refused.Seed = request.Seed;
  return refused;
}

// One run of the stages; a refusal of the data raises a fatal data error.
Fileresult Run(const Filerequest &request, const Prepared &prepared, Optionanswers &answers) {
  Analysis analysis = Analysis::Owning(request.File);
  Seedgenerator(analysis.Generator, request.Seed);
  Resultsprinter printer(request.File + ".HVK");
  Fileresult result;
  result.File = request.File;
  result.Notes = prepared.Notes;
  result.Lineups = request.Lineups;
  result.Seed = request.Seed;
  const Fastoptions options{0, nullptr, request.Everyvalue ? &result.Null : nullptr, request.Progress};
  const Samplesource source{Sequencesource{request.File}, prepared.Memory ? &*prepared.Memory : nullptr};
  Runanalysis(analysis, source, answers, printer, options);
  printer.Close();
  analysis.Names = prepared.Names;
  Takefigures(analysis, result);
  if (request.Pairwise) result.Pairs = Testpairs(analysis, result, request);
  return result;
}

}  // namespace

Fileresult Analysefile(const Filerequest &request) {
  Prepared prepared{std::nullopt, request.Starts, {}, ""};
  std::optional<Alignmentformat> format = request.Inputformat;
  if (!format) {
    auto detected = Detectfile(request.File);
    if (auto *refusal = std::get_if<Refusal>(&detected)) return Refused(request, refusal->Message, "");
    format = std::get<Alignmentformat>(detected);
  }
  // Halvik's own format is read as the dialogue reads it, straight from the
  // file; only a file that its verification refuses is read again, to
  // convert it or to say precisely what is wrong.
  bool inmemory = request.Groups != nullptr || format != Alignmentformat::Native;
  for (;;) {
    if (inmemory) {
      auto read = Readinmemory(request, format);
      if (auto *refusal = std::get_if<Refusal>(&read)) return Refused(request, refusal->Message, "");
      prepared = std::get<Prepared>(std::move(read));
    }
    Optionanswers answers(prepared.Starts, request.Lineups, request.File);
    try {
      return Run(request, prepared, answers);
    } catch (const Fatalerror &refusal) {
      if (inmemory || answers.Verified) return Refused(request, refusal.Message, prepared.Notes);
      inmemory = true;
    }
  }
}

}  // namespace halvik
