// The two fuzz targets as plain functions, so that the fuzzers (clang,
// libFuzzer) and the normal test suite (any compiler) run exactly the same
// code on an input; the suite also runs its other whole analyses through it.
//
// Both run whole analyses in-process through Runanalyses: the keyboard is a
// memory buffer, the console a memory sink that is thrown away, and every file
// lives in a private folder made on first use. The random source is fixed, so
// an input always gives the same run. A run that ends in a way no input may
// cause (a status other than 0 or 42, a sample file changed by the program, an
// outcome that contradicts the file's grammar) aborts, which the fuzzer counts
// as a crash.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support.h"

namespace halvik::fuzzing {

using namespace support;

// A second, deliberately plain reading of the sequence-file grammar, written
// apart from the program's own passes: the first rule the file breaks, or
// nothing, and then its number of segregating sites.
inline std::string Reference(std::string_view file, int &sites) {
  std::vector<std::string_view> sequences;
  for (std::size_t at = 0; at < file.size();) {
    if (sequences.size() == 1000) return "more than 1000 records";
    const std::size_t label = at;  // up to the first blank or line end
    while (at < file.size() && file[at] != ' ' && file[at] != '\n') ++at;
    if (at - label > 254) return "a label longer than 254 characters";
    while (at < file.size() && (file[at] == ' ' || file[at] == '\n')) ++at;  // the separator
    if (at == file.size()) return "a label with no sequence after it";
    const std::size_t start = at;  // the sequence: the rest of the line
    for (; at < file.size() && file[at] != '\n'; ++at)
      if (std::string_view("AGCTN-").find(file[at]) == std::string_view::npos)
        return "a character that is no nucleotide";
    if (at - start > 100000) return "a sequence longer than 100000";
    sequences.push_back(file.substr(start, at - start));
    if (at < file.size()) ++at;  // the line feed
  }
  if (sequences.size() < 2) return "fewer than two records";
  for (const auto &s : sequences)
    if (s.size() != sequences[0].size()) return "records of different lengths";
  sites = 0;
  for (std::size_t i = 0; i < sequences[0].size(); ++i)
    sites +=
        std::any_of(sequences.begin(), sequences.end(), [&](std::string_view s) { return s[i] != sequences[0][i]; });
  if (sites == 0) return "no segregating site";
  return sites > 10000 ? "more than 10000 segregating sites" : "";
}

// The sequence-file target refuses larger inputs: its runs must stay fast.
inline constexpr std::size_t Largestsequencefile = std::size_t{1} << 16;

// The answers of one analysis of "s.txt": return at the pause, two localities
// split before sequence 3, confirmed, 3 lineups, no new analysis. A file of two
// or three sequences cannot be split in two, so the locality count is asked
// again; the answers that follow the "n" then lead it to one locality.
inline constexpr std::string_view Sequencescript = "s.txt\n\n2\n3\ny\n3\nn\n1\ny\n3\nn\n";

// The files the keyboard target may name (any other name finds nothing).
struct Samplefile {
  const char *name, *text;
};
inline constexpr Samplefile Samples[] = {
    {"s.txt", "s1 ACGTACGTAA\ns2 ACGTTCGTAA\ns3 ACGAACGTAC\ns4 ACGTACGGAA\ns5 TCGTACGTAA\ns6 ACGTACGTAA\n"},
    {"t.txt", "a AC\nb AG\nc -C\n"},
    {"same.txt", "a ACGT\nb ACGT\n"},
    {"bad.txt", "a ACGT\nb AcGT\n"},
    {"empty.txt", ""},
};

// Empties the working folder, but for the sample files when `samples`.
inline void Clearfolder(bool samples = false) {
  for (const auto &entry : fs::directory_iterator(Workfolder()))
    if (!samples || std::none_of(std::begin(Samples), std::end(Samples),
                                 [&](const Samplefile &s) { return entry.path().filename() == s.name; }))
      fs::remove_all(entry.path());
}

inline constexpr std::string_view Question = "Would you like to start again (y/n)?  ";

// One analysis of the given sequence file by the script above, held to the
// plain reading of the grammar; returns what went wrong, or nothing.
inline std::string Sequencefilefault(std::string_view bytes) {
  Inworkfolder here;
  Clearfolder();
  Writefile("s.txt", bytes);
  const Outcome run = Runwithkeys(std::string(Sequencescript));
  if (run.status != 0) return "the analysis did not end normally: status " + std::to_string(run.status);
  if (!run.console.ends_with(Question)) return "the console does not end with the start-again question";
  int sites = 0;
  const std::string broken = Reference(bytes, sites), results = Readfile("s.txt.HVK");
  if (!broken.empty())
    return run.errormessage.empty() ? "a file breaking the grammar was accepted (" + broken + ")" : "";
  if (!run.errormessage.empty()) return "a valid file was refused: " + run.errormessage;
  std::string total = std::to_string(sites);
  total = "Halvik found a total of " + std::string(4 - std::min<std::size_t>(4, total.size()), ' ') + total +
          " segregating sites";
  if (results.find(total) == std::string::npos) return "the results file lacks the line \"" + total + "\"";
  if (results.find("\nP(F*st) = \t") == std::string::npos || !results.ends_with('\n'))
    return "the results file of a completed analysis is incomplete";
  return "";
}

// Target 1: the bytes are the sequence file of one analysis.
inline int Fuzzsequencefile(const std::uint8_t *data, std::size_t size) {
  if (size > Largestsequencefile) return -1;
  const std::string fault = Sequencefilefault(std::string_view(reinterpret_cast<const char *>(data), size));
  if (!fault.empty()) Fault(fault);
  return 0;
}

// Target 2: the bytes are everything typed at the keyboard, in a folder that
// holds the sample files. A slash becomes an underscore, so every name typed
// stays inside the folder.
inline int Fuzzkeyboard(const std::uint8_t *data, std::size_t size) {
  std::string keys(reinterpret_cast<const char *>(data), size);
  std::replace(keys.begin(), keys.end(), '/', '_');
  Inworkfolder here;
  Clearfolder(true);
  for (const Samplefile &sample : Samples)
    if (!fs::exists(sample.name) || Readfile(sample.name) != sample.text) Writefile(sample.name, sample.text);
  const Outcome run = Runwithkeys(std::move(keys));
  if (run.status == 0 && !run.console.ends_with(Question))
    Fault("the console does not end with the start-again question");
  if (run.status != 0 && (run.status != 42 || !run.keysusedup))
    Fault("status " + std::to_string(run.status) + (run.keysusedup ? "" : " with keys left unread"));
  for (const Samplefile &sample : Samples)
    if (Readfile(sample.name) != sample.text)
      Fault(std::string("the program changed the sequence file ") + sample.name);
  return 0;
}

}  // namespace halvik::fuzzing
