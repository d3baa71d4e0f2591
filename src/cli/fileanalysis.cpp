#include "cli/fileanalysis.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <variant>

#include "cli/pairwise.h"
#include "driver/console/failure.h"
#include "driver/console/sinks.h"
#include "population/segsites.h"
#include "store/store.h"
#include "seqfile/reader.h"
#include "seqfile/verify.h"
#include "stats/dialogue.h"
#include "stats/distances.h"
#include "stats/diversity.h"
#include "stats/permutation.h"

namespace halvik {

namespace {

// No alignment of 1000 sequences of 100000 bases needs more, even in an
// interleaved format that repeats every name in every block.
constexpr std::size_t Largestfile = std::size_t{1} << 30;

// The file's bytes, or why they cannot be had.
std::variant<std::string, Refusal> Wholefile(const std::string &name) {
  auto failed = [&](const std::string &why) { return Refusal{name + ": cannot be read: " + why}; };
  int fd;
  do fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return failed(std::strerror(errno));
  std::string content;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) <= Largestfile)
    content.reserve(static_cast<std::size_t>(info.st_size));
  char chunk[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error = errno;
      ::close(fd);
      return failed(std::strerror(error));
    }
    if (got == 0) break;
    if (content.size() + static_cast<std::size_t>(got) > Largestfile) {
      ::close(fd);
      return Refusal{name + ": larger than any alignment Halvik can analyse (1 GiB)"};
    }
    content.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (content.empty()) return Refusal{name + ": the file is empty"};
  return content;
}

// A refusal's text on one line: its line feeds become blanks.
std::string Oneline(std::string text) {
  for (char &c : text)
    if (c == '\n' || c == '\r') c = ' ';
  const std::size_t first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// Every locality of the list must lie within the sample and hold two sequences.
void Checkfit(const std::vector<std::int32_t> &starts, std::int32_t n, const std::string &file) {
  for (std::size_t k = 0; k < starts.size(); ++k) {
    const std::int32_t first = starts[k], last = k + 1 < starts.size() ? starts[k + 1] - 1 : n;
    const std::string which = "locality " + std::to_string(k + 1);
    if (first > n)
      Raisefatal(file + " has " + std::to_string(n) + " sequences: " + which + " cannot start at sequence " +
                 std::to_string(first));
    if (last - first + 1 < 2)
      Raisefatal(which + " of " + file + " (sequences " + std::to_string(first) + " to " + std::to_string(last) +
                 ") has fewer than two sequences");
  }
}

Rangevalues Rangeof(std::int32_t first, std::int32_t last, double pi, double k, double kstar) {
  return {"", Pop.Seqs[first].Otu, Pop.Seqs[last].Otu, last - first + 1, pi, k, kstar};
}

// The dialogue's stages from the verification on, answered by the request,
// for the localities starting at `starts` and named `names` (if named).
void Runstages(const Filerequest &request, const Sequencesource &source, const std::vector<std::int32_t> &starts,
               const std::vector<std::string> &names, Fileresult &result) {
  Seedrandom(request.Seed);
  Createfile(Outfile, request.File + ".HVK");
  Verifysequences(source);
  Findsegsites(source);
  result.Pn = Pn();
  result.Theta = Theta();
  const auto count = static_cast<std::int32_t>(starts.size());
  const Localities division = Dividedat(starts.data(), count, Pop.Numseqs);
  Writelocalitycount(count);
  const Distances distances = Measuredistances(Pop);
  result.Stats = Subdivisionstats(distances, division);
  const Fastoptions options{0, nullptr, request.Everyvalue ? &result.Null : nullptr, request.Progress};
  result.Counts = Testlineups(distances, division, Testedvalues(result.Stats), request.Lineups, options);
  Closefile(Outfile);

  result.Ok = true;
  result.Sequences = Pop.Numseqs;
  result.Length = Pop.Seqlength;
  result.Sites = Pop.Numsegsites;
  for (std::int32_t k = 1; k <= count; ++k)
    result.Localities.push_back(Rangeof(division.Start[k], division.Start[k + 1] - 1, result.Stats.Pi[k],
                                        result.Stats.K[k], result.Stats.Kstar[k]));
  for (std::size_t k = 0; k < names.size() && k < result.Localities.size(); ++k) result.Localities[k].Name = names[k];
  result.Whole = Rangeof(1, Pop.Numseqs, result.Stats.Pi[0], result.Stats.K[0], result.Stats.Kstar[0]);
  if (request.Pairwise) result.Pairs = Testpairs(distances, division, result, request);
}

// The sample to analyse and its division: the file as it is when it is in
// Halvik's own format and needs no conversion and no reordering, else its
// conversion, arranged by the map when there is one.
struct Prepared {
  std::string Text;  // the converted sample, or empty when the file itself is read
  std::int32_t Sequences;
  std::vector<std::int32_t> Starts;
  std::vector<std::string> Names;
  std::string Notes;
};

std::variant<Prepared, Refusal> Prepare(const Filerequest &request, const std::string &content) {
  auto read = Readalignment(request.File, content, request.Inputformat);
  if (auto *refusal = std::get_if<Refusal>(&read)) return *refusal;
  Sample sample = std::get<Sample>(std::move(read));
  Prepared prepared{"", static_cast<std::int32_t>(sample.Labels.size()), request.Starts, {}, Conversionnote(sample)};
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
  if (!prepared.Notes.empty()) prepared.Text = Nativetext(sample);
  return prepared;
}

}  // namespace

Fileresult Analysefile(const Filerequest &request) {
  Fileresult result;
  result.File = request.File;
  result.Lineups = request.Lineups;
  result.Seed = request.Seed;
  auto content = Wholefile(request.File);
  if (auto *refusal = std::get_if<Refusal>(&content)) {
    result.Message = refusal->Message;
    return result;
  }
  auto prepared = Prepare(request, std::get<std::string>(content));
  if (auto *refusal = std::get_if<Refusal>(&prepared)) {
    result.Message = refusal->Message;
    return result;
  }
  const Prepared &sample = std::get<Prepared>(prepared);
  result.Notes = sample.Notes;
  const Sequencesource source{request.File, sample.Text.empty() ? &std::get<std::string>(content) : &sample.Text};
  try {
    // A division that does not fit is refused before anything is written.
    Checkfit(sample.Starts, sample.Sequences, request.File);
    Runstages(request, source, sample.Starts, sample.Names, result);
  } catch (const Fatalerror &refusal) {
    Closefile(Outfile);
    Fileresult refused;
    refused.File = request.File;
    refused.Message = Oneline(refusal.Message);
    refused.Notes = sample.Notes;
    refused.Lineups = request.Lineups;
    refused.Seed = request.Seed;
    return refused;
  }
  return result;
}

}  // namespace halvik
