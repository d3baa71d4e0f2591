// The sequence file changes between the passes over it. The file here is a
// named pipe served by a thread, one content per opening, so each pass
// (verification, the search pass and the storing pass) sees its own file, and
// every read is a short one of a few bytes. The stages of an analysis after
// the introduction run one by one, as the analysis loop runs them.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "driver/analysis.h"
#include "driver/failure.h"
#include "driver/globals.h"
#include "driver/keyboard.h"
#include "driver/textout.h"
#include "failure_run.h"
#include "population/segsites.h"
#include "seqfile/verify.h"
#include "stats/diversity.h"
#include "stats/localities.h"
#include "stats/random.h"

namespace {

namespace fs = std::filesystem;
using failure::Folder;

// Serves contents[i] to the i-th opening of the file for reading, a few bytes
// per write. Each content has a pipe of its own: once its reader has opened
// the pipe, a fresh one takes the file's name for the next opening, so a pass
// never joins the pipe of an earlier one, however early that one stopped.
class Servedfile {
 public:
  // With `removed`, the file is removed once the last content's reader has
  // opened it.
  Servedfile(fs::path path, std::vector<std::string> contents, bool removed = false)
      : path_(std::move(path)), contents_(std::move(contents)), removed_(removed) {
    ::signal(SIGPIPE, SIG_IGN);  // a reader that stops early must not end the tests
    Freshpipe();
    thread_ = std::thread([this] { Serve(); });
  }
  ~Servedfile() {
    stop_ = true;
    thread_.join();
  }
  Servedfile(const Servedfile &) = delete;
  Servedfile &operator=(const Servedfile &) = delete;

 private:
  void Freshpipe() {
    const fs::path next = path_.string() + ".next";
    if (::mkfifo(next.c_str(), 0600) != 0 || ::rename(next.c_str(), path_.c_str()) != 0)
      throw std::runtime_error("cannot make the pipe");
  }

  void Serve() {
    for (std::size_t i = 0; i < contents_.size(); ++i) {
      const std::string &content = contents_[i];
      int fd;
      while ((fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK)) < 0) {
        if (stop_ || errno != ENXIO) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      if (removed_ && i + 1 == contents_.size())
        ::unlink(path_.c_str());
      else
        Freshpipe();
      ::fcntl(fd, F_SETFL, 0);
      for (std::size_t at = 0; at < content.size(); at += 5) {
        const std::size_t size = std::min<std::size_t>(5, content.size() - at);
        if (::write(fd, content.data() + at, size) != static_cast<ssize_t>(size)) break;  // the reader left
      }
      ::close(fd);
    }
  }

  fs::path path_;
  std::vector<std::string> contents_;
  bool removed_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

const std::string Sample = "s1 ACGTA\ns2 ACTTN\ns3 ACGTA\ns4 TCGTA\n";
// At the pause, then two localities (1-2 and 3-4), confirmed, and 4 lineups.
const std::string Answers = "\n2\n3\ny\n4\n";

struct Analysed {
  bool answered;  // the dialogue took every answer
  std::string console, results, error;
};

// An analysis of s.txt in-process, in the folder, from the verification pass
// to the closing of the results file; a fatal data error abandons it.
Analysed Runinfolder(const Folder &folder) {
  Analysed run{};
  const fs::path saved = fs::current_path();
  fs::current_path(folder.Run());
  halvik::Initialise(-1, -1);
  halvik::Console.memory = &run.console;
  halvik::Keyboard.buffer = Answers;
  halvik::Fixedseed = 7u;
  halvik::Randomize();
  halvik::Filename = "s.txt";
  halvik::Createfile(halvik::Outfile, "s.txt.HVK");
  try {
    halvik::Verifysequences();
    halvik::Findsegsites();
    halvik::Pn();
    halvik::Theta();
    halvik::Writestr(halvik::Console, "Press return when ready.");
    halvik::Skipline();
    halvik::Furtherstats();
  } catch (const halvik::Fatalerror &) {
    run.error = halvik::Errormessage;
  }
  halvik::Finish();
  halvik::Deliver(halvik::Console);
  run.answered = halvik::Keyboard.position >= halvik::Keyboard.buffer.size();
  halvik::Fixedseed.reset();
  halvik::Console = halvik::Textsink{};
  halvik::Keyboard = halvik::Keyboardsource{};
  fs::current_path(saved);
  run.results = failure::Slurp(folder.Run() / "s.txt.HVK");
  return run;
}

// The same on the served file, one content per pass.
Analysed Analyse(const Folder &folder, const std::vector<std::string> &passes) {
  Servedfile file(folder.Run() / "s.txt", passes);
  return Runinfolder(folder);
}

const std::string Changed = "\nHalvik found that s.txt changed while it was being read.";

struct Change {
  const char *name;
  std::string search, store;  // the file as the search pass and the storing pass find it
  std::string error;          // the fatal data error; empty when the analysis completes
};

class Changebetweenpasses : public ::testing::TestWithParam<Change> {};

TEST_P(Changebetweenpasses, Isrefusedorharmless) {
  const Change &c = GetParam();
  Folder folder(std::string("changed-") + c.name);
  const Analysed run = Analyse(folder, {Sample, c.search, c.store});
  EXPECT_EQ(run.error, c.error);
  if (c.error.empty()) {
    EXPECT_TRUE(run.answered) << "the dialogue did not run to its end";
    EXPECT_NE(run.results.find("\nP(F*st) = \t"), std::string::npos);
  }
  // The lines written before the change stay in the results file.
  EXPECT_EQ(run.results.substr(0, 12), c.search == Sample ? "s1 s2 s3 s4 " : "s1 s2 ");
}

INSTANTIATE_TEST_SUITE_P(
    Files, Changebetweenpasses,
    ::testing::Values(
        Change{"none", Sample, Sample, ""},
        // Between the search pass and the storing pass.
        Change{"storefewerrecords", Sample, "s1 ACGTA\ns2 ACTTN\ns3 ACGTA\n", Changed},
        Change{"storemorerecords", Sample, Sample + "s5 ACGTA\n", Changed},
        Change{"storeshorterline", Sample, "s1 ACGTA\ns2 ACTT\ns3 ACGTA\ns4 TCGTA\n", Changed},
        Change{"storelongerline", Sample, "s1 ACGTA\ns2 ACTTNN\ns3 ACGTA\ns4 TCGTA\n", Changed},
        Change{"storeoverlongline", Sample, "s1 " + std::string(150000, 'A') + "\n", Changed},
        Change{"storeemptied", Sample, "", Changed},
        Change{"storelabelcut", Sample, "s1 ACGTA\ns2 ACTTN\ns3", Changed},
        Change{"storebadcharacter", Sample, "s1 ACGTA\ns2 ACxTN\ns3 ACGTA\ns4 TCGTA\n",
               "\nHalvik tried to convert an improper character:  x"},
        Change{"storecrlf", Sample, "s1 ACGTA\r\ns2 ACTTN\r\ns3 ACGTA\r\ns4 TCGTA\r\n",
               "\nHalvik tried to convert an improper character:  \r"},
        // Same shape, other nucleotides: the stored sites need no longer
        // segregate, and the statistics run on them regardless.
        Change{"storeidentical", Sample, "s1 ACGTA\ns2 ACGTA\ns3 ACGTA\ns4 ACGTA\n", ""},
        Change{"storelabelsrenamed", Sample, "x1 ACGTA\ny2 ACTTN\nz3 ACGTA\nw4 TCGTA\n", ""},
        // Between verification and the search pass.
        Change{"searchfewerrecords", "s1 ACGTA\ns2 ACTTN\n", Sample, Changed},
        Change{"searchbadcharacter", "s1 ACGTA\ns2 AC?TN\ns3 ACGTA\ns4 TCGTA\n", Sample,
               "\nHalvik tried to convert an improper character:  ?"}),
    [](const auto &info) { return std::string(info.param.name); });

// Every pass reads the served file in pieces of five bytes: the same analysis
// as from a plain file.
TEST(Changebetweenpasses, Shortreadsgivethesameanalysisasaplainfile) {
  Folder served("served-plain"), plain("plain-file");
  const Analysed fromfifo = Analyse(served, {Sample, Sample, Sample});
  failure::Spit(plain.Run() / "s.txt", Sample);
  const Analysed fromfile = Runinfolder(plain);
  EXPECT_TRUE(fromfile.answered);
  EXPECT_EQ(fromfifo.console, fromfile.console);
  EXPECT_EQ(fromfifo.results, fromfile.results);
  EXPECT_NE(fromfile.results.find("P(F*st) = \t"), std::string::npos);
}

// Removed after verification, the file can no longer be read: the program
// ends with status 42 after delivering the console, and the results file is
// closed with the lines written so far (none yet).
TEST(Changebetweenpasses, Afileremovedafterverificationendstheprogram) {
  Folder folder("removed");
  std::string console;
  int status;
  {
    // The introduction's test read, then verification.
    Servedfile file(folder.Run() / "s.txt", {Sample, Sample}, true);
    const fs::path saved = fs::current_path();
    fs::current_path(folder.Run());
    halvik::Initialise(-1, -1);
    halvik::Console.memory = &console;
    halvik::Keyboard.buffer = "s.txt\n" + Answers + "n\n";
    status = halvik::Runanalyses();
    halvik::Console = halvik::Textsink{};
    halvik::Keyboard = halvik::Keyboardsource{};
    fs::current_path(saved);
  }
  EXPECT_EQ(status, 42);
  const std::string end = "File s.txt verified.\n\nFinding segregating sites...\nSearching: ";
  EXPECT_EQ(console.substr(console.size() - end.size()), end);
  EXPECT_EQ(failure::Slurp(folder.Run() / "s.txt.HVK"), "");
  EXPECT_FALSE(fs::exists(folder.Run() / "s.txt"));
}

}  // namespace
