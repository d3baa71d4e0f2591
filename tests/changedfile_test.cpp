// The sequence file changes between the passes over it. The file is a named
// pipe served by a thread, one content per opening, so that the introduction's
// test read, verification, the search pass and the storing pass each see their
// own file, and every read is a short one of a few bytes. The analyses run
// in-process through the fuzz targets' harness.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "fuzz/harness.h"

namespace halvik::fuzzing {
namespace {

// Serves contents[i] to the i-th opening of s.txt, five bytes per write; a
// missing content removes the file instead. Each opening gets a pipe of its
// own: a pass never joins the pipe of an earlier one, however early it stopped.
class Servedfile {
 public:
  explicit Servedfile(std::vector<std::optional<std::string>> contents) : contents_(std::move(contents)) {
    ::signal(SIGPIPE, SIG_IGN);  // a reader that stops early must not end the tests
    Freshpipe();
    thread_ = std::thread([this] { Serve(); });
  }
  ~Servedfile() {
    stop_ = true;
    thread_.join();
  }

 private:
  const fs::path path_ = Workfolder() / "s.txt", next_ = Workfolder() / "s.txt.next";
  void Freshpipe() {
    if (::mkfifo(next_.c_str(), 0600) != 0 || ::rename(next_.c_str(), path_.c_str()) != 0) Fault("cannot make the pipe");
  }
  void Serve() {
    for (std::size_t i = 0; i < contents_.size(); ++i) {
      int fd;
      while ((fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK)) < 0) {
        if (stop_ || errno != ENXIO) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      if (i + 1 < contents_.size() && !contents_[i + 1])
        ::unlink(path_.c_str());
      else
        Freshpipe();
      ::fcntl(fd, F_SETFL, 0);
      const std::string &content = *contents_[i];
      for (std::size_t at = 0; at < content.size(); at += 5) {
        const std::size_t size = std::min<std::size_t>(5, content.size() - at);
        if (::write(fd, content.data() + at, size) != static_cast<ssize_t>(size)) break;  // the reader left
      }
      ::close(fd);
      if (i + 1 < contents_.size() && !contents_[i + 1]) return;
    }
  }
  std::vector<std::optional<std::string>> contents_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

const std::string Sample = "s1 ACGTA\ns2 ACTTN\ns3 ACGTA\ns4 TCGTA\n";
const std::string Changed = "\nHalvik found that s.txt changed while it was being read.";

struct Change {
  std::optional<std::string> search, store;  // the file as each discovery pass finds it
  std::string error;                         // the fatal data error; empty when the analysis completes
  int status = 0;
};

class Changebetweenpasses : public ::testing::TestWithParam<Change> {};

TEST_P(Changebetweenpasses, Isrefusedharmlessorendstheprogram) {
  const Change &c = GetParam();
  Outcome run{};
  {
    Inworkfolder here;
    Clearfolder({});
    Servedfile file({Sample, Sample, c.search, c.store});
    run = Runwithkeys("s.txt\n\n2\n3\ny\n4\nn\n");
  }
  EXPECT_EQ(run.status, c.status);
  EXPECT_EQ(run.errormessage, c.error);
  const std::string results = Readfile(Workfolder() / "s.txt.HVK");
  // The lines written before the change stay in the results file.
  if (c.search == Sample) {
    EXPECT_EQ(results.substr(0, 35), "s1 s2 s3 s4 \n\nSegregating sites at:");
  }
  if (c.error.empty() && c.status == 0) {
    EXPECT_NE(results.find("\nP(F*st) = \t"), std::string::npos);
  }
  if (c.search == Sample && c.store == Sample) {
    // Read in pieces of five bytes, the same analysis as from a plain file.
    Inworkfolder here;
    Clearfolder({});
    Writefile("s.txt", Sample);
    EXPECT_EQ(Runwithkeys("s.txt\n\n2\n3\ny\n4\nn\n").console, run.console);
    EXPECT_EQ(Readfile("s.txt.HVK"), results);
  }
}

const std::string Bad = "\nHalvik tried to convert an improper character:  ";

INSTANTIATE_TEST_SUITE_P(
    Files, Changebetweenpasses,
    ::testing::Values(
        Change{Sample, Sample, ""},
        // Between verification and the search pass.
        Change{"s1 ACGTA\ns2 ACTTN\n", Sample, Changed}, Change{Sample + "s5 ACGTA\n", Sample, Changed},
        Change{"s1 ACGTA\ns2 ACTT\ns3 ACGTA\ns4 TCGTA\n", Sample, Changed},
        Change{"s1 ACGTA\ns2 ACTTN\ns3 ACGTAA\ns4 TCGTA\n", Sample, Changed},
        Change{"s1 ACGTA\ns2 ACTTN\ns3", Sample, Changed}, Change{"", Sample, Changed},
        Change{"s1 " + std::string(150000, 'A') + "\n", Sample, Changed},
        Change{"s1 ACGTA\ns2 AC?TN\ns3 ACGTA\ns4 TCGTA\n", Sample, Bad + "?"},
        // Between the search pass and the storing pass.
        Change{Sample, "s1 ACGTA\ns2 ACTTN\ns3 ACGTA\n", Changed}, Change{Sample, Sample + "s5 ACGTA\n", Changed},
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
        Change{std::nullopt, std::nullopt, "", 42}));

}  // namespace
}  // namespace halvik::fuzzing
