#include "driver/intro.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "driver/console/bounded.h"
#include "driver/console/failure.h"
#include "driver/console/sinks.h"
#include "driver/globals.h"
#include "stats/random.h"

namespace halvik {

namespace {

constexpr std::size_t Longestname = 74;

const char *const Ioerrortext =
    "\nI/O Error\n"
    "Perhaps the full directory structure was not included in the file name.\n"
    "Alternatively, the filename entered may have lacked its three-character suffix (usually .txt).\n"
    "For example, \"\\My Documents\\MORAY folder\\Sample.txt\"\n"
    "Press RETURN to halt.";

const char *const Nodatatext = "\nNo Data.\nPress RETURN to halt.";

void Line(std::string_view text) {
  Writestr(Console, text);
  Writeln(Console);
}

void Showbanner() {
  for (int i = 0; i < 10; ++i) {
    Writech(Console, '\n');
    Writeln(Console);
  }
  Line("Halvik\n");
  Line("Acceptable files for Halvik are text files with the following format:");
  Line("[OTU] <SP> ACGT..ACTG?GACT-TCGA..AGCT <LF>\n");
  Line("Where this format is repeated for each sequence in a population.");
  Line("[OTU] = label for each Operational Taxonomic Unit");
  Line("<SP> is at least one space character  <LF> is a single carriage return");
  Line("\"A\", \"C\", \"G\", \"T\" are capital letter codes for the four DNA nucleotides");
  Line("           and \"-\" is a gap in the DNA sequence");
}

// Asks until a name of 1 to 74 characters is typed.
void Askfilename() {
  for (;;) {
    Writech(Console, '\n');
    Line("Please type the exact name of a text file of DNA data to analyze:");
    Filename = Readline(Stringcapacity);
    if (Filename.empty())
      Line("\nNo file selected.\n");
    else if (Filename.size() > Longestname)
      Line("\nHalvik filenames, including directory information, must be less than 75 characters\n");
    else
      return;
  }
}

// Whether the named file can be read as a file and holds at least one byte.
// A name that opens but is no readable file (a directory, say) is refused like
// one that does not open: a typing slip must not end the program.
void Checksequencefile() {
  // A name holding a NUL byte names no file: the system would read it only up
  // to that byte, and the results file named after it would then replace the
  // sequence file itself.
  if (Filename.find('\0') != std::string::npos) Raisefatal(Ioerrortext);
  int fd = ::open(Filename.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Raisefatal(Ioerrortext);
  struct stat info {};
  char byte;
  ssize_t got = -1;
  if (::fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode)) {
    do got = ::read(fd, &byte, 1);
    while (got < 0 && errno == EINTR);
  }
  ::close(fd);
  if (got < 0) Raisefatal(Ioerrortext);
  if (got == 0) Raisefatal(Nodatatext);
}

}  // namespace

void Intro() {
  Randomize();
  Showbanner();
  Askfilename();
  Checksequencefile();
  std::string name = Filename + ".HVK";
  Assignbounded(Resname, name);
  Createfile(Outfile, Resname);
}

}  // namespace halvik
