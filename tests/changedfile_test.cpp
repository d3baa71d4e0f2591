// The sequence file changes between the passes over it. The file is a named
// pipe served by a thread, one content per opening, so that the introduction's
// test read, verification, the search pass and the storing pass each see their
// own file, and every read is a short one of a few bytes. The analyses run
// in-process through the fuzz targets' harness.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "fuzz/harness.h"

namespace halvik::fuzzing {
namespace {

void Freshpipe() {
  const fs::path next = Workfolder() / "s.txt.next";
  if (::mkfifo(next.c_str(), 0600) != 0 || ::rename(next.c_str(), (Workfolder() / "s.txt").c_str()) != 0)
    Fault("cannot make the pipe");
}

// Serves each content to one opening of s.txt, five bytes per write, and then
// (when `removed`) removes the file. Each opening gets a pipe of its own: a
// pass never joins the pipe of an earlier one, however early it stopped.
void Serve(const std::vector<std::string> &contents, bool removed, const std::atomic<bool> &stop) {
  const fs::path path = Workfolder() / "s.txt";
  for (std::size_t i = 0; i < contents.size(); ++i) {
    int fd;
    while ((fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK)) < 0) {
      if (stop || errno != ENXIO) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    removed &&i + 1 == contents.size() ? void(::unlink(path.c_str())) : Freshpipe();
    ::fcntl(fd, F_SETFL, 0);
    for (std::size_t at = 0; at < contents[i].size(); at += 5) {
      const std::size_t size = std::min<std::size_t>(5, contents[i].size() - at);
      if (::write(fd, contents[i].data() + at, size) != static_cast<ssize_t>(size)) break;  // the reader left
    }
    ::close(fd);
  }
}

const std::string Sample = "s1 ACGTA\ns2 ACTTN\ns3 ACGTA\ns4 TCGTA\n";
const std::string Changed = "\nHalvik found that s.txt changed while it was being read.";

struct Change {
  std::string search, store;  // the file as each discovery pass finds it
  std::string error;          // the fatal data error; empty when the analysis completes
  int status = 0;             // 42: the file is removed after verification instead
};

class Changebetweenpasses : public ::testing::TestWithParam<Change> {};

TEST_P(Changebetweenpasses, IsRefusedHarmlessOrEndsTheProgram) {
  const Change &c = GetParam();
  const std::string keys = "s.txt\n\n2\n3\ny\n4\nn\n";
  Outcome run{};
  {
    ::signal(SIGPIPE, SIG_IGN);  // a reader that stops early must not end the tests
    Inworkfolder here;
    Clearfolder();
    Freshpipe();
    std::atomic<bool> stop = false;
    std::thread server(Serve, c.status ? std::vector{Sample, Sample} : std::vector{Sample, Sample, c.search, c.store},
                       c.status != 0, std::cref(stop));
    run = Runwithkeys(keys);
    stop = true;
    server.join();
  }
  EXPECT_EQ(run.status, c.status);
  EXPECT_EQ(run.errormessage, c.error);
  const std::string results = Readfile(Workfolder() / "s.txt.HVK");
  // The lines written before the change stay in the results file.
  EXPECT_TRUE(c.search != Sample || results.starts_with("s1 s2 s3 s4 \n\nSegregating sites at:")) << results;
  EXPECT_TRUE(!c.error.empty() || c.status || results.find("\nP(F*st) = \t") != std::string::npos) << results;
  if (c.search == Sample && c.store == Sample) {  // read in pieces of five bytes, as from a plain file
    Inworkfolder here;
    Clearfolder();  // s.txt is a fresh pipe
    Writefile("s.txt", Sample);
    EXPECT_EQ(Runwithkeys(keys).console, run.console);
    EXPECT_EQ(Readfile("s.txt.HVK"), results);
  }
}

const std::string Bad = "\nHalvik tried to convert an improper character:  ";

INSTANTIATE_TEST_SUITE_P(
    Files, Changebetweenpasses,
    ::testing::Values(Change{Sample, Sample, ""},
                      // Between verification and the search pass.
                      Change{"s1 ACGTA\ns2 ACTTN\n", Sample, Changed}, Change{Sample + "s5 ACGTA\n", Sample, Changed},
                      Change{"s1 ACGTA\ns2 ACTT\ns3 ACGTA\ns4 TCGTA\n", Sample, Changed},
                      Change{"s1 ACGTA\ns2 ACTTN\ns3 ACGTAA\ns4 TCGTA\n", Sample, Changed},
                      Change{"s1 ACGTA\ns2 ACTTN\ns3", Sample, Changed}, Change{"", Sample, Changed},
                      Change{"s1 " + std::string(150000, 'A') + "\n", Sample, Changed},
                      Change{"s1 ACGTA\ns2 AC?TN\ns3 ACGTA\ns4 TCGTA\n", Sample, Bad + "?"},
                      // Between the search pass and the storing pass.
                      Change{Sample, "s1 ACGTA\ns2 ACTTN\ns3 ACGTA\n", Changed},
                      Change{Sample, Sample + "s5 ACGTA\n", Changed},
                      Change{Sample, "s1 ACGTA\ns2 ACTT\ns3 ACGTA\ns4 TCGTA\n", Changed},
                      Change{Sample, "s1 ACGTA\ns2 ACTTNN\ns3 ACGTA\ns4 TCGTA\n", Changed},
                      Change{Sample, "s1 " + std::string(150000, 'A') + "\n", Changed}, Change{Sample, "", Changed},
                      Change{Sample, "s1 ACGTA\ns2 ACTTN\ns3", Changed},
                      Change{Sample, "s1 ACGTA\ns2 ACxTN\ns3 ACGTA\ns4 TCGTA\n", Bad + "x"},
                      Change{Sample, "s1 ACGTA\r\ns2 ACTTN\r\ns3 ACGTA\r\ns4 TCGTA\r\n", Bad + "\r"},
                      // Same shape, other nucleotides: the stored sites need no longer
                      // segregate, and the statistics run on them regardless.
                      Change{Sample, "s1 ACGTA\ns2 ACGTA\ns3 ACGTA\ns4 ACGTA\n", ""},
                      Change{Sample, "x1 ACGTA\ny2 ACTTN\nz3 ACGTA\nw4 TCGTA\n", ""},
                      // Removed after verification, the file can no longer be read: the
                      // program ends with status 42 (the results file has no line yet).
                      Change{"", "", "", 42}));

}  // namespace
}  // namespace halvik::fuzzing
