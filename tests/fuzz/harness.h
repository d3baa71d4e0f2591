// The two fuzz targets as plain functions, so that the fuzzers (clang,
// libFuzzer) and the regression replay of the normal test suite (any
// compiler) run exactly the same code on an input.
//
// Both run whole analyses in-process through Runanalyses: the keyboard is a
// memory buffer, the console a memory sink that is thrown away, and every file
// lives in a private folder made on first use. The random source is fixed, so
// an input always gives the same run. A run that ends in a way no input may
// cause (a status other than 0 or 42, a sample file changed by the program, an
// outcome that contradicts the file's grammar) aborts, which the fuzzer counts
// as a crash.
#pragma once
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "driver/analysis.h"
#include "driver/globals.h"
#include "driver/textout.h"
#include "fuzz/reference.h"
#include "stats/random.h"

namespace halvik::fuzzing {

namespace fs = std::filesystem;

// The sequence-file target refuses larger inputs: its runs must stay fast.
inline constexpr std::size_t Largestsequencefile = std::size_t{1} << 16;

// The answers of one analysis of "s.txt": return at the pause, two localities
// split before sequence 3, confirmed, 3 lineups, no new analysis. A file of two
// or three sequences cannot be split in two, so the locality count is asked
// again; the answers that follow the "n" then lead it to one locality.
inline constexpr std::string_view Sequencescript = "s.txt\n\n2\n3\ny\n3\nn\n1\ny\n3\nn\n";

// The files the keyboard target may name (any other name finds nothing).
struct Samplefile {
  const char *name;
  const char *text;
};
inline constexpr Samplefile Samples[] = {
    {"s.txt", "s1 ACGTACGTAA\ns2 ACGTTCGTAA\ns3 ACGAACGTAC\ns4 ACGTACGGAA\ns5 TCGTACGTAA\ns6 ACGTACGTAA\n"},
    {"t.txt", "a AC\nb AG\nc -C\n"},
    {"same.txt", "a ACGT\nb ACGT\n"},
    {"bad.txt", "a ACGT\nb AcGT\n"},
    {"empty.txt", ""},
};

[[noreturn]] inline void Fault(const std::string &what) {
  std::fprintf(stderr, "fuzz harness: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

inline const fs::path &Workfolder() {
  static const fs::path folder = [] {
    std::string pattern = (fs::temp_directory_path() / "halvik-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) Fault("cannot make a working folder");
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(Workfolder(), ignored);
    });
    return fs::path(pattern);
  }();
  return folder;
}

// Runs its scope in the working folder, so that the relative names typed at
// the keyboard can only reach the files in it.
class Inworkfolder {
 public:
  Inworkfolder() : saved_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (saved_ < 0 || ::chdir(Workfolder().c_str()) != 0) Fault("cannot enter the working folder");
  }
  ~Inworkfolder() {
    if (::fchdir(saved_) != 0) std::perror("fuzz harness: cannot leave the working folder");
    ::close(saved_);
  }
  Inworkfolder(const Inworkfolder &) = delete;
  Inworkfolder &operator=(const Inworkfolder &) = delete;

 private:
  int saved_;
};

inline std::string Readfile(const fs::path &name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void Writefile(const fs::path &name, std::string_view text) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) Fault("cannot write " + name.string());
}

// Leaves only the given names in the working folder.
inline void Clearfolder(const std::vector<std::string> &keep) {
  for (const auto &entry : fs::directory_iterator(Workfolder())) {
    const std::string name = entry.path().filename().string();
    bool kept = false;
    for (const auto &k : keep) kept = kept || k == name;
    if (!kept) fs::remove_all(entry.path());
  }
}

struct Outcome {
  int status;
  std::string console;
  std::string errormessage;
  bool keysusedup;
};

inline Outcome Runwithkeys(std::string keys) {
  Outcome outcome{};
  Initialise(-1, -1);
  Console.memory = &outcome.console;
  Keyboard.buffer = std::move(keys);
  Fixedseed = 20261206u;
  outcome.status = Runanalyses();
  outcome.errormessage = Errormessage;
  outcome.keysusedup = Keyboard.position >= Keyboard.buffer.size();
  Console = Textsink{};
  Keyboard = Keyboardsource{};
  Fixedseed.reset();
  return outcome;
}

inline bool Endswith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

inline constexpr std::string_view Question = "Would you like to start again (y/n)?  ";

// One analysis of the given sequence file by the script above, held to the
// plain reading of the grammar; returns what went wrong, or nothing.
inline std::string Sequencefilefault(std::string_view bytes) {
  Inworkfolder here;
  Clearfolder({});
  Writefile("s.txt", bytes);
  const Outcome run = Runwithkeys(std::string(Sequencescript));
  if (run.status != 0) return "the analysis did not end normally: status " + std::to_string(run.status);
  if (!Endswith(run.console, Question)) return "the console does not end with the start-again question";

  const Expected expected = Reference(bytes);
  const std::string results = Readfile("s.txt.HVK");
  if (expected.accepted) {
    if (!run.errormessage.empty()) return "a valid file was refused: " + run.errormessage;
    std::string count = std::to_string(expected.sites);
    if (count.size() < 4) count.insert(0, 4 - count.size(), ' ');
    const std::string total = "Halvik found a total of " + count + " segregating sites";
    if (results.find(total) == std::string::npos) return "the results file lacks the line \"" + total + "\"";
    if (results.find("\nP(F*st) = \t") == std::string::npos || !Endswith(results, "\n"))
      return "the results file of a completed analysis is incomplete";
  } else if (run.errormessage.empty()) {
    return "a file breaking the grammar was accepted (" + expected.why + ")";
  }
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
  for (char &c : keys)
    if (c == '/') c = '_';
  Inworkfolder here;
  std::vector<std::string> names;
  for (const Samplefile &sample : Samples) names.emplace_back(sample.name);
  Clearfolder(names);
  for (const Samplefile &sample : Samples)
    if (!fs::exists(sample.name) || Readfile(sample.name) != sample.text) Writefile(sample.name, sample.text);

  const Outcome run = Runwithkeys(std::move(keys));
  if (run.status == 0) {
    if (!Endswith(run.console, Question)) Fault("the console does not end with the start-again question");
  } else if (run.status != 42 || !run.keysusedup) {
    Fault("status " + std::to_string(run.status) + (run.keysusedup ? "" : " with keys left unread"));
  }
  for (const Samplefile &sample : Samples)
    if (Readfile(sample.name) != sample.text) Fault(std::string("the program changed the sequence file ") + sample.name);
  return 0;
}

}  // namespace halvik::fuzzing
