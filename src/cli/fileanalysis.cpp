#include "cli/fileanalysis.h"

#include <sys/stat.h>

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

std::string Plural(std::int64_t n, const char *one, const char *many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

Rangevalues Rangeof(const Population &pop, std::int32_t first, std::int32_t last, double pi, double k, double kstar) {
  return {"", pop.Seqs[first].Otu, pop.Seqs[last].Otu, last - first + 1, pi, k, kstar};
}

}  // namespace

std::string Gapwarning(Missingpolicy policy, std::int32_t sites, std::int32_t gapped, std::int32_t columns,
                       std::int32_t kept) {
  if (gapped == 0) return "";
  const std::string of = std::to_string(gapped) + " of the " + Plural(sites, "segregating site", "segregating sites") +
                         (gapped == 1 ? " holds" : " hold");
  switch (policy) {
    case Missingpolicy::Complete:
      return Plural(gapped, "segregating site", "segregating sites") + " held a gap or N: the " +
             Plural(columns, "position", "positions") + " with one were removed (--missing complete), leaving " +
             Plural(sites, "segregating site", "segregating sites") + " in " + Plural(kept, "position", "positions");
    case Missingpolicy::Pairwise:
      return of + " a gap or N, compared for each pair only where both carry a base (--missing pairwise)";
    default:
      return of + " a gap or N, each counted as a state of its own (--missing state; see --missing complete or "
                  "pairwise)";
  }
}

void Takefigures(const Analysis &a, Fileresult &result) {
  const Population &pop = a.Pop();
  result.Status = Filestatus::Ok;
  result.Sequences = pop.Numseqs;
  result.Length = pop.Seqlength;
  result.Sites = pop.Numsegsites;
  result.Pn = a.Pn;
  result.Theta = a.Theta;
  result.Thetaw = a.Thetaw;
  result.Missing = a.Policy.Missing;
  result.Positions = a.Positions;
  result.Gappedsites = a.Gaps.Sites;
  result.Gappedcolumns = a.Gaps.Columns;
  result.Stats = a.Stats;
  result.Counts = a.Counts;
  result.Shares = a.Shares;
  const Localities &d = a.Division;
  for (std::int32_t k = 1; k <= d.Count; ++k)
    result.Localities.push_back(
        Rangeof(pop, d.Start[k], d.Start[k + 1] - 1, a.Stats.Pi[k], a.Stats.K[k], a.Stats.Kstar[k]));
  for (std::size_t k = 0; k < a.Names.size() && k < result.Localities.size(); ++k)
    result.Localities[k].Name = a.Names[k];
  result.Whole = Rangeof(pop, 1, pop.Numseqs, a.Stats.Pi[0], a.Stats.K[0], a.Stats.Kstar[0]);
}

namespace {

// Where the FILE's bytes are: the file itself, read a piece at a time and as
// often as the passes need, or its bytes in memory when the file can be read
// only once (standard input, a pipe).
struct Bytesource {
  std::string Name;
  const std::string *Bytes = nullptr;
  Alignmentinput Input() const {
    return Bytes != nullptr ? Alignmentinput::Frombytes(*Bytes) : Alignmentinput::Fromfile(Name);
  }
  Sequencesource Sequences() const { return Sequencesource{Name, Bytes}; }
};

// The sample and its division: the file as it stands when it is in Halvik's
// own format, needs no conversion and no reordering; else read into memory
// from its format, arranged by the map when there is one.
struct Prepared {
  std::optional<Packedsample> Memory;
  std::vector<std::int32_t> Starts;
  std::vector<std::string> Names;
  std::string Notes;
};

void Addnote(std::string &notes, const std::string &note) { notes += (notes.empty() ? "" : "; ") + note; }

std::variant<Prepared, Refusal> Readinmemory(const Filerequest &request, const Bytesource &bytes,
                                             std::optional<Alignmentformat> format) {
  Alignmentinput input = bytes.Input();
  auto read = Readalignment(request.File, input, format);
  if (auto *refusal = std::get_if<Refusal>(&read)) return *refusal;
  Sample sample = std::get<Sample>(std::move(read));
  Prepared prepared{std::nullopt, request.Starts, {}, Conversionnote(sample)};
  if (request.Groups != nullptr) {
    auto arranged = Arrange(sample.Data.Labels, *request.Groups, request.Groupsname);
    if (auto *refusal = std::get_if<Refusal>(&arranged)) return *refusal;
    const Arrangement &arrangement = std::get<Arrangement>(arranged);
    sample.Data = Reordered(std::move(sample.Data), arrangement);
    prepared.Starts = arrangement.Starts;
    prepared.Names = arrangement.Names;
    Addnote(prepared.Notes, "sequences ordered by locality from " + request.Groupsname);
    if (arrangement.Ignored > 0)
      Addnote(prepared.Notes, std::to_string(arrangement.Ignored) + " label" + (arrangement.Ignored == 1 ? "" : "s") +
                                  " of the map not in the file");
  }
  prepared.Memory = std::move(sample.Data);
  return prepared;
}

// What gaps and N did to the figures, whenever segregating sites hold them.
void Warngaps(const Analysis &a, Fileresult &result) {
  const std::string warning = Gapwarning(a.Policy.Missing, a.Pop().Numsegsites, a.Gaps.Sites, a.Gaps.Columns, a.Gaps.Kept);
  if (!warning.empty()) result.Warnings.push_back(warning);
}

// A single locality tests nothing: every lineup's ratios equal the observed
// ones but for rounding.
void Warnonelocality(const Analysis &a, Fileresult &result) {
  if (a.Division.Count != 1) return;
  result.Warnings.push_back(
      "one locality: nothing is tested, and the P lines of the results file are no test; give -l or -g to divide the "
      "sequences into localities");
}

Fileresult Unanalysed(const Filerequest &request, Filestatus status, const std::string &message,
                      const std::string &notes) {
  Fileresult result;
  result.File = request.File;
  result.Status = status;
  result.Message = Oneline(message);
  result.Notes = notes;
  result.Lineups = request.Lineups;
  result.Seed = request.Seed;
  result.Missing = request.Missing;
  return result;
}

// One run of the stages; a refusal of the data raises a fatal data error.
Fileresult Run(const Filerequest &request, const Bytesource &bytes, const Prepared &prepared,
               Optionanswers &answers) {
  Analysis analysis = Analysis::Owning(request.File);
  analysis.Policy = Sitepolicy{request.Missing, true};
  analysis.Extended = request.Extended;
  Seedgenerator(analysis.Generator, request.Seed);
  Resultsprinter printer(request.Results);
  Fileresult result = Unanalysed(request, Filestatus::Ok, "", prepared.Notes);
  const Fastoptions options{request.Workers, nullptr, request.Everyvalue ? &result.Null : nullptr, request.Progress};
  const Samplesource source{bytes.Sequences(), prepared.Memory ? &*prepared.Memory : nullptr};
  Runanalysis(analysis, source, answers, printer, options);
  printer.Close();
  analysis.Names = prepared.Names;
  Takefigures(analysis, result);
  Warngaps(analysis, result);
  Warnonelocality(analysis, result);
  if (request.Pairwise)
    result.Pairs = Testpairs(analysis, result, request, prepared.Memory ? &*prepared.Memory : nullptr);
  return result;
}

// The format, forced or recognised from the start of the bytes.
std::variant<Alignmentformat, Refusal> Formatof(const Filerequest &request, const Bytesource &bytes) {
  if (request.Inputformat) return *request.Inputformat;
  if (bytes.Bytes == nullptr) return Detectfile(request.File);
  if (bytes.Bytes->empty()) return Refusal{request.File + ": the file is empty"};
  return Detect(*bytes.Bytes);
}

Fileresult Analysebytes(const Filerequest &request, const Bytesource &bytes) {
  auto format = Formatof(request, bytes);
  if (auto *refusal = std::get_if<Refusal>(&format)) {
    const bool empty = refusal->Message.ends_with("the file is empty");
    return Unanalysed(request, empty ? Filestatus::Refused : Filestatus::Failed, refusal->Message, "");
  }
  // Halvik's own format is read as the dialogue reads it, straight from the
  // file; only a file that its verification refuses is read again, to
  // convert it or to say precisely what is wrong.
  // Pairs under complete deletion are searched again from their own
  // sequences, which the sample in memory keeps.
  bool inmemory = request.Groups != nullptr || std::get<Alignmentformat>(format) != Alignmentformat::Native ||
                  (request.Pairwise && request.Missing == Missingpolicy::Complete);
  Prepared prepared{std::nullopt, request.Starts, {}, ""};
  for (;;) {
    if (inmemory) {
      auto read = Readinmemory(request, bytes, std::get<Alignmentformat>(format));
      if (auto *refusal = std::get_if<Refusal>(&read))
        return Unanalysed(request, Filestatus::Refused, refusal->Message, "");
      prepared = std::get<Prepared>(std::move(read));
    }
    Optionanswers answers(prepared.Starts, request.Lineups, request.File);
    try {
      return Run(request, bytes, prepared, answers);
    } catch (const Fatalerror &refusal) {
      if (inmemory || answers.Verified) return Unanalysed(request, Filestatus::Refused, refusal.Message, prepared.Notes);
      inmemory = true;
    }
  }
}

}  // namespace

Fileresult Analysefile(const Filerequest &request) {
  Bytesource bytes{request.File, request.Bytes};
  // A FILE that can be read only once (a pipe) is read whole first, as
  // standard input is: the passes over a file read it more than once.
  std::string whole;
  struct stat info {};
  if (bytes.Bytes == nullptr && ::stat(request.File.c_str(), &info) == 0 && !S_ISREG(info.st_mode) &&
      !S_ISDIR(info.st_mode)) {
    auto content = Wholefile(request.File, true);
    if (auto *refusal = std::get_if<Refusal>(&content))
      return Unanalysed(request, Filestatus::Failed, refusal->Message, "");
    whole = std::get<std::string>(std::move(content));
    bytes.Bytes = &whole;
  }
  try {
    return Analysebytes(request, bytes);
  } catch (const Ioerror &failure) {
    std::string why = failure.what();
    if (why.starts_with("cannot create the results file") && request.Results == request.File + ".HVK")
      why += " (--results-dir DIR or --no-results avoids it)";
    return Unanalysed(request, Filestatus::Failed, why, "");
  }
}

}  // namespace halvik
