// Shared set-up for the in-process tests and the fuzz targets: a population
// built from rows of nucleotide letters, a console, keyboard and results file
// in memory, a private working folder, and whole runs of the dialogue.
#pragma once
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "driver/analysis.h"
#include "driver/console/failure.h"
#include "driver/console/sinks.h"
#include "driver/globals.h"
#include "store/store.h"
#include "seqfile/reader.h"
#include "stats/localities.h"
#include "stats/random.h"

namespace support {

namespace fs = std::filesystem;

// Record i, labelled si, holds the i-th row of letters at the segregating
// sites; all rows the same length. Nothing checks that the sites segregate.
inline void Setsequences(const std::vector<std::string> &rows, std::int32_t length) {
  halvik::Pop.Numseqs = static_cast<std::int32_t>(rows.size());
  halvik::Pop.Numsegsites = static_cast<std::int32_t>(rows.front().size());
  halvik::Pop.Seqlength = length;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    halvik::Sequencerecord &record = halvik::Pop.Seqs[i + 1];
    record.Otu = std::to_string(i + 1);
    record.Otu.insert(record.Otu.begin(), 's');  // "s" + ... trips a false -Wrestrict in g++ 12
    record.Length = length;
    for (std::size_t p = 0; p < rows[i].size(); ++p)
      halvik::Setcode(record.Sites, static_cast<int>(p + 1),
                      static_cast<halvik::Nucleotidecode>(std::string_view("AGCTN-").find(rows[i][p])));
  }
}

// A division into localities starting at the given sequence numbers, the
// first of which is 1.
inline halvik::Localities Division(const std::vector<std::int32_t> &starts, std::int32_t n) {
  return halvik::Dividedat(starts.data(), static_cast<std::int32_t>(starts.size()), n);
}

// The message of the refusal the call raises, or "" when it raises none.
template <typename Call>
std::string Refusal(Call call) {
  try {
    call();
  } catch (const halvik::Fatalerror &refusal) {
    return refusal.Message;
  }
  return "";
}

[[noreturn]] inline void Fault(const std::string &what) {
  std::fprintf(stderr, "test support: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

// Made on first use and removed at exit; never destroyed, so that the removal
// still finds its name.
inline const fs::path &Workfolder() {
  static const fs::path &folder = *[] {
    std::string pattern = (fs::temp_directory_path() / "halvik-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) Fault("cannot make a working folder");
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(Workfolder(), ignored);
    });
    return new fs::path(pattern);
  }();
  return folder;
}

// Runs its scope in the working folder, so that relative names can only
// reach the files in it.
struct Inworkfolder {
  const int saved = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  Inworkfolder() {
    if (saved < 0 || ::chdir(Workfolder().c_str()) != 0) Fault("cannot enter the working folder");
  }
  ~Inworkfolder() {
    if (::fchdir(saved) != 0) std::perror("test support: cannot leave the working folder");
    ::close(saved);
  }
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

// The console and the results file collect in strings; the keyboard reads
// `keys` and then ends.
struct Captured {
  std::string console, results;
  explicit Captured(std::string keys = "") {
    halvik::Initialise(-1, -1);
    halvik::Console.Memory = &console;
    halvik::Outfile.Memory = &results;
    halvik::Outfile.Lineflush = true;
    halvik::Keyboard.Buffer = std::move(keys);
  }
  Captured(const Captured &) = delete;
  ~Captured() { halvik::Bindsinks(-1, -1); }
  // Everything written so far, pending text included.
  const std::string &Text() {
    halvik::Deliver(halvik::Console);
    halvik::Deliver(halvik::Outfile);
    return console;
  }
  // Writes the sequence file in the working folder; its source by name.
  static halvik::Sequencesource Usefile(const std::string &content) {
    const std::string name = (Workfolder() / "test.txt").string();
    Writefile(name, content);
    return halvik::Sequencesource{name};
  }
};

struct Outcome {
  int status;
  std::string console, errormessage;
  bool keysusedup;
};

// Whole analyses of the dialogue answered by `keys`, from a fixed seed.
inline Outcome Runwithkeys(std::string keys) {
  Outcome outcome{};
  halvik::Initialise(-1, -1);
  halvik::Console.Memory = &outcome.console;
  halvik::Keyboard.Buffer = std::move(keys);
  halvik::Fixedseed = 20261206u;
  outcome.status = halvik::Runanalyses();
  outcome.errormessage = halvik::Errormessage;
  outcome.keysusedup = halvik::Keyboard.Position >= halvik::Keyboard.Buffer.size();
  halvik::Bindsinks(-1, -1);
  halvik::Fixedseed.reset();
  return outcome;
}

}  // namespace support
